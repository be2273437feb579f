// Exporter-style files through the core's factory: each loads from another
// folder with its texture found beside it, and long names leave one Warning
// record instead of a refusal.
#include "scene_file_fixture.h"

#include "exporterstyle.h"

#include <filesystem>

namespace {

const char folder[] = "styled_scenes";

}  // namespace

TEST_F(SceneFileTest, ExporterStyleFilesLoadFromTheirFolderWithOneNameWarning)
{
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(writer3ds::SaveExporterStyleFiles(folder));
    struct Expected {
        const char* file;
        const char* warning;
    };
    const Expected expected[] = {
        {"exported_floats.3ds", "(up to 36), first 'checker_texture_with_a_long_name.tga', read in full"},
        {"exported_mixed.3ds", "(up to 300), first 'mmmm"},
        {"exported_own_chunks.3ds", "(up to 36), first 'checker_texture_with_a_long_name.tga', read in full"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.file);
        size_t before = NewLog().size();
        std::string path = std::string(folder) + "/" + e.file;
        ModelScene* model = nullptr;
        ASSERT_EQ(S_OK, Create("3ds", path, &model)) << NewLog();
        std::string log = NewLog().substr(before);
        size_t warning = log.find(e.warning);
        EXPECT_NE(std::string::npos, warning) << log;
        EXPECT_EQ(warning, log.rfind(e.warning)) << "one warning per load\n" << log;
        EXPECT_NE(std::string::npos, log.find("Warning : \"Names longer than 16 characters")) << log;
        const ModelSceneMeta* meta = model->Meta();
        for (uint32_t m = 0; m < meta->materialCount; m++)
            EXPECT_EQ(meta->materials[m].textureMap[0] != 0, meta->textures[m] != nullptr)
                << "a texture found beside the file";
    }
}

// The box's material is textured and the plinth's, drawn after it, is not:
// the plinth must not be drawn with the box's texture still bound.
TEST_F(SceneFileTest, AnUntexturedMaterialDrawsWithNoTextureBound)
{
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(writer3ds::SaveExporterStyleFiles(folder));
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create("3ds", std::string(folder) + "/exported_floats.3ds", &model)) << NewLog();
    const ModelSceneMeta* meta = model->Meta();
    ASSERT_EQ(2u, meta->materialCount);
    ASSERT_NE(nullptr, meta->textures[0]) << "the box's texture, found beside the file";
    ASSERT_EQ(nullptr, meta->textures[1]);
    ASSERT_EQ(S_OK, model->Render()) << NewLog();
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(S_OK, graphics->GetDevice()->GetTexture(0, &bound));
    EXPECT_EQ(nullptr, bound) << "the plinth, drawn last, has no texture";
    if (bound)
        bound->Release();
}
