// Frame-time harness for the skinned demo's crowd: the demo's frame (the park,
// the creatures, one shadowing point light, the texts) drawn headless at
// 800 x 600 with stencil shadows on, for crowds of 1, 8 and 32 creatures, on
// the scalar skinning path and on the fastest one this processor has. Beside
// each frame time: the processor time of the creatures' updates (sampling,
// hierarchy, skinning into their buffers), timed apart on the same pose, and
// its share of the frame.
//   bench_crowd_frame [frames]          every crowd, each in a process of its own
//   bench_crowd_frame --crowd N [frames]
// Run from the folder that holds data/.
#include "crowd.h"
#include "frame_harness.h"
#include "samplestate.h"
#include "controls.h"

#include "models/skinned/skinning.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Spread {
    double median, p10, p90;
};

Spread SpreadOf(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    auto at = [&](double fraction) { return ms[(size_t)(fraction * (ms.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.1), at(0.9)};
}

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

int RunCrowd(uint32_t creatures, int frames)
{
    ResetControls();
    Crowd crowd;
    SetCrowdSize(crowd, creatures);
    SampleProgram demo;
    demo.title = "Quarlight Skinned Demo";
    UseCrowd(demo, crowd);
    SampleEngine engine;
    FrameCounters counters;
    if (!StartFrameHarness(engine, demo, counters,
                           "bench_crowd_frame: start-up failed (run it from the folder that holds data/)"))
        return 1;

    int status = 0;
    for (SkinningPath path : {SkinningPath::Scalar, DefaultSkinningPath()}) {
        SelectSkinningPath(path);
        std::vector<double> frame, updates;
        for (int i = 0; i < frames + 5 && status == 0; ++i) {
            auto start = std::chrono::steady_clock::now();
            engine.core->Update();
            Sample.helpText = "Controls :";
            if (FAILED(DrawSampleFrame(engine, counters, nullptr)))
                status = 1;
            double frameMs = Milliseconds(start);
            // The same updates again on the pose just drawn (no time passes).
            start = std::chrono::steady_clock::now();
            for (uint32_t c = 0; IModel* creature = CrowdCreature(engine, crowd, c); ++c)
                creature->Update(0.0f);
            double updateMs = Milliseconds(start);
            if (i >= 5) {  // the first frames warm the caches and the driver
                frame.push_back(frameMs);
                updates.push_back(updateMs);
            }
        }
        if (status != 0) {
            std::fprintf(stderr, "bench_crowd_frame: a frame failed\n");
            break;
        }
        Spread f = SpreadOf(frame), u = SpreadOf(updates);
        std::printf("crowd %2u, %-6s skinning: frame %8.2f ms [p10 %.2f, p90 %.2f]; creatures' updates %6.2f ms "
                    "[%.2f, %.2f], %4.1f %% of the frame\n",
                    creatures, SkinningPathName(path), f.median, f.p10, f.p90, u.median, u.p10, u.p90,
                    100.0 * u.median / f.median);
    }
    ReleaseSample(engine);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--crowd") == 0) {
        int frames = argc > 3 ? std::atoi(argv[3]) : 40;
        return RunCrowd((uint32_t)std::atoi(argv[2]), frames < 5 ? 5 : frames);
    }
    // One process per crowd: an application makes its core and window once.
    const char* frames = argc > 1 ? argv[1] : "40";
    std::printf("stencil shadows on, 800 x 600, median over %s frames\n", frames);
    std::fflush(stdout);
    int status = 0;
    for (const char* creatures : {"1", "8", "32"}) {
        std::string command = std::string("\"") + argv[0] + "\" --crowd " + creatures + " " + frames;
        status |= std::system(command.c_str());
    }
    return status == 0 ? 0 : 1;
}
