#include "cal3d_test_support.h"

#include <string.h>

namespace {

class MeshReader : public Cal3DTest {
protected:
    HRESULT Load(const std::string& name) { return LoadCal3DMesh(name.c_str(), &submeshes); }

    // Three vertices: influences 2, 3 and 1.
    static cal3d::Mesh Skin()
    {
        cal3d::Mesh mesh;
        cal3d::Submesh submesh = Triangle(1);
        submesh.vertices[0].influences = {{0, 0.5f}, {1, 0.5f}};
        submesh.vertices[1].influences = {{2, 0.2f}, {3, 0.3f}, {4, 0.5f}};
        submesh.vertices[2].influences = {{5, 1.0f}};
        mesh.submeshes = {submesh, Triangle(0)};
        return mesh;
    }

    EngineArray<Cal3DSubmesh> submeshes;
};

TEST_F(MeshReader, ReadsSubmeshesVerticesAndInfluences)
{
    ASSERT_EQ(S_OK, Load(Put("skin.cmf", Skin())));
    ASSERT_EQ(2u, submeshes.Count());
    const Cal3DSubmesh& first = submeshes[0];
    EXPECT_EQ(1, first.material);
    ASSERT_EQ(3u, first.vertices.Count());
    EXPECT_EQ(2.0f, first.vertices[2].position.x);
    EXPECT_EQ(0.5f, first.vertices[1].u);
    EXPECT_EQ(0.25f, first.vertices[1].v);
    uint32_t firstInfluence[] = {0, 2, 5}, influenceCount[] = {2, 3, 1};
    for (uint32_t v = 0; v < 3; ++v) {
        EXPECT_EQ(firstInfluence[v], first.vertices[v].firstInfluence) << v;
        EXPECT_EQ(influenceCount[v], first.vertices[v].influenceCount) << v;
    }
    ASSERT_EQ(6u, first.influences.Count());
    EXPECT_EQ(4, first.influences[4].bone);
    EXPECT_EQ(0.5f, first.influences[4].weight);
    ASSERT_EQ(3u, first.indices.Count());
    EXPECT_EQ(2, first.indices[2]);
    EXPECT_EQ(0, submeshes[1].material);
    EXPECT_EQ(3u, submeshes[1].influences.Count());
}

TEST_F(MeshReader, KeepsOnlyTheFirstTextureCoordinateSet)
{
    cal3d::Mesh mesh = Skin();
    mesh.submeshes[0].texCoordSets = 2;
    for (cal3d::Vertex& vertex : mesh.submeshes[0].vertices)
        vertex.texCoords = {{0.75f, 0.125f}, {9, 9}};
    ASSERT_EQ(S_OK, Load(Put("two.cmf", mesh)));
    EXPECT_THAT(Log(), HasSubstr("two.cmf : 2 TexCoords by vertex, only take the first"));
    EXPECT_EQ(0.75f, submeshes[0].vertices[2].u);
    EXPECT_EQ(0.125f, submeshes[0].vertices[2].v);
    EXPECT_EQ(1u, submeshes[0].vertices[2].influenceCount);
    EXPECT_EQ(5, submeshes[0].influences[5].bone);

    mesh.submeshes[0].texCoordSets = 0;
    ASSERT_EQ(S_OK, Load(Put("none.cmf", mesh)));
    EXPECT_EQ(0.0f, submeshes[0].vertices[0].u);
    EXPECT_EQ(2u, submeshes[0].vertices[0].influenceCount);
}

TEST_F(MeshReader, SkipsSpringsAndTheirWeights)
{
    cal3d::Mesh mesh = Skin();
    mesh.submeshes[0].springs.resize(2, cal3d::Spring{7, 8, 9.0f, 10.0f});
    for (cal3d::Vertex& vertex : mesh.submeshes[0].vertices)
        vertex.springWeight = 123.0f;
    ASSERT_EQ(S_OK, Load(Put("springs.cmf", mesh)));
    EXPECT_EQ(3u, submeshes[0].vertices[1].influenceCount);
    EXPECT_EQ(2, submeshes[0].indices[2]);
    EXPECT_EQ(0, submeshes[1].material);
    EXPECT_EQ(1.0f, submeshes[1].vertices[1].position.x);
}

TEST_F(MeshReader, RefusesBadVertexIndicesWithTheirValue)
{
    for (int32_t index : {3, -1, 1000}) {
        cal3d::Mesh mesh = Skin();
        mesh.submeshes[1].indices[1] = index;
        ForgetLog();
        EXPECT_EQ(E_FAIL, Load(Put("bad.cmf", mesh))) << index;
        EXPECT_THAT(Log(), HasSubstr("bad.cmf : bad index of vertex : " + std::to_string(index)));
    }
}

TEST_F(MeshReader, RefusesEmptyMeshesAndForeignFiles)
{
    cal3d::Mesh empty;
    EXPECT_EQ(E_FAIL, Load(Put("empty.cmf", empty)));
    EXPECT_THAT(Log(), HasSubstr("empty.cmf : No SubMeshes"));

    ExpectForeignMagicFails(cal3d::Encode(Skin()), 3, '!', "magic.cmf",
                            [this](const std::string& name) { return Load(name); });
}

TEST_F(MeshReader, VersionsOutsideTheRangeLoad)
{
    ExpectEveryVersionLoads(Skin(), "v.cmf", [this](const std::string& name) { return Load(name); });
}

TEST_F(MeshReader, ShortFilesFailWithoutReadingPastTheEnd)
{
    cal3d::Mesh mesh = Skin();
    mesh.submeshes[0].springs.resize(1);
    mesh.submeshes[0].texCoordSets = 2;
    ExpectEveryCutFails(cal3d::Encode(mesh), "cut.cmf",
                        [this](const std::string& name) { return Load(name); });
}

TEST_F(MeshReader, HugeCountsAreShortFiles)
{
    // Face counts whose index count wraps in 32 bits, vertex and set counts
    // far beyond the file: all must fail before allocating.
    for (uint32_t faces : {0x55555556u, 0xFFFFFFFFu}) {
        cal3d::Mesh mesh = Skin();
        std::vector<uint8_t> bytes = cal3d::Encode(mesh);
        memcpy(&bytes[12 + 8], &faces, 4);
        EXPECT_EQ(QLE_SUBFUNCTION, Load(PutBytes("faces.cmf", bytes))) << faces;
    }
    cal3d::Mesh sets = Skin();
    sets.submeshes[0].vertices.resize(1);
    std::vector<uint8_t> bytes = cal3d::Encode(sets);
    uint32_t many = 0x7FFFFFFF;
    memcpy(&bytes[12 + 20], &many, 4);
    EXPECT_EQ(QLE_SUBFUNCTION, Load(PutBytes("sets.cmf", bytes)));
    EXPECT_THAT(Log(), HasSubstr("Unexpected End Of File"));
}

}  // namespace
