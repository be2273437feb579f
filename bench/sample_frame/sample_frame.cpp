// Frame-time harness: the sample's own frame (the park, one shadowing point
// light, the texts) drawn headless at 800 x 600, with stencil shadows on and
// then off. Prints the median and the spread of milliseconds per frame.
//   bench_sample_frame [frames]   (run from the folder that holds data/)
#include <sampleapp.h>
#include <samplestate.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Figures {
    double median, p10, p90, min, max;
};

Figures Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    auto at = [&](double fraction) { return ms[(size_t)(fraction * (ms.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.1), at(0.9), ms.front(), ms.back()};
}

// Frames as the main loop draws them, timed one by one.
bool TimeFrames(SampleEngine& engine, FrameCounters& counters, int frames, std::vector<double>* ms)
{
    using Clock = std::chrono::steady_clock;
    for (int i = 0; i < frames; ++i) {
        Clock::time_point start = Clock::now();
        engine.core->Update();
        Sample.helpText = "Controls :";
        if (FAILED(DrawSampleFrame(engine, counters, nullptr)))
            return false;
        if (ms)
            ms->push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames < 10)
        frames = 10;
    // Headless unless told otherwise (the stand-in reads this; Windows ignores it).
    static char headless[] = "SDL_VIDEODRIVER=offscreen";
    if (!std::getenv("SDL_VIDEODRIVER"))
        putenv(headless);

    ResetSampleState();
    SampleEngine engine;
    if (FAILED(StartSample(engine))) {
        std::fprintf(stderr, "bench_sample_frame: start-up failed (run it from the folder that holds data/)\n");
        ReleaseSample(engine);
        return 1;
    }
    FrameCounters counters;
    StartFrameCounters(counters);
    // Windowed, the back buffer keeps the size the device was made with.
    ScreenMode mode = {};
    engine.graphics->GetScreenMode(&mode);

    int status = 0;
    for (bool stencil : {true, false}) {
        Sample.stencilShadow = stencil;
        engine.graphics->SetStencilShadow(stencil);
        std::vector<double> ms;
        if (!TimeFrames(engine, counters, 20, nullptr) || !TimeFrames(engine, counters, frames, &ms)) {
            std::fprintf(stderr, "bench_sample_frame: a frame failed\n");
            status = 1;
            break;
        }
        Figures f = Summarise(ms);
        std::printf("%-16s %d frames, 800x600 window, %dx%d back buffer: median %.2f ms/frame, p10 %.2f, p90 %.2f, "
                    "min %.2f, max %.2f\n",
                    stencil ? "stencil shadows" : "standard light", frames, mode.width, mode.height, f.median, f.p10,
                    f.p90, f.min, f.max);
    }
    ReleaseSample(engine);
    return status;
}
