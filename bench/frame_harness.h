// What the whole-frame harnesses share: their arguments, the program's
// start-up with its failure said, and the median of the timed figures.
#pragma once

#include "sampleapp.h"
#include "samplestate.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Frames per round and rounds from the command line ([frames] [rounds]), at
// least 10 frames and one round.
struct FrameRounds {
    int frames, rounds;
};

inline FrameRounds FrameRoundsFrom(int argc, char** argv, FrameRounds fallback)
{
    return {std::max(10, argc > 1 ? std::atoi(argv[1]) : fallback.frames),
            std::max(1, argc > 2 ? std::atoi(argv[2]) : fallback.rounds)};
}

// Starts `program` from the state a run starts with, headless unless told
// otherwise (the stand-in reads the variable; Windows ignores it), and its
// frame counters. On failure prints `failure`, releases what started and
// returns false.
inline bool StartFrameHarness(SampleEngine& engine, const SampleProgram& program, FrameCounters& counters,
                              const char* failure)
{
    static char headless[] = "SDL_VIDEODRIVER=offscreen";
    if (!std::getenv("SDL_VIDEODRIVER"))
        putenv(headless);
    ResetSampleState();
    if (FAILED(StartSample(engine, program))) {
        std::fprintf(stderr, "%s\n", failure);
        ReleaseSample(engine);
        return false;
    }
    StartFrameCounters(counters);
    return true;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
