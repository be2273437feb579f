// One frame of the sample's main loop, without the loop: the light's steps,
// the frame-rate text and the scene time, on a clock the test sets.
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
        fontFile = std::string(source ? source : "..") + "/data/lucida_console_512.tga";
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

uint32_t framesBegun = 0;
HWND runWindow = nullptr;
HRESULT CountFrame(SampleEngine& engine)
{
    ++framesBegun;
    runWindow = static_cast<QLCore*>(engine.core)->Window();
    return S_OK;
}

}  // namespace

TEST(SampleRun, AScreenshotThatCannotBeWrittenEndsTheRun)
{
    const char* source = getenv("QL_SOURCE_DIR");
    std::string font = std::string(source ? source : "..") + "/data/lucida_console_512.tga";
    SampleProgram program;
    program.sceneFile = nullptr;
    program.fontFile = font.c_str();
    program.width = 160;
    program.height = 120;
    program.screenshotFile = "no_such_folder/shot.png";
    program.beforeFrame = CountFrame;
    // The limit only keeps a run that goes on from running for ever.
    program.frameLimit = 60;
    framesBegun = 0;
    EXPECT_EQ(1, RunSample(program));
    EndCore(nullptr, runWindow);
    EXPECT_EQ(6u, framesBegun) << "the run ends with the frame of its one attempt";
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
