// Closed meshes of a chosen size for the shadow-volume benchmarks.
#pragma once

#include "graphics/shadowvolume.h"

#include <math.h>
#include <stdint.h>
#include <vector>

struct BenchMesh {
    std::vector<D3DXVECTOR3> positions;
    std::vector<WORD> indices;
};

// A latitude-longitude sphere of 2 * slices * (stacks - 1) triangles. With
// bumps above 0 the radius varies from vertex to vertex, which folds the
// surface and lengthens the silhouette as real models do.
inline BenchMesh BenchSphere(int slices, int stacks, float bumps)
{
    BenchMesh mesh;
    const float pi = 3.14159265f;
    auto add = [&](float polar, float azimuth) {
        const size_t n = mesh.positions.size();
        const float radius = 1.0f + bumps * float((n * 2654435761u) % 1000) / 1000.0f;
        D3DXVECTOR3 p;
        p.x = radius * sinf(polar) * cosf(azimuth);
        p.y = radius * cosf(polar);
        p.z = radius * sinf(polar) * sinf(azimuth);
        mesh.positions.push_back(p);
    };
    add(0, 0);
    for (int r = 1; r < stacks; ++r)
        for (int s = 0; s < slices; ++s)
            add(pi * float(r) / float(stacks), 2.0f * pi * float(s) / float(slices));
    const WORD bottom = WORD(mesh.positions.size());
    add(pi, 0);
    auto ring = [&](int r, int s) { return WORD(1 + (r - 1) * slices + (s % slices)); };
    for (int s = 0; s < slices; ++s) {
        const WORD top[3] = {0, ring(1, s), ring(1, s + 1)};
        mesh.indices.insert(mesh.indices.end(), top, top + 3);
        for (int r = 1; r + 1 < stacks; ++r) {
            const WORD band[6] = {ring(r, s), ring(r + 1, s), ring(r + 1, s + 1),
                                  ring(r, s), ring(r + 1, s + 1), ring(r, s + 1)};
            mesh.indices.insert(mesh.indices.end(), band, band + 6);
        }
        const WORD low[3] = {bottom, ring(stacks - 1, s + 1), ring(stacks - 1, s)};
        mesh.indices.insert(mesh.indices.end(), low, low + 3);
    }
    return mesh;
}
