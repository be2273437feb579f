// The OBJ reader on its own: what the arrays a scene model is built from
// receive from the writer's test scene, small texts and broken files.
#include "obj_files.h"

#include "models/import/objread.h"

#include "allocation_count.h"

#include <math.h>

#include <string>
#include <vector>

namespace {

// The arrays of one read, freed with the test.
struct Read {
    explicit Read(const std::string& path) { result = ReadObjArrays(path.c_str(), &arrays, &notes); }
    ~Read() { FreeSceneArrays(&arrays); }
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;

    const SceneMaterial& Material(const char* name) const
    {
        for (uint32_t j = 0; j < arrays.materialCount; j++)
            if (std::string(arrays.materials[j].name) == name)
                return arrays.materials[j];
        ADD_FAILURE() << "no material " << name;
        return arrays.materials[0];
    }

    // The engine's face normal of triangle t, (p2 - p1) x (p1 - p0), as the
    // normals' pass and the shadow volumes' facing take it.
    D3DXVECTOR3 FaceNormal(uint32_t t) const
    {
        const D3DXVECTOR3& p0 = arrays.positions[arrays.indices[3 * t]];
        const D3DXVECTOR3& p1 = arrays.positions[arrays.indices[3 * t + 1]];
        const D3DXVECTOR3& p2 = arrays.positions[arrays.indices[3 * t + 2]];
        D3DXVECTOR3 normal;
        D3DXVECTOR3 a = p2 - p1, b = p1 - p0;
        D3DXVec3Cross(&normal, &a, &b);
        return normal;
    }

    HRESULT result;
    SceneArrays arrays = {};
    ObjReadNotes notes;
};

D3DXVECTOR3 EngineBlockPoint(int i)
{
    const float* p = objwriter::BLOCK_POINTS[i];
    return D3DXVECTOR3(p[0], p[1], -p[2]);
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

void ExpectColour(float r, float g, float b, const D3DCOLORVALUE& colour, const char* what)
{
    EXPECT_FLOAT_EQ(r, colour.r) << what;
    EXPECT_FLOAT_EQ(g, colour.g) << what;
    EXPECT_FLOAT_EQ(b, colour.b) << what;
    EXPECT_FLOAT_EQ(1.0f, colour.a) << what;
}

}  // namespace

TEST(ObjReader, TestSceneGivesItsCornersTrianglesAndBox)
{
    Read read(SaveModel(objwriter::TestScene("scene")));
    ASSERT_EQ(S_OK, read.result) << read.notes.detail.Chars();
    const SceneArrays& a = read.arrays;
    // A corner per distinct (position, normal, texture coordinate): the
    // quad's two triangles share two corners, the block's faces share points.
    EXPECT_EQ(8u, a.vertexCount);
    EXPECT_EQ(6u, a.faceCount);
    EXPECT_EQ(18u, a.indexCount);
    EXPECT_EQ(2u, a.meshCount);
    EXPECT_EQ(2u, read.notes.shapeCount);
    EXPECT_EQ(8u, read.notes.fileVertexCount);
    // Engine axes: the block's file z of 1 to 3 lies at -3 to -1.
    EXPECT_EQ(D3DXVECTOR3(-1.0f, 0.0f, -3.0f), a.boxMin);
    EXPECT_EQ(D3DXVECTOR3(1.0f, 1.5f, 1.0f), a.boxMax);
    EXPECT_TRUE(read.notes.missingLibrary.IsEmpty());
    EXPECT_TRUE(read.notes.missingMaterial.IsEmpty());
    EXPECT_TRUE(read.notes.parserWarnings.IsEmpty()) << read.notes.parserWarnings.Chars();
}

TEST(ObjReader, MaterialsKeepTheirLibraryOrderColoursAndMaps)
{
    Read read(SaveModel(objwriter::TestScene("scene")));
    ASSERT_EQ(S_OK, read.result);
    ASSERT_EQ(2u, read.arrays.materialCount);
    const SceneMaterial& stone = read.arrays.materials[0];
    const SceneMaterial& paint = read.arrays.materials[1];
    EXPECT_STREQ("stone", stone.name);
    EXPECT_STREQ("paint", paint.name);
    EXPECT_STREQ("maps/stone.tga", stone.textureMap);
    EXPECT_STREQ("", paint.textureMap);
    ExpectColour(0.9f, 0.2f, 0.1f, paint.material.Diffuse, "paint Kd");
    ExpectColour(0.2f, 0.05f, 0.0f, paint.material.Ambient, "paint Ka");
    ExpectColour(0.5f, 0.5f, 0.5f, paint.material.Specular, "paint Ks");
    EXPECT_FLOAT_EQ(20.0f, paint.material.Power);
    // Stone gives no Ka, Ks or Ns: it shows its diffuse colour in the
    // ambient light and no highlight, not the parser's black.
    ExpectColour(1.0f, 1.0f, 1.0f, stone.material.Ambient, "stone ambient");
    ExpectColour(0.0f, 0.0f, 0.0f, stone.material.Specular, "stone specular");
    // The floor's two triangles, then the block's four.
    EXPECT_EQ(0u, stone.startIndex);
    EXPECT_EQ(6u, stone.indexCount);
    EXPECT_EQ(6u, paint.startIndex);
    EXPECT_EQ(12u, paint.indexCount);
}

TEST(ObjReader, MirrorsZAndKeepsFacesOutwardOnAnAsymmetricBlock)
{
    Read read(SaveModel(objwriter::TestScene("scene")));
    ASSERT_EQ(S_OK, read.result);
    const SceneArrays& a = read.arrays;
    D3DXVECTOR3 centre(0, 0, 0);
    for (int i = 0; i < 4; i++)
        centre += EngineBlockPoint(i) * 0.25f;
    // Every block point is there, at (x, y, -z).
    for (int i = 0; i < 4; i++) {
        bool found = false;
        for (uint32_t v = 0; v < a.vertexCount; v++)
            found = found || a.positions[v] == EngineBlockPoint(i);
        EXPECT_TRUE(found) << "block point " << i;
    }
    // The block's faces (triangles 2 to 5) face away from its centre by the
    // engine's normal, as their counter-clockwise file order meant.
    for (uint32_t t = 2; t < 6; t++) {
        D3DXVECTOR3 middle = (a.positions[a.indices[3 * t]] + a.positions[a.indices[3 * t + 1]] +
                              a.positions[a.indices[3 * t + 2]]) / 3.0f;
        EXPECT_GT(Dot(read.FaceNormal(t), middle - centre), 0.0f) << "triangle " << t;
    }
    // Computed vertex normals (the block gives none) point outward too.
    for (uint32_t i = 6; i < 18; i++) {
        uint32_t v = a.indices[i];
        EXPECT_GT(Dot(a.normals[v], a.positions[v] - centre), 0.0f) << "vertex " << v;
        EXPECT_NEAR(1.0f, D3DXVec3Length(&a.normals[v]), 1e-5f);
    }
}

TEST(ObjReader, FileNormalsAgreeWithTheWindingAndCoordinatesFlipV)
{
    Read read(SaveModel(objwriter::TestScene("scene")));
    ASSERT_EQ(S_OK, read.result);
    const SceneArrays& a = read.arrays;
    ASSERT_NE(nullptr, a.texCoords);
    for (uint32_t t = 0; t < 2; t++) {
        D3DXVECTOR3 face = read.FaceNormal(t);
        EXPECT_GT(face.y, 0.0f) << "the floor's triangle " << t << " faces up as its normal says";
        for (uint32_t k = 0; k < 3; k++)
            EXPECT_EQ(D3DXVECTOR3(0, 1, 0), a.normals[a.indices[3 * t + k]]);
    }
    // The floor's file corner (1, 0, -1) has vt (1, 1): the map's top right,
    // v = 0 in Direct3D; (-1, 0, 1) has vt (0, 0).
    for (uint32_t v = 0; v < a.vertexCount; v++) {
        if (a.positions[v] == D3DXVECTOR3(1, 0, 1)) {
            EXPECT_EQ(D3DXVECTOR2(1, 0), a.texCoords[v]);
        }
        if (a.positions[v] == D3DXVECTOR3(-1, 0, -1)) {
            EXPECT_EQ(D3DXVECTOR2(0, 1), a.texCoords[v]);
        }
    }
}

TEST(ObjReader, CornersDifferingInNormalOnlyAreTwoVertices)
{
    // One point shared by two faces with their own normals; two points
    // shared with the same normal.
    Read read(SaveText("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn 0 0 1\nvn 0 1 0\n"
                       "f 1//1 2//1 3//1\nf 1//2 4//2 2//2\nf 2//1 3//1 1//1\n"));
    ASSERT_EQ(S_OK, read.result);
    EXPECT_EQ(6u, read.arrays.vertexCount);
    EXPECT_EQ(9u, read.arrays.indexCount);
    // No material library: one default material holds every triangle.
    ASSERT_EQ(1u, read.arrays.materialCount);
    EXPECT_STREQ(kSceneDefaultMaterial, read.arrays.materials[0].name);
    EXPECT_EQ(9u, read.arrays.materials[0].indexCount);
    EXPECT_EQ(nullptr, read.arrays.texCoords);
}

TEST(ObjReader, PolygonsBecomeFansFromTheirFirstCorner)
{
    Read read(SaveText("v 0 0 0\nv 2 0 0\nv 3 1 0\nv 1 2 0\nv -1 1 0\nf 1 2 3 4 5\n"));
    ASSERT_EQ(S_OK, read.result);
    ASSERT_EQ(9u, read.arrays.indexCount);
    std::vector<uint32_t> indices(read.arrays.indices, read.arrays.indices + 9);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4}), indices);
}

TEST(ObjReader, APolygonOfMoreCornersThanTheParserCountsFails)
{
    std::string text, face = "f";
    for (int i = 0; i < 256; i++) {
        text += "v " + std::to_string(cos(i * 0.0245)) + " " + std::to_string(sin(i * 0.0245)) + " 0\n";
        face += " " + std::to_string(i + 1);
    }
    Read read(SaveText(text + face + "\nf 1 2 3\n"));
    EXPECT_EQ(E_FAIL, read.result);
    EXPECT_EQ(ObjProblem::Parse, read.notes.problem);
}

TEST(ObjReader, BackslashedMapNamesAndUnknownMaterialsFallBack)
{
    objwriter::Model scene = objwriter::TestScene("scene");
    scene.others[0].bytes += "\nnewmtl windows\nKd 0 0 1\nmap_Kd maps\\stone.tga\n";
    scene.obj += "usemtl windows\nf -4 -3 -2\nusemtl lacquer\nf -4 -1 -3\n";
    Read read(SaveModel(scene));
    ASSERT_EQ(S_OK, read.result);
    ASSERT_EQ(4u, read.arrays.materialCount);
    EXPECT_STREQ("maps/stone.tga", read.Material("windows").textureMap);
    // The default material comes last and takes the unknown material's face.
    const SceneMaterial& fallback = read.arrays.materials[3];
    EXPECT_STREQ(kSceneDefaultMaterial, fallback.name);
    EXPECT_EQ(3u, fallback.indexCount);
    EXPECT_EQ(fallback.startIndex + 3, read.arrays.indexCount);
    EXPECT_STREQ("lacquer", read.notes.missingMaterial.Chars());
}

TEST(ObjReader, MapsWithoutCoordinatesAreDropped)
{
    objwriter::Model scene = objwriter::TestScene("scene");
    size_t at;
    while ((at = scene.obj.find("vt ")) != std::string::npos)
        scene.obj.erase(at, scene.obj.find('\n', at) + 1 - at);
    for (const char* corner : {"1/1/1", "2/2/1", "3/3/1", "4/4/1"}) {
        at = scene.obj.find(corner);
        scene.obj.replace(at, strlen(corner), std::string(1, corner[0]) + "//1");
    }
    Read read(SaveModel(scene));
    ASSERT_EQ(S_OK, read.result);
    EXPECT_STREQ("", read.Material("stone").textureMap);
    EXPECT_STREQ("maps/stone.tga", read.notes.uncoordinatedMap.Chars());
    EXPECT_EQ(nullptr, read.arrays.texCoords);
}

TEST(ObjReader, CornersPastSixteenBitIndicesKeepTheirNumbers)
{
    Read over(SaveModel(objwriter::Grid("over", 255)));  // 65536 corners
    ASSERT_EQ(S_OK, over.result);
    ASSERT_EQ(65536u, over.arrays.vertexCount);
    uint32_t highest = 0;
    for (uint32_t i = 0; i < over.arrays.indexCount; i++)
        highest = over.arrays.indices[i] > highest ? over.arrays.indices[i] : highest;
    EXPECT_EQ(65535u, highest);
}

TEST(ObjReader, BrokenScenesFailOrFallBackAsTheirFaultSays)
{
    struct Expected {
        const char* name;
        HRESULT result;
        ObjProblem problem;
        SceneFault fault;
        const char* detail;
    };
    const Expected table[] = {
        {"position_past_count", E_FAIL, ObjProblem::SceneFault, SCENE_FAULT_BAD_CORNER, ""},
        {"relative_before_start", E_FAIL, ObjProblem::SceneFault, SCENE_FAULT_BAD_CORNER, ""},
        {"normal_past_count", E_FAIL, ObjProblem::SceneFault, SCENE_FAULT_BAD_CORNER, ""},
        {"normal_before_start", E_FAIL, ObjProblem::SceneFault, SCENE_FAULT_BAD_CORNER, ""},
        {"texcoord_past_count", E_FAIL, ObjProblem::SceneFault, SCENE_FAULT_BAD_CORNER, ""},
        {"zero_index", E_FAIL, ObjProblem::Parse, SCENE_FAULT_NONE, nullptr},
        {"infinite_position", E_FAIL, ObjProblem::NotFinite, SCENE_FAULT_NONE, "position 3"},
        {"infinite_normal", E_FAIL, ObjProblem::NotFinite, SCENE_FAULT_NONE, "normal 1"},
        {"no_faces", E_FAIL, ObjProblem::NoFaces, SCENE_FAULT_NONE, ""},
        {"empty", E_FAIL, ObjProblem::NoFaces, SCENE_FAULT_NONE, ""},
        {"missing_library", S_OK, ObjProblem::None, SCENE_FAULT_NONE, ""},
        {"missing_texture", S_OK, ObjProblem::None, SCENE_FAULT_NONE, ""},
        {"unknown_material", S_OK, ObjProblem::None, SCENE_FAULT_NONE, ""},
    };
    for (const Expected& expected : table) {
        objwriter::Model model = objwriter::BrokenScene("scene", expected.name);
        ASSERT_FALSE(model.objName.empty()) << expected.name;
        Read read(SaveModel(model, expected.name));
        EXPECT_EQ(expected.result, read.result) << expected.name;
        EXPECT_EQ(expected.problem, read.notes.problem) << expected.name;
        EXPECT_EQ(expected.fault, read.arrays.fault) << expected.name;
        if (expected.detail) {
            EXPECT_STREQ(expected.detail, read.notes.detail.Chars()) << expected.name;
        }
        if (expected.fault == SCENE_FAULT_BAD_CORNER) {
            // The shape the bad corner is in.
            EXPECT_STREQ(expected.name[0] == 'n' || expected.name[0] == 't' ? "floor" : "block",
                         read.arrays.faultMesh) << expected.name;
        }
    }
    Read lost(SaveModel(objwriter::BrokenScene("scene", "missing_library"), "lost"));
    ASSERT_EQ(S_OK, lost.result);
    EXPECT_STREQ("scene.mtl", lost.notes.missingLibrary.Chars());
    ASSERT_EQ(1u, lost.arrays.materialCount);
    EXPECT_EQ(18u, lost.arrays.materials[0].indexCount);
}

// Subdivision tags ("t") are a parser extension the engine does not use; the
// parser would make up to 8192 numbers and strings for each tag line (and copy
// every tag into each shape), so a small file could ask for gigabytes.
TEST(ObjReader, TagLinesCostNoMemory)
{
    const std::string plain = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    std::string tagged = plain;
    for (int i = 0; i < 4; i++)
        tagged += "t crease 8192/8192/8192\n";
    std::string plainPath = SaveText(plain), taggedPath = SaveText(tagged, "tagged.obj");
    size_t plainBytes = BytesAllocatedBy([&] { Read read(plainPath); });
    size_t taggedBytes = BytesAllocatedBy([&] {
        Read read(taggedPath);
        EXPECT_EQ(S_OK, read.result);
        EXPECT_EQ(3u, read.arrays.indexCount);
    });
    EXPECT_LT(taggedBytes, plainBytes + 16 * 1024) << plainBytes;
}
