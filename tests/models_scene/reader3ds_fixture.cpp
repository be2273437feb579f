#include "reader3ds_fixture.h"

#include "support/file_bytes.h"
#include "support/test_file_name.h"

#include <stdio.h>

std::vector<int32_t> PendingCodes()
{
    std::vector<int32_t> codes;
    for (const ReaderErrorEntry* entry = ReaderErrorList(); entry->code != 0; entry++)
        codes.push_back(entry->code);
    return codes;
}

std::vector<std::string> PendingTexts()
{
    std::vector<std::string> texts;
    for (const ReaderErrorEntry* entry = ReaderErrorList(); entry->code != 0; entry++)
        texts.push_back(entry->text);
    return texts;
}

void Reader3ds::SetUp()
{
    ClearReaderErrors();
    ClearReaderLongNames();
    ClearReaderCutChunks();
}

void Reader3ds::TearDown()
{
    Close();
    EXPECT_TRUE(PendingCodes().empty()) << "closing left errors";
    ClearReaderErrors();
}

std::string Reader3ds::Write(const std::vector<uint8_t>& bytes, const std::string& name)
{
    std::string path = TestFileName("." + name);
    EXPECT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size())) << path;
    return path;
}

void Reader3ds::Read(const std::vector<uint8_t>& bytes)
{
    file = OpenChunkFile(Write(bytes).c_str(), "r");
    ASSERT_TRUE(file != nullptr);
    NewSceneDatabase(&database);
    ReadSceneDatabase(file, database);
}

void Reader3ds::Close()
{
    ClearReaderErrors();
    FreeMeshRecord(&mesh);
    FreeMaterialRecord(&material);
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    file = nullptr;
}

writer3ds::Scene SampleScene()
{
    writer3ds::Scene scene;
    scene.materials = {{"brick", {51, 0, 0}, {204, 102, 0}, {255, 255, 255}, 50, ""},
                       {"grass", {0, 51, 0}, {0, 153, 0}, {0, 0, 0}, 10, "grass.tga"}};
    writer3ds::Mesh wall;
    wall.name = "wall";
    wall.points = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    wall.faces = {{0, 1, 2}, {2, 1, 3}};
    wall.groups = {{"grass", {1}}, {"brick", {0}}};
    writer3ds::Mesh plain;
    plain.name = "plain";
    plain.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    plain.faces = {{0, 1, 2}};
    writer3ds::Mesh lawn = wall;
    lawn.name = "lawn";
    lawn.groups = {{"grass", {0, 1}}};
    scene.meshes = {wall, plain, lawn};
    return scene;
}
