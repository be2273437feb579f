// Capped volumes: the sides and the caps together must close, every edge
// met once in each direction, whatever the mesh: a welded box, a box of
// separate faces, lone triangles facing either way, an open grid seen from
// below, a fold of two triangles.
#include "meshes.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

using Point = std::tuple<float, float, float>;

Point Key(const D3DXVECTOR3& v)
{
    return Point(v.x, v.y, v.z);
}

// Directed edges that are not matched by the same edge the other way.
int OpenEdges(TestMesh& mesh, const D3DXVECTOR3& light, size_t* triangles)
{
    const ShadowMesh view = mesh.View();
    const uint64_t sides = BuildShadowVolume(view, light, nullptr, 0, kCappedVolumeStart);
    std::vector<D3DXVECTOR3> volume(sides);
    BuildShadowVolume(view, light, volume.data(), uint32_t(sides), kCappedVolumeStart);
    const uint64_t caps = BuildShadowCaps(view, light, nullptr, 0);
    volume.resize(sides + caps);
    EXPECT_EQ(caps, BuildShadowCaps(view, light, volume.data() + sides, uint32_t(caps)));
    *triangles = volume.size() / 3;
    std::map<std::pair<Point, Point>, int> directed;
    for (size_t t = 0; t + 2 < volume.size(); t += 3)
        for (int k = 0; k < 3; ++k)
            ++directed[{Key(volume[t + k]), Key(volume[t + (k + 1) % 3])}];
    int open = 0;
    for (const auto& edge : directed) {
        auto reverse = directed.find({edge.first.second, edge.first.first});
        if (reverse == directed.end() || reverse->second != edge.second)
            ++open;
    }
    return open;
}

TestMesh Separate(const TestMesh& welded)
{
    TestMesh mesh;
    for (WORD index : welded.indices) {
        mesh.indices.push_back(WORD(mesh.positions.size()));
        mesh.positions.push_back(welded.positions[index]);
    }
    mesh.Connect();
    return mesh;
}

TestMesh Grid()
{
    TestMesh mesh;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            mesh.positions.push_back(Vec(float(i), 0, float(j)));
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            const WORD a = WORD(4 * j + i);
            const WORD quad[6] = {a, WORD(a + 4), WORD(a + 5), a, WORD(a + 5), WORD(a + 1)};
            mesh.indices.insert(mesh.indices.end(), quad, quad + 6);
        }
    mesh.Connect();
    return mesh;
}

TestMesh Triangle(bool towardsLight)
{
    TestMesh mesh;
    mesh.positions = {Vec(0, 0, 0), Vec(1, 0, 0), Vec(0, 1, 0)};
    mesh.indices = towardsLight ? std::vector<WORD>{0, 1, 2} : std::vector<WORD>{0, 2, 1};
    mesh.Connect();
    return mesh;
}

}  // namespace

TEST(ShadowCaps, CloseTheSidesWhateverTheMesh)
{
    const D3DXVECTOR3 light = Vec(3, 7, -5);
    struct Case {
        const char* name;
        TestMesh mesh;
        D3DXVECTOR3 light;
    } cases[] = {
        {"welded box", Box(Vec(0, 0, 0), 1), light},
        {"box of separate faces", Separate(Box(Vec(0, 0, 0), 1)), light},
        {"lone triangle", Triangle(true), Vec(0.2f, 0.2f, -5)},
        {"lone triangle facing away", Triangle(false), Vec(0.2f, 0.2f, -5)},
        {"grid lit from above", Grid(), Vec(1, 5, 1)},
        {"grid seen from below the light", Grid(), Vec(1, -5, 1)},
        {"sphere", Sphere(Vec(1, 2, 3), 2, 12, 6), light},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t triangles = 0;
        EXPECT_EQ(0, OpenEdges(c.mesh, c.light, &triangles));
        EXPECT_GT(triangles, 0u) << "something casts";
    }
}

// The caps start where the sides start: a hair beyond the mesh, away from
// the light; the far cap is extruded as the sides are.
TEST(ShadowCaps, StartBeyondTheMeshAndEndWithTheSides)
{
    TestMesh mesh = Triangle(true);
    const D3DXVECTOR3 light = Vec(0.2f, 0.2f, -5);
    const ShadowMesh view = mesh.View();
    BuildShadowVolume(view, light, nullptr, 0);
    D3DXVECTOR3 cap[6];
    ASSERT_EQ(6u, BuildShadowCaps(view, light, cap, 6));
    for (int k = 0; k < 3; ++k) {
        const D3DXVECTOR3 nearDistance = cap[k] - light, farDistance = cap[3 + k] - light;
        EXPECT_NEAR(D3DXVec3Length(&farDistance) / D3DXVec3Length(&nearDistance), kShadowExtrusion / kCappedVolumeStart,
                    0.5f);
        const D3DXVECTOR3& v = mesh.positions[k == 0 ? 0 : 3 - k];
        const D3DXVECTOR3 toVertex = v - light;
        EXPECT_NEAR(D3DXVec3Length(&nearDistance), D3DXVec3Length(&toVertex) * kCappedVolumeStart, 1e-4f);
    }
}
