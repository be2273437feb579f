// A graphics manager on a started device, and glTF files written with the
// glTF writer into "models/" under the working directory, loaded through the
// core's factory from there: textures beside a file are found from another
// folder.
#pragma once

#include "support/graphics_fixture.h"
#include "support/test_file_name.h"

#include "gltfwriter.h"

#include "graphics/qlgraphres.h"
#include "models/scene/modelscene.h"
#include "models/skinned/modelskel.h"

#include <sys/stat.h>

#include <string>
#include <vector>

class GltfTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GraphicsTest::SetUp());
        ASSERT_EQ(S_OK, StartDevice());
        mkdir("models", 0755);
    }

    // This test's own file name under "models/".
    static std::string Path(const std::string& suffix) { return "models/" + TestFileName(suffix); }

    std::string Save(const tinygltf::Model& model, bool binary = true, const std::string& tag = "")
    {
        std::string path = Path(tag + (binary ? ".glb" : ".gltf"));
        EXPECT_TRUE(gltfwriter::Write(model, path, binary)) << path;
        return path;
    }

    HRESULT Create(const std::string& path, IGeometry** out = nullptr) { return CreateModel("gltf", path, out); }

    ModelScene* LoadScene(const std::string& path)
    {
        IGeometry* geometry = nullptr;
        EXPECT_EQ(S_OK, Create(path, &geometry)) << NewLog();
        EXPECT_TRUE(geometry && geometry->GetType() == EngineString("ModelScene"));
        return static_cast<ModelScene*>(geometry);
    }

    ModelSkel* LoadSkinned(const std::string& path)
    {
        IGeometry* geometry = nullptr;
        EXPECT_EQ(S_OK, Create(path, &geometry)) << NewLog();
        EXPECT_TRUE(geometry && geometry->GetType() == EngineString("ModelSkel"));
        return static_cast<ModelSkel*>(geometry);
    }

    // The records of a load that failed: the importer's and the factory's.
    void ExpectLoadFailure(const std::string& path, const std::string& why)
    {
        logMark.Reset();
        EXPECT_EQ(QLE_SUBFUNCTION, Create(path)) << path;
        std::string log = NewLog();
        EXPECT_NE(std::string::npos, log.find(why)) << log;
        EXPECT_NE(std::string::npos, log.find("Error while loading the Model " + path)) << log;
    }
};
