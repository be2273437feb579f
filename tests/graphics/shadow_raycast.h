// Where a point light's shadows fall, found by casting rays on the processor
// against the same triangles the engine draws: what the stencil buffer of a
// frame must hold, pixel by pixel.
#pragma once

#include "test_model.h"

#include <vector>

struct RayCastScene {
    std::vector<MeshData> meshes;  // world space; each casts and receives
    D3DXVECTOR3 light;
    D3DXVECTOR3 eye, at, up{0.0f, 1.0f, 0.0f};
};

// Per pixel of a width x height picture drawn with the engine's projection:
// kNothing where the eye sees no triangle, else kLit or kShadowed (the light
// hidden by a triangle, the seen one's own included when it faces away).
enum RayCastLabel : uint8_t { kNothing, kLit, kShadowed };
struct RayCastPicture {
    std::vector<uint8_t> labels;
    std::vector<int> seen;  // the mesh each pixel sees, -1 for none
    uint32_t width = 0, height = 0;

    // True where everything within `radius` pixels has the same label and
    // shows the same mesh: far enough from every edge to be judged.
    bool Settled(uint32_t x, uint32_t y, int radius) const;
};
RayCastPicture CastShadows(const RayCastScene& scene, uint32_t width, uint32_t height);

// Pixels (of every other row and column) that the ray casting settles, and
// how many of them a stencil buffer (non-zero: shadowed) gets wrong.
struct StencilComparison {
    size_t shadowed = 0, lit = 0, wrong = 0;
};
StencilComparison CompareStencil(const RayCastPicture& expected, const std::vector<uint8_t>& stencil);
