// Frame-time harness: the sample's own frame (the park, one shadowing point
// light, the texts) drawn headless at 800 x 600 with stencil shadows, the
// light held still. Side by side, in interleaved rounds:
//   - the frame the old way (every volume counted in front of the scene,
//     two one-sided draws) against the new way, from the start-up camera;
//   - the new frame against the frame without culling, scissor and range,
//     its caps decided for the whole park at once, from the start-up camera
//     from inside the fountain's shadow, and with the light of range 120
//     over a lamp post;
//   - the new frame with the camera inside the fountain's shadow against
//     the start-up camera;
//   - standard lighting, for scale;
//   - the new frame against the same passes written by hand in OpenGL
//     (lean_frame.h), in its own window and context, from the start-up
//     camera.
// Prints each setting's median milliseconds per frame and, per round, the
// ratios, with their median and spread over the rounds.
//   bench_sample_frame [frames per round] [rounds] [picture prefix]
// (run from the folder that holds data/); with a prefix, the first round's
// last frames of the engine and of the hand-written frame are saved as
// <prefix>-engine.png and <prefix>-lean.png, to compare them by eye. A
// fourth argument times only the setting of that name (for a profiler).
#include "captureprobe.h"
#include "frame_harness.h"
#include "lean_frame.h"
#include "sampleapp.h"
#include "samplesettings.h"
#include "samplestate.h"

#include "graphics/qlgraphics.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Setting {
    const char* name;
    bool stencil;
    bool oldWay;
    bool eyeInShadow;
    std::vector<double> medians;  // per round, ms per frame
    bool unculled = false;  // no culling, caps decided per model
    bool lamp = false;      // the light of range 120 at a lamp post instead
    std::vector<double> cpu = {};  // per round, processor ms per frame over all threads
    bool lean = false;      // the hand-written frame instead of the engine's
    std::vector<double> mainThread = {};  // per round, the main thread's share of cpu
};

// Processor milliseconds per frame: the whole process's, and the main
// thread's alone (the frame's own code, the driver's front end and vertex
// processing; the rest is the rasteriser's threads).
struct ProcessorTime {
    double all = 0, main = 0;
};

// The light held where it starts its circle, at angle 0: (0, 150, 150).
// From there the fountain's bowl shades the point 32 units north of its
// axis, 12 up: the eye looks away from the light, over the shaded basin.
const D3DXVECTOR3 kLight(0.0f, 150.0f, 150.0f);
const D3DXVECTOR3 kShadedEye(0.0f, 12.0f, -32.0f), kShadedTarget(0.0f, 0.0f, -150.0f);
// Beside the first of the park's lamp posts (84 units out at 22.5 degrees),
// under its head, with the range of a street lamp: culling by range and
// scissor.
const D3DXVECTOR3 kLamp(80.4f, 52.0f, 33.3f);
const float kLampRange = 120.0f;

HRESULT Prepare(SampleEngine& engine, const Setting& s)
{
    Sample.stencilShadow = s.stencil;
    HRESULT result = engine.graphics->SetStencilShadow(s.stencil);
    if (FAILED(result))
        return result;
    ShadowVolumeOptions options;
    options.capsWhereNeeded = options.twoSidedStencil = !s.oldWay;
    options.capsPerObject = options.volumesToFloor = !s.unculled;
    static_cast<QLGraphics*>(engine.graphics)->SetShadowVolumeOptions(options);
    static_cast<QLGraphics*>(engine.graphics)->SetCulling(!s.unculled);
    D3DLIGHT9 light = engine.light;
    light.Position = s.lamp ? kLamp : kLight;
    light.Range = s.lamp ? kLampRange : engine.light.Range;
    result = engine.graphics->SetLight(0, true, &light);
    if (FAILED(result))
        return result;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    const D3DXVECTOR3 eye = s.eyeInShadow ? kShadedEye : StartEye();
    const D3DXVECTOR3 target = s.eyeInShadow ? kShadedTarget : StartTarget();
    return engine.graphics->SetCamera(&eye, &target, &up);
}

double ProcessMilliseconds(int who = RUSAGE_SELF)
{
    rusage usage;
    getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
}

// Frames as the main loop draws them; the median of their times, and the
// processor time per frame of the whole process (the rasteriser's threads
// included), which other work on a shared machine disturbs less.
bool TimeFrames(SampleEngine& engine, FrameCounters& counters, int frames, double* median, ProcessorTime* cpu = nullptr)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    const double cpuStart = ProcessMilliseconds(), mainStart = ProcessMilliseconds(RUSAGE_THREAD);
    for (int i = 0; i < frames; ++i) {
        Clock::time_point start = Clock::now();
        engine.core->Update();
        Sample.helpText = "Controls :";
        if (FAILED(DrawSampleFrame(engine, counters, nullptr)))
            return false;
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (median)
        *median = Median(ms);
    if (cpu)
        *cpu = {(ProcessMilliseconds() - cpuStart) / frames,
                (ProcessMilliseconds(RUSAGE_THREAD) - mainStart) / frames};
    return true;
}

// The hand-written frame, timed as TimeFrames times the engine's.
void TimeLeanFrames(LeanFrame& lean, int frames, double* median, ProcessorTime* cpu)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> ms;
    const double cpuStart = ProcessMilliseconds(), mainStart = ProcessMilliseconds(RUSAGE_THREAD);
    for (int i = 0; i < frames; ++i) {
        Clock::time_point start = Clock::now();
        lean.Draw("Press 'F1' for the help");
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (median)
        *median = Median(ms);
    if (cpu)
        *cpu = {(ProcessMilliseconds() - cpuStart) / frames,
                (ProcessMilliseconds(RUSAGE_THREAD) - mainStart) / frames};
}

void PrintRatio(const char* name, const Setting& top, const Setting& bottom)
{
    std::vector<double> ratios, cpuRatios, mainRatios;
    if (top.medians.empty() || bottom.medians.empty())
        return;
    for (size_t r = 0; r < top.medians.size(); ++r) {
        ratios.push_back(top.medians[r] / bottom.medians[r]);
        cpuRatios.push_back(top.cpu[r] / bottom.cpu[r]);
        mainRatios.push_back(top.mainThread[r] / bottom.mainThread[r]);
    }
    std::printf("%-40s median %.3f, min %.3f, max %.3f over %zu rounds; processor time %.3f [%.3f..%.3f], "
                "main thread %.3f [%.3f..%.3f]\n",
                name, Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), ratios.size(), Median(cpuRatios),
                *std::min_element(cpuRatios.begin(), cpuRatios.end()),
                *std::max_element(cpuRatios.begin(), cpuRatios.end()), Median(mainRatios),
                *std::min_element(mainRatios.begin(), mainRatios.end()),
                *std::max_element(mainRatios.begin(), mainRatios.end()));
}

}  // namespace

int main(int argc, char** argv)
{
    const FrameRounds run = FrameRoundsFrom(argc, argv, {60, 7});
    const int frames = run.frames, rounds = run.rounds;

    SampleEngine engine;
    FrameCounters counters;
    if (!StartFrameHarness(engine, DefaultSampleProgram(), counters,
                           "bench_sample_frame: start-up failed (run it from the folder that holds data/)"))
        return 1;
    ScreenMode mode = {};
    engine.graphics->GetScreenMode(&mode);
    Sample.lightMoving = false;
    engine.light.Position = kLight;
    engine.graphics->SetLight(0, true, &engine.light);

    Setting settings[] = {
        {"old frame (depth-pass, two draws)", true, true, false, {}},
        {"new frame", true, false, false, {}},
        {"new frame, eye in the fountain's shadow", true, false, true, {}},
        {"standard lighting", false, false, false, {}},
        {"frame unculled, caps per model", true, false, false, {}, true},
        {"unculled, eye in the fountain's shadow", true, false, true, {}, true},
        {"new frame, lamp light", true, false, false, {}, false, true},
        {"unculled, lamp light", true, false, false, {}, true, true},
        {"hand-written OpenGL frame", true, false, false, {}, false, false, {}, true},
    };
    LeanFrame lean;
    if (!lean.Start(SampleSettings::parkFile, SampleSettings::fontFile, UINT(mode.width), UINT(mode.height))) {
        ReleaseSample(engine);
        return 1;
    }
    lean.SetScene(StartEye(), StartTarget(), engine.light, SampleSettings::globalAmbient);
    // The probe only when pictures are asked for: it adds an overlay to the frame.
    const std::string prefix = argc > 3 ? argv[3] : "";
    const char* only = argc > 4 ? argv[4] : "";
    CaptureProbe* probe = nullptr;
    if (!prefix.empty() && FAILED(CaptureProbe::Create(engine.graphics, &probe)))
        std::fprintf(stderr, "bench_sample_frame: no capture of the engine's frame\n");
    CapturedImage engineFrame;
    int status = 0;
    for (int round = 0; round < rounds && status == 0; ++round)
        for (Setting& s : settings) {
            double median = 0;
            ProcessorTime cpu;
            if (*only && std::strcmp(s.name, only) != 0) {
                continue;
            } else if (s.lean) {
                TimeLeanFrames(lean, 5, nullptr, nullptr);
                TimeLeanFrames(lean, frames, &median, &cpu);
                if (!prefix.empty() && round == 0 && !lean.Save((prefix + "-lean.png").c_str()))
                    std::fprintf(stderr, "bench_sample_frame: %s-lean.png could not be written\n", prefix.c_str());
            } else if (FAILED(Prepare(engine, s)) || !TimeFrames(engine, counters, 5, nullptr) ||
                !TimeFrames(engine, counters, frames, &median, &cpu)) {
                std::fprintf(stderr, "bench_sample_frame: a frame failed\n");
                status = 1;
                break;
            } else if (probe && round == 0 && &s == &settings[1]) {
                probe->Arm(&engineFrame);
                if (!TimeFrames(engine, counters, 1, nullptr) || !SavePng(engineFrame, (prefix + "-engine.png").c_str()))
                    std::fprintf(stderr, "bench_sample_frame: %s-engine.png could not be written\n", prefix.c_str());
            }
            s.medians.push_back(median);
            s.cpu.push_back(cpu.all);
            s.mainThread.push_back(cpu.main);
        }
    if (status == 0) {
        std::printf("%d rounds of %d frames, %dx%d back buffer, light held at (0, 150, 150)\n", rounds, frames,
                    mode.width, mode.height);
        for (const Setting& s : settings)
            if (!s.medians.empty())
                std::printf("%-40s median %.2f ms/frame (rounds from %.2f to %.2f), processor %.2f ms/frame "
                            "(main thread %.2f)\n",
                            s.name, Median(s.medians), *std::min_element(s.medians.begin(), s.medians.end()),
                            *std::max_element(s.medians.begin(), s.medians.end()), Median(s.cpu),
                            Median(s.mainThread));
        PrintRatio("new / old frame", settings[1], settings[0]);
        PrintRatio("eye in shadow / outside, new frame", settings[2], settings[1]);
        PrintRatio("new / unculled frame", settings[1], settings[4]);
        PrintRatio("new / unculled, eye in shadow", settings[2], settings[5]);
        PrintRatio("new / unculled, lamp light", settings[6], settings[7]);
        PrintRatio("engine / hand-written frame", settings[1], settings[8]);
    }
    ReleaseHeld(probe);
    ReleaseSample(engine);
    return status;
}
