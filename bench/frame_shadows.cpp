// Whole stencil-shadow frames, headless at 800 x 600: a bumpy sphere of
// 40 000 triangles over a plane under one shadowing point light. Reports the
// time per frame, the processor time of building the volumes apart from the
// rest, nanoseconds per triangle, and the allocations made per frame.
#include "bench_meshes.h"

#include "core/icore.h"
#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"

#include "support/engine_test_support.h"
#include "support/point_light.h"
#include "support/stub_model.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <atomic>
#include <new>

namespace {

std::atomic<uint64_t> allocations{0};

double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A model drawn from a mesh made in code, with its shadow data.
class BenchModel final : public StubModel<BenchModel> {
public:
    BenchModel(IGraphics* owner, const BenchMesh& mesh) : graphics(owner)
    {
        vertexCount = uint32_t(mesh.positions.size());
        triangleCount = uint32_t(mesh.indices.size() / 3);
        struct Vertex {
            D3DXVECTOR3 position, normal;
        };
        void* data = nullptr;
        D3DXVECTOR3* kept = nullptr;
        WORD* keptIndices = nullptr;
        ok = SUCCEEDED(graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, vertexCount, false, &vertices)) &&
             SUCCEEDED(vertices->Lock(&data, &kept));
        if (ok) {
            Vertex* out = static_cast<Vertex*>(data);
            for (uint32_t i = 0; i < vertexCount; ++i) {
                out[i].position = kept[i] = mesh.positions[i];
                D3DXVec3Normalize(&out[i].normal, &mesh.positions[i]);
            }
            vertices->Unlock();
        }
        ok = ok && SUCCEEDED(graphics->CreateIB(uint32_t(mesh.indices.size()), false, &indices)) &&
             SUCCEEDED(indices->Lock(&data, &keptIndices));
        if (ok) {
            memcpy(data, mesh.indices.data(), mesh.indices.size() * sizeof(WORD));
            memcpy(keptIndices, mesh.indices.data(), mesh.indices.size() * sizeof(WORD));
            indices->Unlock();
        }
        graphics->AddRef();
        ok = ok && SUCCEEDED(graphics->AddGeometry(this));
    }
    ~BenchModel()
    {
        if (vertices)
            vertices->Release();
        if (indices)
            indices->Release();
        graphics->RemoveGeometry(this);
        graphics->Release();
    }

    QL_TYPE_NAME("BenchModel")
    HRESULT Render() override
    {
        IDirect3DDevice9* device = graphics->GetDevice();
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetMaterial(&material);
        vertices->Active(0);
        indices->Active();
        return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
    }
    HRESULT GetShadowInfos(ShadowInfos* out) override
    {
        if (!out)
            return E_FAIL;
        *out = ShadowInfos{vertices, indices};
        return S_OK;
    }

    // The volume for a light in world space, as the frame builds it.
    uint64_t BuildVolume(const D3DXVECTOR3& worldLight, std::vector<D3DXVECTOR3>* out) const
    {
        D3DXVECTOR3 light;
        LightToModelSpace(world, worldLight, &light);
        const ShadowMesh mesh = indices->ShadowView(vertices);
        return BuildShadowVolume(mesh, light, out->data(), uint32_t(out->size()));
    }

    bool ok = false;
    D3DMATERIAL9 material = {{0.8f, 0.8f, 0.8f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {}, {}, 0.0f};
    uint32_t triangleCount = 0;

private:
    IGraphics* graphics;
    VB* vertices = nullptr;
    IB* indices = nullptr;
    uint32_t vertexCount = 0;
};

BenchMesh Plane(float half)
{
    BenchMesh mesh;
    mesh.positions = {D3DXVECTOR3(-half, 0, -half), D3DXVECTOR3(half, 0, -half), D3DXVECTOR3(half, 0, half),
                      D3DXVECTOR3(-half, 0, half)};
    mesh.indices = {0, 1, 2, 0, 2, 3};  // facing up, as the engine counts facing
    return mesh;
}

void FrameWithShadows(benchmark::State& state)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    if (FAILED(CreateCore(&core)) || FAILED(core->Init(nullptr, "Quarlight Bench", 800, 600)) ||
        FAILED(core->CreateGraphics(&graphics))) {
        state.SkipWithError("no core");
        return;
    }
    ScreenMode mode = {1, 800, 600, 16, 24, 8};
    graphics->SetScreenMode(&mode);
    graphics->UpdateScreenMode();  // the back buffer takes the 800 x 600 client area

    BenchModel* plane = new BenchModel(graphics, Plane(200.0f));
    plane->AddRef();
    BenchModel* sphere = new BenchModel(graphics, BenchSphere(200, 101, 0.05f));
    sphere->AddRef();
    D3DXMATRIX scale, move, world;
    D3DXMatrixScaling(&scale, 12.0f, 12.0f, 12.0f);
    D3DXMatrixTranslation(&move, 0.0f, 15.0f, 0.0f);
    D3DXMatrixMultiply(&world, &scale, &move);
    sphere->SetMatrix(world);

    const D3DXVECTOR3 eye(0, 60, -80), at(0, 0, 0), up(0, 1, 0);
    graphics->SetCamera(&eye, &at, &up);
    graphics->SetLightning(true, 0x00303030);
    graphics->SetStencilShadow(true);
    const D3DLIGHT9 light = PointLight(D3DXVECTOR3(30.0f, 60.0f, -20.0f), 0.7f);
    graphics->SetLight(0, true, &light);
    if (!plane->ok || !sphere->ok || FAILED(graphics->UpdateAndRender(0.01f))) {
        state.SkipWithError("the scene did not draw");
        return;
    }

    std::vector<D3DXVECTOR3> scratch(6 * 65536);
    const D3DXVECTOR3 lightPosition(light.Position.x, light.Position.y, light.Position.z);
    double buildSeconds = 0;
    uint64_t frameAllocations = 0, buildAllocations = 0, frames = 0;
    for (auto _ : state) {
        uint64_t before = allocations.load();
        if (FAILED(graphics->UpdateAndRender(0.01f))) {
            state.SkipWithError("a frame failed");
            break;
        }
        frameAllocations += allocations.load() - before;
        ++frames;

        // The same volumes once more, alone, to tell their share of the frame.
        state.PauseTiming();
        before = allocations.load();
        double start = ThreadSeconds();
        benchmark::DoNotOptimize(plane->BuildVolume(lightPosition, &scratch));
        benchmark::DoNotOptimize(sphere->BuildVolume(lightPosition, &scratch));
        buildSeconds += ThreadSeconds() - start;
        buildAllocations += allocations.load() - before;
        state.ResumeTiming();
    }
    const double triangles = double(plane->triangleCount + sphere->triangleCount);
    if (frames > 0) {
        state.counters["triangles"] = triangles;
        state.counters["volume_build_ms_cpu"] = buildSeconds / double(frames) * 1e3;
        state.counters["volume_ns_per_triangle"] = buildSeconds / double(frames) / triangles * 1e9;
        state.counters["allocations_per_frame"] = double(frameAllocations) / double(frames);
        state.counters["volume_build_allocations"] = double(buildAllocations) / double(frames);
    }
    sphere->Release();
    plane->Release();
    graphics->Release();
    // The benchmark runs this function more than once: each run's core
    // needs its window class anew.
    EndCore(core);
}

BENCHMARK(FrameWithShadows)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

// Counts every allocation of the process, to show what a frame allocates.
// The replacements pair malloc with free, which the compiler cannot see.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept
{
    free(p);
}
void operator delete[](void* p) noexcept
{
    free(p);
}
void operator delete(void* p, size_t) noexcept
{
    free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    free(p);
}
#pragma GCC diagnostic pop

BENCHMARK_MAIN();
