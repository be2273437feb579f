// One frame of the sample's main loop, without the loop: the light's steps,
// the frame-rate text and the scene time, on a clock the test sets.
#include "captureprobe.h"
#include "sampleapp.h"
#include "samplestate.h"
#include "controls.h"

#include "core/qlcore.h"

#include "support/engine_test_support.h"
#include "support/picture.h"
#include "support/stub_model.h"
#include "support/test_clock.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Steps of 1/128 s from 1024 s add up exactly: three are under the light's
// 25 ms, four over it.
constexpr double base = 1024.0;
constexpr double tick = 1.0 / 128.0;

// Registered with the graphics manager: the scene time each frame gives it.
class ClockedGeometry final : public StubGeometry<ClockedGeometry> {
public:
    QL_TYPE_NAME("ClockedGeometry")
    HRESULT Update(float elapsed) override
    {
        elapsedTimes.push_back(elapsed);
        return S_OK;
    }

    std::vector<float> elapsedTimes;
};

class SampleFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLTest_ClearFailures();
        ResetSampleState();
        ResetControls();
        SampleClock = TestClock::Now;
        TestClock::now = base;
        const char* source = getenv("QL_SOURCE_DIR");
        fontFile = std::string(source ? source : "..") + "/data/dejavu_sans_mono_512.tga";
        program.sceneFile = nullptr;
        program.fontFile = fontFile.c_str();
        program.width = 320;
        program.height = 240;
        ASSERT_EQ(S_OK, StartSample(engine, program));
        window = static_cast<QLCore*>(engine.core)->Window();
        ASSERT_EQ(S_OK, engine.graphics->AddGeometry(&clocked));
        StartFrameCounters(counters);
    }

    void TearDown() override
    {
        SampleClock = Timer;
        if (engine.graphics)
            engine.graphics->RemoveGeometry(&clocked);
        ReleaseSample(engine);
        EndCore(nullptr, window);
    }

    // One frame at `now`.
    void Frame(double now)
    {
        TestClock::now = now;
        LoopFailure failure;
        ASSERT_EQ(S_OK, DrawSampleFrame(engine, counters, &failure));
    }

    std::string fontFile;
    SampleProgram program;
    SampleEngine engine;
    HWND window = nullptr;
    FrameCounters counters;
    ClockedGeometry clocked;
};

}  // namespace

TEST_F(SampleFrameTest, LightStepsOnceAtMostPer25Milliseconds)
{
    // The first frame steps at once; then every fourth frame, the first
    // more than 25 ms after the last step.
    for (int k = 1; k <= 13; ++k) {
        SCOPED_TRACE(k);
        ASSERT_NO_FATAL_FAILURE(Frame(base + k * tick));
        float angle = 0.03f * (float)((k - 1) / 4 + 1);
        EXPECT_NEAR(angle, Sample.lightAngle, 1e-5f);
        const D3DVECTOR& position = engine.light.Position;
        EXPECT_NEAR(150.0f * sinf(angle), position.x, 1e-3f);
        EXPECT_NEAR(150.0f, position.y, 1e-3f);
        EXPECT_NEAR(150.0f * cosf(angle), position.z, 1e-3f);
    }
    // A long pause is still one step.
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2.0));
    EXPECT_NEAR(0.03f * 5, Sample.lightAngle, 1e-5f);
}

// A program whose light starts still at a chosen angle.
class StillLightFrameTest : public SampleFrameTest {
protected:
    void SetUp() override
    {
        program.lightStartAngle = 1.0f;
        program.lightStill = true;
        SampleFrameTest::SetUp();
    }
};

TEST_F(StillLightFrameTest, LightIsPlacedByTheFirstFrameAndStaysUntilLSetsItCircling)
{
    for (int k = 1; k <= 9; ++k) {
        SCOPED_TRACE(k);
        ASSERT_NO_FATAL_FAILURE(Frame(base + k * tick));
        const D3DVECTOR& position = engine.light.Position;
        EXPECT_NEAR(150.0f * sinf(1.0f), position.x, 1e-3f);
        EXPECT_NEAR(150.0f, position.y, 1e-3f);
        EXPECT_NEAR(150.0f * cosf(1.0f), position.z, 1e-3f);
    }
    D3DLIGHT9 onDevice = {};
    ASSERT_EQ(D3D_OK, engine.graphics->GetDevice()->GetLight(0, &onDevice));
    EXPECT_NEAR(150.0f * sinf(1.0f), onDevice.Position.x, 1e-3f);
    // Circling again, it goes on from where it stood.
    Sample.lightMoving = true;
    ASSERT_NO_FATAL_FAILURE(Frame(base + 10 * tick));
    EXPECT_NEAR(1.03f, Sample.lightAngle, 1e-5f);
}

TEST_F(SampleFrameTest, RateReadsZeroUntilASecondHasPassed)
{
    for (int k = 1; k < 128; ++k) {
        ASSERT_NO_FATAL_FAILURE(Frame(base + k * tick));
        ASSERT_EQ(std::string("FPS=0.00"), counters.rateText.Chars()) << "frame " << k;
    }
    // 128 frames in the second.
    ASSERT_NO_FATAL_FAILURE(Frame(base + 1.0));
    EXPECT_EQ(std::string("FPS=128.00"), counters.rateText.Chars());
    // The next second starts its own count: 2 frames in it.
    ASSERT_NO_FATAL_FAILURE(Frame(base + 1.5));
    EXPECT_EQ(std::string("FPS=128.00"), counters.rateText.Chars());
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2.0));
    EXPECT_EQ(std::string("FPS=2.00"), counters.rateText.Chars());
}

TEST_F(SampleFrameTest, RatesFromAThousandUpAreShownWhole)
{
    // 2048 frames in the second, then 3 in a third of a second.
    for (int k = 1; k <= 2048; ++k)
        ASSERT_NO_FATAL_FAILURE(Frame(base + k / 2048.0));
    EXPECT_EQ(std::string("FPS=2048.00"), counters.rateText.Chars());
    ASSERT_NO_FATAL_FAILURE(Frame(base + 1.0 + 1.0 / 3));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 1.0 + 2.0 / 3));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2.5));
    EXPECT_EQ(std::string("FPS=2.00"), counters.rateText.Chars());
}

TEST_F(SampleFrameTest, CentreMarkerIsLeftOutOnRequest)
{
    // Nothing but the marker covers the middle of this scene-less frame.
    auto middle = [] {
        Picture frame = PresentedFrame();
        return frame.pixels.empty() ? 0u : frame.At(frame.width / 2, frame.height / 2) & 0xFFFFFF;
    };
    ASSERT_NO_FATAL_FAILURE(Frame(base + tick));
    uint32_t marked = middle();
    program.centreMarker = false;
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2 * tick));
    uint32_t plain = middle();
    EXPECT_EQ(0x000050u, plain) << std::hex << plain << ": the clear colour";
    EXPECT_NE(plain, marked) << "the sample's own frame has the marker";
}

TEST_F(SampleFrameTest, SceneRunsAtFourFifthsOfRealTime)
{
    ASSERT_NO_FATAL_FAILURE(Frame(base + tick));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 0.5));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 0.5));
    ASSERT_EQ(3u, clocked.elapsedTimes.size());
    EXPECT_FLOAT_EQ(0.8f * (float)tick, clocked.elapsedTimes[0]);
    EXPECT_FLOAT_EQ(0.8f * (float)(0.5 - tick), clocked.elapsedTimes[1]);
    EXPECT_EQ(0.0f, clocked.elapsedTimes[2]);
    EXPECT_EQ(3u, counters.framesRendered);
}

namespace {

// What a program's hooks saw of the run, through the user pointer the
// program hands back to each.
struct HookCalls {
    uint32_t created = 0, animated = 0, framesBegun = 0, released = 0;
    HWND window = nullptr;
};

HookCalls& CallsOf(void* user)
{
    return *static_cast<HookCalls*>(user);
}

HRESULT CountCreate(SampleEngine&, void* user)
{
    ++CallsOf(user).created;
    return S_OK;
}

void CountAnimate(SampleEngine&, void* user, float)
{
    ++CallsOf(user).animated;
}

HRESULT CountFrame(SampleEngine& engine, void* user)
{
    ++CallsOf(user).framesBegun;
    CallsOf(user).window = static_cast<QLCore*>(engine.core)->Window();
    return S_OK;
}

void CountRelease(SampleEngine&, void* user)
{
    ++CallsOf(user).released;
}

// A scene-less program of `width` x `height` whose hooks count into `calls`.
SampleProgram CountingProgram(const std::string& font, uint32_t width, uint32_t height, HookCalls& calls)
{
    SampleProgram program;
    program.sceneFile = nullptr;
    program.fontFile = font.c_str();
    program.width = width;
    program.height = height;
    program.user = &calls;
    program.beforeFrame = CountFrame;
    return program;
}

std::string FontFile()
{
    const char* source = getenv("QL_SOURCE_DIR");
    return std::string(source ? source : "..") + "/data/dejavu_sans_mono_512.tga";
}

}  // namespace

TEST(SampleRun, AScreenshotThatCannotBeWrittenEndsTheRun)
{
    std::string font = FontFile();
    HookCalls calls;
    SampleProgram program = CountingProgram(font, 160, 120, calls);
    program.screenshotFile = "no_such_folder/shot.png";
    // The limit only keeps a run that goes on from running for ever.
    program.frameLimit = 60;
    EXPECT_EQ(1, RunSample(program));
    EndCore(nullptr, calls.window);
    EXPECT_EQ(6u, calls.framesBegun) << "the run ends with the frame of its one attempt";
}

// The hooks keep their state in what the program's user pointer points to:
// each gets it back, once per start, frame and end.
TEST(SampleRun, EveryHookGetsTheProgramsUserPointer)
{
    std::string font = FontFile();
    HookCalls calls;
    SampleProgram program = CountingProgram(font, 160, 120, calls);
    program.createModels = CountCreate;
    program.animateModels = CountAnimate;
    program.releaseModels = CountRelease;
    program.frameLimit = 3;
    EXPECT_EQ(0, RunSample(program));
    EndCore(nullptr, calls.window);
    EXPECT_EQ(1u, calls.created);
    EXPECT_EQ(3u, calls.framesBegun);
    EXPECT_EQ(3u, calls.animated);
    EXPECT_EQ(1u, calls.released);
}

namespace {

// A model with no shadow data: drawn whole, one object, no volume.
class PlainModel final : public StubModel<PlainModel> {
public:
    QL_TYPE_NAME("PlainModel")
};

}  // namespace

// The help's line counts what the frame before drew.
TEST_F(SampleFrameTest, HelpCountsTheObjectsAndVolumesOfTheFrameBefore)
{
    ASSERT_NO_FATAL_FAILURE(Frame(base + tick));
    EXPECT_EQ(std::string("\nObjects drawn : 0 / 0, shadow volumes : 0"), counters.statisticsText.Chars());
    PlainModel model;
    model.AddRef();
    ASSERT_EQ(S_OK, engine.graphics->AddGeometry(&model));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2 * tick));
    ASSERT_NO_FATAL_FAILURE(Frame(base + 3 * tick));
    EXPECT_EQ(std::string("\nObjects drawn : 1 / 1, shadow volumes : 0"), counters.statisticsText.Chars());
    engine.graphics->RemoveGeometry(&model);
}

// The screenshots' probe, registered after the font, copies the finished
// frame: every pixel as presented, in R, G, B order, rows top-down.
TEST_F(SampleFrameTest, ProbeCopiesTheFinishedFrame)
{
    CaptureProbe* probe = nullptr;
    ASSERT_EQ(S_OK, CaptureProbe::Create(engine.graphics, &probe));
    CapturedImage image;
    probe->Arm(&image);
    ASSERT_NO_FATAL_FAILURE(Frame(base + tick));
    EXPECT_EQ(S_OK, probe->LastResult());
    std::vector<uint32_t> presented;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&presented, &width, &height));
    ASSERT_EQ(320u, image.width);
    ASSERT_EQ(240u, image.height);
    ASSERT_EQ(width * height, image.width * image.height);
    uint32_t differing = 0;
    for (size_t p = 0; p < presented.size(); ++p) {
        const uint8_t* rgb = &image.rgb[p * 3];
        uint32_t copied = (uint32_t)rgb[0] << 16 | (uint32_t)rgb[1] << 8 | rgb[2];
        differing += copied != (presented[p] & 0xFFFFFF);
    }
    EXPECT_EQ(0u, differing) << "of " << presented.size() << " pixels";
    // Disarmed: the next frame leaves the copy alone.
    image.rgb.assign(image.rgb.size(), 0);
    ASSERT_NO_FATAL_FAILURE(Frame(base + 2 * tick));
    EXPECT_EQ(image.rgb.size(), (size_t)std::count(image.rgb.begin(), image.rgb.end(), 0));
    probe->Release();
}
