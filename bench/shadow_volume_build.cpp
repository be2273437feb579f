// Building the shadow volume of a 40 000-triangle mesh for one light: the
// per-frame, per-light, per-model cost of stencil shadows. The engine's
// builder (sides alone, and sides with caps) runs beside references: the
// plain builder that walks the face records with done flags, as the engine
// did before it listed its edges, and the capped volume written vertex by
// vertex, as the engine still does where a device cannot index it.
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
    std::vector<WORD> narrowIndices;
    std::vector<uint32_t> wideIndices;
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
    p.narrowIndices.resize(p.out.size());
    p.wideIndices.resize(p.out.size());
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

// Sides and caps written vertex by vertex: six vertices per casting triangle.
void ShadowVolumeWithCapsUnindexed(benchmark::State& state)
{
    Prepared p = Prepare(float(state.range(0)) / 100.0f);
    const D3DXVECTOR3 light = Light();
    uint64_t vertices = 0;
    for (auto _ : state) {
        const uint32_t capacity = uint32_t(p.out.size());
        vertices = BuildShadowVolume(p.view, light, p.out.data(), capacity, kCappedVolumeStart);
        vertices += BuildShadowCaps(p.view, light, p.out.data() + vertices, capacity - uint32_t(vertices));
        benchmark::DoNotOptimize(p.out.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, vertices);
}

// Two copies of every vertex, and the sides and caps as indices into them,
// 16-bit (range 1 0) or 32-bit (1).
template <typename Index>
uint64_t IndexedBuild(Prepared& p, const D3DXVECTOR3& light, Index* indices, uint64_t* vertices)
{
    const uint32_t capacity = uint32_t(p.out.size());
    // A whole mesh copies all its vertices, as the engine does: no scan.
    const CappedVertexSpan span{0, p.view.vertexCount};
    BuildCappedVertices(p.view, span, light, kCappedVolumeStart, kShadowExtrusion, p.out.data());
    const uint64_t sides = BuildCappedSides(p.view, span, light, 0, indices, capacity);
    *vertices = 2 * uint64_t(span.count);
    return sides + BuildCappedCaps(p.view, span, 0, indices + sides, capacity - uint32_t(sides));
}

void ShadowVolumeWithCaps(benchmark::State& state)
{
    Prepared p = Prepare(float(state.range(0)) / 100.0f);
    const D3DXVECTOR3 light = Light();
    const bool wide = state.range(1) != 0;
    uint64_t vertices = 0, indices = 0;
    for (auto _ : state) {
        indices = wide ? IndexedBuild(p, light, p.wideIndices.data(), &vertices)
                       : IndexedBuild(p, light, p.narrowIndices.data(), &vertices);
        benchmark::DoNotOptimize(p.out.data());
        benchmark::DoNotOptimize(p.narrowIndices.data());
        benchmark::DoNotOptimize(p.wideIndices.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, indices);
    state.counters["vertices_out"] = double(vertices);
    state.counters["indices_out"] = double(indices);
}

// The reference: facing into the face records, then every edge of every
// triangle in order, a done flag keeping shared edges to one extrusion.
struct ReferenceFlags {
    std::vector<uint8_t> lit;   // per triangle
    std::vector<uint8_t> done;  // per edge, 3t + k
};

uint64_t ReferenceBuild(const BenchMesh& mesh, const FaceInfo* faces, ReferenceFlags& flags, const D3DXVECTOR3& light,
                        D3DXVECTOR3* out)
{
    const uint32_t triangles = uint32_t(mesh.indices.size() / 3);
    uint8_t* lit = flags.lit.data();
    uint8_t* done = flags.done.data();
    const WORD* indices = mesh.indices.data();
    const D3DXVECTOR3* p = mesh.positions.data();
    for (uint32_t t = 0; t < triangles; ++t) {
        const D3DXVECTOR3 &p0 = p[indices[3 * t]], &p1 = p[indices[3 * t + 1]], &p2 = p[indices[3 * t + 2]];
        D3DXVECTOR3 a = p2 - p1, b = p1 - p0, n, toLight = light - p0;
        D3DXVec3Cross(&n, &a, &b);
        lit[t] = D3DXVec3Dot(&n, &toLight) >= 0.0f;
        done[3 * t] = done[3 * t + 1] = done[3 * t + 2] = 0;
    }
    uint64_t n = 0;
    for (uint32_t t = 0; t < triangles; ++t)
        for (uint32_t k = 0; k < 3; ++k) {
            const EdgeInfo& edge = faces[t].edges[k];
            if (done[3 * t + k])
                continue;
            if (edge.neighbourFace >= 0) {
                if (lit[edge.neighbourFace] == lit[t])
                    continue;
                done[3 * edge.neighbourFace + edge.neighbourEdge] = 1;
            }
            done[3 * t + k] = 1;
            WORD from = indices[3 * t + k], to = indices[3 * t + (k + 1) % 3];
            if (!lit[t])
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
    ReferenceFlags flags;
    flags.lit.resize(p.faces.size());
    flags.done.resize(3 * p.faces.size());
    uint64_t vertices = 0;
    for (auto _ : state) {
        vertices = ReferenceBuild(p.mesh, p.faces.data(), flags, light, p.out.data());
        benchmark::DoNotOptimize(p.out.data());
        benchmark::ClobberMemory();
    }
    Report(state, p, vertices);
}

BENCHMARK(ShadowVolumeReference)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShadowVolumeSides)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShadowVolumeWithCapsUnindexed)->Arg(0)->Arg(5)->Arg(30)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShadowVolumeWithCaps)->ArgsProduct({{0, 5, 30}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
