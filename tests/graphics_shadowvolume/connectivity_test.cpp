#include "meshes.h"

#include <gtest/gtest.h>

#include <random>
#include <string.h>
#include <string>

namespace {

struct Pairing {
    int32_t face;
    int32_t edge;
};

void ExpectSamePairing(const std::vector<WORD>& indices, uint32_t indexCount)
{
    const uint32_t triangles = indexCount / 3;
    std::vector<FaceInfo> expected(triangles), actual(triangles);
    // Garbage in the records beforehand must not leak into the result.
    memset(actual.data(), 0x5A, actual.size() * sizeof(FaceInfo));
    QuadraticConnectivity(indices.data(), indexCount, expected.data());
    ASSERT_EQ(S_OK, GenConnectivity(indices.data(), indexCount, actual.data()));
    for (uint32_t t = 0; t < triangles; ++t) {
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(testing::Message() << "triangle " << t << " edge " << k);
            EXPECT_EQ(expected[t].edges[k].neighbourFace, actual[t].edges[k].neighbourFace);
            EXPECT_EQ(expected[t].edges[k].neighbourEdge, actual[t].edges[k].neighbourEdge);
        }
    }
}

struct RandomMeshCase {
    uint32_t triangles;
    uint32_t vertices;  // few vertices: many triangles per edge, many degenerate ones
    uint32_t extraIndices;  // a trailing partial triangle
    uint32_t seed;
};

class RandomMeshes : public testing::TestWithParam<RandomMeshCase> {};

TEST_P(RandomMeshes, PairLikeTheFirstMatchScan)
{
    const RandomMeshCase c = GetParam();
    std::mt19937 random(c.seed);
    std::uniform_int_distribution<int> vertex(0, int(c.vertices) - 1);
    std::vector<WORD> indices(c.triangles * 3 + c.extraIndices);
    for (WORD& index : indices)
        index = WORD(vertex(random));
    ExpectSamePairing(indices, uint32_t(indices.size()));
}

INSTANTIATE_TEST_SUITE_P(Connectivity, RandomMeshes,
                         testing::Values(RandomMeshCase{1, 3, 0, 1}, RandomMeshCase{40, 2, 0, 2},
                                         RandomMeshCase{60, 3, 1, 3}, RandomMeshCase{200, 6, 2, 4},
                                         RandomMeshCase{500, 30, 0, 5}, RandomMeshCase{800, 300, 1, 6},
                                         RandomMeshCase{1500, 65535, 2, 7}),
                         [](const testing::TestParamInfo<RandomMeshCase>& info) {
                             return std::to_string(info.param.triangles) + "_triangles_over_" +
                                    std::to_string(info.param.vertices) + "_vertices";
                         });

TEST(Connectivity, ClosedMeshesPairEveryEdgeBothWays)
{
    for (TestMesh mesh : {Box(Vec(0, 0, 0), 1), Sphere(Vec(3, 1, 2), 2, 24, 12)}) {
        ExpectSamePairing(mesh.indices, uint32_t(mesh.indices.size()));
        for (uint32_t t = 0; t < mesh.Triangles(); ++t) {
            for (int k = 0; k < 3; ++k) {
                const EdgeInfo& edge = mesh.faces[t].edges[k];
                ASSERT_GE(edge.neighbourFace, 0);
                const EdgeInfo& back = mesh.faces[edge.neighbourFace].edges[edge.neighbourEdge];
                EXPECT_EQ(int32_t(t), back.neighbourFace);
                EXPECT_EQ(k, back.neighbourEdge);
            }
        }
    }
}

TEST(Connectivity, TrianglesSharingTwoIndicesAreNeighboursWhateverTheirWinding)
{
    struct Case {
        const char* name;
        std::vector<WORD> indices;
        Pairing firstEdge[3];
        Pairing secondEdge[3];
    };
    const Case cases[] = {
        {"opposite directions", {0, 1, 2, 2, 1, 3}, {{-1, -1}, {1, 0}, {-1, -1}}, {{0, 1}, {-1, -1}, {-1, -1}}},
        {"same direction", {0, 1, 2, 1, 2, 3}, {{-1, -1}, {1, 0}, {-1, -1}}, {{0, 1}, {-1, -1}, {-1, -1}}},
        // Equal positions do not matter: 3 and 4 may stand where 1 and 2 do.
        {"duplicated vertices", {0, 1, 2, 4, 3, 5}, {{-1, -1}, {-1, -1}, {-1, -1}}, {{-1, -1}, {-1, -1}, {-1, -1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaceInfo faces[2];
        ASSERT_EQ(S_OK, GenConnectivity(c.indices.data(), 6, faces));
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(c.firstEdge[k].face, faces[0].edges[k].neighbourFace) << "edge " << k;
            EXPECT_EQ(c.firstEdge[k].edge, faces[0].edges[k].neighbourEdge) << "edge " << k;
            EXPECT_EQ(c.secondEdge[k].face, faces[1].edges[k].neighbourFace) << "edge " << k;
            EXPECT_EQ(c.secondEdge[k].edge, faces[1].edges[k].neighbourEdge) << "edge " << k;
        }
    }
}

TEST(Connectivity, AnEdgeOfManyTrianglesKeepsTheScansLastOverwrite)
{
    // Four fins on the edge 0-1, the third one with it as its second edge.
    const WORD indices[] = {0, 1, 2, 1, 0, 3, 4, 0, 1, 1, 0, 5};
    FaceInfo faces[4];
    ASSERT_EQ(S_OK, GenConnectivity(indices, 12, faces));
    // The first fin ends up pointing at the last one; every later fin points
    // at the first.
    const Pairing expected[4] = {{3, 0}, {0, 0}, {0, 0}, {0, 0}};
    const int edgeOnShared[4] = {0, 0, 1, 0};
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(expected[t].face, faces[t].edges[edgeOnShared[t]].neighbourFace) << "fin " << t;
        EXPECT_EQ(expected[t].edge, faces[t].edges[edgeOnShared[t]].neighbourEdge) << "fin " << t;
    }
}

TEST(Connectivity, DegenerateTrianglesPairLikeTheScan)
{
    const std::vector<std::vector<WORD>> meshes = {
        {0, 0, 1, 0, 1, 2},           // a triangle with one edge used twice
        {0, 1, 0, 1, 0, 2, 2, 1, 0},  // the doubled edge met by two other triangles
        {3, 3, 3, 3, 3, 3},           // points
        {0, 1, 1, 1, 0, 0, 0, 1, 2, 2, 1, 0},
    };
    for (const auto& indices : meshes)
        ExpectSamePairing(indices, uint32_t(indices.size()));
}

TEST(Connectivity, NothingToPair)
{
    // No whole triangle: succeeds without touching anything.
    const WORD two[2] = {0, 1};
    EXPECT_EQ(S_OK, GenConnectivity(static_cast<const WORD*>(nullptr), 0, nullptr));
    EXPECT_EQ(S_OK, GenConnectivity(two, 2, nullptr));

    const WORD one[3] = {0, 1, 2};
    FaceInfo face;
    EXPECT_EQ(E_INVALIDARG, GenConnectivity(static_cast<const WORD*>(nullptr), 3, &face));
    EXPECT_EQ(E_INVALIDARG, GenConnectivity(one, 3, nullptr));
    ASSERT_EQ(S_OK, GenConnectivity(one, 3, &face));
    for (const EdgeInfo& edge : face.edges)
        EXPECT_EQ(-1, edge.neighbourFace);
}

}  // namespace
