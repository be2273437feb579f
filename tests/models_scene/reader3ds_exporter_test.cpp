// Files as today's exporters write them: names past the classic limits,
// float colours, chunks of their own, a keyframer section; and the damaged
// copies that must still fail.
#include "reader3ds_fixture.h"

#include "exporterstyle.h"
#include <reader3ds_exercise.h>
#include "models/scene/scenearrays.h"

#include <string>

using writer3ds::Material;
using writer3ds::Mesh;
using writer3ds::Scene;

namespace {

HRESULT StopOnReaderError()
{
    return ReaderErrorPending ? E_FAIL : S_OK;
}

Scene NamedScene(const std::string& material, const std::string& map, const std::string& object)
{
    Scene scene;
    Material m;
    m.name = material;
    m.diffuse = {255, 0, 0};
    m.textureMap = map;
    scene.materials = {m, {"other", {}, {0, 255, 0}, {}, 0, ""}};
    Mesh mesh;
    mesh.name = object;
    mesh.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    mesh.faces = {{0, 1, 2}};
    mesh.groups = {{material, {0}}};
    scene.meshes = {mesh};
    return scene;
}

}  // namespace

TEST_F(Reader3ds, LongNamesAreReadWholeAndNoted)
{
    const std::string materialName = "Material #25 - Standard Surface (40 ch)";
    const std::string map = "textures/checker_with_a_long_name_01.png";
    const std::string object = "Box001_exported_object_name";
    Read(writer3ds::WriteScene(NamedScene(materialName, map, object)));
    ASSERT_EQ(2u, CountMaterials(database));
    FetchMaterial(database, 0, &material);
    ASSERT_EQ(1u, CountMeshes(database));
    FetchMesh(database, 0, &mesh);
    EXPECT_TRUE(PendingCodes().empty());
    EXPECT_EQ(materialName, material->name);
    EXPECT_EQ(map, material->maps[MAP_TEXTURE1].name);
    EXPECT_EQ(object, mesh->name);
    ASSERT_EQ(1, mesh->groupCount);
    EXPECT_EQ(materialName, mesh->groups[0].name);

    EXPECT_EQ(map.size(), ReaderLongNames.longest);
    EXPECT_FALSE(ReaderLongNames.cut);
    // Reading the tree passes the names that open containers: the map's comes first.
    EXPECT_EQ(map, ReaderLongNames.first);
    ClearReaderLongNames();
    EXPECT_EQ(0u, ReaderLongNames.longest);
}

TEST_F(Reader3ds, NamesPastTheLongestAreCutAlikeSoGroupsFindTheirMaterial)
{
    // Two names that differ only past the cut become one: the first material wins.
    const std::string longName(300, 'n');
    Read(writer3ds::WriteScene(NamedScene(longName, "", "o")));
    SceneArrays arrays = {};
    EXPECT_EQ(S_OK, ReadSceneArrays(database, StopOnReaderError, &arrays));
    EXPECT_TRUE(PendingCodes().empty());
    ASSERT_EQ(2u, arrays.materialCount);
    EXPECT_EQ(3u, arrays.materials[0].indexCount) << "the group's face is drawn with the cut material";
    EXPECT_TRUE(ReaderLongNames.cut);
    EXPECT_EQ(300u, ReaderLongNames.longest);
    EXPECT_EQ(READER_NAME_LENGTH, strlen(ReaderLongNames.first));
    FreeSceneArrays(&arrays);

    FetchMaterial(database, 0, &material);
    EXPECT_EQ(longName.substr(0, READER_NAME_LENGTH), material->name);
}

TEST_F(Reader3ds, ExporterStyleFilesLoadAndTheirBrokenCopiesFail)
{
    for (const writer3ds::StyledFile& styled : writer3ds::ExporterStyleFiles()) {
        SCOPED_TRACE(styled.name);
        ExerciseCounts counts = ExerciseReader(Write(styled.bytes, styled.name).c_str());
        EXPECT_EQ(0u, counts.errors);
        EXPECT_GE(counts.meshes, 1u);

        Read(styled.bytes);
        SceneArrays arrays = {};
        EXPECT_EQ(S_OK, ReadSceneArrays(database, StopOnReaderError, &arrays));
        EXPECT_EQ(arrays.faceCount * 3, arrays.indexCount) << "every face finds its material";
        FreeSceneArrays(&arrays);
        Close();
    }
    for (const writer3ds::StyledFile& broken : writer3ds::BrokenExporterStyleFiles()) {
        SCOPED_TRACE(broken.name);
        ClearReaderCutChunks();
        ExerciseCounts counts = ExerciseReader(Write(broken.bytes, broken.name).c_str());
        // A chunk running past its parent is cut at the parent's end and
        // noted, not refused.
        if (broken.name == "broken_chunk_past_parent.3ds") {
            EXPECT_EQ(0u, counts.errors);
            EXPECT_EQ(1u, ReaderCutChunks.count);
        } else {
            EXPECT_GT(counts.errors, 0u);
        }
    }
}
