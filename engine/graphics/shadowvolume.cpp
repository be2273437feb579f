#include "shadowvolume.h"

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

inline WORD EdgeStart(const WORD* indices, uint32_t e)
{
    return indices[e];
}

inline WORD EdgeEnd(const WORD* indices, uint32_t e)
{
    return indices[e % 3 == 2 ? e - 2 : e + 1];
}

inline void Extrude(const D3DXVECTOR3& v, const D3DXVECTOR3& light, D3DXVECTOR3* out)
{
    out->x = light.x + (v.x - light.x) * kShadowExtrusion;
    out->y = light.y + (v.y - light.y) * kShadowExtrusion;
    out->z = light.z + (v.z - light.z) * kShadowExtrusion;
}

// Facing of every triangle, and the per-volume flags cleared. A triangle that
// names a vertex the positions do not have is set apart: all its edges count
// as done, so it never extrudes anything.
void ComputeFacing(const ShadowMesh& mesh, const D3DXVECTOR3& light)
{
    const D3DXVECTOR3* positions = mesh.positions;
    for (uint32_t t = 0; t < mesh.triangleCount; ++t) {
        FaceInfo& face = mesh.faces[t];
        const WORD* tri = mesh.indices + size_t(t) * 3;
        if (tri[0] >= mesh.vertexCount || tri[1] >= mesh.vertexCount || tri[2] >= mesh.vertexCount) {
            face.lit = false;
            face.edges[0].done = face.edges[1].done = face.edges[2].done = true;
            continue;
        }
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
        const float dot = nx * (light.x - p0.x) + ny * (light.y - p0.y) + nz * (light.z - p0.z);
        face.lit = dot >= 0.0f;
        face.edges[0].done = face.edges[1].done = face.edges[2].done = false;
    }
}

}  // namespace

HRESULT GenConnectivity(const WORD* indices, uint32_t indexCount, FaceInfo* faces)
{
    const uint32_t triangles = indexCount / 3;
    if (triangles == 0)
        return S_OK;
    if (!indices || !faces)
        return E_INVALIDARG;

    for (uint32_t t = 0; t < triangles; ++t) {
        faces[t].lit = false;
        for (EdgeInfo& edge : faces[t].edges) {
            edge.done = false;
            edge.neighbourFace = -1;
            edge.neighbourEdge = -1;
        }
    }

    // Edge numbers sorted by (lower index, higher index) with two stable
    // counting sorts, so each edge's users lie together in scan order:
    // linear in the index count whatever the mesh.
    const uint32_t edgeCount = triangles * 3;
    WORD highest = 0;
    for (uint32_t e = 0; e < edgeCount; ++e)
        highest = indices[e] > highest ? indices[e] : highest;
    const uint32_t buckets = uint32_t(highest) + 2;
    uint32_t* starts = new (std::nothrow) uint32_t[buckets];
    uint32_t* byHigh = new (std::nothrow) uint32_t[edgeCount];
    uint32_t* sorted = new (std::nothrow) uint32_t[edgeCount];
    if (!starts || !byHigh || !sorted) {
        delete[] starts;
        delete[] byHigh;
        delete[] sorted;
        return E_OUTOFMEMORY;
    }

    auto low = [indices](uint32_t e) {
        const WORD a = EdgeStart(indices, e), b = EdgeEnd(indices, e);
        return a < b ? a : b;
    };
    auto high = [indices](uint32_t e) {
        const WORD a = EdgeStart(indices, e), b = EdgeEnd(indices, e);
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
        const WORD a = low(sorted[i]), b = high(sorted[i]);
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

uint64_t BuildShadowVolume(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out, uint32_t capacity)
{
    if (mesh.triangleCount == 0 || !mesh.positions || !mesh.indices || !mesh.faces)
        return 0;
    if (!out)
        capacity = 0;

    ComputeFacing(mesh, light);

    FaceInfo* faces = mesh.faces;
    const uint32_t triangles = mesh.triangleCount;
    uint64_t needed = 0;
    for (uint32_t t = 0; t < triangles; ++t) {
        FaceInfo& face = faces[t];
        for (uint32_t k = 0; k < 3; ++k) {
            EdgeInfo& edge = face.edges[k];
            if (edge.done)
                continue;
            const int32_t other = edge.neighbourFace;
            const int32_t otherEdge = edge.neighbourEdge;
            // A neighbour outside the mesh (stale records) counts as none.
            const bool shared = other >= 0 && uint32_t(other) < triangles && otherEdge >= 0 && otherEdge < 3;
            if (shared) {
                if (faces[other].lit == face.lit)
                    continue;
                faces[other].edges[otherEdge].done = true;
            }
            edge.done = true;

            if (needed + kShadowVerticesPerEdge <= capacity) {
                const WORD* tri = mesh.indices + size_t(t) * 3;
                WORD a = tri[k], b = tri[(k + 1) % 3];
                if (!face.lit) {
                    const WORD swap = a;
                    a = b;
                    b = swap;
                }
                const D3DXVECTOR3& v1 = mesh.positions[a];
                const D3DXVECTOR3& v2 = mesh.positions[b];
                D3DXVECTOR3* quad = out + needed;
                quad[0] = v1;
                quad[1] = v2;
                Extrude(v1, light, &quad[2]);
                quad[3] = v2;
                Extrude(v2, light, &quad[4]);
                quad[5] = quad[2];
            }
            needed += kShadowVerticesPerEdge;
        }
    }
    return needed;
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
