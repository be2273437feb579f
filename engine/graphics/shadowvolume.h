// Stencil shadow volumes as pure functions over plain data: connectivity of
// a triangle list, and the extruded silhouette of a mesh seen from a point
// light with the caps that close it. No device calls here; the graphics manager draws the result.
#pragma once

#include <d3dx9.h>

#include <stdint.h>

struct EdgeInfo {
    int32_t neighbourFace;  // triangle sharing this edge, -1 for an open edge
    int32_t neighbourEdge;  // that edge's number (0 to 2) in the neighbour
};

// Edge k of triangle t runs from index 3t + k to index 3t + (k + 1) % 3.
// Connectivity only: what a volume marks per build lives in ShadowMesh::facing.
struct FaceInfo {
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
// one record per triangle; open edges get -1 in both neighbour fields.
// Where three or more triangles share an edge, the pairing is the one a
// first-match scan in triangle order gives: each later user points at the
// edge's first user u, or, when in u's own triangle, at p, the first user
// from another triangle; u points at the last user that points at it (or at
// p), and p at the last user that points at p (or at u).
// Time is linear in indexCount (and the highest index); scratch memory is
// allocated for the call. Returns S_OK, E_INVALIDARG for a null array with triangles to pair,
// or E_OUTOFMEMORY (every edge is then left open).
HRESULT GenConnectivity(const WORD* indices, uint32_t indexCount, FaceInfo* faces);
HRESULT GenConnectivity(const uint32_t* indices, uint32_t indexCount, FaceInfo* faces);

// The edges a volume can extrude, listed once each from a face record table:
// a shared edge from the lower of its two triangles, an open edge from its
// one triangle. from and to run in face's own order.
struct ShadowEdge {
    uint32_t face;
    uint32_t other;  // the triangle across the edge, or kOpenEdge
    uint32_t from, to;
};
const uint32_t kOpenEdge = 0xFFFFFFFFu;
// Set in other when the triangle across does not point back (three or more
// triangles on one edge): the edge is then judged from this side alone.
const uint32_t kOneSidedPairing = 0x80000000u;

// Per-triangle bits of ShadowMesh::facing.
const uint8_t kFacingLit = 1;        // faces the light; rewritten by every build
const uint8_t kFacingInert = 2;      // names a vertex the positions lack; set by ComputeShadowPlanes
const uint8_t kFacingOpenPiece = 4;  // belongs to a piece with open edges; set by ListShadowEdges

// Lists the edges of triangleCount triangles whose connectivity GenConnectivity
// gave: edges needs room for 3 * triangleCount, facing for triangleCount
// (its open-piece bits are set, the others cleared: planes come after). A neighbour record
// naming a triangle or edge the mesh does not have counts as an open edge.
// Returns the number listed; 0 also when the scratch memory to find the
// pieces cannot be allocated (the mesh then casts nothing).
uint32_t ListShadowEdges(const WORD* indices, const FaceInfo* faces, uint32_t triangleCount, ShadowEdge* edges,
                         uint8_t* facing);
uint32_t ListShadowEdges(const uint32_t* indices, const FaceInfo* faces, uint32_t triangleCount, ShadowEdge* edges,
                         uint8_t* facing);

// The plane of every triangle, (N, -N . p0) with N = (p2 - p1) x (p1 - p0),
// for as long as the positions stay as they are: facing a light is then one
// dot product. A triangle naming a vertex at or above vertexCount gets an
// always-unlit plane and the inert bit in facing.
void ComputeShadowPlanes(const D3DXVECTOR3* positions, uint32_t vertexCount, const WORD* indices,
                         uint32_t triangleCount, D3DXVECTOR4* planes, uint8_t* facing);
void ComputeShadowPlanes(const D3DXVECTOR3* positions, uint32_t vertexCount, const uint32_t* indices,
                         uint32_t triangleCount, D3DXVECTOR4* planes, uint8_t* facing);

// A mesh as the volume builder reads it: the vertex buffer's kept positions,
// the index buffer's kept indices (16-bit, or 32-bit in wideIndices with
// indices null) and the edge list, planes and facing scratch made from them.
struct ShadowMesh {
    const D3DXVECTOR3* positions;
    uint32_t vertexCount;  // a triangle using an index at or above it casts nothing
    const WORD* indices;   // 3 per triangle
    uint32_t triangleCount;
    const ShadowEdge* edges;  // from ListShadowEdges
    uint32_t edgeCount;
    uint8_t* facing;  // one byte per triangle; the lit bit is rewritten
    const D3DXVECTOR4* planes;  // from ComputeShadowPlanes
    const uint32_t* wideIndices = nullptr;
    // The builders read triangles firstTriangle to firstTriangle +
    // triangleCount - 1 of the arrays above: one part of a model, whose edges
    // the caller narrows edges and edgeCount to (PartEdges).
    uint32_t firstTriangle = 0;

    bool HasIndices() const { return indices || wideIndices; }
};

// The view of one part of mesh: its triangles, and its edges, which
// ListShadowEdges listed together (in triangle order) when no edge joins a
// triangle of the part to one outside it.
ShadowMesh PartOf(const ShadowMesh& mesh, uint32_t firstTriangle, uint32_t triangleCount);

// Builds the sides of the shadow volume of mesh for a point light at light,
// given in the mesh's own (model) space. A triangle is lit when its normal
// (p2 - p1) x (p1 - p0) points to the light's side: N . (light - p0) >= 0.
// Extruded are the open edges and, once each, the shared edges between a lit
// and an unlit triangle; each gives kShadowVerticesPerEdge vertices, V1 V2
// E(V1) V2 E(V2) E(V1), in the edge's direction in its listing triangle when
// that triangle is lit and reversed otherwise, so a consistently wound mesh
// gives the same quad from either side. E(V) is V pushed away from the light
// to reach times its distance: kShadowExtrusion, or less where the caller
// knows that nothing is drawn beyond (ExtrusionToFloor).
// Writes at most capacity vertices to out (out may be null when capacity is
// 0) and returns the number the whole volume needs: when that is above
// capacity, out holds only a prefix and the caller grows its buffer and
// builds again. Allocates nothing; time is linear in the triangle and edge
// counts.
// start moves the volume's near end along the light's rays: a vertex V is
// written as L + (V - L) x start (1: on the mesh).
uint64_t BuildShadowVolume(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out, uint32_t capacity,
                           float start = 1.0f, float reach = kShadowExtrusion);

// Where a capped volume starts: a hair beyond the mesh, away from the light,
// so that its near cap lies behind the lit surfaces it was built from and
// fails the depth test there, whatever the rounding of either drawing.
const float kCappedVolumeStart = 1.001f;

// The caps that close the sides of the last BuildShadowVolume of mesh with
// the same light, start and reach, for counting where the eye may be inside
// the volume, written out vertex by vertex (see BuildCappedVertices for the
// indexed form, which writes far less): per
// casting triangle three vertices on the triangle (the near cap) and three
// extruded (the far cap), wound like the sides so that the volume's faces
// all point outwards. Casting are the lit triangles, and the unlit ones of
// pieces with open edges, whose sides are extruded from the reversed
// triangle. Same capacity contract and cost as BuildShadowVolume.
uint64_t BuildShadowCaps(const ShadowMesh& mesh, const D3DXVECTOR3& light, D3DXVECTOR3* out, uint32_t capacity,
                         float start = kCappedVolumeStart, float reach = kShadowExtrusion);

// A capped volume drawn indexed: the mesh vertices first to first + count -
// 1 copied twice, near copies L + (V - L) x start then far ones E(V) (at
// reach), and
// the sides and caps as indices into those copies, so that a vertex shared
// by six cap triangles is moved once instead of six times.
struct CappedVertexSpan {
    uint32_t first;
    uint32_t count;
};

// The vertices the triangles of mesh use, below its vertexCount; count 0
// when none.
CappedVertexSpan CappedVertexRange(const ShadowMesh& mesh);

// Writes the 2 x span.count copies to out, near ones first.
void BuildCappedVertices(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light, float start,
                         float reach, D3DXVECTOR3* out);

// The sides of BuildShadowVolume (same edges, same order, same winding), as
// six indices per extruded edge into copies written at vertex base of the
// drawn buffer: the near copy of V is base + V - span.first, its far copy
// span.count later. Rewrites the facing like BuildShadowVolume; same
// capacity contract, in indices. span must hold every vertex below
// vertexCount that the triangles use: CappedVertexRange, or all of them.
uint64_t BuildCappedSides(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light,
                          uint32_t base, WORD* out, uint32_t capacity);
uint64_t BuildCappedSides(const ShadowMesh& mesh, const CappedVertexSpan& span, const D3DXVECTOR3& light,
                          uint32_t base, uint32_t* out, uint32_t capacity);

// The caps of BuildShadowCaps (same triangles, order and winding) as
// indices into the same copies, for the facing the last BuildCappedSides
// left.
uint64_t BuildCappedCaps(const ShadowMesh& mesh, const CappedVertexSpan& span, uint32_t base, WORD* out,
                         uint32_t capacity);
uint64_t BuildCappedCaps(const ShadowMesh& mesh, const CappedVertexSpan& span, uint32_t base, uint32_t* out,
                         uint32_t capacity);

// The point of model space that world (row vectors, translation in _41.._43;
// the last column is taken as 0 0 0 1) maps to worldPoint: where a light
// stands for the volume builder. False, with *modelPoint unchanged, when the
// matrix cannot be inverted (a model scaled flat) or the result is not finite.
bool LightToModelSpace(const D3DXMATRIX& world, const D3DXVECTOR3& worldPoint, D3DXVECTOR3* modelPoint);
