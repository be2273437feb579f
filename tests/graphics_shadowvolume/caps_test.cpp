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

namespace {

// The unindexed capped volume, sides then caps, vertex by vertex.
std::vector<D3DXVECTOR3> Unindexed(const ShadowMesh& mesh, const D3DXVECTOR3& light, float start)
{
    std::vector<D3DXVECTOR3> volume(BuildShadowVolume(mesh, light, nullptr, 0, start));
    BuildShadowVolume(mesh, light, volume.data(), uint32_t(volume.size()), start);
    const size_t sides = volume.size();
    volume.resize(sides + BuildShadowCaps(mesh, light, nullptr, 0, start));
    BuildShadowCaps(mesh, light, volume.data() + sides, uint32_t(volume.size() - sides), start);
    return volume;
}

// The indexed one, its copies written at vertex base of a buffer, expanded
// back through its indices.
template <typename Index>
std::vector<D3DXVECTOR3> Expanded(const ShadowMesh& mesh, const D3DXVECTOR3& light, float start, uint32_t base)
{
    const CappedVertexSpan span = CappedVertexRange(mesh);
    std::vector<D3DXVECTOR3> copies(base + 2 * size_t(span.count), Vec(-7, -7, -7));
    BuildCappedVertices(mesh, span, light, start, kShadowExtrusion, copies.data() + base);
    std::vector<Index> indices(BuildCappedSides(mesh, span, light, base, static_cast<Index*>(nullptr), 0));
    EXPECT_EQ(indices.size(), BuildCappedSides(mesh, span, light, base, indices.data(), uint32_t(indices.size())));
    const size_t sides = indices.size();
    indices.resize(sides + BuildCappedCaps(mesh, span, base, static_cast<Index*>(nullptr), 0));
    EXPECT_EQ(indices.size() - sides, BuildCappedCaps(mesh, span, base, indices.data() + sides,
                                                      uint32_t(indices.size() - sides)));
    std::vector<D3DXVECTOR3> volume;
    for (Index index : indices) {
        EXPECT_TRUE(index >= base && index < copies.size()) << index;
        volume.push_back(index < copies.size() ? copies[index] : Vec(0, 0, 0));
    }
    return volume;
}

void ExpectSameVolume(const std::vector<D3DXVECTOR3>& expected, const std::vector<D3DXVECTOR3>& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(expected[i] == actual[i]) << "vertex " << i << " of triangle " << i / 3;
}

}  // namespace

// Drawn indexed, a capped volume is the same triangles, in the same order
// and winding, at the same bits, as written vertex by vertex: for a whole
// mesh, for a part whose vertices start past the first, beside a triangle
// naming a vertex the positions lack, and for both index widths.
TEST(ShadowCaps, IndexedIsTheSameVolumeAsUnindexed)
{
    TestMesh two = Box(Vec(0, 0, 0), 1);
    const TestMesh second = Sphere(Vec(4, 1, 0), 1.5f, 8, 5);
    const WORD shift = WORD(two.positions.size());
    const uint32_t boxTriangles = two.Triangles();
    two.positions.insert(two.positions.end(), second.positions.begin(), second.positions.end());
    for (WORD index : second.indices)
        two.indices.push_back(WORD(index + shift));
    const WORD inert[3] = {WORD(shift + 1), WORD(shift + 2), WORD(two.positions.size() + 3)};
    two.indices.insert(two.indices.end(), inert, inert + 3);
    two.Connect();
    TestMesh grid = Grid();
    const D3DXVECTOR3 lights[] = {Vec(3, 7, -5), Vec(1, -5, 1), Vec(5, 0.5f, 0.2f)};
    for (const D3DXVECTOR3& light : lights) {
        const ShadowMesh whole = two.View();
        struct Case {
            const char* name;
            ShadowMesh mesh;
        } cases[] = {
            {"whole", whole},
            {"box alone", PartOf(whole, 0, boxTriangles)},
            {"sphere and the inert triangle", PartOf(whole, boxTriangles, whole.triangleCount)},
            {"open grid", grid.View()},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", light " << light.x << " " << light.y << " " << light.z);
            const std::vector<D3DXVECTOR3> expected = Unindexed(c.mesh, light, kCappedVolumeStart);
            ASSERT_FALSE(expected.empty());
            ExpectSameVolume(expected, Expanded<WORD>(c.mesh, light, kCappedVolumeStart, 0));
            ExpectSameVolume(expected, Expanded<uint32_t>(c.mesh, light, kCappedVolumeStart, 70000));
            ExpectSameVolume(Unindexed(c.mesh, light, 1.0f), Expanded<WORD>(c.mesh, light, 1.0f, 5));
        }
    }
}

// The copies cover exactly the vertices a part's triangles use.
TEST(ShadowCaps, CopiesSpanTheVerticesThePartUses)
{
    TestMesh mesh = Grid();
    const ShadowMesh whole = mesh.View();
    const CappedVertexSpan all = CappedVertexRange(whole);
    EXPECT_EQ(0u, all.first);
    EXPECT_EQ(16u, all.count);
    // The last row of quads uses vertices 8 to 15.
    const CappedVertexSpan last = CappedVertexRange(PartOf(whole, 12, 6));
    EXPECT_EQ(8u, last.first);
    EXPECT_EQ(8u, last.count);
    ShadowMesh beyond = whole;
    beyond.vertexCount = 4;  // only the first row has positions
    const CappedVertexSpan clipped = CappedVertexRange(beyond);
    EXPECT_EQ(0u, clipped.first);
    EXPECT_EQ(4u, clipped.count);
    beyond.vertexCount = 0;
    EXPECT_EQ(0u, CappedVertexRange(beyond).count);
}
