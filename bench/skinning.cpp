// The skinned model's per-frame Update (expiry, sampling, blending, the
// hierarchy and skinning into the dynamic vertex buffer) on a headless
// device, for the demo creature and for a generated tube of 20 000 vertices
// with four influences each. Reports the time per frame and per vertex
// influence, and the heap allocations Update makes per frame.
#include <cal3dwriter.h>
#include <core/icore.h>
#include <core/qlcore.h>
#include <graphics/igraphics.h>
#include <graphics/imodel.h>
#include <models/skinned/modelskel.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>

namespace {
size_t allocations = 0;
}

// Counting replacements of the global allocation functions; GCC cannot see
// that every one of them pairs malloc with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    std::free(p);
}

namespace {

constexpr int kBones = 32;
constexpr int kRings = 100;
constexpr int kSegments = 200;  // 20 000 vertices

// A tube along z on a chain of bones, every vertex on the four bones nearest
// its ring, and two bending animations over the whole chain.
void WriteTube()
{
    const float height = 200.0f, step = height / kBones;
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(kBones);
    for (int b = 0; b < kBones; ++b) {
        cal3d::Bone& bone = skeleton.bones[b];
        bone.parent = b - 1;
        if (b + 1 < kBones)
            bone.children = {b + 1};
        bone.translation = {0, 0, b ? step : 0};
        bone.boneSpaceTranslation = {0, 0, -step * b};
    }
    cal3d::Write("tube.csf", skeleton);

    for (int a = 0; a < 2; ++a) {
        cal3d::Animation animation;
        animation.duration = 2.0f + a;
        for (int b = 0; b < kBones; ++b) {
            cal3d::Track track;
            track.bone = b;
            for (int k = 0; k <= 16; ++k) {
                cal3d::Key key;
                key.time = animation.duration * k / 16;
                key.translation = {0, 0, b ? step : 0};
                float angle = 0.1f * std::sin(6.2831853f * (k / 16.0f + 0.03f * b));
                float s = std::sin(angle / 2);
                key.rotation = a ? cal3d::Quat{s, 0, 0, std::cos(angle / 2)} : cal3d::Quat{0, s, 0, std::cos(angle / 2)};
                track.keys.push_back(key);
            }
            animation.tracks.push_back(track);
        }
        cal3d::Write("bend" + std::to_string(a) + ".caf", animation);
    }

    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    cal3d::Submesh& tube = mesh.submeshes[0];
    for (int r = 0; r < kRings; ++r) {
        float z = height * r / (kRings - 1);
        int nearest = std::min(kBones - 3, std::max(0, (int)(z / step) - 1));
        for (int s = 0; s < kSegments; ++s) {
            float phi = 6.2831853f * s / kSegments;
            cal3d::Vertex vertex;
            vertex.position = {10 * std::cos(phi), 10 * std::sin(phi), z};
            vertex.normal = {std::cos(phi), std::sin(phi), 0};
            vertex.texCoords = {{0, 0}};
            for (int i = 0; i < 4; ++i)
                vertex.influences.push_back({std::min(kBones - 1, nearest + i), 0.25f});
            tube.vertices.push_back(vertex);
        }
    }
    for (int r = 0; r + 1 < kRings; ++r) {
        for (int s = 0; s < kSegments; ++s) {
            int32_t a = r * kSegments + s, b = r * kSegments + (s + 1) % kSegments;
            tube.indices.insert(tube.indices.end(), {a, a + kSegments, b, b, a + kSegments, b + kSegments});
        }
    }
    cal3d::Write("tube.cmf", mesh);
    cal3d::Write("tube.crf", cal3d::Material());
    cal3d::Config config;
    config.entries = {{"skeleton", "tube.csf"}, {"animation", "bend0.caf"}, {"animation", "bend1.caf"},
                      {"mesh", "tube.cmf"},     {"material", "tube.crf"}};
    cal3d::Write("tube.cfg", config);
}

void RunUpdate(benchmark::State& state, const char* file, uint32_t first, uint32_t second)
{
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    IGeometry* geometry = nullptr;
    ScreenMode mode = {1, 800, 600, 16, 24, 8};
    if (FAILED(CreateCore(&core)) || FAILED(core->Init(nullptr, "Skinning", 800, 600)) ||
        FAILED(core->CreateGraphics(&graphics)) || FAILED(graphics->SetScreenMode(&mode)) ||
        FAILED(core->CreateObject("cal3d", file, &geometry))) {
        state.SkipWithError("cannot load the model");
        return;
    }
    IModel* model = static_cast<IModel*>(geometry);
    const ModelSkelData& data = static_cast<ModelSkel*>(model)->Meta()->data;

    size_t allocated = 0;
    for (auto _ : state) {
        // Restarted when a cycle ends, as a looping caller would.
        if (!model->IsAnimationActive(first))
            model->AddAnimation(first, 1.0f);
        if (!model->IsAnimationActive(second))
            model->AddAnimation(second, 2.0f);
        size_t before = allocations;
        if (FAILED(model->Update(1.0f / 60)))
            state.SkipWithError("Update failed");
        allocated += allocations - before;
    }
    state.counters["vertices"] = data.vertices.Count();
    state.counters["influences"] = data.influences.Count();
    state.counters["per_influence"] = benchmark::Counter(
        (double)data.influences.Count(), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["allocs_per_frame"] = (double)allocated / (double)state.iterations();

    HWND window = static_cast<QLCore*>(core)->Window();
    model->Release();
    graphics->Release();
    core->Release();
    DestroyWindow(window);
    UnregisterClassA("Quarlight", nullptr);
}

void DemoCreature(benchmark::State& state)
{
    RunUpdate(state, "./data/creature.cfg", 1, 3);  // walk and wave
}

void Tube20000(benchmark::State& state)
{
    RunUpdate(state, "tube.cfg", 0, 1);
}

BENCHMARK(DemoCreature)->Unit(benchmark::kMicrosecond);
BENCHMARK(Tube20000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    // A scratch folder for the log and the tube; data/ from the source tree.
    char folder[] = "/tmp/ql_bench_skinning_XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0)
        return 1;
    if (symlink(QL_SOURCE_DIR "/data", "data") != 0)
        return 1;
    if (!getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    WriteTube();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
