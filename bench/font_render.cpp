// The font's cost per frame: 2 000 characters queued in 2D and 500 in 3D,
// drawn by Render, alone and in a whole frame against an empty frame.
// Run with SDL_VIDEODRIVER=offscreen on a headless machine, from the source
// tree (or with QL_SOURCE_DIR pointing at it) so the font texture is found.
#include <benchmark/benchmark.h>

#include "core/icore.h"
#include "graphics/igraphics.h"
#include "text/font.h"

#include "support/engine_test_support.h"

#include <stdlib.h>

#include <string>

namespace {

// A core, an 800 x 600 device and the project's font, for one benchmark.
class FontScene {
public:
    FontScene()
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        const char* source = getenv("QL_SOURCE_DIR");
        std::string path = std::string(source ? source : ".") + "/data/dejavu_sans_mono_512.tga";
        ScreenMode mode = {1, 800, 600, 32, 24, 8};
        IGeometry* geometry = nullptr;
        ok = SUCCEEDED(CreateCore(&core)) && SUCCEEDED(core->Init(nullptr, "Font bench", 800, 600)) &&
             SUCCEEDED(core->CreateGraphics(&graphics)) && SUCCEEDED(graphics->SetScreenMode(&mode)) &&
             SUCCEEDED(graphics->UpdateScreenMode()) &&
             SUCCEEDED(core->CreateObject("font", path.c_str(), &geometry));
        font = static_cast<Font*>(geometry);
        const D3DXVECTOR3 eye(0, 0, -500), at(0, 0, 0), up(0, 1, 0);
        if (ok)
            graphics->SetCamera(&eye, &at, &up);
    }

    ~FontScene()
    {
        if (font)
            font->Release();
        if (graphics)
            graphics->Release();
        EndCore(core);
    }

    // Whether the scene is there to measure; a benchmark without it is skipped.
    bool Ready(benchmark::State& state) const
    {
        if (!ok)
            state.SkipWithError("no device or font");
        return ok;
    }

    // 40 lines of 50 characters on screen and 10 texts of 50 in the world.
    void QueueTexts()
    {
        static const EngineString line("The quick brown fox jumps over the lazy dog 012345");
        for (uint32_t i = 0; i < 40; ++i)
            font->AddText2D(line, 0xFFFFFFFF, 0, 12, 5, 5 + 14 * i, 1.0f, 0.0f);
        for (int i = 0; i < 10; ++i)
            font->AddText3D(line, 0xFFFFFF00, 0, 8.0f, D3DXVECTOR3(-200, 100 - 20.0f * (float)i, 0),
                            D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, -1, 0));
    }

    // 2 000 one-character texts on screen.
    void QueueShortTexts()
    {
        for (uint32_t i = 0; i < 2000; ++i)
            font->AddText2D("x", 0xFFFFFFFF, 0, 8, 8 * (i % 100), 10 * (i / 100), 1.0f, 0.0f);
    }

    bool ok = false;
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    Font* font = nullptr;
};

// The font's Render alone, over what `queue` adds each round.
void TimeRender(benchmark::State& state, void (FontScene::*queue)())
{
    FontScene scene;
    if (!scene.Ready(state))
        return;
    IDirect3DDevice9* device = scene.graphics->GetDevice();
    for (auto _ : state) {
        (scene.*queue)();
        device->BeginScene();
        HRESULT result = scene.font->Render();
        device->EndScene();
        if (FAILED(result)) {
            state.SkipWithError("Render failed");
            break;
        }
    }
}

void FontRender(benchmark::State& state)
{
    TimeRender(state, &FontScene::QueueTexts);
    state.counters["chars"] = 2500;
}

void Frame(benchmark::State& state, bool withTexts)
{
    FontScene scene;
    if (!scene.Ready(state))
        return;
    for (auto _ : state) {
        if (withTexts)
            scene.QueueTexts();
        if (FAILED(scene.graphics->UpdateAndRender(0.01f))) {
            state.SkipWithError("frame failed");
            break;
        }
    }
}

void FrameWithTexts(benchmark::State& state)
{
    Frame(state, true);
}

void EmptyFrame(benchmark::State& state)
{
    Frame(state, false);
}

// The same 2 000 characters as one-character texts: the cost of the queue itself.
void ManyShortTexts(benchmark::State& state)
{
    TimeRender(state, &FontScene::QueueShortTexts);
}

}  // namespace

BENCHMARK(FontRender)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameWithTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(ManyShortTexts)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
