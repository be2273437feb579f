// The sample's controls with injected keyboard and mouse input and a clock
// the tests set, so every step and lock boundary is exact.
#include "controls.h"
#include "samplestate.h"

#include "graphics/igraphics.h"
#include "input/iinput.h"

#include "support/core_fixture.h"
#include "support/stub_model.h"
#include "support/test_clock.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <math.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Steps of 1/32 s from 1024 s add up exactly, so no step lands a rounding
// error away from the 25 ms boundary.
constexpr double base = 1024.0;
constexpr double tick = 1.0 / 32.0;

float Length(const D3DXVECTOR3& v)
{
    return sqrtf(v.x * v.x + v.y * v.y + v.z * v.z);
}

// A skinned model's side of the controls: the animations asked for.
class RecordingModel final : public StubModel<RecordingModel> {
public:
    QL_TYPE_NAME("RecordingModel")
    HRESULT AddAnimation(uint32_t animation, float weight) override
    {
        started.emplace_back(animation, weight);
        return S_OK;
    }

    std::vector<std::pair<uint32_t, float>> started;
};

class ControlsTest : public CoreFixture {
protected:
    void SetUp() override
    {
        ResetSampleState();
        ResetControls();
        Sample.target = StartTarget();
        SampleClock = TestClock::Now;
        TestClock::now = base;
        ASSERT_NO_FATAL_FAILURE(CoreFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(StartCore());
        ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
        ASSERT_EQ(S_OK, graphics->SetLightning(true, 0xFF505050));
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        ASSERT_EQ(S_OK, core->CreateInput(&input));
        ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, nullptr));
    }

    void TearDown() override
    {
        SetControlsLayout(ControlsLayout());
        SampleClock = Timer;
        if (input)
            input->Release();
        if (graphics)
            graphics->Release();
        CoreFixture::TearDown();
    }

    // One processing step at `now`, with the help text as the main loop starts it.
    HRESULT Step(double now, IModel* model = nullptr)
    {
        TestClock::now = now;
        Sample.helpText = "Controls :";
        return InputProcess(input, graphics, model);
    }

    // One step at the next tick.
    HRESULT Next(IModel* model = nullptr) { return Step(TestClock::now + tick, model); }

    D3DXVECTOR3 View() const { return Sample.target - Sample.eye; }

    IGraphics* graphics = nullptr;
    IInput* input = nullptr;
};

void ExpectNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance = 1e-3f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST_F(ControlsTest, StepsAreAtLeast25MillisecondsApart)
{
    ASSERT_EQ(S_OK, Step(base));
    EXPECT_NE("Controls :", std::string(Sample.helpText.Chars()));

    std::string whole = Sample.helpText.Chars();

    QLTest_InjectKey(DIK_UP, true);
    D3DXVECTOR3 eye = Sample.eye;
    EXPECT_EQ(S_FALSE, Step(base + 0.0245));
    EXPECT_EQ(whole, Sample.helpText.Chars()) << "a skipped step's frame shows the whole help too";
    EXPECT_EQ(eye, Sample.eye) << "a skipped step reads nothing";

    EXPECT_EQ(S_OK, Step(base + 0.0255));
    EXPECT_NEAR(10.0f, Length(Sample.eye - eye), 1e-3f);
    // The next step counts from the last processed one, not from the skipped one.
    EXPECT_EQ(S_FALSE, Step(base + 0.05));
    EXPECT_EQ(S_OK, Step(base + 0.051));
}

struct ToggleCase {
    BYTE key;
    bool* flag;
    bool initial;
};

TEST_F(ControlsTest, EachToggleWaitsForItsFirstStepThenFlipsAtMostTwiceASecond)
{
    const ToggleCase cases[] = {
        {DIK_S, &Sample.stencilShadow, true}, {DIK_L, &Sample.lightMoving, true},
        {DIK_X, &AmbientOnly, false},         {DIK_V, &DrawShadowVolume, false},
        {DIK_P, &DrawPossibleSilhouette, false}, {DIK_F, &Sample.wireframe, false},
        {DIK_F1, &Sample.help, false},
    };
    for (const ToggleCase& test : cases) {
        SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << (int)test.key);
        EXPECT_EQ(test.initial, *test.flag);
        QLTest_InjectKey(test.key, true);
        // The clock stands still within a step: the lock armed by the first
        // press is not before "now", so that step never flips.
        ASSERT_EQ(S_OK, Next());
        EXPECT_EQ(test.initial, *test.flag);
        ASSERT_EQ(S_OK, Next());
        EXPECT_EQ(!test.initial, *test.flag) << "held into the next step, it flips";
        double flipped = TestClock::now;
        while (TestClock::now + tick <= flipped + 0.5) {
            ASSERT_EQ(S_OK, Next());
            EXPECT_EQ(!test.initial, *test.flag) << "locked for half a second, at +" << TestClock::now - flipped;
        }
        ASSERT_EQ(S_OK, Next());
        EXPECT_EQ(test.initial, *test.flag) << "flips again once the lock has passed";
        QLTest_InjectKey(test.key, false);
        ASSERT_EQ(S_OK, Next());
    }
}

// What the mouse hook of a program's layout was handed.
struct MouseReading {
    int calls = 0;
    DIMOUSESTATE last = {};
    bool fDown = false;
};
MouseReading mouseReading;

// A program's layout (the viewer's): the fill mode on W, its own camera lines,
// and the mouse handed over instead of turning the camera.
TEST_F(ControlsTest, AProgramsLayoutMovesTheFillKeyAndTakesTheMouse)
{
    mouseReading = MouseReading();
    ControlsLayout layout;
    layout.wireframeKey = DIK_W;
    layout.wireframeLead = "\n'W' for ";
    layout.cameraHelp = "\nCamera lines";
    layout.mouseCamera = [](const BYTE* keys, const DIMOUSESTATE& mouse) {
        mouseReading.calls++;
        mouseReading.last = mouse;
        mouseReading.fDown = (keys[DIK_F] & 0x80) != 0;
    };
    SetControlsLayout(layout);
    const D3DXVECTOR3 start = View();

    QLTest_InjectKey(DIK_F, true);
    QLTest_InjectMouseButton(0, true);
    QLTest_InjectMouseMotion(40, -20);
    QLTest_InjectMouseWheel(1);
    ASSERT_EQ(S_OK, Next());
    ASSERT_EQ(S_OK, Next());
    QLTest_InjectKey(DIK_F, false);
    QLTest_InjectMouseButton(0, false);
    EXPECT_FALSE(Sample.wireframe) << "F is the program's now";
    EXPECT_EQ(start, View()) << "the left button no longer turns the camera";
    ASSERT_EQ(2, mouseReading.calls) << "every reading is handed over";
    EXPECT_TRUE(mouseReading.fDown) << "with the keys";
    EXPECT_TRUE((mouseReading.last.rgbButtons[0] & 0x80) != 0);
    ASSERT_EQ(S_OK, Next());
    EXPECT_EQ(3, mouseReading.calls);

    TestClock::now += 1.0;
    QLTest_InjectKey(DIK_W, true);
    ASSERT_EQ(S_OK, Next());
    ASSERT_EQ(S_OK, Next());
    QLTest_InjectKey(DIK_W, false);
    EXPECT_TRUE(Sample.wireframe) << "W flips the fill mode";
    std::string help = Sample.helpText.Chars();
    EXPECT_NE(std::string::npos, help.find("\n'W' for Solid filling\nCamera lines\n'F1'")) << help;
}

TEST_F(ControlsTest, HoldingF1ForTwoSecondsFlipsTheHelpFourTimes)
{
    QLTest_InjectKey(DIK_F1, true);
    int flips = 0;
    bool help = Sample.help;
    for (double now = base; now <= base + 2.0; now += tick) {
        ASSERT_EQ(S_OK, Step(now));
        flips += Sample.help != help;
        help = Sample.help;
    }
    EXPECT_EQ(4, flips);
}

TEST_F(ControlsTest, ASecondPressAfterTheFirstFlips)
{
    QLTest_InjectKey(DIK_S, true);
    ASSERT_EQ(S_OK, Next());
    QLTest_InjectKey(DIK_S, false);
    ASSERT_EQ(S_OK, Next());
    EXPECT_TRUE(Sample.stencilShadow) << "a first press released in its own step does not flip";
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(true)) << "the graphics manager was left alone";

    QLTest_InjectKey(DIK_S, true);
    ASSERT_EQ(S_OK, Next());
    EXPECT_FALSE(Sample.stencilShadow);
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(false)) << "S switched the graphics manager too";
}

TEST_F(ControlsTest, HelpTextListsTheControlsInTableOrder)
{
    ASSERT_EQ(S_OK, Next());
    EXPECT_STREQ("Controls :"
                 "\n'S' for Standard lightning"
                 "\n'L' to freeze the light's movement"
                 "\n'X' to render Models with Ambient light only"
                 "\n'V' to draw the Shadow Volume"
                 "\n'P' to draw the Possible Silhouette"
                 "\n'F' for Wireframe filling"
                 "\nFor the camera : Use the arrow keys\n and the Mouse (press the left button)"
                 "\n'F1' for showing this help",
                 Sample.helpText.Chars());

    // Every switch flipped: each line then offers the way back.
    for (BYTE key : {DIK_S, DIK_L, DIK_X, DIK_V, DIK_P, DIK_F, DIK_F1})
        QLTest_InjectKey(key, true);
    ASSERT_EQ(S_OK, Next());
    ASSERT_EQ(S_OK, Next());
    EXPECT_STREQ("Controls :"
                 "\n'S' for Stencil Shadow lightning"
                 "\n'L' to unfreeze the light's movement"
                 "\n'X' to not render Models with Ambient light only"
                 "\n'V' to not draw the Shadow Volume"
                 "\n'P' to not draw the Possible Silhouette"
                 "\n'F' for Solid filling"
                 "\nFor the camera : Use the arrow keys\n and the Mouse (press the left button)"
                 "\n'F1' for not showing this help",
                 Sample.helpText.Chars());
}

TEST_F(ControlsTest, EscapeEndsTheRunBeforeAnythingChanges)
{
    QLTest_InjectKey(DIK_ESCAPE, true);
    QLTest_InjectKey(DIK_UP, true);
    QLTest_InjectKey(DIK_F1, true);
    D3DXVECTOR3 eye = Sample.eye;
    EXPECT_EQ(E_FAIL, Next());
    EXPECT_EQ(E_FAIL, Next());
    EXPECT_EQ(eye, Sample.eye);
    EXPECT_FALSE(Sample.help);
}

TEST_F(ControlsTest, OppositeKeysCancel)
{
    const std::pair<BYTE, BYTE> opposites[] = {{DIK_UP, DIK_DOWN}, {DIK_LEFT, DIK_RIGHT}};
    for (auto keys : opposites) {
        QLTest_InjectKey(keys.first, true);
        QLTest_InjectKey(keys.second, true);
        D3DXVECTOR3 eye = Sample.eye;
        D3DXVECTOR3 target = Sample.target;
        ASSERT_EQ(S_OK, Next());
        EXPECT_EQ(eye, Sample.eye);
        EXPECT_EQ(target, Sample.target);
        QLTest_InjectKey(keys.first, false);
        QLTest_InjectKey(keys.second, false);
    }
}

TEST_F(ControlsTest, ArrowsMoveAlongTheViewAndSideways)
{
    const D3DXVECTOR3 view = View();
    // Sideways is the camera axis crossed with the view, not normalised: the
    // start-up view looks down, so a side step is shorter than 10.
    const D3DXVECTOR3 side(view.z, 0.0f, -view.x);
    struct {
        BYTE key;
        D3DXVECTOR3 move;
    } cases[] = {
        {DIK_UP, view * 10.0f},
        {DIK_DOWN, view * -10.0f},
        {DIK_RIGHT, side * 10.0f},
        {DIK_LEFT, side * -10.0f},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << (int)test.key);
        D3DXVECTOR3 eye = Sample.eye;
        QLTest_InjectKey(test.key, true);
        ASSERT_EQ(S_OK, Next());
        QLTest_InjectKey(test.key, false);
        ExpectNear(eye + test.move, Sample.eye);
        ExpectNear(view, View());
    }
    EXPECT_LT(Length(side * 10.0f), 9.0f);

    D3DXVECTOR3 eye;
    D3DXVECTOR3 at;
    D3DXVECTOR3 up;
    graphics->GetCamera(&eye, &at, &up);
    EXPECT_EQ(Sample.eye, eye) << "the camera went to the graphics manager";
    EXPECT_EQ(Sample.target, at);
    EXPECT_EQ(D3DXVECTOR3(0.0f, 1.0f, 0.0f), up);
}

TEST_F(ControlsTest, MouseTurnsByAFixedAngleOnlyWithTheLeftButton)
{
    const D3DXVECTOR3 start = View();
    QLTest_InjectMouseMotion(40, 0);
    ASSERT_EQ(S_OK, Next());
    EXPECT_EQ(start, View()) << "no button, no turn";

    D3DXVECTOR3 turned[2];
    const int amounts[] = {1, 60};
    for (int i = 0; i < 2; ++i) {
        ResetControls();
        Sample.target = StartTarget();
        TestClock::now += 1.0;
        QLTest_InjectMouseButton(0, true);
        QLTest_InjectMouseMotion(amounts[i], 0);
        ASSERT_EQ(S_OK, Next());
        QLTest_InjectMouseButton(0, false);
        turned[i] = View();
    }
    ExpectNear(turned[0], turned[1], 1e-6f);
    // 0.07 radians about the vertical axis: the vertical part stays.
    EXPECT_NEAR(start.y, turned[0].y, 1e-5f);
    float horizontal = sqrtf(start.x * start.x + start.z * start.z);
    float cosine = (start.x * turned[0].x + start.z * turned[0].z) / (horizontal * horizontal);
    EXPECT_NEAR(0.07f, acosf(cosine), 1e-3f);
    EXPECT_GT(turned[0].x, 0.0f) << "moving right turns right";
    EXPECT_NEAR(1.0f, Length(View()), 1e-5f) << "the target stays one unit from the eye";
}

TEST_F(ControlsTest, PageUpAlwaysPitchesUp)
{
    struct Pitch {
        bool pageUp;
        int dy;
    };
    auto pitched = [&](Pitch pitch) {
        ResetControls();
        ResetSampleState();
        Sample.target = StartTarget();
        TestClock::now += 1.0;
        QLTest_InjectKey(DIK_PRIOR, pitch.pageUp);
        QLTest_InjectMouseButton(0, true);
        QLTest_InjectMouseMotion(0, pitch.dy);
        EXPECT_EQ(S_OK, Next());
        QLTest_InjectMouseButton(0, false);
        QLTest_InjectKey(DIK_PRIOR, false);
        return View();
    };
    const D3DXVECTOR3 start = View();
    D3DXVECTOR3 mouseUp = pitched({false, -5});
    D3DXVECTOR3 mouseDown = pitched({false, 5});
    EXPECT_GT(mouseUp.y, start.y) << "moving the mouse up looks up";
    EXPECT_LT(mouseDown.y, start.y);
    ExpectNear(mouseUp, pitched({true, 5}), 1e-6f);
    ExpectNear(mouseUp, pitched({true, -5}), 1e-6f);
    EXPECT_NEAR(1.0f, Length(mouseUp), 1e-5f);
}

TEST_F(ControlsTest, EnterAndTheOtherButtonsBringBackTheStartUpCamera)
{
    struct Reset {
        const char* name;
        void (*press)(bool down);
    } resets[] = {
        {"Enter", [](bool down) { QLTest_InjectKey(DIK_RETURN, down); }},
        {"keypad Enter", [](bool down) { QLTest_InjectKey(DIK_NUMPADENTER, down); }},
        {"right button", [](bool down) { QLTest_InjectMouseButton(1, down); }},
        {"middle button", [](bool down) { QLTest_InjectMouseButton(2, down); }},
        {"fourth button", [](bool down) { QLTest_InjectMouseButton(3, down); }},
    };
    for (const Reset& reset : resets) {
        SCOPED_TRACE(reset.name);
        // Pitch (which tilts the camera axis), turn and walk away.
        QLTest_InjectMouseButton(0, true);
        QLTest_InjectMouseMotion(7, -7);
        QLTest_InjectKey(DIK_UP, true);
        ASSERT_EQ(S_OK, Next());
        QLTest_InjectMouseButton(0, false);
        QLTest_InjectKey(DIK_UP, false);
        ASSERT_NE(StartEye(), Sample.eye);

        reset.press(true);
        ASSERT_EQ(S_OK, Next());
        reset.press(false);
        EXPECT_EQ(StartEye(), Sample.eye);
        ExpectNear(StartTarget(), Sample.target, 1e-6f);

        // The camera axis is upright again: a side step is horizontal.
        D3DXVECTOR3 eye = Sample.eye;
        QLTest_InjectKey(DIK_RIGHT, true);
        ASSERT_EQ(S_OK, Next());
        QLTest_InjectKey(DIK_RIGHT, false);
        EXPECT_NEAR(eye.y, Sample.eye.y, 1e-4f);
        ASSERT_EQ(S_OK, Next());
    }
}

TEST_F(ControlsTest, HeldKeysStartAnimationsEveryStepOnlyWithAModel)
{
    RecordingModel model;
    model.AddRef();
    QLTest_InjectKey(DIK_SPACE, true);
    ASSERT_EQ(S_OK, Next());
    ASSERT_EQ(S_OK, Next(&model));
    ASSERT_EQ(S_OK, Next(&model));
    QLTest_InjectKey(DIK_SPACE, false);
    QLTest_InjectKey(DIK_RCONTROL, true);
    ASSERT_EQ(S_OK, Next(&model));
    QLTest_InjectKey(DIK_RCONTROL, false);
    QLTest_InjectKey(DIK_LSHIFT, true);
    ASSERT_EQ(S_OK, Next(&model));
    QLTest_InjectKey(DIK_LSHIFT, false);
    ASSERT_EQ(S_OK, Next(&model));
    const std::vector<std::pair<uint32_t, float>> expected = {{6, 6.0f}, {6, 6.0f}, {4, 10.0f}, {4, 10.0f}};
    EXPECT_EQ(expected, model.started);
}

TEST_F(ControlsTest, UnreadableKeyboardSkipsTheStep)
{
    input->AcquireDevices(false);
    QLTest_FailCall("IDirectInputDevice8::Acquire", E_ACCESSDENIED, -1);
    QLTest_InjectKey(DIK_ESCAPE, true);
    EXPECT_EQ(S_FALSE, Next()) << "not E_FAIL: the Escape key was never read";
    EXPECT_NE(std::string::npos, std::string(Sample.helpText.Chars()).find("\n'F1' for showing this help"))
        << "the help stays whole while the keyboard cannot be read";
    QLTest_ClearFailures();
    EXPECT_EQ(E_FAIL, Next());
}

TEST_F(ControlsTest, MissingManagersAreRefused)
{
    EXPECT_EQ(QLE_SUBFUNCTION, InputProcess(nullptr, graphics, nullptr));
    EXPECT_EQ(QLE_SUBFUNCTION, InputProcess(input, nullptr, nullptr));
}

}  // namespace
