// A device lost at any point of a frame or of a load: the frame that finds
// the loss gives S_FALSE with the "Device Lost" warning, the next frames wait,
// and the first frame after the reset shows the scene exactly as before.
#include "scene_fixture.h"

#include <random>

namespace {

const D3DXVECTOR3 kBoxLo(-5.0f, 0.0f, -5.0f), kBoxHi(5.0f, 10.0f, 5.0f);

// Where in a frame the device goes.
enum class LossPoint { BeforeFrame, Clear, BeginScene, AmbientPass, ShadowPass, Present, Count };

// The device goes during the next frame, which notices at that point.
void LoseAt(LossPoint point, TestModel* box)
{
    switch (point) {
    case LossPoint::BeforeFrame:
        QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
        break;
    case LossPoint::Clear:
        QLTest_FailCall("IDirect3DDevice9::Clear", D3DERR_DEVICELOST);
        break;
    case LossPoint::BeginScene:
        QLTest_FailCall("IDirect3DDevice9::BeginScene", D3DERR_DEVICELOST);
        break;
    case LossPoint::AmbientPass:
        box->onUpdate = [](IGraphics*) {
            QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
            return S_OK;
        };
        break;
    case LossPoint::ShadowPass:
        box->onShadowInfos = [] { QLTest_ForceDeviceState(QLTEST_DEVICE_LOST); };
        break;
    case LossPoint::Present:
        QLTest_FailCall("IDirect3DDevice9::Present", D3DERR_DEVICELOST);
        break;
    case LossPoint::Count:
        break;
    }
}

// A real loss lasts: every later cooperative-level test says so.
void StayLost()
{
    QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
}

class DeviceLossTest : public SceneTest {
protected:
    void SetUp() override
    {
        SceneTest::SetUp();
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        D3DLIGHT9 left = PointLight(D3DXVECTOR3(-30.0f, 50.0f, 0.0f), 0.5f);
        D3DLIGHT9 right = PointLight(D3DXVECTOR3(25.0f, 45.0f, 10.0f), 0.4f);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &left));
        ASSERT_EQ(S_OK, graphics->SetLight(3, true, &right));
        AddPlane();
        // A windowed device is created at 640 x 480 and reset at the
        // window's client size: settle that first, so every reset keeps it.
        QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
        Frame();
    }

    TestModel* AddBox() { return AddModel(MakeBox(kBoxLo, kBoxHi), "box"); }

    // A frame the lost device did not show.
    void ExpectLostFrame()
    {
        size_t before = NewLog().size();
        EXPECT_EQ(S_FALSE, graphics->UpdateAndRender(0.02f));
        std::string log = NewLog().substr(before);
        EXPECT_NE(std::string::npos, log.find("Warning : \"Device Lost\"")) << log;
        EXPECT_EQ(std::string::npos, log.find("Error")) << log;
    }

    // The device is back: the next frame resets it and shows the scene.
    void ExpectFrameAfterReset(const Picture& reference, const char* what)
    {
        QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
        Picture after = Frame();
        ASSERT_EQ(reference.pixels.size(), after.pixels.size()) << what;
        EXPECT_TRUE(reference.pixels == after.pixels) << what;
    }
};

}  // namespace

TEST_F(DeviceLossTest, LossAtEachPointOfAFrameWaitsAndResets)
{
    TestModel* box = AddBox();
    ASSERT_NE(nullptr, box);
    const Picture reference = Frame();
    const struct {
        LossPoint point;
        const char* name;
    } cases[] = {{LossPoint::Present, "at Present"},
                 {LossPoint::BeginScene, "at BeginScene"},
                 {LossPoint::ShadowPass, "between the shadow and lit passes"}};
    for (const auto& c : cases) {
        LoseAt(c.point, box);
        ExpectLostFrame();
        StayLost();
        ExpectLostFrame();
        ExpectFrameAfterReset(reference, c.name);
    }
    EXPECT_EQ(std::string::npos, NewLog().find("Rendering failed"));
}

TEST_F(DeviceLossTest, ModelLoadedWhileLostIsDrawnAfterTheReset)
{
    TestModel* box = AddBox();
    ASSERT_NE(nullptr, box);
    const Picture reference = Frame();
    box->Release();
    models.pop_back();

    QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
    ExpectLostFrame();
    ASSERT_NE(nullptr, AddBox());
    ExpectLostFrame();
    ExpectFrameAfterReset(reference, "model loaded while lost");
}

TEST_F(DeviceLossTest, HundredLossesAtRandomPointsOfRandomFrames)
{
    TestModel* box = AddBox();
    ASSERT_NE(nullptr, box);
    const Picture reference = Frame();
    std::mt19937 random(16);
    int losses[int(LossPoint::Count)] = {};
    int compared = 0, lost = 0;
    for (int cycle = 0; cycle < 100 && !HasFailure(); ++cycle) {
        for (int frames = random() % 3; frames > 0; --frames, ++compared)
            ASSERT_TRUE(reference.pixels == Frame().pixels) << "cycle " << cycle;
        LossPoint point = LossPoint(random() % int(LossPoint::Count));
        ++losses[int(point)];
        LoseAt(point, box);
        ExpectLostFrame();
        StayLost();
        for (int frames = random() % 3; frames > 0; --frames, ++lost)
            ExpectLostFrame();
        ExpectFrameAfterReset(reference, ("cycle " + std::to_string(cycle)).c_str());
        ++compared;
    }
    for (int count : losses)
        EXPECT_GT(count, 5) << "every point of a frame loses the device several times";
    RecordProperty("frames_compared", compared);
    RecordProperty("frames_lost", lost + 100);
}

// A mode change pending when the device goes waits for the device as the
// frame does, also when the device goes again at the reset, and the first
// frame after the reset has the new size.
TEST_F(DeviceLossTest, PendingModeChangeWaitsForTheDevice)
{
    ResizeClientArea(640, 480);
    models[0]->onUpdate = [](IGraphics* graphics) { return graphics->UpdateScreenMode(); };
    ASSERT_EQ(800u, Frame().width) << "the change waits for the next frame";
    StayLost();
    ExpectLostFrame();
    QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
    QLTest_FailCall("IDirect3DDevice9::Reset", D3DERR_DEVICELOST);
    ExpectLostFrame();
    const Picture after = Frame();
    EXPECT_EQ(640u, after.width);
    EXPECT_EQ(480u, after.height);
}
