// Meshes and materials fetched from well-formed files.
#include "reader3ds_fixture.h"

#include <functional>
#include <limits>
#include <stdlib.h>
#include <string.h>
#include <string>

using ::testing::ElementsAre;
using writer3ds::ChunkWriter;

namespace {

// A file of one root chunk, `root`, whose children `body` writes.
std::vector<uint8_t> FileUnder(uint16_t root, const std::function<void(ChunkWriter&)>& body)
{
    ChunkWriter w;
    w.Begin(root);
    body(w);
    w.End();
    return w.Data();
}

// A scene file with one material entry whose children `body` writes.
std::vector<uint8_t> MaterialFile(const std::function<void(ChunkWriter&)>& body)
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    w.Begin(0xAFFF);
    w.Begin(0xA000);
    w.String("probe");
    w.End();
    body(w);
    w.End();
    w.End();
    w.End();
    return w.Data();
}

void Rgb(ChunkWriter& w, uint16_t id, uint8_t r, uint8_t g, uint8_t b)
{
    w.Begin(id);
    w.U8(r);
    w.U8(g);
    w.U8(b);
    w.End();
}

}  // namespace

TEST_F(Reader3ds, FetchesMaterialsAsWritten)
{
    Read(writer3ds::WriteScene(SampleScene()));
    ASSERT_TRUE(PendingCodes().empty());
    ASSERT_EQ(2u, CountMaterials(database));

    FetchMaterial(database, 0, &material);
    ASSERT_NE(nullptr, material);
    EXPECT_STREQ("brick", material->name);
    EXPECT_FLOAT_EQ(0.2f, material->ambient.r);
    EXPECT_FLOAT_EQ(0.8f, material->diffuse.r);
    EXPECT_FLOAT_EQ(0.4f, material->diffuse.g);
    EXPECT_FLOAT_EQ(1.0f, material->specular.b);
    EXPECT_FLOAT_EQ(0.5f, material->shininess);
    EXPECT_STREQ("", material->maps[MAP_TEXTURE1].name);

    FetchMaterial(database, 1, &material);
    EXPECT_STREQ("grass", material->name);
    EXPECT_FLOAT_EQ(0.6f, material->diffuse.g);
    EXPECT_FLOAT_EQ(0.1f, material->shininess);
    EXPECT_STREQ("grass.tga", material->maps[MAP_TEXTURE1].name);
    EXPECT_FLOAT_EQ(1.0f, material->maps[MAP_TEXTURE1].strength);

    // Past the count: the record keeps what it had, and nothing is recorded.
    FetchMaterial(database, 2, &material);
    EXPECT_STREQ("grass", material->name);
    EXPECT_TRUE(PendingCodes().empty());
}

TEST_F(Reader3ds, FetchesMeshesWithTheirGroups)
{
    Read(writer3ds::WriteScene(SampleScene()));
    ASSERT_EQ(3u, CountMeshes(database));

    FetchMesh(database, 0, &mesh);
    ASSERT_NE(nullptr, mesh);
    EXPECT_STREQ("wall", mesh->name);
    ASSERT_EQ(4, mesh->vertexCount);
    EXPECT_FLOAT_EQ(10, mesh->points[3].x);
    EXPECT_FLOAT_EQ(12, mesh->points[3].z);
    ASSERT_EQ(2, mesh->faceCount);
    EXPECT_EQ(2, mesh->faces[1].a);
    EXPECT_EQ(1, mesh->faces[1].b);
    EXPECT_EQ(3, mesh->faces[1].c);
    ASSERT_EQ(2, mesh->groupCount);
    EXPECT_STREQ("grass", mesh->groups[0].name);
    EXPECT_THAT(std::vector<uint16_t>(mesh->groups[0].faces, mesh->groups[0].faces + 1), ElementsAre(1));
    EXPECT_STREQ("brick", mesh->groups[1].name);
    EXPECT_FLOAT_EQ(1, mesh->matrix[0]);

    // The same record is reset and refilled by the next fetch.
    FetchMesh(database, 1, &mesh);
    EXPECT_STREQ("plain", mesh->name);
    EXPECT_EQ(3, mesh->vertexCount);
    EXPECT_EQ(0, mesh->groupCount);
    EXPECT_EQ(nullptr, mesh->groups);

    // A mesh can be fetched again: the database decodes it anew.
    FetchMesh(database, 0, &mesh);
    EXPECT_EQ(4, mesh->vertexCount);
    FetchMesh(database, 2, &mesh);
    EXPECT_STREQ("lawn", mesh->name);
    EXPECT_TRUE(PendingCodes().empty());
}

TEST_F(Reader3ds, ObjectsWithoutAMeshAreNotCounted)
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    w.Begin(0x4000);
    w.String("sun");
    w.Begin(0x4600);  // a light
    w.F32(1), w.F32(2), w.F32(3);
    w.End();
    w.End();
    writer3ds::WriteMesh(w, SampleScene().meshes[1]);
    w.End();
    w.Begin(0xB000);  // keyframer, skipped whole
    w.U32(0);
    w.End();
    w.End();
    Read(w.Data());
    EXPECT_EQ(1u, CountMeshes(database));
    FetchMesh(database, 0, &mesh);
    EXPECT_STREQ("plain", mesh->name);
    EXPECT_EQ(0u, CountMaterials(database));
    EXPECT_TRUE(PendingCodes().empty());
}

TEST_F(Reader3ds, MeshBelowItsObjectIsTheWrongObject)
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    w.Begin(0x4000);
    w.String("nested");
    w.Begin(0x8001);  // extended data: only its entries 0x8002..0x800F stay
    w.Begin(0x8002);
    w.End();
    w.End();
    w.Begin(0x4100);
    w.End();
    w.End();
    w.End();
    w.End();
    std::vector<uint8_t> bytes = w.Data();
    Read(bytes);
    EXPECT_EQ(1u, CountMeshes(database));
    FetchMesh(database, 0, &mesh);
    EXPECT_TRUE(PendingCodes().empty()) << "a direct 0x4100 child";
    Close();

    // The mesh chunk moved under another container of the object.
    ChunkWriter v;
    v.Begin(0x4D4D);
    v.Begin(0x3D3D);
    v.Begin(0x4000);
    v.String("nested");
    v.Begin(0x4160);  // mesh matrix: a container with 48 bytes of its own
    for (int i = 0; i < 12; i++)
        v.F32(0);
    v.Begin(0x4100);
    v.End();
    v.End();
    v.End();
    v.End();
    v.End();
    Read(v.Data());
    EXPECT_EQ(1u, CountMeshes(database));
    mesh = (MeshRecord*)calloc(1, sizeof(MeshRecord));
    ASSERT_NE(nullptr, mesh);
    strcpy(mesh->name, "kept");
    FetchMesh(database, 0, &mesh);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_WRONG_OBJECT));
    EXPECT_STREQ("kept", mesh->name) << "the caller's record is left as it was";
}

TEST_F(Reader3ds, WrongRootReadsButHasNoMeshes)
{
    Read(FileUnder(0x1234, [](ChunkWriter& w) { writer3ds::WriteMesh(w, SampleScene().meshes[1]); }));
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_EQ(0u, CountMeshes(database));
    EXPECT_EQ(0u, CountMaterials(database));
    FetchMesh(database, 0, &mesh);
    FetchMaterial(database, 0, &material);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_WRONG_DATABASE));
    ClearReaderErrors();
    FetchMaterial(database, 0, &material);
    EXPECT_THAT(PendingTexts(), ElementsAre(ReaderErrorText(ERR_WRONG_DATABASE)));
}

TEST_F(Reader3ds, UnreadDatabaseIsInvalid)
{
    NewSceneDatabase(&database);
    FetchMesh(database, 0, &mesh);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_INVALID_DATABASE));
    ClearReaderErrors();
}

TEST_F(Reader3ds, MaterialLibraryHasMaterialsOnly)
{
    Read(FileUnder(0x3DAA, [](ChunkWriter& w) { writer3ds::WriteMaterial(w, SampleScene().materials[1]); }));
    ASSERT_EQ(1u, CountMaterials(database));
    FetchMaterial(database, 0, &material);
    EXPECT_STREQ("grass", material->name);
    EXPECT_TRUE(PendingCodes().empty());
    FetchMesh(database, 0, &mesh);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_WRONG_DATABASE));
    ClearReaderErrors();
}

TEST_F(Reader3ds, ShininessFromEitherPercentage)
{
    struct Case {
        const char* what;
        void (*body)(ChunkWriter&);
        float shininess;
    } cases[] = {
        {"integer 50", [](ChunkWriter& w) { w.Begin(0xA040), w.Begin(0x0030), w.U16(50), w.End(), w.End(); }, 0.5f},
        {"float 0.5", [](ChunkWriter& w) { w.Begin(0xA040), w.Begin(0x0031), w.F32(0.5f), w.End(), w.End(); },
         0.5f},
        {"negative", [](ChunkWriter& w) { w.Begin(0xA040), w.Begin(0x0030), w.U16(0xFFF6), w.End(), w.End(); },
         -0.1f},
        {"empty", [](ChunkWriter& w) { w.Begin(0xA040), w.End(); }, 0.0f},
    };
    for (const Case& c : cases) {
        Read(MaterialFile(c.body));
        FetchMaterial(database, 0, &material);
        ASSERT_NE(nullptr, material) << c.what;
        EXPECT_FLOAT_EQ(c.shininess, material->shininess) << c.what;
        EXPECT_TRUE(PendingCodes().empty()) << c.what;
        Close();
    }
}

TEST_F(Reader3ds, LinearColourWinsOverGammaColour)
{
    Read(MaterialFile([](ChunkWriter& w) {
        w.Begin(0xA020);
        Rgb(w, 0x0011, 255, 0, 0);
        Rgb(w, 0x0012, 0, 255, 51);
        w.End();
        w.Begin(0x8040);  // the 0x80xx range is skipped
        w.End();
    }));
    FetchMaterial(database, 0, &material);
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_FLOAT_EQ(0.0f, material->diffuse.r);
    EXPECT_FLOAT_EQ(1.0f, material->diffuse.g);
    EXPECT_FLOAT_EQ(0.2f, material->diffuse.b);
}

void Floats(ChunkWriter& w, uint16_t id, float r, float g, float b)
{
    w.Begin(id);
    w.F32(r), w.F32(g), w.F32(b);
    w.End();
}

TEST_F(Reader3ds, ColoursInEveryFormTheCorrectedCopyFirst)
{
    struct Case {
        const char* what;
        void (*body)(ChunkWriter&);
        ColorF diffuse;
    };
    const Case cases[] = {
        {"floats alone", [](ChunkWriter& w) { Floats(w, 0x0010, 0.25f, 0.5f, 0.75f); }, {0.25f, 0.5f, 0.75f}},
        {"floats clamped, NaN as 0",
         [](ChunkWriter& w) { Floats(w, 0x0010, -0.5f, 1.5f, std::numeric_limits<float>::quiet_NaN()); },
         {0, 1, 0}},
        {"float corrected copy wins over floats",
         [](ChunkWriter& w) { Floats(w, 0x0010, 0.1f, 0.1f, 0.1f), Floats(w, 0x0013, 0.3f, 0.2f, 0.1f); },
         {0.3f, 0.2f, 0.1f}},
        {"float corrected copy alone", [](ChunkWriter& w) { Floats(w, 0x0013, 0.3f, 0.2f, 0.1f); }, {0.3f, 0.2f, 0.1f}},
        {"float corrected copy wins over 24-bit",
         [](ChunkWriter& w) { Rgb(w, 0x0011, 255, 255, 255), Floats(w, 0x0013, 0.3f, 0.2f, 0.1f); },
         {0.3f, 0.2f, 0.1f}},
        {"24-bit corrected copy wins over the float one",
         [](ChunkWriter& w) { Floats(w, 0x0013, 0.3f, 0.2f, 0.1f), Rgb(w, 0x0012, 0, 51, 255); }, {0, 0.2f, 1}},
        {"24-bit before floats of the same kind",
         [](ChunkWriter& w) { Floats(w, 0x0010, 0.3f, 0.2f, 0.1f), Rgb(w, 0x0011, 0, 51, 255); }, {0, 0.2f, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Read(MaterialFile([&c](ChunkWriter& w) {
            w.Begin(0xA020);
            c.body(w);
            w.End();
        }));
        FetchMaterial(database, 0, &material);
        EXPECT_TRUE(PendingCodes().empty());
        EXPECT_FLOAT_EQ(c.diffuse.r, material->diffuse.r);
        EXPECT_FLOAT_EQ(c.diffuse.g, material->diffuse.g);
        EXPECT_FLOAT_EQ(c.diffuse.b, material->diffuse.b);
        Close();
    }
}

TEST_F(Reader3ds, ColourChunkWithoutAColourIsAnUnfoundChunk)
{
    Read(MaterialFile([](ChunkWriter& w) {
        w.Begin(0xA010);
        w.Begin(0x0030), w.U16(50), w.End();
        w.End();
    }));
    FetchMaterial(database, 0, &material);
    EXPECT_THAT(PendingTexts(), ElementsAre(ReaderErrorText(ERR_UNFOUND_CHUNK)));
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_UNFOUND_CHUNK));
}

TEST_F(Reader3ds, UnknownChunksArePassedOverWhereverTheyStand)
{
    Read(MaterialFile([](ChunkWriter& w) {
        w.Begin(0xA777), w.U32(9), w.End();
        w.Begin(0xA020);
        w.Begin(0x0099), w.End();
        Rgb(w, 0x0011, 255, 255, 255);
        w.End();
        w.Begin(0xA200);
        w.Begin(0xA3F0), w.U16(1), w.End();
        w.Begin(0xA300), w.String("after.png"), w.End();
        w.End();
        w.Begin(0xC0DE), w.End();
        w.Begin(0xA084), w.Begin(0x0030), w.U16(40), w.End(), w.End();
    }));
    FetchMaterial(database, 0, &material);
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_FLOAT_EQ(1.0f, material->diffuse.r) << "the fetch went on after the unknown chunk";
    EXPECT_STREQ("after.png", material->maps[MAP_TEXTURE1].name);
    EXPECT_FLOAT_EQ(0.4f, material->selfIllumination);
}

TEST_F(Reader3ds, MapParametersAndMaterialFlags)
{
    Read(MaterialFile([](ChunkWriter& w) {
        w.Begin(0xA230);
        w.Begin(0x0030), w.U16(60), w.End();
        w.Begin(0xA300), w.String("bump_16_chars.tg"), w.End();
        w.Begin(0xA354), w.F32(2.5f), w.End();
        w.Begin(0xA35C), w.F32(45), w.End();
        w.End();
        w.Begin(0xA081), w.End();
        w.Begin(0xA052), w.Begin(0x0030), w.U16(30), w.End(), w.End();
        w.Begin(0xA08A), w.End();
    }));
    FetchMaterial(database, 0, &material);
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_STREQ("bump_16_chars.tg", material->maps[MAP_BUMP].name);
    EXPECT_FLOAT_EQ(0.6f, material->maps[MAP_BUMP].strength);
    EXPECT_FLOAT_EQ(2.5f, material->maps[MAP_BUMP].scale[0]);
    EXPECT_FLOAT_EQ(45, material->maps[MAP_BUMP].rotation);
    EXPECT_TRUE(material->twoSided);
    EXPECT_FLOAT_EQ(-0.3f, material->transparencyFalloff);
    EXPECT_FLOAT_EQ(1.0f, material->wireSize);
    EXPECT_EQ(3, material->shading);
}
