// Building the shadow volume of a 40 000-triangle mesh for one light: the
// per-frame, per-light, per-model cost of stencil shadows.
#include "bench_meshes.h"

#include <benchmark/benchmark.h>

namespace {

void ShadowVolumeBuild(benchmark::State& state)
{
    // A smooth sphere has a short silhouette; a bumpy one a long, folded one.
    const float bumps = float(state.range(0)) / 100.0f;
    BenchMesh mesh = BenchSphere(200, 101, bumps);
    const uint32_t triangles = uint32_t(mesh.indices.size() / 3);
    std::vector<FaceInfo> faces(triangles);
    GenConnectivity(mesh.indices.data(), uint32_t(mesh.indices.size()), faces.data());
    const ShadowMesh view{mesh.positions.data(), uint32_t(mesh.positions.size()), mesh.indices.data(), faces.data(),
                          triangles};
    D3DXVECTOR3 light;
    light.x = 3.0f;
    light.y = 4.0f;
    light.z = -2.5f;
    // Sized like the manager's buffer: six vertices per mesh vertex.
    std::vector<D3DXVECTOR3> out(mesh.positions.size() * 6);

    uint64_t vertices = 0;
    for (auto _ : state) {
        vertices = BuildShadowVolume(view, light, out.data(), uint32_t(out.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    if (vertices > out.size())
        state.SkipWithError("the volume did not fit");
    state.counters["triangles"] = double(triangles);
    state.counters["extruded_edges"] = double(vertices / kShadowVerticesPerEdge);
    state.counters["per_triangle"] =
        benchmark::Counter(double(triangles), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(ShadowVolumeBuild)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
