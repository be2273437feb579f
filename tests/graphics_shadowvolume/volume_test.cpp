#include "meshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace {

bool Same(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

D3DXVECTOR3 Away(const D3DXVECTOR3& v, const D3DXVECTOR3& light)
{
    return Vec(light.x + (v.x - light.x) * 1000.0f, light.y + (v.y - light.y) * 1000.0f,
               light.z + (v.z - light.z) * 1000.0f);
}

std::vector<D3DXVECTOR3> Build(TestMesh& mesh, const D3DXVECTOR3& light)
{
    const uint64_t needed = BuildShadowVolume(mesh.View(), light, nullptr, 0);
    std::vector<D3DXVECTOR3> volume(needed);
    EXPECT_EQ(needed, BuildShadowVolume(mesh.View(), light, volume.data(), uint32_t(volume.size())));
    return volume;
}

// Every group of six must be V1 V2 E(V1) V2 E(V2) E(V1).
void ExpectQuadsExtrudedFrom(const std::vector<D3DXVECTOR3>& volume, const D3DXVECTOR3& light)
{
    ASSERT_EQ(0u, volume.size() % 6);
    for (size_t q = 0; q < volume.size(); q += 6) {
        const D3DXVECTOR3* v = &volume[q];
        EXPECT_TRUE(Same(v[2], Away(v[0], light))) << "quad " << q / 6;
        EXPECT_TRUE(Same(v[3], v[1]) && Same(v[4], Away(v[1], light))) << "quad " << q / 6;
        EXPECT_TRUE(Same(v[5], v[2])) << "quad " << q / 6;
    }
}

// Indices of the position pairs (V1, V2) the quads start with.
std::vector<std::pair<WORD, WORD>> ExtrudedEdges(const TestMesh& mesh, const std::vector<D3DXVECTOR3>& volume)
{
    auto indexOf = [&](const D3DXVECTOR3& p) {
        for (size_t i = 0; i < mesh.positions.size(); ++i)
            if (Same(mesh.positions[i], p))
                return WORD(i);
        ADD_FAILURE() << "a quad starts at no vertex of the mesh";
        return WORD(0xFFFF);
    };
    std::vector<std::pair<WORD, WORD>> edges;
    for (size_t q = 0; q < volume.size(); q += 6)
        edges.emplace_back(indexOf(volume[q]), indexOf(volume[q + 1]));
    return edges;
}

// Which side of its plane the light is on, from the outward direction of a
// convex mesh's face, not from the winding.
bool FacesLight(const TestMesh& mesh, uint32_t t, const D3DXVECTOR3& centre, const D3DXVECTOR3& light)
{
    const D3DXVECTOR3& a = mesh.positions[mesh.indices[3 * t]];
    const D3DXVECTOR3& b = mesh.positions[mesh.indices[3 * t + 1]];
    const D3DXVECTOR3& c = mesh.positions[mesh.indices[3 * t + 2]];
    D3DXVECTOR3 n = Vec((b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y),
                        (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z),
                        (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
    const D3DXVECTOR3 outward = Vec(a.x + b.x + c.x - 3 * centre.x, a.y + b.y + c.y - 3 * centre.y,
                                    a.z + b.z + c.z - 3 * centre.z);
    if (n.x * outward.x + n.y * outward.y + n.z * outward.z < 0)
        n = Vec(-n.x, -n.y, -n.z);
    return n.x * (light.x - a.x) + n.y * (light.y - a.y) + n.z * (light.z - a.z) > 0;
}

TEST(ShadowVolume, AnIsolatedTriangleExtrudesItsThreeEdgesWhicheverWayItFaces)
{
    TestMesh mesh;
    mesh.positions = {Vec(0, 0, 5), Vec(0, 1, 5), Vec(1, 0, 5)};
    mesh.indices = {0, 1, 2};
    mesh.Connect();
    // (p2 - p1) x (p1 - p0) points to +z for this triangle.
    const struct {
        D3DXVECTOR3 light;
        bool lit;
    } cases[] = {{Vec(0.2f, 0.2f, 9), true}, {Vec(0.2f, 0.2f, 1), false}, {Vec(-3, 4, 5), true}};
    for (const auto& c : cases) {
        const std::vector<D3DXVECTOR3> volume = Build(mesh, c.light);
        ASSERT_EQ(18u, volume.size());
        EXPECT_EQ(c.lit, mesh.Lit(0));
        ExpectQuadsExtrudedFrom(volume, c.light);
        const auto edges = ExtrudedEdges(mesh, volume);
        for (int k = 0; k < 3; ++k) {
            const WORD a = mesh.indices[k], b = mesh.indices[(k + 1) % 3];
            const std::pair<WORD, WORD> expected = c.lit ? std::make_pair(a, b) : std::make_pair(b, a);
            EXPECT_EQ(expected, edges[k]) << "edge " << k;
        }
    }
}

TEST(ShadowVolume, AClosedMeshExtrudesEachEdgeBetweenLitAndUnlitFacesOnce)
{
    const D3DXVECTOR3 centre = Vec(4, -2, 7);
    const D3DXVECTOR3 lights[] = {Vec(4, 30, 7), Vec(40, -2, 7), Vec(-6, 5, -9), Vec(4.5f, -2.2f, 10.5f)};
    for (TestMesh mesh : {Box(centre, 1.5f), Sphere(centre, 3, 20, 11)}) {
        for (const D3DXVECTOR3& light : lights) {
            SCOPED_TRACE(testing::Message() << "light " << light.x << " " << light.y << " " << light.z
                                            << ", " << mesh.Triangles() << " triangles");
            std::map<std::pair<WORD, WORD>, int> owners;  // undirected edge -> lit sides seen
            std::map<std::pair<WORD, WORD>, int> users;
            for (uint32_t t = 0; t < mesh.Triangles(); ++t) {
                for (int k = 0; k < 3; ++k) {
                    WORD a = mesh.indices[3 * t + k], b = mesh.indices[3 * t + (k + 1) % 3];
                    const auto key = std::minmax(a, b);
                    users[key]++;
                    owners[key] += FacesLight(mesh, t, centre, light) ? 1 : 0;
                }
            }
            std::set<std::pair<WORD, WORD>> expected;
            for (const auto& [key, lit] : owners)
                if (users[key] == 2 && lit == 1)
                    expected.insert(key);
            ASSERT_FALSE(expected.empty());

            const std::vector<D3DXVECTOR3> volume = Build(mesh, light);
            for (uint32_t t = 0; t < mesh.Triangles(); ++t)
                ASSERT_EQ(FacesLight(mesh, t, centre, light), mesh.Lit(t)) << "triangle " << t;
            ExpectQuadsExtrudedFrom(volume, light);
            std::vector<std::pair<WORD, WORD>> found;
            for (const auto& [a, b] : ExtrudedEdges(mesh, volume))
                found.push_back(std::minmax(a, b));
            std::sort(found.begin(), found.end());
            // Sorted, so an edge extruded twice shows as a repeat.
            const decltype(found) wanted(expected.begin(), expected.end());
            EXPECT_EQ(wanted, found);
        }
    }
}

TEST(ShadowVolume, AQuadIsTheSameWhicheverNeighbourItIsFoundFrom)
{
    // A fold along 1-2: one side faces the light, the other does not.
    const std::vector<D3DXVECTOR3> positions = {Vec(0, 0, 0), Vec(1, 0, 0), Vec(0, 1, 0), Vec(1, 1, -1)};
    const D3DXVECTOR3 light = Vec(5, 5, -0.5f);
    const std::vector<WORD> orders[] = {{0, 1, 2, 2, 1, 3}, {2, 1, 3, 0, 1, 2}, {1, 3, 2, 1, 2, 0}};
    std::vector<D3DXVECTOR3> firstQuad;
    for (const auto& indices : orders) {
        TestMesh mesh;
        mesh.positions = positions;
        mesh.indices = indices;
        mesh.Connect();
        const std::vector<D3DXVECTOR3> volume = Build(mesh, light);
        ASSERT_EQ(5u * 6u, volume.size()) << "four open edges and the fold";
        ASSERT_NE(mesh.Lit(0), mesh.Lit(1));
        std::vector<D3DXVECTOR3> quad;
        for (size_t q = 0; q < volume.size(); q += 6) {
            const bool onFold = (Same(volume[q], positions[1]) || Same(volume[q], positions[2])) &&
                                (Same(volume[q + 1], positions[1]) || Same(volume[q + 1], positions[2]));
            if (onFold)
                quad.assign(volume.begin() + q, volume.begin() + q + 6);
        }
        ASSERT_EQ(6u, quad.size());
        if (firstQuad.empty())
            firstQuad = quad;
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(Same(firstQuad[i], quad[i])) << "vertex " << i;
    }
}

TEST(ShadowVolume, FacingLooksFromTheTriangleToTheLight)
{
    // Far from the origin, a light straight above the box lights its top
    // only, whatever the light's own direction from the origin.
    const D3DXVECTOR3 centre = Vec(100, 0, 0);
    TestMesh box = Box(centre, 1);
    const D3DXVECTOR3 light = Vec(100, 10, 0);
    const std::vector<D3DXVECTOR3> volume = Build(box, light);
    ASSERT_EQ(4u * 6u, volume.size());
    for (size_t q = 0; q < volume.size(); q += 6) {
        EXPECT_EQ(1.0f, volume[q].y);
        EXPECT_EQ(1.0f, volume[q + 1].y);
    }
    for (uint32_t t = 0; t < box.Triangles(); ++t)
        EXPECT_EQ(FacesLight(box, t, centre, light), box.Lit(t)) << "triangle " << t;
}

TEST(ShadowVolume, NeverWritesPastTheCapacityAndSaysWhatItNeeds)
{
    TestMesh sphere = Sphere(Vec(1, 2, 3), 2, 16, 8);
    const D3DXVECTOR3 light = Vec(10, 10, 10);
    const std::vector<D3DXVECTOR3> full = Build(sphere, light);
    const uint32_t needed = uint32_t(full.size());
    ASSERT_GT(needed, 12u);

    const D3DXVECTOR3 guard = Vec(-7, -7, -7);
    for (uint32_t capacity : {0u, 1u, 5u, 6u, 13u, needed - 1, needed, needed + 6}) {
        SCOPED_TRACE(testing::Message() << "capacity " << capacity);
        std::vector<D3DXVECTOR3> out(capacity + 32, guard);
        EXPECT_EQ(needed, BuildShadowVolume(sphere.View(), light, out.data(), capacity));
        const uint32_t written = std::min(needed, capacity / 6 * 6);
        for (uint32_t i = 0; i < written; ++i)
            EXPECT_TRUE(Same(full[i], out[i])) << "vertex " << i;
        for (uint32_t i = written; i < out.size(); ++i)
            EXPECT_TRUE(Same(guard, out[i])) << "vertex " << i;
    }
}

TEST(ShadowVolume, TrianglesOutsideThePositionsCastNothing)
{
    TestMesh mesh;
    mesh.positions = {Vec(0, 0, 0), Vec(0, 1, 0), Vec(1, 0, 0)};
    mesh.indices = {0, 1, 2, 1, 0, 3, 0, 2, 999};
    mesh.Connect();
    const D3DXVECTOR3 light = Vec(0, 0, 5);
    // The first triangle alone, its edge 0-1 now shared with a ghost.
    EXPECT_EQ(18u, Build(mesh, light).size());

    // Records naming triangles the mesh does not have are open edges.
    mesh.faces[0].edges[0].neighbourFace = 12345;
    mesh.faces[0].edges[2].neighbourEdge = 7;
    EXPECT_EQ(18u, Build(mesh, light).size());
}

TEST(ShadowVolume, EmptyMeshesGiveNoVolume)
{
    TestMesh empty;
    EXPECT_EQ(0u, BuildShadowVolume(empty.View(), Vec(0, 0, 0), nullptr, 0));
    TestMesh box = Box(Vec(0, 0, 0), 1);
    ShadowMesh view = box.View();
    view.positions = nullptr;
    EXPECT_EQ(0u, BuildShadowVolume(view, Vec(0, 9, 0), nullptr, 0));
}

}  // namespace

// A model above 65 535 vertices keeps 32-bit indices: the same sphere, its
// vertices moved past the 16-bit range, casts the same volume and caps.
TEST(ShadowVolume, ThirtyTwoBitIndicesPastTheSixteenBitRangeCastTheSame)
{
    TestMesh sphere = Sphere(Vec(0, 0, 0), 1.0f, 12, 8);
    sphere.Connect();
    const D3DXVECTOR3 light = Vec(3, 2, -1);
    const ShadowMesh narrow = sphere.View();
    std::vector<D3DXVECTOR3> sides(BuildShadowVolume(narrow, light, nullptr, 0));
    BuildShadowVolume(narrow, light, sides.data(), uint32_t(sides.size()));
    std::vector<D3DXVECTOR3> caps(BuildShadowCaps(narrow, light, nullptr, 0));
    BuildShadowCaps(narrow, light, caps.data(), uint32_t(caps.size()));
    ASSERT_FALSE(sides.empty());
    ASSERT_FALSE(caps.empty());

    const uint32_t shift = 70000;
    std::vector<D3DXVECTOR3> positions(shift, Vec(9, 9, 9));
    positions.insert(positions.end(), sphere.positions.begin(), sphere.positions.end());
    std::vector<uint32_t> indices;
    for (WORD index : sphere.indices)
        indices.push_back(index + shift);
    const uint32_t triangles = sphere.Triangles();
    std::vector<FaceInfo> faces(triangles);
    ASSERT_EQ(S_OK, GenConnectivity(indices.data(), uint32_t(indices.size()), faces.data()));
    std::vector<ShadowEdge> edges(3 * triangles);
    std::vector<uint8_t> facing(triangles);
    std::vector<D3DXVECTOR4> planes(triangles);
    const uint32_t edgeCount = ListShadowEdges(indices.data(), faces.data(), triangles, edges.data(), facing.data());
    EXPECT_EQ(narrow.edgeCount, edgeCount);
    ComputeShadowPlanes(positions.data(), uint32_t(positions.size()), indices.data(), triangles, planes.data(),
                        facing.data());
    const ShadowMesh wide{positions.data(), uint32_t(positions.size()), nullptr, triangles, edges.data(), edgeCount,
                          facing.data(), planes.data(), indices.data()};
    std::vector<D3DXVECTOR3> wideSides(sides.size() + 6);
    ASSERT_EQ(sides.size(), BuildShadowVolume(wide, light, wideSides.data(), uint32_t(wideSides.size())));
    std::vector<D3DXVECTOR3> wideCaps(caps.size() + 6);
    ASSERT_EQ(caps.size(), BuildShadowCaps(wide, light, wideCaps.data(), uint32_t(wideCaps.size())));
    for (size_t i = 0; i < sides.size(); ++i)
        EXPECT_TRUE(Same(sides[i], wideSides[i])) << i;
    for (size_t i = 0; i < caps.size(); ++i)
        EXPECT_TRUE(Same(caps[i], wideCaps[i])) << i;
}
