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

    void TearDown() override
    {
        for (IGeometry* model : models)
            model->Release();
        GraphicsTest::TearDown();
    }

    // This test's own file name under "models/".
    static std::string Path(const std::string& suffix) { return "models/" + TestFileName(suffix); }

    std::string Save(const tinygltf::Model& model, bool binary = true, const std::string& tag = "")
    {
        std::string path = Path(tag + (binary ? ".glb" : ".gltf"));
        EXPECT_TRUE(gltfwriter::Write(model, path, binary)) << path;
        return path;
    }

    // The factory's result; a loaded model is released by TearDown, a failed
    // one leaves a null out-parameter.
    HRESULT Create(const std::string& path, IGeometry** out = nullptr)
    {
        IGeometry* geometry = reinterpret_cast<IGeometry*>(0x1);
        HRESULT result = core->CreateObject("gltf", path.c_str(), &geometry);
        if (FAILED(result))
            EXPECT_EQ(nullptr, geometry);
        else
            models.push_back(geometry);
        if (out)
            *out = SUCCEEDED(result) ? geometry : nullptr;
        return result;
    }

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

    std::vector<IGeometry*> models;
};
