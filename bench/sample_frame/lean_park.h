// The park as a hand-written frame keeps it on the processor: the drawn
// vertices and material-sorted triangles from the engine's scene arrays,
// each mesh's triangles together for its shadow, and every frame the
// volumes of all meshes built into one array, with the decisions the
// engine's shadow pass takes (left out, depth-pass or capped, how far).
#pragma once

#include "graphics/shadowreach.h"
#include "graphics/shadowvolume.h"
#include "graphics/viewcull.h"
#include "models/scene/scenematerial.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <stdint.h>

#include <string>
#include <vector>

struct LeanVertex {
    D3DXVECTOR3 position, normal;
    D3DXVECTOR2 uv;
};

// One material's triangles of one mesh: a run of the drawn index list.
struct LeanRun {
    uint32_t material, part, startIndex, indexCount;
};

struct LeanPart {
    uint32_t firstTriangle, triangleCount;  // in the shadow index list
    D3DXVECTOR3 low, high;
    float longestEdge;
};

struct LeanPark {
    std::vector<LeanVertex> vertices;
    std::vector<uint32_t> indices;  // drawn, sorted by material
    std::vector<LeanRun> runs;
    std::vector<SceneMaterial> materials;
    std::vector<std::string> texturePaths;  // per material, empty for none

    // The shadow side: per part its triangles together, as 16-bit indices
    // while the vertices allow (as the engine keeps them), else 32-bit.
    std::vector<LeanPart> parts;
    std::vector<D3DXVECTOR3> positions;
    std::vector<WORD> shadowIndices;
    std::vector<uint32_t> wideShadowIndices;
    std::vector<FaceInfo> faces;
    std::vector<ShadowEdge> edges;
    std::vector<uint8_t> facing;
    std::vector<D3DXVECTOR4> planes;
    uint32_t edgeCount = 0;
    float lowest = 0.0f;

    ShadowMesh Mesh();
};

// Reads a 3DS file as the engine's loader does (normals, map tiling) and
// makes the shadow data; false with a message on stderr when it cannot.
bool LoadLeanPark(const char* file, LeanPark* park);

// One frame's camera and point light, world space (the park's world matrix
// is the identity).
struct LeanView {
    D3DXVECTOR3 eye, at, up;
    D3DXVECTOR3 light;
    float range;
    UINT width, height;
};

// What the light passes draw: volume vertices (depth-pass sides first, then
// the capped parts' sides and caps) and the parts the lit pass can reach.
struct LeanVolumes {
    std::vector<D3DXVECTOR3> vertices;
    uint32_t passVertices = 0;
    uint32_t totalVertices = 0;
    std::vector<bool> litParts;
    bool lightsAnything = true;
    RECT scissor = {0, 0, 0, 0};
};

// Builds the volumes of every part for view's light, deciding per part as
// the engine's frame does with culling on.
void BuildLeanVolumes(LeanPark& park, const LeanView& view, LeanVolumes* out);

// The parts the ambient pass draws: those that may be in view.
void VisibleParts(const LeanPark& park, const LeanView& view, std::vector<bool>* visible);
