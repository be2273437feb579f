// Meshes for the shadow-volume tests, and the first-match pairing written as
// the plain quadratic scan the linear one must agree with.
#pragma once

#include "graphics/shadowvolume.h"

#include "support/sphere_mesh.h"

#include <math.h>
#include <stdint.h>
#include <vector>

struct TestMesh {
    std::vector<D3DXVECTOR3> positions;
    std::vector<WORD> indices;
    std::vector<FaceInfo> faces;
    std::vector<ShadowEdge> edges;
    std::vector<uint8_t> facing;
    std::vector<D3DXVECTOR4> planes;

    uint32_t Triangles() const { return uint32_t(indices.size() / 3); }
    void Connect()
    {
        faces.assign(Triangles(), FaceInfo{});
        GenConnectivity(indices.data(), uint32_t(indices.size()), faces.data());
    }
    // The edge list comes from the face records as they are now.
    ShadowMesh View()
    {
        edges.assign(3 * size_t(Triangles()) + 1, ShadowEdge{});
        facing.assign(Triangles() + 1, 0);
        planes.assign(Triangles() + 1, D3DXVECTOR4(0, 0, 0, 0));
        const uint32_t edgeCount = ListShadowEdges(indices.data(), faces.data(), Triangles(), edges.data(), facing.data());
        ComputeShadowPlanes(positions.data(), uint32_t(positions.size()), indices.data(), Triangles(), planes.data(),
                            facing.data());
        return ShadowMesh{positions.data(), uint32_t(positions.size()), indices.data(), Triangles(), edges.data(),
                          edgeCount, facing.data(), planes.data()};
    }
    bool Lit(uint32_t t) const { return (facing[t] & kFacingLit) != 0; }
};

inline D3DXVECTOR3 Vec(float x, float y, float z)
{
    D3DXVECTOR3 v;
    v.x = x;
    v.y = y;
    v.z = z;
    return v;
}

// The pairing as a scan over every other edge for each still open edge.
inline void QuadraticConnectivity(const WORD* indices, uint32_t indexCount, FaceInfo* faces)
{
    const uint32_t triangles = indexCount / 3;
    for (uint32_t t = 0; t < triangles; ++t)
        for (EdgeInfo& edge : faces[t].edges)
            edge.neighbourFace = edge.neighbourEdge = -1;
    for (uint32_t a = 0; a < triangles; ++a) {
        for (uint32_t k = 0; k < 3; ++k) {
            if (faces[a].edges[k].neighbourFace != -1)
                continue;
            const WORD start = indices[3 * a + k], end = indices[3 * a + (k + 1) % 3];
            bool found = false;
            for (uint32_t i = 0; i < triangles && !found; ++i) {
                if (i == a)
                    continue;
                for (uint32_t j = 0; j < 3 && !found; ++j) {
                    const WORD otherStart = indices[3 * i + j], otherEnd = indices[3 * i + (j + 1) % 3];
                    if ((otherStart == start && otherEnd == end) || (otherStart == end && otherEnd == start)) {
                        faces[i].edges[j].neighbourFace = int32_t(a);
                        faces[i].edges[j].neighbourEdge = int32_t(k);
                        faces[a].edges[k].neighbourFace = int32_t(i);
                        faces[a].edges[k].neighbourEdge = int32_t(j);
                        found = true;
                    }
                }
            }
        }
    }
}

// An axis-aligned box of 8 shared corners and 12 triangles, wound so that
// (p2 - p1) x (p1 - p0) points out of the box.
inline TestMesh Box(D3DXVECTOR3 centre, float half)
{
    TestMesh mesh;
    for (int corner = 0; corner < 8; ++corner)
        mesh.positions.push_back(Vec(centre.x + ((corner & 1) ? half : -half),
                                     centre.y + ((corner & 2) ? half : -half),
                                     centre.z + ((corner & 4) ? half : -half)));
    // Quads as corner numbers going round the face, then split in two.
    const WORD quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                              {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& q : quads) {
        const WORD tris[6] = {q[0], q[1], q[2], q[0], q[2], q[3]};
        mesh.indices.insert(mesh.indices.end(), tris, tris + 6);
    }
    mesh.Connect();
    return mesh;
}

// A closed latitude-longitude sphere with shared poles and seams, wound like
// Box.
inline TestMesh Sphere(D3DXVECTOR3 centre, float radius, int slices, int stacks)
{
    TestMesh mesh;
    auto place = [&](const SpherePoint& p) {
        return Vec(centre.x + radius * p.sinPolar * p.cosAzimuth, centre.y + radius * p.cosPolar,
                   centre.z + radius * p.sinPolar * p.sinAzimuth);
    };
    BuildSphere(slices, stacks, place, &mesh.positions, &mesh.indices);
    mesh.Connect();
    return mesh;
}
