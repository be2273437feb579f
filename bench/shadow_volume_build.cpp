// Building the shadow volume of a 40 000-triangle mesh for one light: the
// per-frame, per-light, per-model cost of stencil shadows. The engine's
// builder (sides alone, and sides with caps) runs beside a reference: the
// plain builder that walks the face records and their done flags, as the
// engine did before it listed its edges.
#include "bench_meshes.h"

#include <benchmark/benchmark.h>

namespace {

struct Prepared {
    BenchMesh mesh;
    std::vector<FaceInfo> faces;
    std::vector<ShadowEdge> edges;
    std::vector<uint8_t> facing;
    std::vector<D3DXVECTOR4> planes;
    ShadowMesh view;
    std::vector<D3DXVECTOR3> out;
};

// A smooth sphere has a short silhouette; a bumpy one a long, folded one.
Prepared Prepare(float bumps)
{
    Prepared p;
    p.mesh = BenchSphere(200, 101, bumps);
    const uint32_t triangles = uint32_t(p.mesh.indices.size() / 3);
    p.faces.resize(triangles);
    GenConnectivity(p.mesh.indices.data(), uint32_t(p.mesh.indices.size()), p.faces.data());
    p.edges.resize(3 * size_t(triangles));
    p.facing.resize(triangles);
    const uint32_t edgeCount =
        ListShadowEdges(p.mesh.indices.data(), p.faces.data(), triangles, p.edges.data(), p.facing.data());
    p.planes.resize(triangles);
    ComputeShadowPlanes(p.mesh.positions.data(), uint32_t(p.mesh.positions.size()), p.mesh.indices.data(), triangles,
                        p.planes.data(), p.facing.data());
    p.view = ShadowMesh{p.mesh.positions.data(), uint32_t(p.mesh.positions.size()), p.mesh.indices.data(), triangles,
                        p.edges.data(), edgeCount, p.facing.data(), p.planes.data()};
    // Sides and caps of every triangle fit.
    p.out.resize(p.mesh.positions.size() * 6 + size_t(triangles) * 6);
    return p;
}

D3DXVECTOR3 Light()
{
    D3DXVECTOR3 light;
    light.x = 3.0f;
    light.y = 4.0f;
    light.z = -2.5f;
    return light;
}

void Report(benchmark::State& state, const Prepared& p, uint64_t vertices)
{
    if (vertices > p.out.size())
        state.SkipWithError("the volume did not fit");
    state.counters["triangles"] = double(p.view.triangleCount);
    state.counters["vertices_out"] = double(vertices);
    state.counters["per_triangle"] = benchmark::Counter(
        double(p.view.triangleCount), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ShadowVolumeSides(benchmark::State& state)
{
    Prepared p = Prepare(float(state.range(0)) / 100.0f);
    const D3DXVECTOR3 light = Light();
    uint64_t vertices = 0;
    for (auto _ : state) {
        vertices = BuildShadowVolume(p.view, light, p.out.data(), uint32_t(p.out.size()));
        benchmark::DoNotOptimize(p.out.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, vertices);
}

void ShadowVolumeWithCaps(benchmark::State& state)
{
    Prepared p = Prepare(float(state.range(0)) / 100.0f);
    const D3DXVECTOR3 light = Light();
    uint64_t vertices = 0;
    for (auto _ : state) {
        const uint32_t capacity = uint32_t(p.out.size());
        vertices = BuildShadowVolume(p.view, light, p.out.data(), capacity);
        vertices += BuildShadowCaps(p.view, light, p.out.data() + vertices, capacity - uint32_t(vertices));
        benchmark::DoNotOptimize(p.out.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, vertices);
}

// The reference: facing into the face records, then every edge of every
// triangle in order, a done flag keeping shared edges to one extrusion.
uint64_t ReferenceBuild(const BenchMesh& mesh, FaceInfo* faces, const D3DXVECTOR3& light, D3DXVECTOR3* out)
{
    const uint32_t triangles = uint32_t(mesh.indices.size() / 3);
    const WORD* indices = mesh.indices.data();
    const D3DXVECTOR3* p = mesh.positions.data();
    for (uint32_t t = 0; t < triangles; ++t) {
        const D3DXVECTOR3 &p0 = p[indices[3 * t]], &p1 = p[indices[3 * t + 1]], &p2 = p[indices[3 * t + 2]];
        D3DXVECTOR3 a = p2 - p1, b = p1 - p0, n, toLight = light - p0;
        D3DXVec3Cross(&n, &a, &b);
        faces[t].lit = D3DXVec3Dot(&n, &toLight) >= 0.0f;
        faces[t].edges[0].done = faces[t].edges[1].done = faces[t].edges[2].done = false;
    }
    uint64_t n = 0;
    for (uint32_t t = 0; t < triangles; ++t)
        for (uint32_t k = 0; k < 3; ++k) {
            EdgeInfo& edge = faces[t].edges[k];
            if (edge.done)
                continue;
            if (edge.neighbourFace >= 0) {
                if (faces[edge.neighbourFace].lit == faces[t].lit)
                    continue;
                faces[edge.neighbourFace].edges[edge.neighbourEdge].done = true;
            }
            edge.done = true;
            WORD from = indices[3 * t + k], to = indices[3 * t + (k + 1) % 3];
            if (!faces[t].lit)
                std::swap(from, to);
            const D3DXVECTOR3 &v1 = p[from], &v2 = p[to];
            const D3DXVECTOR3 e1 = light + (v1 - light) * kShadowExtrusion, e2 = light + (v2 - light) * kShadowExtrusion;
            D3DXVECTOR3* quad = out + n;
            quad[0] = v1, quad[1] = v2, quad[2] = e1, quad[3] = v2, quad[4] = e2, quad[5] = e1;
            n += 6;
        }
    return n;
}

void ShadowVolumeReference(benchmark::State& state)
{
    Prepared p = Prepare(float(state.range(0)) / 100.0f);
    const D3DXVECTOR3 light = Light();
    uint64_t vertices = 0;
    for (auto _ : state) {
        vertices = ReferenceBuild(p.mesh, p.faces.data(), light, p.out.data());
        benchmark::DoNotOptimize(p.out.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, vertices);
}

BENCHMARK(ShadowVolumeReference)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShadowVolumeSides)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShadowVolumeWithCaps)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
