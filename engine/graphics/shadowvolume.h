// Stencil shadow volumes as pure functions over plain data: connectivity of
// a triangle list, and the extruded silhouette of a mesh seen from a point
// light. No device calls here; the graphics manager draws the result.
#pragma once

#include <d3dx9.h>

#include <stdint.h>

struct EdgeInfo {
    bool done;              // handled in the current volume
    int32_t neighbourFace;  // triangle sharing this edge, -1 for an open edge
    int32_t neighbourEdge;  // that edge's number (0 to 2) in the neighbour
};

// Edge k of triangle t runs from index 3t + k to index 3t + (k + 1) % 3.
struct FaceInfo {
    bool lit;  // faces the light, for the current volume
    EdgeInfo edges[3];
};

// How far the volume reaches: an extruded point is this many times as far
// from the light as the vertex it comes from.
const float kShadowExtrusion = 1000.0f;

// Vertices written for one extruded edge: two triangles, V1 V2 E(V1) and
// V2 E(V2) E(V1).
const uint32_t kShadowVerticesPerEdge = 6;

// Pairs the triangles of a list (indexCount / 3 of them; a trailing partial
// triangle is ignored) along the edges they share, by vertex index only:
// triangles meeting at duplicated vertices stay open there. faces receives
// one record per triangle; open edges get -1 in both neighbour fields, and
// lit and done are cleared. Where three or more triangles share an edge, the
// pairing is the one a first-match scan in triangle order gives: each later
// user points at the edge's first user u, or, when in u's own triangle, at
// p, the first user from another triangle; u points at the last user that
// points at it (or at p), and p at the last user that points at p (or at u).
// Time is linear in indexCount (and the highest index); scratch memory is
// allocated for the call. Returns S_OK, E_INVALIDARG for a null array with triangles to pair,
// or E_OUTOFMEMORY (every edge is then left open).
HRESULT GenConnectivity(const WORD* indices, uint32_t indexCount, FaceInfo* faces);

// A mesh as the volume builder reads it: the vertex buffer's kept positions,
// the index buffer's kept indices and its face records.
struct ShadowMesh {
    const D3DXVECTOR3* positions;
    uint32_t vertexCount;  // a triangle using an index at or above it casts nothing
    const WORD* indices;   // 3 per triangle
    FaceInfo* faces;       // from GenConnectivity; lit and done are rewritten
    uint32_t triangleCount;
};

// Builds the shadow volume of mesh for a point light at light, given in the
// mesh's own (model) space. A triangle is lit when its normal
// (p2 - p1) x (p1 - p0) points to the light's side: N . (light - p0) >= 0.
// Extruded are the open edges and, once each, the shared edges between a lit
// and an unlit triangle; each gives kShadowVerticesPerEdge vertices, in the
// edge's direction in its triangle when that triangle is lit and reversed
// otherwise, so a consistently wound mesh gives the same quad from either
// side. No caps are built.
// Writes at most capacity vertices to out (out may be null when capacity is
// 0) and returns the number the whole volume needs: when that is above
// capacity, out holds only a prefix and the caller grows its buffer and
// builds again. Allocates nothing; time is linear in the triangle count.
uint64_t BuildShadowVolume(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out,
                           uint32_t capacity);

// The point of model space that world (row vectors, translation in _41.._43;
// the last column is taken as 0 0 0 1) maps to worldPoint: where a light
// stands for the volume builder. False, with *modelPoint unchanged, when the
// matrix cannot be inverted (a model scaled flat) or the result is not finite.
bool LightToModelSpace(const D3DXMATRIX& world, const D3DXVECTOR3& worldPoint, D3DXVECTOR3* modelPoint);
