// Static glTF scenes: what reaches the buffers, the materials and the
// textures, in engine axes, and what the import leaves out with a Warning.
#include "gltf_fixture.h"

#include "models/import/gltfscene.h"

#include <gmock/gmock.h>

#include <stdio.h>

#include <cmath>

using ::testing::HasSubstr;

namespace {

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// One triangle (0,0,0), (1,0,0), (0,1,0) per mesh, in a node at x = offset.
int AddTriangleNode(gltfwriter::Builder& b, const char* name, float offset, int indices)
{
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = b.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, TINYGLTF_TYPE_VEC3, true);
    primitive.indices = indices;
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives.push_back(primitive);
    b.model.meshes.push_back(mesh);
    tinygltf::Node node;
    node.name = name;
    node.mesh = (int)b.model.meshes.size() - 1;
    node.translation = {offset, 0, 0};
    b.model.nodes.push_back(node);
    return (int)b.model.nodes.size() - 1;
}

}  // namespace

TEST_F(GltfTest, StaticSceneLoadsFromAnotherFolderAsBinaryOrText)
{
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary ? "glb" : "gltf");
        std::string path = Save(gltfwriter::StaticScene(), binary);
        ModelScene* model = LoadScene(path);
        ASSERT_NE(nullptr, model);
        const ModelSceneMeta* meta = model->Meta();
        EXPECT_EQ(7u, meta->vertexBuffer->GetCount());
        EXPECT_EQ(9u, meta->indexBuffer->GetCount());
        ASSERT_EQ(2u, meta->materialCount);
        EXPECT_STREQ("Painted", meta->materials[0].name);
        EXPECT_STREQ("Plain", meta->materials[1].name);
        EXPECT_EQ(6u, meta->materials[0].indexCount);
        EXPECT_EQ(3u, meta->materials[1].indexCount);
        EXPECT_FLOAT_EQ(0.5f, meta->materials[0].material.Diffuse.g);
        EXPECT_FLOAT_EQ(0.6f, meta->materials[1].material.Diffuse.b);
        // The embedded image and the file beside the model both made textures.
        ASSERT_EQ(2u, meta->textureCount);
        EXPECT_NE(nullptr, meta->textures[0]);
        EXPECT_NE(nullptr, meta->textures[1]);
        // The quad turned and lifted to x = 1, y 0..2, z -1..1; the marker
        // scaled by 2 at glTF z = -3, engine z = 3.
        EXPECT_NEAR(0.0f, meta->boxMin.x, 1e-5f);
        EXPECT_NEAR(0.0f, meta->boxMin.y, 1e-5f);
        EXPECT_NEAR(-1.0f, meta->boxMin.z, 1e-5f);
        EXPECT_NEAR(2.0f, meta->boxMax.x, 1e-5f);
        EXPECT_NEAR(4.0f, meta->boxMax.y, 1e-5f);
        EXPECT_NEAR(3.0f, meta->boxMax.z, 1e-5f);
        EngineString type, command;
        ASSERT_EQ(S_OK, model->GetCreationParams(&type, &command));
        EXPECT_EQ(EngineString("gltf"), type);
        EXPECT_EQ(EngineString(path.c_str()), command);
        EXPECT_THAT(NewLog(), HasSubstr("2 materials for 2 meshes with 3 tris & 7 verts"));
    }
}

// The marker, (0,0,0), (1,0,0), (0,2,0) turning counter-clockwise towards a
// glTF viewer on +z, must stay right of and above its corner and face the
// engine's viewer on -z; the quad's normal +z, turned a quarter about +y,
// points along +x.
TEST_F(GltfTest, MeshesKeepTheirSidesAndFacesInEngineAxes)
{
    std::string path = Save(gltfwriter::StaticScene());
    GltfContent content;
    std::string error;
    ASSERT_TRUE(ReadGltf(path, &content, &error)) << error;
    SceneArrays arrays = {};
    ASSERT_EQ(S_OK, BuildGltfScene(content, &arrays));
    ASSERT_EQ(7u, arrays.vertexCount);
    const D3DXVECTOR3* marker = arrays.positions + 4;
    const D3DXVECTOR3 expected[3] = {{0, 0, 3}, {2, 0, 3}, {0, 4, 3}};
    for (int v = 0; v < 3; ++v) {
        EXPECT_NEAR(expected[v].x, marker[v].x, 1e-5f) << v;
        EXPECT_NEAR(expected[v].y, marker[v].y, 1e-5f) << v;
        EXPECT_NEAR(expected[v].z, marker[v].z, 1e-5f) << v;
        EXPECT_NEAR(-1.0f, arrays.normals[4 + v].z, 1e-5f) << v;
    }
    // The marker's triangle, by the engine's facing rule, faces -z.
    const WORD* triangle = arrays.indices + arrays.materials[1].startIndex;
    D3DXVECTOR3 p0 = arrays.positions[triangle[0]], p1 = arrays.positions[triangle[1]], p2 = arrays.positions[triangle[2]];
    D3DXVECTOR3 a = p2 - p1, b = p1 - p0;
    EXPECT_LT(a.x * b.y - a.y * b.x, 0.0f);
    for (int v = 0; v < 4; ++v) {
        EXPECT_NEAR(1.0f, arrays.normals[v].x, 1e-5f) << v;
        EXPECT_NEAR(1.0f, arrays.positions[v].x, 1e-5f) << v;
    }
    FreeSceneArrays(&arrays);
}

TEST_F(GltfTest, TextureMissingBesideTheFileFailsTheLoadUnlessAllowed)
{
    std::string path = Save(gltfwriter::StaticScene());
    ASSERT_EQ(0, remove("models/checker.png"));
    ExpectLoadFailure(path, "checker.png' : loading failed");

    core->AllowMissingTextures(true);
    logMark.Reset();
    ModelScene* model = LoadScene(path);
    ASSERT_NE(nullptr, model);
    EXPECT_THAT(NewLog(), HasSubstr("checker.png' not found: its materials are drawn untextured"));
    EXPECT_NE(nullptr, model->Meta()->textures[0]);
    EXPECT_EQ(nullptr, model->Meta()->textures[1]);
}

TEST_F(GltfTest, ImageInADataUriMakesATexture)
{
    tinygltf::Model scene = gltfwriter::StaticScene();
    tinygltf::Image& image = scene.images[0];
    const tinygltf::BufferView& view = scene.bufferViews[image.bufferView];
    const unsigned char* png = scene.buffers[0].data.data() + view.byteOffset;
    image.uri = "data:image/png;base64," + tinygltf::base64_encode(png, (unsigned)view.byteLength);
    image.bufferView = -1;
    ModelScene* model = LoadScene(Save(scene, false));
    ASSERT_NE(nullptr, model);
    EXPECT_NE(nullptr, model->Meta()->textures[0]);

    // Bytes that are no image fail the load.
    image.uri = "data:image/png;base64," + tinygltf::base64_encode((const unsigned char*)"not a png", 9);
    ExpectLoadFailure(Save(scene, false, "bad"), "paint)' : loading failed");
}

TEST_F(GltfTest, PartsLeftOutAreListedInOneWarningEach)
{
    tinygltf::Model scene = gltfwriter::StaticScene();
    for (int mode : {TINYGLTF_MODE_LINE, TINYGLTF_MODE_POINTS, TINYGLTF_MODE_LINE}) {
        tinygltf::Primitive lines = scene.meshes[1].primitives[0];
        lines.mode = mode;
        scene.meshes[1].primitives.push_back(lines);
    }
    scene.meshes[0].primitives[0].targets.push_back({{"POSITION", 0}});
    scene.cameras.resize(1);
    scene.cameras[0].type = "perspective";
    scene.cameras[0].perspective.yfov = 1;
    scene.cameras[0].perspective.znear = 0.1;
    scene.extensionsUsed = {"KHR_lights_punctual", "KHR_texture_transform"};
    scene.materials[1].alphaMode = "BLEND";
    ModelScene* model = LoadScene(Save(scene));
    ASSERT_NE(nullptr, model);
    EXPECT_EQ(9u, model->Meta()->indexBuffer->GetCount());
    std::string log = NewLog();
    EXPECT_EQ(1u, Count(log, "Primitives other than triangles skipped: lines, points\"")) << log;
    EXPECT_EQ(1u, Count(log, "not supported, left out: KHR_lights_punctual, cameras, morph targets\"")) << log;
    EXPECT_EQ(1u, Count(log, "Blended materials drawn opaque: 'Plain'")) << log;
    EXPECT_EQ(3u, Count(log, "Warning :")) << log;
}

// Indices of one byte, four bytes and none at all draw the same triangle.
TEST_F(GltfTest, IndicesOfAnyComponentTypeOrNoneDrawTheSameTriangle)
{
    gltfwriter::Builder b;
    const uint8_t small[3] = {0, 1, 2};
    int bytes = b.Accessor(b.View(small, 3), TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_SCALAR, 3);
    tinygltf::Scene scene;
    scene.nodes = {AddTriangleNode(b, "bytes", 0, bytes), AddTriangleNode(b, "words", 2, b.Indices32({0, 1, 2})),
                   AddTriangleNode(b, "none", 4, -1)};
    b.model.scenes.push_back(scene);
    GltfContent content;
    std::string error;
    std::vector<uint8_t> file = gltfwriter::Bytes(b.model, true);
    ASSERT_TRUE(ReadGltfBytes(file.data(), file.size(), ".", &content, &error)) << error;
    SceneArrays arrays = {};
    ASSERT_EQ(S_OK, BuildGltfScene(content, &arrays));
    ASSERT_EQ(9u, arrays.indexCount);
    ASSERT_EQ(1u, arrays.materialCount);
    for (uint32_t t = 0; t < 3; ++t)
        for (uint32_t k = 0; k < 3; ++k) {
            const D3DXVECTOR3& p = arrays.positions[arrays.indices[3 * t + k]];
            EXPECT_FLOAT_EQ(2.0f * t + (k == 1), p.x) << t << k;
            EXPECT_FLOAT_EQ(k == 2 ? 1.0f : 0.0f, p.y) << t << k;
        }
    FreeSceneArrays(&arrays);
    ModelScene* model = LoadScene(Save(b.model));
    ASSERT_NE(nullptr, model);
    EXPECT_STREQ("QLDefaultMaterial", model->Meta()->materials[0].name);
}

TEST_F(GltfTest, SceneAboveTheSixteenBitIndexLimitIsRefused)
{
    gltfwriter::Builder b;
    std::vector<float> points;
    for (int i = 0; i < 0x10000; ++i)
        points.insert(points.end(), {(float)(i % 256), (float)(i / 256), 0});
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = b.Floats(points, TINYGLTF_TYPE_VEC3, true);
    primitive.indices = b.Indices32({0, 1, 0xFFFF});
    b.model.meshes.resize(1);
    b.model.meshes[0].primitives.push_back(primitive);
    b.model.nodes.resize(1);
    b.model.nodes[0].mesh = 0;
    ExpectLoadFailure(Save(b.model), "Too much vertices for the IB (NumVertices>0xFFFF)");
}
