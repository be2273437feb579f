// Static glTF scenes: what reaches the buffers, the materials and the
// textures, in engine axes, and what the import leaves out with a Warning.
#include "gltf_fixture.h"

#include <gmock/gmock.h>

#include <stdio.h>

#include <cmath>

using ::testing::HasSubstr;

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
    EXPECT_EQ(1u, Occurrences(log, "Primitives other than triangles skipped: lines, points\"")) << log;
    EXPECT_EQ(1u, Occurrences(log, "not supported, left out: KHR_lights_punctual, cameras, morph targets\"")) << log;
    EXPECT_EQ(1u, Occurrences(log, "Blended materials drawn opaque: 'Plain'")) << log;
    EXPECT_EQ(3u, Occurrences(log, "Warning :")) << log;
}

TEST_F(GltfTest, SceneAboveTheSixteenBitIndexLimitTakesThirtyTwoBitIndices)
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
    ModelScene* model = LoadScene(Save(b.model));
    ASSERT_NE(nullptr, model);
    EXPECT_EQ(0x10000u, model->Meta()->vertexBuffer->GetCount());
    ASSERT_NE(nullptr, model->Meta()->indexBuffer);
    EXPECT_TRUE(model->Meta()->indexBuffer->IsWide());
    // The last corner names the last vertex, past 16 bits.
    EXPECT_EQ(0xFFFFu, model->Meta()->indexBuffer->WideIndices()[2]);
}
