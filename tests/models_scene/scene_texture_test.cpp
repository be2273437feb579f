// Texture maps drawn through the coordinates the file gives: the vertex
// format that carries them, the map's tiling applied at load, and the cube
// whose faces each show the quarter of the map their coordinates select.
#include "scene_file_fixture.h"

#include "support/engine_log.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using writer3ds::Material;
using writer3ds::Mesh;
using writer3ds::Scene;

namespace {

const char MAP[] = "quarters.tga";
using Rgb = std::array<uint8_t, 3>;
// The map's quarters as the image shows them: top left, top right, bottom
// left, bottom right.
const Rgb QUARTERS[4] = {{220, 30, 30}, {30, 200, 40}, {40, 50, 230}, {240, 220, 20}};

// A 64 x 64 uncompressed TGA stored top row first.
std::vector<uint8_t> QuartersTga()
{
    const int size = 64;
    std::vector<uint8_t> tga(18, 0);
    tga[2] = 2;
    tga[12] = tga[14] = size;
    tga[16] = 24;
    tga[17] = 0x20;  // top-left origin
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            const Rgb& c = QUARTERS[(y >= size / 2) * 2 + (x >= size / 2)];
            tga.insert(tga.end(), {c[2], c[1], c[0]});  // BGR
        }
    return tga;
}

Material Mapped(const std::string& name)
{
    Material material{name, {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, 0, MAP};
    return material;
}

// A unit quad in the file's z = 0 plane; coordinates follow the points.
Mesh Quad(const std::string& name)
{
    Mesh mesh;
    mesh.name = name;
    mesh.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    return mesh;
}

// The device vertices of a loaded model, read back as floats.
std::vector<float> DeviceVertices(const ModelScene* model)
{
    VB* vertices = model->Meta()->vertexBuffer;
    std::vector<float> floats(vertices->GetCount() * vertices->Stride() / sizeof(float));
    void* data = nullptr;
    if (vertices->Buffer()->Lock(0, 0, &data, D3DLOCK_READONLY) == S_OK) {
        memcpy(floats.data(), data, floats.size() * sizeof(float));
        vertices->Buffer()->Unlock();
    }
    return floats;
}

class SceneTexture : public SceneFileTest {
protected:
    void SetUp() override
    {
        SceneFileTest::SetUp();
        std::vector<uint8_t> tga = QuartersTga();
        ASSERT_TRUE(WriteFileBytes(MAP, tga.data(), tga.size()));
    }
};

}  // namespace

TEST_F(SceneTexture, VerticesCarryCoordinatesOnlyWhenAMapCanUseThem)
{
    Scene plain;
    plain.materials = {{"plain", {9, 9, 9}, {99, 99, 99}, {0, 0, 0}, 10, ""}};
    plain.meshes = {Quad("q")};
    ModelScene* model = Load(plain);
    ASSERT_NE(nullptr, model);
    EXPECT_EQ((DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL), model->Meta()->vertexBuffer->Fvf());
    EXPECT_EQ(24u, model->Meta()->vertexBuffer->Stride());

    Scene mapped = plain;
    mapped.materials.push_back(Mapped("mapped"));
    model = Load(mapped);
    ASSERT_NE(nullptr, model);
    EXPECT_EQ((DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), model->Meta()->vertexBuffer->Fvf());
    EXPECT_EQ(32u, model->Meta()->vertexBuffer->Stride());
    // Coordinates follow the normal; 3D Studio's v runs up the image.
    std::vector<float> v = DeviceVertices(model);
    EXPECT_EQ(1.0f, v[8 + 6]);
    EXPECT_EQ(1.0f, v[8 + 7]);
}

// A map the file gives no coordinates for would show one texel on every
// face: the material is drawn in its own colour, and the load says why.
TEST_F(SceneTexture, MapsWithoutCoordinatesAreDrawnInTheirMaterialsColours)
{
    Scene scene;
    scene.materials = {Mapped("mapped")};
    scene.meshes = {Quad("q")};
    scene.meshes[0].texCoords.clear();
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    EXPECT_EQ(24u, model->Meta()->vertexBuffer->Stride());
    ASSERT_EQ(1u, model->Meta()->textureCount);
    EXPECT_EQ(nullptr, model->Meta()->textures[0]);
    std::string log = NewLog();
    const std::string warning = "no texture coordinates (the first map: 'quarters.tga')";
    EXPECT_NE(std::string::npos, log.find(warning)) << log;
    EXPECT_EQ(log.find(warning), log.rfind(warning)) << "one warning per load";

    scene.materials[0].textureMap = "missing.tga";
    EXPECT_TRUE(FAILED(Create("3ds", Save(scene)))) << "a missing map still fails the load";
}

// Map files a user's model names but does not ship: strict by default; with
// the core's leave, those materials load untextured, each missing file named
// once. A map that is there but unreadable still fails the load.
TEST_F(SceneTexture, MissingMapFilesLeaveTheirMaterialsUntexturedWhenTheCoreAllows)
{
    std::remove("gone.tga");
    std::remove("elsewhere.tga");
    Scene scene;
    Material gone = Mapped("gone"), again = Mapped("again"), other = Mapped("other");
    gone.textureMap = again.textureMap = "gone.tga";
    other.textureMap = "elsewhere.tga";
    scene.materials = {gone, again, other, Mapped("present")};
    Mesh quad = Quad("q"), second = Quad("r");
    quad.groups = {{"gone", {0}}, {"again", {1}}};
    second.groups = {{"other", {0}}, {"present", {1}}};
    scene.meshes = {quad, second};
    EXPECT_TRUE(FAILED(Create("3ds", Save(scene)))) << "strict by default";
    LogMark allowed;

    core->AllowMissingTextures(true);
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    const ModelSceneMeta* meta = model->Meta();
    ASSERT_EQ(4u, meta->textureCount);
    EXPECT_EQ(nullptr, meta->textures[0]);
    EXPECT_EQ(nullptr, meta->textures[1]);
    EXPECT_EQ(nullptr, meta->textures[2]);
    EXPECT_NE(nullptr, meta->textures[3]);
    std::string log = allowed.Since();
    for (const char* file : {"gone.tga", "elsewhere.tga"}) {
        const std::string warning = std::string("Warning : \"Texture '") + file + "' not found";
        EXPECT_NE(std::string::npos, log.find(warning)) << log;
        EXPECT_EQ(log.find(warning), log.rfind(warning)) << "one warning per missing file";
    }
    EXPECT_EQ(std::string::npos, log.find("Error")) << log;

    const uint8_t unreadable[] = {1, 2, 3};
    ASSERT_TRUE(WriteFileBytes("gone.tga", unreadable, sizeof unreadable));
    EXPECT_TRUE(FAILED(Create("3ds", Save(scene)))) << "a map that is there must load";
    std::remove("gone.tga");
}

// Two materials of different tilings share two vertices of a quad; a third
// material asks for a mirrored map and a fourth for a decal.
TEST_F(SceneTexture, EachMaterialsTilingAndOffsetReachItsOwnTriangles)
{
    Scene scene;
    Material tiled = Mapped("tiled");
    tiled.mapParameters = true;
    tiled.mapScale = {2, 3};
    tiled.mapOffset = {0.25f, 0.5f};
    Material mirrored = Mapped("mirrored"), decal = Mapped("decal");
    mirrored.mapParameters = decal.mapParameters = true;
    mirrored.mapTiling = 0x0002;
    decal.mapTiling = 0x0010;
    mirrored.mapScale = decal.mapScale = {1, 1};
    scene.materials = {tiled, Mapped("once"), mirrored, decal};
    Mesh quad = Quad("q");
    quad.texCoords = {{0.1f, 0.2f}, {0.9f, 0.2f}, {0.9f, 0.7f}, {0.1f, 0.7f}};
    quad.groups = {{"tiled", {0}}, {"once", {1}}};
    Mesh other = Quad("r");
    other.groups = {{"mirrored", {0}}, {"decal", {1}}};
    scene.meshes = {quad, other};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);
    std::string log = NewLog();

    // Each corner of each triangle: the file's point and its coordinate
    // under its own material's tiling, v turned to run down the image.
    const ModelSceneMeta* meta = model->Meta();
    std::vector<float> v = DeviceVertices(model);
    const WORD* indices = meta->indexBuffer->Indices();
    struct Tiling {
        float su, sv, ou, ov;
    } tilings[2] = {{2, 3, 0.25f, 0.5f}, {1, 1, 0, 0}};
    for (uint32_t m = 0; m < 2; m++) {
        const SceneMaterial& material = meta->materials[m];
        ASSERT_EQ(3u, material.indexCount);
        const std::array<uint16_t, 3>& face = quad.faces[m];
        for (uint32_t k = 0; k < 3; k++) {
            SCOPED_TRACE(testing::Message() << "material " << m << " corner " << k);
            const float* vertex = &v[indices[material.startIndex + k] * 8];
            const writer3ds::Vec3& point = quad.points[face[k]];
            EXPECT_EQ(D3DXVECTOR3(point[0], point[2], point[1]), D3DXVECTOR3(vertex[0], vertex[1], vertex[2]));
            const Tiling& t = tilings[m];
            EXPECT_FLOAT_EQ(quad.texCoords[face[k]][0] * t.su + t.ou, vertex[6]);
            EXPECT_FLOAT_EQ(1 - (quad.texCoords[face[k]][1] * t.sv + t.ov), vertex[7]);
        }
    }
    // The two shared vertices are copied for the second tiling; the other
    // mesh's materials tile alike and copy nothing.
    EXPECT_EQ(10u, meta->vertexBuffer->GetCount());
    EXPECT_NE(std::string::npos, log.find("2 meshes with 4 tris & 8 verts")) << log;

    const std::string warning = "Texture maps marked mirrored or decal are drawn tiled, the first in material "
                                "'mirrored'";
    size_t at = log.find(warning);
    EXPECT_NE(std::string::npos, at) << log;
    EXPECT_EQ(at, log.rfind("Texture maps marked")) << "one warning per load";
}

TEST_F(SceneTexture, CoordinatesNotOnePerVertexAreRefused)
{
    Scene scene;
    scene.materials = {Mapped("mapped")};
    Mesh broken = Quad("broken");
    broken.texCoords.pop_back();
    scene.meshes = {Quad("fine"), broken};
    std::string path = Save(scene);
    EXPECT_EQ(QLE_SUBFUNCTION, Create("3ds", path));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("The mesh 'broken' has 3 texture coordinates for its 4 vertices")) << log;
    EXPECT_NE(std::string::npos, log.find("Error while loading the Model " + path)) << log;
}

// A cube of 24 vertices, four per face, each face's coordinates inside one
// quarter of the map. Turned face after face towards the camera, with
// lighting off so that a pixel is its texel, every pixel of the face's
// middle shows that quarter.
TEST_F(SceneTexture, EachCubeFaceShowsTheQuarterItsCoordinatesSelect)
{
    // 3D Studio's (u, v) of a quarter's middle; v runs up the image.
    const float middle[4][2] = {{0.25f, 0.75f}, {0.75f, 0.75f}, {0.25f, 0.25f}, {0.75f, 0.25f}};
    const int faceQuarter[6] = {0, 1, 2, 3, 2, 1};
    // Each face by its outward axis in file coordinates and the two axes spanning it.
    const int axes[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}};
    const float side[6] = {-1, 1, -1, 1, -1, 1};
    Mesh cube;
    cube.name = "cube";
    for (int f = 0; f < 6; f++) {
        uint16_t first = (uint16_t)cube.points.size();
        for (int corner = 0; corner < 4; corner++) {
            float a = corner == 1 || corner == 2 ? 10.0f : -10.0f, b = corner >= 2 ? 10.0f : -10.0f;
            writer3ds::Vec3 p{};
            p[axes[f][0]] = side[f] * 10;
            p[axes[f][1]] = a;
            p[axes[f][2]] = b;
            cube.points.push_back(p);
            const float* m = middle[faceQuarter[f]];
            cube.texCoords.push_back({m[0] + a * 0.015f, m[1] + b * 0.015f});
        }
        // Counter-clockwise seen from outside: corners 0 1 2 turn from the
        // first spanning axis to the second, outward when that pair's
        // cross product points to this side.
        bool outward = ((axes[f][1] + 1) % 3 == axes[f][2]) == (side[f] > 0);
        uint16_t second = (uint16_t)(first + (outward ? 1 : 3)), fourth = (uint16_t)(first + (outward ? 3 : 1));
        cube.faces.push_back({first, second, (uint16_t)(first + 2)});
        cube.faces.push_back({first, (uint16_t)(first + 2), fourth});
    }
    Scene scene;
    scene.materials = {Mapped("quarters")};
    scene.meshes = {cube};
    ModelScene* model = Load(scene);
    ASSERT_NE(nullptr, model);

    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    D3DXVECTOR3 eye(0, 0, -60), at(0, 0, 0), up(0, 1, 0);
    ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
    ASSERT_EQ(S_OK, graphics->SetLightning(false, D3DCOLOR_XRGB(255, 255, 255)));
    // Engine axes are the file's (x, z, y): the turn that brings each
    // face's outward normal to -z, towards the camera.
    const float quarterTurn = (float)M_PI / 2;
    D3DXMATRIX turns[6];
    D3DXMatrixRotationY(&turns[0], -quarterTurn);   // file -x
    D3DXMatrixRotationY(&turns[1], quarterTurn);    // file +x
    D3DXMatrixIdentity(&turns[2]);                  // file -y
    D3DXMatrixRotationY(&turns[3], 2 * quarterTurn);  // file +y
    D3DXMatrixRotationX(&turns[4], quarterTurn);    // file -z
    D3DXMatrixRotationX(&turns[5], -quarterTurn);   // file +z
    for (int f = 0; f < 6; f++) {
        SCOPED_TRACE(testing::Message() << "face " << f);
        model->SetMatrix(turns[f]);
        ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f)) << NewLog();
        std::vector<uint32_t> frame;
        uint32_t width = 0, height = 0;
        ASSERT_TRUE(QLTest_ReadPresentedFrame(&frame, &width, &height));
        const Rgb& expected = QUARTERS[faceQuarter[f]];
        int wrong = 0;
        uint32_t firstWrong = 0;
        for (uint32_t y = height / 2 - 40; y <= height / 2 + 40; y++)
            for (uint32_t x = width / 2 - 40; x <= width / 2 + 40; x++) {
                uint32_t p = frame[(size_t)y * width + x];
                int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (abs(r - expected[0]) > 8 || abs(g - expected[1]) > 8 || abs(b - expected[2]) > 8) {
                    if (!wrong++)
                        firstWrong = p;
                }
            }
        EXPECT_EQ(0, wrong) << "first wrong pixel " << std::hex << firstWrong;
    }
}
