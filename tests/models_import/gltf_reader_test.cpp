// The reader and the scene builder without a device (these run on Windows
// too): where a file's triangles land in engine axes, and which index types
// are read.
#include "gltfwriter.h"

#include "models/import/gltfcontent.h"
#include "models/import/gltfscene.h"

#include <gtest/gtest.h>

namespace {

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

// The marker, (0,0,0), (1,0,0), (0,2,0) turning counter-clockwise towards a
// glTF viewer on +z, must stay right of and above its corner and face the
// engine's viewer on -z; the quad's normal +z, turned a quarter about +y,
// points along +x.
TEST(GltfReader, MeshesKeepTheirSidesAndFacesInEngineAxes)
{
    std::vector<uint8_t> file = gltfwriter::Bytes(gltfwriter::StaticScene(), true);
    GltfContent content;
    std::string error;
    ASSERT_TRUE(ReadGltfBytes(file.data(), file.size(), ".", &content, &error)) << error;
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
    const uint32_t* triangle = arrays.indices + arrays.materials[1].startIndex;
    D3DXVECTOR3 p0 = arrays.positions[triangle[0]], p1 = arrays.positions[triangle[1]], p2 = arrays.positions[triangle[2]];
    D3DXVECTOR3 a = p2 - p1, b = p1 - p0;
    EXPECT_LT(a.x * b.y - a.y * b.x, 0.0f);
    for (int v = 0; v < 4; ++v) {
        EXPECT_NEAR(1.0f, arrays.normals[v].x, 1e-5f) << v;
        EXPECT_NEAR(1.0f, arrays.positions[v].x, 1e-5f) << v;
    }
    FreeSceneArrays(&arrays);
}

// Indices of one byte, four bytes and none at all draw the same triangle.
TEST(GltfReader, IndicesOfAnyComponentTypeOrNoneDrawTheSameTriangle)
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
    EXPECT_STREQ("QLDefaultMaterial", arrays.materials[0].name);
    FreeSceneArrays(&arrays);
}

// KHR_texture_transform on the quad's texture: scale (2, 1), a quarter turn,
// offset (0.5, 0): (u, v) becomes (0.5 - v, 2u).
TEST(GltfReader, TextureTransformMovesTheCoordinates)
{
    tinygltf::Model scene = gltfwriter::StaticScene();
    tinygltf::Value::Object transform;
    transform["offset"] = tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(0.5), tinygltf::Value(0.0)});
    transform["scale"] = tinygltf::Value(tinygltf::Value::Array{tinygltf::Value(2.0), tinygltf::Value(1.0)});
    transform["rotation"] = tinygltf::Value(1.5707963267948966);
    scene.materials[0].pbrMetallicRoughness.baseColorTexture.extensions["KHR_texture_transform"] =
        tinygltf::Value(transform);
    scene.extensionsUsed = {"KHR_texture_transform"};
    std::vector<uint8_t> file = gltfwriter::Bytes(scene, true);
    GltfContent content;
    std::string error;
    ASSERT_TRUE(ReadGltfBytes(file.data(), file.size(), ".", &content, &error)) << error;
    EXPECT_TRUE(content.unsupported.empty());
    SceneArrays arrays = {};
    ASSERT_EQ(S_OK, BuildGltfScene(content, &arrays));
    ASSERT_NE(nullptr, arrays.texCoords);
    // The quad's coordinates (0,1), (1,1), (1,0), (0,0); the marker's untouched.
    const float expected[4][2] = {{-0.5f, 0}, {-0.5f, 2}, {0.5f, 2}, {0.5f, 0}};
    for (int v = 0; v < 4; ++v) {
        EXPECT_NEAR(expected[v][0], arrays.texCoords[v].x, 1e-5f) << v;
        EXPECT_NEAR(expected[v][1], arrays.texCoords[v].y, 1e-5f) << v;
    }
    EXPECT_FLOAT_EQ(1.0f, arrays.texCoords[5].x);
    FreeSceneArrays(&arrays);
}
