// What the load benchmarks share: one core with a device, and the whole load
// of a file to a drawable model through the core's factory.
#pragma once

#include "core/icore.h"
#include "graphics/igeometry.h"
#include "graphics/igraphics.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

// One core with an 800 x 600 device for the whole run: the factory needs it.
inline ICore* BenchCore()
{
    static ICore* core = nullptr;
    if (!core) {
        IGraphics* graphics = nullptr;
        ScreenMode mode = {1, 800, 600, 16, 24, 8};
        if (CreateCore(&core) != S_OK || core->Init(nullptr, "Quarlight Bench", 800, 600) != S_OK ||
            core->CreateGraphics(&graphics) != S_OK || graphics->SetScreenMode(&mode) != S_OK)
            abort();
    }
    return core;
}

// Times CreateObject(type, path) and the model's release, round after round.
inline void TimeLoadToModel(benchmark::State& state, const char* type, const char* path)
{
    ICore* core = BenchCore();
    for (auto _ : state) {
        IGeometry* model = nullptr;
        if (FAILED(core->CreateObject(type, path, &model))) {
            state.SkipWithError("the load failed");
            break;
        }
        model->Release();
    }
}
