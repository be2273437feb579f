// Closed meshes of a chosen size for the shadow-volume benchmarks.
#pragma once

#include "graphics/shadowvolume.h"

#include "support/sphere_mesh.h"

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
    auto place = [&](const SpherePoint& p) {
        const float radius = 1.0f + bumps * float((p.index * 2654435761u) % 1000) / 1000.0f;
        return D3DXVECTOR3(radius * p.sinPolar * p.cosAzimuth, radius * p.cosPolar, radius * p.sinPolar * p.sinAzimuth);
    };
    BuildSphere(slices, stacks, place, &mesh.positions, &mesh.indices);
    return mesh;
}
