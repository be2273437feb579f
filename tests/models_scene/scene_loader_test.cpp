// The 3DS scene loader through the core's factory: what the buffers, the
// materials and the log receive from a file, and the loads that must fail.
#include "scene_file_fixture.h"

#include "models/scene/scenearrays.h"

using writer3ds::Material;
using writer3ds::Mesh;
using writer3ds::Scene;

namespace {

Material Red()
{
    return {"red", {51, 0, 0}, {204, 0, 0}, {255, 255, 255}, 50, ""};
}

Material Blue()
{
    return {"blue", {0, 0, 51}, {0, 0, 102}, {0, 0, 0}, 20, ""};
}

Mesh Quad(const std::string& name, float height)
{
    Mesh mesh;
    mesh.name = name;
    mesh.points = {{0, 0, height}, {1, 0, height}, {1, 1, height}, {0, 1, height}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    return mesh;
}

std::vector<WORD> KeptIndices(const ModelScene* model)
{
    const IB* indices = model->Meta()->indexBuffer;
    IB* buffer = const_cast<IB*>(indices);
    return std::vector<WORD>(indices->Indices(), indices->Indices() + buffer->GetCount());
}

}  // namespace

TEST_F(SceneFileTest, MapsPointsMaterialsAndGroupsIntoSortedBuffers)
{
    Scene scene;
    scene.materials = {Red(), Blue()};
    Mesh split = Quad("split", 3);
    split.points[0] = {1, 2, 3};
    split.groups = {{"blue", {0}}, {"red", {1}}};
    Mesh plain = Quad("plain", 0);  // no group: the file's first material
    Mesh lost = Quad("lost", -9);   // names no material: drawn by none
    lost.groups = {{"missing", {0, 1}}};
    scene.meshes = {split, plain, lost};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    const ModelSceneMeta* meta = model->Meta();

    // Axes: a file point (x, y, z) is the engine position (x, z, y).
    const D3DXVECTOR3* positions = meta->vertexBuffer->Positions();
    ASSERT_EQ(12u, meta->vertexBuffer->GetCount());
    EXPECT_EQ(D3DXVECTOR3(1, 3, 2), positions[0]);
    EXPECT_EQ(D3DXVECTOR3(1, 0, 1), positions[6]);  // plain's third point, after split's four

    // Red: split's face 1 then plain's two faces; blue: split's face 0. The
    // lost mesh's faces are nowhere, and nothing else fills the list.
    EXPECT_EQ((std::vector<WORD>{0, 2, 3, 4, 5, 6, 4, 6, 7, 0, 1, 2}), KeptIndices(model));
    ASSERT_EQ(2u, meta->materialCount);
    EXPECT_EQ(0u, meta->materials[0].startIndex);
    EXPECT_EQ(9u, meta->materials[0].indexCount);
    EXPECT_EQ(9u, meta->materials[1].startIndex);
    EXPECT_EQ(3u, meta->materials[1].indexCount);

    const D3DMATERIAL9& red = meta->materials[0].material;
    EXPECT_FLOAT_EQ(0.8f, red.Diffuse.r);
    EXPECT_FLOAT_EQ(0.2f, red.Ambient.r);
    EXPECT_FLOAT_EQ(1.0f, red.Specular.b);
    EXPECT_FLOAT_EQ(1.0f, red.Diffuse.a);
    EXPECT_FLOAT_EQ(0.5f, red.Power);
    EXPECT_EQ(0.0f, red.Emissive.r + red.Emissive.g + red.Emissive.b + red.Emissive.a);
    EXPECT_FLOAT_EQ(0.4f, meta->materials[1].material.Diffuse.b);

    // The lost mesh still counts towards the box.
    D3DXVECTOR3 low, high;
    ASSERT_EQ(S_OK, model->GetBoundingBox(&low, &high));
    EXPECT_EQ(D3DXVECTOR3(0, -9, 0), low);
    EXPECT_EQ(D3DXVECTOR3(1, 3, 2), high);
}

// A quad in red and blue named by the given face groups: the indices kept
// and how many of them each material draws.
class GroupedQuad : public SceneFileTest {
protected:
    void ExpectDrawn(const std::vector<writer3ds::FaceGroup>& groups, const std::vector<WORD>& indices,
                     uint32_t red, uint32_t blue)
    {
        Scene scene;
        scene.materials = {Red(), Blue()};
        Mesh mesh = Quad("quad", 0);
        mesh.groups = groups;
        scene.meshes = {mesh};
        ModelScene* model = Load(scene);
        ASSERT_NE(nullptr, model);
        EXPECT_EQ(indices, KeptIndices(model));
        const ModelSceneMeta* meta = model->Meta();
        EXPECT_EQ(red, meta->materials[0].indexCount);
        EXPECT_EQ(blue, meta->materials[1].indexCount);
    }
};

TEST_F(GroupedQuad, FaceNamedByTwoGroupsIsDrawnOnceByTheFirst)
{
    ExpectDrawn({{"blue", {1, 0, 1}}, {"red", {1}}}, {0, 2, 3, 0, 1, 2}, 0, 6);
}

TEST_F(GroupedQuad, FaceNamedFirstByAMissingMaterialIsDrawnByTheNextGroup)
{
    // Face 1 goes to red, the first group with a material; face 0 to blue.
    ExpectDrawn({{"missing", {1, 0}}, {"red", {1}}, {"blue", {1, 0}}}, {0, 2, 3, 0, 1, 2}, 3, 3);
}

TEST_F(SceneFileTest, FileWithoutMaterialsDrawsWithTheDefaultMaterial)
{
    Scene scene;
    scene.meshes = {Quad("a", 0), Quad("b", 1)};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    const ModelSceneMeta* meta = model->Meta();
    ASSERT_EQ(1u, meta->materialCount);
    const SceneMaterial& material = meta->materials[0];
    EXPECT_EQ(12u, material.indexCount);
    EXPECT_STREQ("", material.textureMap);
    EXPECT_FLOAT_EQ(0.8f, material.material.Diffuse.g);
    EXPECT_FLOAT_EQ(0.3f, material.material.Ambient.g);
    EXPECT_FLOAT_EQ(0.7f, material.material.Specular.g);
    EXPECT_FLOAT_EQ(1.0f, material.material.Power);
    EXPECT_EQ(nullptr, meta->textures[0]);
    EXPECT_NE(std::string::npos, NewLog().find("1 materials for 2 meshes with 4 tris & 8 verts"));
}

TEST_F(SceneFileTest, WritesTheThreeInfoLines)
{
    Scene scene;
    scene.materials = {Red()};
    Mesh mesh = Quad("m", 0);
    mesh.points[2] = {-1.5f, 2.25f, 7};
    scene.meshes = {mesh};
    std::string path = Save(scene);
    ASSERT_EQ(S_OK, Create("3ds", path));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Infos of the 3DS model : " + path + "\n")) << log;
    EXPECT_NE(std::string::npos, log.find("1 materials for 1 meshes with 2 tris & 4 verts\n")) << log;
    EXPECT_NE(std::string::npos, log.find("vMin(-1.500000,0.000000,0.000000) - vMax(1.000000,7.000000,2.250000)\n"))
        << log;
}

TEST_F(SceneFileTest, NormalsSumTheUnitFaceNormalsOfEveryCorner)
{
    // Two triangles of different sizes at a right angle share vertex 0; a
    // third repeats the first. Unweighted sums: (1, 0, 0) twice and (0, 1, 0).
    D3DXVECTOR3 positions[] = {{0, 0, 0}, {0, 0, 5}, {0, 5, 0}, {1, 0, 0}, {0, 0, 1}};
    WORD indices[] = {0, 1, 2, 0, 3, 4, 0, 1, 2};
    D3DXVECTOR3 normals[5];
    ComputeSceneNormals(positions, 5, indices, 9, normals);
    D3DXVECTOR3 expected(2, 1, 0);
    D3DXVec3Normalize(&expected, &expected);
    EXPECT_NEAR(expected.x, normals[0].x, 1e-6f);
    EXPECT_NEAR(expected.y, normals[0].y, 1e-6f);
    EXPECT_NEAR(0.0f, normals[0].z, 1e-6f);
    EXPECT_NEAR(1.0f, normals[2].x, 1e-6f);
    EXPECT_NEAR(1.0f, normals[3].y, 1e-6f);
    D3DXVECTOR3 lone[1] = {{7, 7, 7}};
    ComputeSceneNormals(positions, 1, indices, 0, lone);
    EXPECT_EQ(D3DXVECTOR3(0, 0, 0), lone[0]);  // used by no triangle

    // A sliver next to vertex 0 faces opposite to its neighbour: the two unit
    // normals cancel but for rounding, which has no direction to keep.
    D3DXVECTOR3 sliver[] = {{1.89735e-19f, 0, 6.10046e-24f}, {9.18355e-41f, 7.47397e-41f, 1.1614e-41f}, {1, 0, 1},
                            {0, 0, 1}};
    WORD sliverFaces[] = {0, 1, 2, 0, 2, 3};
    D3DXVECTOR3 sliverNormals[4];
    ComputeSceneNormals(sliver, 4, sliverFaces, 6, sliverNormals);
    EXPECT_EQ(D3DXVECTOR3(0, 0, 0), sliverNormals[0]);
}

TEST_F(SceneFileTest, LoadsUpToTheSixteenBitVertexLimit)
{
    Scene scene;
    scene.meshes = {Points("big", 40000), Points("rest", 25535)};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    EXPECT_EQ(65535u, model->Meta()->vertexBuffer->GetCount());
    // The second mesh's triangle names the last vertices of the 16-bit range.
    EXPECT_EQ((std::vector<WORD>{0, 1, 2, 40000, 40001, 40002}), KeptIndices(model));
}

TEST_F(SceneFileTest, OneVertexMoreTakesThirtyTwoBitIndices)
{
    Scene scene;
    scene.meshes = {Points("big", 40000), Points("rest", 25536)};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    const IB* indices = model->Meta()->indexBuffer;
    EXPECT_EQ(65536u, model->Meta()->vertexBuffer->GetCount());
    ASSERT_TRUE(indices->IsWide());
    EXPECT_EQ(nullptr, indices->Indices());
    EXPECT_EQ(nullptr, model->Meta()->pieces);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 40000, 40001, 40002}),
              std::vector<uint32_t>(indices->WideIndices(), indices->WideIndices() + 6));
    EXPECT_EQ(std::string::npos, NewLog().find("Too much vertices"));
}

TEST_F(SceneFileTest, TextureThatCannotBeLoadedFailsTheWholeModel)
{
    Scene scene;
    Material painted = Red();
    painted.textureMap = "nowhere.tga";
    scene.materials = {Blue(), painted};
    scene.meshes = {Quad("m", 0)};
    std::string path = Save(scene);
    EXPECT_EQ(QLE_SUBFUNCTION, Create("3ds", path));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("nowhere.tga")) << log;
    EXPECT_NE(std::string::npos, log.find("Error while loading the Model " + path)) << log;
    EXPECT_NE(std::string::npos, log.find("3ds<" + path + "> : Loading failed")) << log;
    EXPECT_NE(std::string::npos, log.find("ModelSceneMeta '" + path + "' Destroyed")) << log;
}

TEST_F(SceneFileTest, MissingFileReportsTheReaderError)
{
    EXPECT_EQ(QLE_SUBFUNCTION, Create("3ds", "no_such_scene.3ds"));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("3DSError(s) : ERR_OPENING_FILE: Could not open requested file")) << log;
    EXPECT_NE(std::string::npos, log.find("Error while loading the Model no_such_scene.3ds")) << log;
    // The reader's open-file table is empty again: the same name can be opened.
    Scene scene;
    scene.meshes = {Quad("m", 0)};
    EXPECT_NE(nullptr, Load(scene));
}

TEST_F(SceneFileTest, ChunkPastItsParentLoadsWithAWarning)
{
    // The first object's length runs past the editor chunk: cut there, it
    // swallows the second object, and the file loads with what is left.
    writer3ds::ChunkWriter w;
    w.Begin(0x4D4D), w.Begin(0x3D3D);
    writer3ds::WriteMaterial(w, Red());
    size_t first = w.Size();
    writer3ds::WriteMesh(w, Quad("kept", 0));
    writer3ds::WriteMesh(w, Quad("swallowed", 1));
    w.End(), w.End();
    w.PatchU32(first + 2, 0x7FFFFFFF);
    std::string path = Save(w.Data());
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create("3ds", path, &model)) << NewLog();
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("1 materials for 1 meshes with 2 tris & 4 verts")) << log;
    EXPECT_NE(std::string::npos,
              log.find("Warning : \"1 chunk(s) longer than their parent, read up to its end; the first: 0x4000 at "
                       "byte " +
                       std::to_string(first) + "\""))
        << log;
    EXPECT_EQ(6u, model->Meta()->materials[0].indexCount);
}

// Damaged files the reader accepts but the loader must refuse, before it
// reads or writes past an array.
struct DamagedMesh {
    const char* name;
    void (*damage)(Mesh& mesh);
    const char* record;
};

class SceneDamage : public SceneFileTest, public ::testing::WithParamInterface<DamagedMesh> {};

TEST_P(SceneDamage, RefusedWithARecordNamingTheMesh)
{
    Scene scene;
    scene.materials = {Red()};
    Mesh mesh = Quad("broken", 0);
    GetParam().damage(mesh);
    scene.meshes = {Quad("fine", 1), mesh};
    std::string path = Save(scene);
    EXPECT_EQ(QLE_SUBFUNCTION, Create("3ds", path));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find(GetParam().record)) << log;
    EXPECT_NE(std::string::npos, log.find("Error while loading the Model " + path)) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Loader, SceneDamage,
    ::testing::Values(
        DamagedMesh{"CornerPastTheVertices", [](Mesh& m) { m.faces[1][2] = 4; },
                    "The mesh 'broken' has a face whose corner is not one of its vertices"},
        DamagedMesh{"GroupFacePastTheFaces", [](Mesh& m) { m.groups = {{"red", {0, 2}}}; },
                    "The mesh 'broken' has a material group naming a face it does not have"}),
    [](const ::testing::TestParamInfo<DamagedMesh>& info) { return std::string(info.param.name); });
