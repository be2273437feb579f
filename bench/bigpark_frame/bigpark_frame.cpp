// Frame-time harness: the big park (parkgen --big) lit by the four street
// lamps round the fountain (range 120, over the lamp heads), drawn headless
// at 800 x 600 with stencil shadows while the camera walks between the trees
// at eye height. Side by side, in interleaved rounds over the same walk:
// culling, scissor and range on against all of them off (caps then decided
// for the whole park at once). Prints each setting's median milliseconds per
// frame, the objects and volumes drawn, and the ratio per round with its
// median and spread.
//   bench_bigpark_frame [frames per round] [rounds]   (run from its build folder)
#include "frame_harness.h"

#include "graphics/qlgraphics.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Over the heads of the four lamp posts nearest the fountain (84 units out,
// 22.5 degrees either side of the east-west and north-south axes), as
// parkgen --lamps 4 prints them; engine axes.
const D3DXVECTOR3 kLamps[4] = {
    {77.6f, 72.0f, 32.1f}, {32.1f, 72.0f, 77.6f}, {-32.1f, 72.0f, 77.6f}, {-77.6f, 72.0f, 32.1f}};
const float kLampRange = 120.0f;

struct Setting {
    const char* name;
    bool culled;
    std::vector<double> medians;  // per round, ms per frame
    FrameStatistics statistics;   // of the walk's last frame
};

// The walk: from the park's south edge up the lawn east of the avenue, past
// the fountain, eyes 18 units up, looking ahead and a little towards the
// middle. Frame i of n.
void WalkCamera(IGraphics* graphics, int i, int n)
{
    float t = n > 1 ? (float)i / (float)(n - 1) : 0.0f;
    const D3DXVECTOR3 eye(45.0f, 18.0f, -300.0f + 450.0f * t);
    const D3DXVECTOR3 target(20.0f, 14.0f, eye.z + 100.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    graphics->SetCamera(&eye, &target, &up);
}

HRESULT Prepare(SampleEngine& engine, const Setting& s)
{
    ShadowVolumeOptions options;
    options.capsPerObject = options.volumesToFloor = s.culled;
    QLGraphics* graphics = static_cast<QLGraphics*>(engine.graphics);
    graphics->SetShadowVolumeOptions(options);
    graphics->SetCulling(s.culled);
    return S_OK;
}

bool TimeWalk(SampleEngine& engine, FrameCounters& counters, int frames, double* median)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    for (int i = 0; i < frames; ++i) {
        WalkCamera(engine.graphics, i, frames);
        Clock::time_point start = Clock::now();
        engine.core->Update();
        if (FAILED(DrawSampleFrame(engine, counters, nullptr)))
            return false;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (median)
        *median = Median(ms);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const FrameRounds run = FrameRoundsFrom(argc, argv, {40, 5});
    const int frames = run.frames, rounds = run.rounds;

    SampleProgram program;
    program.sceneFile = "bigpark/bigpark.3ds";
    program.lightStill = true;
    SampleEngine engine;
    FrameCounters counters;
    if (!StartFrameHarness(engine, program, counters,
                           "bench_bigpark_frame: start-up failed (run it from its build folder)"))
        return 1;
    // The first frame places the sample's light; the lamps then take over.
    if (FAILED(DrawSampleFrame(engine, counters, nullptr))) {
        ReleaseSample(engine);
        return 1;
    }
    for (int l = 0; l < 4; ++l) {
        D3DLIGHT9 lamp = engine.light;
        lamp.Position = kLamps[l];
        lamp.Range = kLampRange;
        lamp.Attenuation0 = 0.6f;
        lamp.Attenuation1 = 0.006f;
        if (FAILED(engine.graphics->SetLight(l, true, &lamp))) {
            std::fprintf(stderr, "bench_bigpark_frame: light %d refused\n", l);
            ReleaseSample(engine);
            return 1;
        }
    }

    Setting settings[] = {{"culled, scissored, ranged", true, {}, {}}, {"unculled", false, {}, {}}};
    int status = 0;
    for (int round = 0; round < rounds && status == 0; ++round)
        for (Setting& s : settings) {
            double median = 0;
            if (FAILED(Prepare(engine, s)) || !TimeWalk(engine, counters, frames, &median)) {
                std::fprintf(stderr, "bench_bigpark_frame: a frame failed\n");
                status = 1;
                break;
            }
            s.medians.push_back(median);
            s.statistics = static_cast<QLGraphics*>(engine.graphics)->LastFrameStatistics();
        }
    if (status == 0) {
        ScreenMode mode = {};
        engine.graphics->GetScreenMode(&mode);
        std::printf("%d rounds of a %d-frame walk, %dx%d back buffer, four lamp lights of range %.0f\n", rounds,
                    frames, mode.width, mode.height, kLampRange);
        for (const Setting& s : settings)
            std::printf("%-28s median %.2f ms/frame (rounds from %.2f to %.2f); last frame: %u of %u objects, "
                        "%u volumes\n",
                        s.name, Median(s.medians), *std::min_element(s.medians.begin(), s.medians.end()),
                        *std::max_element(s.medians.begin(), s.medians.end()), s.statistics.objectsDrawn,
                        s.statistics.objectsInScene, s.statistics.volumesDrawn);
        std::vector<double> ratios;
        for (size_t r = 0; r < settings[0].medians.size(); ++r)
            ratios.push_back(settings[0].medians[r] / settings[1].medians[r]);
        std::printf("%-28s median %.3f, min %.3f, max %.3f over %zu rounds\n", "culled / unculled", Median(ratios),
                    *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                    ratios.size());
    }
    ReleaseSample(engine);
    return status;
}
