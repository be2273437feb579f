// GenConnectivity on closed meshes of growing size: the time should grow
// about as the triangle count does.
#include "bench_meshes.h"

#include <benchmark/benchmark.h>

namespace {

void Connectivity(benchmark::State& state)
{
    const int slices = int(state.range(0)), stacks = int(state.range(1));
    const BenchMesh mesh = BenchSphere(slices, stacks, 0.0f);
    const uint32_t count = uint32_t(mesh.indices.size());
    std::vector<FaceInfo> faces(count / 3);
    for (auto _ : state) {
        if (GenConnectivity(mesh.indices.data(), count, faces.data()) != S_OK)
            state.SkipWithError("GenConnectivity failed");
        benchmark::DoNotOptimize(faces.data());
        benchmark::ClobberMemory();
    }
    state.SetComplexityN(count / 3);
    state.counters["triangles"] = double(count / 3);
    state.counters["per_triangle"] =
        benchmark::Counter(double(count / 3), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 10 000, 40 000 and 100 000 triangles.
BENCHMARK(Connectivity)
    ->Args({100, 51})
    ->Args({200, 101})
    ->Args({250, 201})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
