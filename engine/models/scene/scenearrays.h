// The processor side of a 3DS scene load: turns the reader's mesh and
// material records into the arrays a scene model's buffers are filled from.
// It touches no device and writes no log record, so it runs (and is fuzzed)
// without a graphics manager; the loader reports what it returns.
#pragma once

#include "models/scene/scenematerial.h"

#include <d3dx9.h>

#include <stdint.h>

struct SceneDatabase;

// The most vertices a scene takes: what the deepest Direct3D 9 indices reach.
// Above 0xFFFF a model is drawn through 32-bit indices or split (scenebuild.h).
const uint32_t kMostSceneVertices = 0xFFFFFF;

// Why a read stopped, beyond the reader's own pending errors.
enum SceneFault {
    SCENE_FAULT_NONE,
    SCENE_FAULT_READER,          // a reader call left an error pending
    SCENE_FAULT_MEMORY,          // an allocation failed
    SCENE_FAULT_TOO_MANY_VERTICES,
    SCENE_FAULT_BAD_CORNER,      // a face names a vertex its mesh does not have
    SCENE_FAULT_BAD_GROUP_FACE,  // a material group names a face its mesh does not have
    SCENE_FAULT_MESH_CHANGED,    // a mesh read twice came back different
    SCENE_FAULT_TEXCOORD_COUNT,  // a mesh's texture coordinates are not one per vertex
};

// A texture map's tiling, applied to the coordinates of its material's
// triangles: (u, v) becomes (u scale[0] + offset[0], v scale[1] + offset[1]).
struct SceneMapTiling {
    float scale[2];
    float offset[2];
};

// The name the loader gives the one material of a file without any.
extern const char* const kSceneDefaultMaterial;

// One mesh's triangles of one material: a run of the index list.
struct SceneRun {
    uint32_t material;
    uint32_t mesh;
    uint32_t startIndex;
    uint32_t indexCount;
};

// Everything is owned by the arrays until FreeSceneArrays, except what a
// caller takes over and nulls.
struct SceneArrays {
    uint32_t meshCount;
    uint32_t faceCount;    // faces of the file, whether drawn or not
    uint32_t vertexCount;  // at most kMostSceneVertices after a successful read
    uint32_t fileVertexCount;  // the file's; vertexCount adds ApplyMapTiling's copies
    D3DXVECTOR3* positions;  // engine axes: a file point (x, y, z) is (x, z, y)
    D3DXVECTOR3* normals;    // zero until ComputeSceneNormals
    // One per vertex when the file gives coordinates (0x4140) and a material
    // has a texture map; null otherwise, and the vertices carry none. As
    // read (a mesh without coordinates gives (0, 0)) until ApplyMapTiling.
    D3DXVECTOR2* texCoords;
    SceneMapTiling* tilings;  // one per material, beside texCoords
    // Material-sorted triangle list holding only the faces that a group of a
    // defined material names; a face named by two such groups is there once,
    // with the first.
    uint32_t* indices;
    uint32_t indexCount;
    // The index list as runs, in its order: material by material, and each
    // material's meshes in file order. Null when a reader gives no meshes.
    SceneRun* runs;
    uint32_t runCount;
    SceneMaterial* materials;  // at least one after a successful read
    uint32_t materialCount;
    D3DXVECTOR3 boxMin, boxMax;  // (1e38, ...) and its negation while no vertex
    SceneFault fault;
    char faultMesh[256];  // the mesh a bad corner or group face was found in
    uint32_t faultCounts[2];  // a bad coordinate count: coordinates, vertices
    // MAP_TILING_ bits that texture maps ask for and drawing does not do
    // (mirror, decal), and the first material asking.
    uint16_t ignoredTiling;
    char ignoredTilingMaterial[256];
};

// Called after every reader call; a failure ends the read with E_FAIL. The
// loader passes its error printer, which also clears the reader's list.
typedef HRESULT (*ReaderCheck)();

// Arrays holding nothing, their box inside out so the first vertex read
// sets both corners: where every reader starts.
SceneArrays EmptySceneArrays();

// Fills *out (reset first) from a database read from a file. S_OK, E_FAIL
// (with out->fault saying why) or E_OUTOFMEMORY. What was built stays in
// *out on failure for FreeSceneArrays.
HRESULT ReadSceneArrays(SceneDatabase* database, ReaderCheck check, SceneArrays* out);

// Vertex normals: the normalised sum, over every corner naming the vertex, of
// its triangle's normalised face normal (p2 - p1) x (p1 - p0). One pass over
// the triangles, then one over the vertices. Indices must be below
// vertexCount (ReadSceneArrays guarantees it).
void ComputeSceneNormals(const D3DXVECTOR3* positions, uint32_t vertexCount, const uint32_t* indices,
                         uint32_t indexCount, D3DXVECTOR3* normals);
void ComputeSceneNormals(const D3DXVECTOR3* positions, uint32_t vertexCount, const WORD* indices,
                         uint32_t indexCount, D3DXVECTOR3* normals);

// Applies each textured material's tiling to the coordinates of its
// triangles and turns them to Direct3D's v axis (3D Studio's v runs up the
// image). A vertex shared by textured materials of different tilings is
// copied (position, normal) for each further tiling and those triangles are
// pointed at the copy; the copies count towards kMostSceneVertices. Run after
// ComputeSceneNormals so a copy keeps its vertex's normal. Nothing to do
// without texCoords. S_OK, E_FAIL (too many vertices) or E_OUTOFMEMORY.
HRESULT ApplyMapTiling(SceneArrays* arrays);

void FreeSceneArrays(SceneArrays* arrays);
