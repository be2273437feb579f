#include "graphics/shadowvolume.h"

#include "foundation/allarrays.h"

#include <math.h>
#include <new>

namespace {

const uint32_t kNoEdge = 0xFFFFFFFFu;

inline void Link(FaceInfo* faces, uint32_t from, uint32_t to)
{
    EdgeInfo& edge = faces[from / 3].edges[from % 3];
    edge.neighbourFace = int32_t(to / 3);
    edge.neighbourEdge = int32_t(to % 3);
}

// Gives the users of one edge (edge numbers 3t + k, ascending) the pairing of
// a first-match scan: the scan visits the users in order and pairs each still
// unpaired one with the first user outside its own triangle, overwriting that
// user's record. Only two users are ever written as matches: the first user
// u, and p, the first user outside u's triangle, whom u's own visit pairs
// before anyone else.
void PairEdgeUsers(FaceInfo* faces, const uint32_t* users, uint32_t count)
{
    const uint32_t first = users[0];
    const uint32_t firstTriangle = first / 3;
    uint32_t partner = kNoEdge;
    for (uint32_t i = 1; i < count && partner == kNoEdge; ++i)
        if (users[i] / 3 != firstTriangle)
            partner = users[i];
    if (partner == kNoEdge)
        return;  // used by one triangle only: open

    uint32_t lastOutside = kNoEdge;  // last to overwrite the first user
    uint32_t lastInside = kNoEdge;   // last to overwrite the partner
    for (uint32_t i = 1; i < count; ++i) {
        const uint32_t user = users[i];
        if (user == partner)
            continue;  // already paired by the first user's visit
        if (user / 3 != firstTriangle) {
            Link(faces, user, first);
            lastOutside = user;
        } else {
            Link(faces, user, partner);
            lastInside = user;
        }
    }
    Link(faces, first, lastOutside != kNoEdge ? lastOutside : partner);
    Link(faces, partner, lastInside != kNoEdge ? lastInside : first);
}

const uint64_t kMostBuckets = uint64_t(1) << 28;

template <typename Index>
inline Index EdgeStart(const Index* indices, uint32_t e)
{
    return indices[e];
}

template <typename Index>
inline Index EdgeEnd(const Index* indices, uint32_t e)
{
    return indices[e % 3 == 2 ? e - 2 : e + 1];
}

inline void Extrude(const D3DXVECTOR3& v, const D3DXVECTOR3& light, float reach, D3DXVECTOR3* out)
{
    out->x = light.x + (v.x - light.x) * reach;
    out->y = light.y + (v.y - light.y) * reach;
    out->z = light.z + (v.z - light.z) * reach;
}

// Facing of every triangle into the lit bit of mesh.facing: one dot product
// with its plane, in a loop the compiler can vectorise. Inert triangles have
// planes that never face a light.
void ComputeFacing(const ShadowMesh& mesh, const D3DXVECTOR3& light)
{
    const D3DXVECTOR4* planes = mesh.planes;
    uint8_t* facing = mesh.facing;
    const float lx = light.x, ly = light.y, lz = light.z;
    const uint32_t end = mesh.firstTriangle + mesh.triangleCount;
    for (uint32_t t = mesh.firstTriangle; t < end; ++t) {
        const float side = planes[t].x * lx + planes[t].y * ly + planes[t].z * lz + planes[t].w;
        facing[t] = uint8_t((facing[t] & ~kFacingLit) | (side >= 0.0f ? kFacingLit : 0));
    }
}

inline bool ValidNeighbour(const EdgeInfo& edge, uint32_t triangles)
{
    return edge.neighbourFace >= 0 && uint32_t(edge.neighbourFace) < triangles && edge.neighbourEdge >= 0 &&
           edge.neighbourEdge < 3;
}

uint32_t Root(uint32_t* parent, uint32_t t)
{
    while (parent[t] != t) {
        parent[t] = parent[parent[t]];
        t = parent[t];
    }
    return t;
}

// Marks the triangles of every piece (triangles joined by shared edges) that
// has an open edge somewhere. Without scratch memory, only the triangles that
// have an open edge themselves.
void MarkOpenPieces(const FaceInfo* faces, uint32_t triangles, uint8_t* facing)
{
    for (uint32_t t = 0; t < triangles; ++t) {
        facing[t] = 0;
        for (const EdgeInfo& edge : faces[t].edges)
            if (!ValidNeighbour(edge, triangles))
                facing[t] = kFacingOpenPiece;
    }
    uint32_t* parent = new (std::nothrow) uint32_t[triangles];
    if (!parent)
        return;
    for (uint32_t t = 0; t < triangles; ++t)
        parent[t] = t;
    for (uint32_t t = 0; t < triangles; ++t)
        for (const EdgeInfo& edge : faces[t].edges)
            if (ValidNeighbour(edge, triangles)) {
                const uint32_t a = Root(parent, t), b = Root(parent, uint32_t(edge.neighbourFace));
                parent[a > b ? a : b] = a > b ? b : a;
            }
    for (uint32_t t = 0; t < triangles; ++t)
        facing[Root(parent, t)] |= facing[t];
    for (uint32_t t = 0; t < triangles; ++t)
        facing[t] = facing[Root(parent, t)];
    delete[] parent;
}

inline void Start(const D3DXVECTOR3& v, const D3DXVECTOR3& light, float start, D3DXVECTOR3* out)
{
    if (start == 1.0f) {
        *out = v;
        return;
    }
    out->x = light.x + (v.x - light.x) * start;
    out->y = light.y + (v.y - light.y) * start;
    out->z = light.z + (v.z - light.z) * start;
}

inline void WriteQuad(const D3DXVECTOR3& v1, const D3DXVECTOR3& v2, const D3DXVECTOR3& light, float start,
                      float reach, D3DXVECTOR3* quad)
{
    Start(v1, light, start, &quad[0]);
    Start(v2, light, start, &quad[1]);
    Extrude(v1, light, reach, &quad[2]);
    quad[3] = quad[1];
    Extrude(v2, light, reach, &quad[4]);
    quad[5] = quad[2];
}

// The index-width independent bodies behind the public overloads.
template <typename Index>
HRESULT Connect(const Index* indices, uint32_t indexCount, FaceInfo* faces)
{
    const uint32_t triangles = indexCount / 3;
    if (triangles == 0)
        return S_OK;
    if (!indices || !faces)
        return E_INVALIDARG;

    for (uint32_t t = 0; t < triangles; ++t)
        for (EdgeInfo& edge : faces[t].edges) {
            edge.neighbourFace = -1;
            edge.neighbourEdge = -1;
        }

    // Edge numbers sorted by (lower index, higher index) with two stable
    // counting sorts, so each edge's users lie together in scan order:
    // linear in the index count whatever the mesh.
    const uint32_t edgeCount = triangles * 3;
    Index highest = 0;
    for (uint32_t e = 0; e < edgeCount; ++e)
        highest = indices[e] > highest ? indices[e] : highest;
    // 32-bit indices far above any vertex count would ask for gigabytes:
    // such a mesh stays open, as when memory runs out.
    if (uint64_t(highest) + 2 > kMostBuckets)
        return E_OUTOFMEMORY;
    const uint32_t buckets = uint32_t(highest) + 2;
    uint32_t* starts = new (std::nothrow) uint32_t[buckets];
    uint32_t* byHigh = new (std::nothrow) uint32_t[edgeCount];
    uint32_t* sorted = new (std::nothrow) uint32_t[edgeCount];
    if (!AllAllocated(starts, byHigh, sorted))
        return E_OUTOFMEMORY;

    auto low = [indices](uint32_t e) {
        const Index a = EdgeStart(indices, e), b = EdgeEnd(indices, e);
        return a < b ? a : b;
    };
    auto high = [indices](uint32_t e) {
        const Index a = EdgeStart(indices, e), b = EdgeEnd(indices, e);
        return a < b ? b : a;
    };
    auto countingSort = [&](const uint32_t* in, uint32_t* out, auto digit) {
        for (uint32_t b = 0; b < buckets; ++b)
            starts[b] = 0;
        for (uint32_t i = 0; i < edgeCount; ++i)
            ++starts[digit(in ? in[i] : i) + 1];
        for (uint32_t b = 1; b < buckets; ++b)
            starts[b] += starts[b - 1];
        for (uint32_t i = 0; i < edgeCount; ++i) {
            const uint32_t e = in ? in[i] : i;
            out[starts[digit(e)]++] = e;
        }
    };
    countingSort(nullptr, byHigh, high);
    countingSort(byHigh, sorted, low);

    for (uint32_t i = 0; i < edgeCount;) {
        const Index a = low(sorted[i]), b = high(sorted[i]);
        uint32_t j = i + 1;
        while (j < edgeCount && low(sorted[j]) == a && high(sorted[j]) == b)
            ++j;
        if (j - i > 1)
            PairEdgeUsers(faces, sorted + i, j - i);
        i = j;
    }

    delete[] starts;
    delete[] byHigh;
    delete[] sorted;
    return S_OK;
}

template <typename Index>
void Planes(const D3DXVECTOR3* positions, uint32_t vertexCount, const Index* indices, uint32_t triangleCount,
            D3DXVECTOR4* planes, uint8_t* facing)
{
    const Index* tri = indices;
    for (uint32_t t = 0; t < triangleCount; ++t, tri += 3) {
        if (tri[0] >= vertexCount || tri[1] >= vertexCount || tri[2] >= vertexCount) {
            planes[t] = D3DXVECTOR4(0.0f, 0.0f, 0.0f, -1.0f);
            facing[t] = uint8_t(facing[t] | kFacingInert);
            continue;
        }
        facing[t] = uint8_t(facing[t] & ~kFacingInert);
        const D3DXVECTOR3& p0 = positions[tri[0]];
        const D3DXVECTOR3& p1 = positions[tri[1]];
        const D3DXVECTOR3& p2 = positions[tri[2]];
        const float ax = p2.x - p1.x, ay = p2.y - p1.y, az = p2.z - p1.z;
        const float bx = p1.x - p0.x, by = p1.y - p0.y, bz = p1.z - p0.z;
        const float nx = ay * bz - az * by;
        const float ny = az * bx - ax * bz;
        const float nz = ax * by - ay * bx;
        // Towards the light from the triangle, so the test holds wherever the
        // model stands, not only around the origin.
        planes[t] = D3DXVECTOR4(nx, ny, nz, -(nx * p0.x + ny * p0.y + nz * p0.z));
    }
}

template <typename Index>
uint32_t ListEdges(const Index* indices, const FaceInfo* faces, uint32_t triangles, ShadowEdge* edges,
                   uint8_t* facing)
{
    if (!indices || !faces || !edges || !facing)
        return 0;
    MarkOpenPieces(faces, triangles, facing);
    uint32_t count = 0;
    for (uint32_t t = 0; t < triangles; ++t) {
        for (uint32_t k = 0; k < 3; ++k) {
            const EdgeInfo& edge = faces[t].edges[k];
            ShadowEdge& listed = edges[count];
            listed.face = t;
            listed.from = indices[3 * t + k];
            listed.to = indices[3 * t + (k + 1) % 3];
            if (!ValidNeighbour(edge, triangles)) {
                listed.other = kOpenEdge;
                ++count;
                continue;
            }
            const uint32_t n = uint32_t(edge.neighbourFace), e = uint32_t(edge.neighbourEdge);
            const EdgeInfo& back = faces[n].edges[e];
            if (back.neighbourFace == int32_t(t) && back.neighbourEdge == int32_t(k)) {
                if (t < n || (t == n && k < e)) {
                    listed.other = n;
                    ++count;
                }
            } else {
                listed.other = n | kOneSidedPairing;
                ++count;
            }
        }
    }
    return count;
}

template <typename Index>
uint64_t BuildCaps(const ShadowMesh& mesh, const Index* tri, const D3DXVECTOR3& light, D3DXVECTOR3* out,
                   uint32_t capacity, float start, float reach)
{
    const uint8_t* facing = mesh.facing;
    const D3DXVECTOR3* positions = mesh.positions;
    uint64_t needed = 0;
    tri += 3 * size_t(mesh.firstTriangle);
    for (uint32_t t = mesh.firstTriangle; t < mesh.firstTriangle + mesh.triangleCount; ++t, tri += 3) {
        const uint8_t f = facing[t];
        if ((f & kFacingInert) || !(f & (kFacingLit | kFacingOpenPiece)))
            continue;
        if (needed + 6 <= capacity) {
            // An unlit triangle of an open piece casts as if turned round.
            const bool lit = (f & kFacingLit) != 0;
            const D3DXVECTOR3& p0 = positions[tri[0]];
            const D3DXVECTOR3& p1 = positions[lit ? tri[2] : tri[1]];
            const D3DXVECTOR3& p2 = positions[lit ? tri[1] : tri[2]];
            D3DXVECTOR3* cap = out + needed;
            Start(p0, light, start, &cap[0]);
            Start(p1, light, start, &cap[1]);
            Start(p2, light, start, &cap[2]);
            Extrude(p0, light, reach, &cap[3]);
            Extrude(p2, light, reach, &cap[4]);
            Extrude(p1, light, reach, &cap[5]);
        }
        needed += 6;
    }
    return needed;
}

bool Buildable(const ShadowMesh& mesh)
{
    return mesh.triangleCount != 0 && mesh.positions && mesh.HasIndices() && mesh.facing && mesh.planes &&
           (mesh.edges || !mesh.edgeCount);
}

// Computes the facing, then calls side(a, b) for every edge the volume
// extrudes, a to b in the winding its quad takes. Edges naming a vertex
// outside first to first + count - 1 are left out.
template <typename Side>
void ForEachSide(const ShadowMesh& mesh, const D3DXVECTOR3& light, uint32_t first, uint32_t count, Side side)
{
    ComputeFacing(mesh, light);
    const uint8_t* facing = mesh.facing;
    for (const ShadowEdge* edge = mesh.edges; edge != mesh.edges + mesh.edgeCount; ++edge) {
        const uint8_t mine = facing[edge->face];
        if (edge->other == kOpenEdge) {
            if (mine & kFacingInert)
                continue;
        } else {
            if ((edge->other & kOneSidedPairing) && (mine & kFacingInert))
                continue;
            if (((mine ^ facing[edge->other & ~kOneSidedPairing]) & kFacingLit) == 0)
                continue;
        }
        const uint32_t from = edge->from, to = edge->to;
        if (from - first >= count || to - first >= count)
            continue;
        if (mine & kFacingLit)
            side(from, to);
        else
            side(to, from);
    }
}

template <typename Index>
CappedVertexSpan UsedVertices(const Index* indices, uint32_t indexCount, uint32_t vertexCount)
{
    Index low = Index(~Index(0)), high = 0;
    for (uint32_t i = 0; i < indexCount; ++i) {
        low = indices[i] < low ? indices[i] : low;
        high = indices[i] > high ? indices[i] : high;
    }
    if (indexCount == 0 || low >= vertexCount)
        return CappedVertexSpan{0, 0};
    const uint32_t last = high < vertexCount ? uint32_t(high) : vertexCount - 1;
    return CappedVertexSpan{uint32_t(low), last - uint32_t(low) + 1};
}

// One side quad or cap pair: six indices, narrowed to the buffer's width.
template <typename Out>
void PutSix(Out* out, const uint32_t (&indices)[6])
{
    for (uint32_t i = 0; i < 6; ++i)
        out[i] = Out(indices[i]);
}

template <typename Out>
uint64_t SideIndices(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light, uint32_t base,
                     Out* out, uint32_t capacity)
{
    if (!Buildable(mesh))
        return 0;
    if (!out)
        capacity = 0;
    const uint32_t nearBase = base - span.first, farBase = nearBase + span.count;
    uint64_t needed = 0;
    ForEachSide(mesh, light, span.first, span.count, [&](uint32_t a, uint32_t b) {
        if (needed + kShadowVerticesPerEdge <= capacity)
            PutSix(out + needed, {nearBase + a, nearBase + b, farBase + a, nearBase + b, farBase + b, farBase + a});
        needed += kShadowVerticesPerEdge;
    });
    return needed;
}

template <typename Index, typename Out>
uint64_t CapIndices(const ShadowMesh& mesh, const Index* tri, const CappedVertexSpan& span, uint32_t base, Out* out,
                    uint32_t capacity)
{
    const uint8_t* facing = mesh.facing;
    const uint32_t nearBase = base - span.first, farBase = nearBase + span.count;
    uint64_t needed = 0;
    tri += 3 * size_t(mesh.firstTriangle);
    const uint32_t end = mesh.firstTriangle + mesh.triangleCount;
    for (uint32_t t = mesh.firstTriangle; t < end; ++t, tri += 3) {
        const uint8_t f = facing[t];
        if ((f & kFacingInert) || !(f & (kFacingLit | kFacingOpenPiece)))
            continue;
        if (needed + 6 <= capacity) {
            // As BuildCaps: an unlit triangle of an open piece turned round.
            const bool lit = (f & kFacingLit) != 0;
            const uint32_t i0 = tri[0], i1 = lit ? tri[2] : tri[1], i2 = lit ? tri[1] : tri[2];
            PutSix(out + needed,
                   {nearBase + i0, nearBase + i1, nearBase + i2, farBase + i0, farBase + i2, farBase + i1});
        }
        needed += 6;
    }
    return needed;
}

template <typename Out>
uint64_t CapIndicesOf(const ShadowMesh& mesh, const CappedVertexSpan& span, uint32_t base, Out* out,
                      uint32_t capacity)
{
    if (mesh.triangleCount == 0 || !mesh.HasIndices() || !mesh.facing || span.count == 0)
        return 0;
    if (!out)
        capacity = 0;
    return mesh.wideIndices ? CapIndices(mesh, mesh.wideIndices, span, base, out, capacity)
                            : CapIndices(mesh, mesh.indices, span, base, out, capacity);
}

}  // namespace

HRESULT GenConnectivity(const WORD* indices, uint32_t indexCount, FaceInfo* faces)
{
    return Connect(indices, indexCount, faces);
}

HRESULT GenConnectivity(const uint32_t* indices, uint32_t indexCount, FaceInfo* faces)
{
    return Connect(indices, indexCount, faces);
}

void ComputeShadowPlanes(const D3DXVECTOR3* positions, uint32_t vertexCount, const WORD* indices,
                         uint32_t triangleCount, D3DXVECTOR4* planes, uint8_t* facing)
{
    Planes(positions, vertexCount, indices, triangleCount, planes, facing);
}

void ComputeShadowPlanes(const D3DXVECTOR3* positions, uint32_t vertexCount, const uint32_t* indices,
                         uint32_t triangleCount, D3DXVECTOR4* planes, uint8_t* facing)
{
    Planes(positions, vertexCount, indices, triangleCount, planes, facing);
}

uint32_t ListShadowEdges(const WORD* indices, const FaceInfo* faces, uint32_t triangles, ShadowEdge* edges,
                         uint8_t* facing)
{
    return ListEdges(indices, faces, triangles, edges, facing);
}

uint32_t ListShadowEdges(const uint32_t* indices, const FaceInfo* faces, uint32_t triangles, ShadowEdge* edges,
                         uint8_t* facing)
{
    return ListEdges(indices, faces, triangles, edges, facing);
}

uint64_t BuildShadowVolume(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out, uint32_t capacity,
                           float start, float reach)
{
    if (!Buildable(mesh))
        return 0;
    if (!out)
        capacity = 0;
    const D3DXVECTOR3* positions = mesh.positions;
    uint64_t needed = 0;
    ForEachSide(mesh, light, 0, mesh.vertexCount, [&](uint32_t a, uint32_t b) {
        if (needed + kShadowVerticesPerEdge <= capacity)
            WriteQuad(positions[a], positions[b], light, start, reach, out + needed);
        needed += kShadowVerticesPerEdge;
    });
    return needed;
}

uint64_t BuildShadowCaps(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out, uint32_t capacity,
                         float start, float reach)
{
    if (mesh.triangleCount == 0 || !mesh.positions || !mesh.HasIndices() || !mesh.facing)
        return 0;
    if (!out)
        capacity = 0;
    return mesh.wideIndices ? BuildCaps(mesh, mesh.wideIndices, light, out, capacity, start, reach)
                            : BuildCaps(mesh, mesh.indices, light, out, capacity, start, reach);
}

ShadowMesh PartOf(const ShadowMesh& mesh, uint32_t firstTriangle, uint32_t triangleCount)
{
    ShadowMesh part = mesh;
    const uint32_t end = mesh.firstTriangle + mesh.triangleCount;
    part.firstTriangle = firstTriangle < end ? firstTriangle : end;
    part.triangleCount = triangleCount < end - part.firstTriangle ? triangleCount : end - part.firstTriangle;
    if (!mesh.edges) {
        part.edgeCount = 0;
        return part;
    }
    // The first edge listed from triangle or a later one.
    auto firstFrom = [&mesh](uint32_t triangle) {
        uint32_t lo = 0, hi = mesh.edgeCount;
        while (lo < hi) {
            const uint32_t mid = lo + (hi - lo) / 2;
            if (mesh.edges[mid].face < triangle)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    const uint32_t first = firstFrom(part.firstTriangle);
    part.edges = mesh.edges + first;
    part.edgeCount = firstFrom(part.firstTriangle + part.triangleCount) - first;
    return part;
}

bool LightToModelSpace(const D3DXMATRIX& world, const D3DXVECTOR3& worldPoint, D3DXVECTOR3* modelPoint)
{
    if (!modelPoint)
        return false;
    // Row vectors: world = model * A + T, so model = (world - T) * inverse(A),
    // with inverse(A) the adjugate of A over its determinant.
    const float a11 = world._11, a12 = world._12, a13 = world._13;
    const float a21 = world._21, a22 = world._22, a23 = world._23;
    const float a31 = world._31, a32 = world._32, a33 = world._33;
    const float c11 = a22 * a33 - a23 * a32;
    const float c12 = a23 * a31 - a21 * a33;
    const float c13 = a21 * a32 - a22 * a31;
    const float det = a11 * c11 + a12 * c12 + a13 * c13;
    if (det == 0.0f || !isfinite(det))
        return false;
    const float inv = 1.0f / det;
    const float i11 = c11 * inv, i12 = (a13 * a32 - a12 * a33) * inv, i13 = (a12 * a23 - a13 * a22) * inv;
    const float i21 = c12 * inv, i22 = (a11 * a33 - a13 * a31) * inv, i23 = (a13 * a21 - a11 * a23) * inv;
    const float i31 = c13 * inv, i32 = (a12 * a31 - a11 * a32) * inv, i33 = (a11 * a22 - a12 * a21) * inv;

    const float qx = worldPoint.x - world._41;
    const float qy = worldPoint.y - world._42;
    const float qz = worldPoint.z - world._43;
    const float x = qx * i11 + qy * i21 + qz * i31;
    const float y = qx * i12 + qy * i22 + qz * i32;
    const float z = qx * i13 + qy * i23 + qz * i33;
    if (!isfinite(x) || !isfinite(y) || !isfinite(z))
        return false;
    modelPoint->x = x;
    modelPoint->y = y;
    modelPoint->z = z;
    return true;
}

CappedVertexSpan CappedVertexRange(const ShadowMesh& mesh)
{
    if (!mesh.HasIndices())
        return CappedVertexSpan{0, 0};
    const size_t first = 3 * size_t(mesh.firstTriangle);
    const uint32_t count = 3 * mesh.triangleCount;
    return mesh.wideIndices ? UsedVertices(mesh.wideIndices + first, count, mesh.vertexCount)
                            : UsedVertices(mesh.indices + first, count, mesh.vertexCount);
}

void BuildCappedVertices(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light, float start,
                         float reach, D3DXVECTOR3* out)
{
    if (!mesh.positions || !out)
        return;
    const D3DXVECTOR3* from = mesh.positions + span.first;
    D3DXVECTOR3* farCopies = out + span.count;
    if (start == 1.0f) {
        for (uint32_t i = 0; i < span.count; ++i)
            out[i] = from[i];
    } else {
        for (uint32_t i = 0; i < span.count; ++i)
            Start(from[i], light, start, &out[i]);
    }
    for (uint32_t i = 0; i < span.count; ++i)
        Extrude(from[i], light, reach, &farCopies[i]);
}

uint64_t BuildCappedSides(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light,
                          uint32_t base, WORD* out, uint32_t capacity)
{
    return SideIndices(mesh, span, light, base, out, capacity);
}

uint64_t BuildCappedSides(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light,
                          uint32_t base, uint32_t* out, uint32_t capacity)
{
    return SideIndices(mesh, span, light, base, out, capacity);
}

uint64_t BuildCappedCaps(const ShadowMesh& mesh, const CappedVertexSpan& span, uint32_t base, WORD* out,
                         uint32_t capacity)
{
    return CapIndicesOf(mesh, span, base, out, capacity);
}

uint64_t BuildCappedCaps(const ShadowMesh& mesh, const CappedVertexSpan& span, uint32_t base, uint32_t* out,
                         uint32_t capacity)
{
    return CapIndicesOf(mesh, span, base, out, capacity);
}
