// A graphics manager on a started device, and scene files written with the
// 3DS writer and loaded through the core's factory, for the scene model suites.
#pragma once

#include "support/graphics_fixture.h"

#include "support/file_bytes.h"
#include "support/test_file_name.h"

#include "models/scene/modelscene.h"

#include "reader3ds.h"
#include "writer3ds.h"

#include <stdio.h>
#include <string>
#include <vector>

class SceneFileTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(S_OK, StartDevice());
        ClearReaderErrors();
    }

    void TearDown() override
    {
        for (IGeometry* model : models)
            if (model)
                model->Release();
        // A load, failed or not, leaves nothing pending in the reader.
        EXPECT_FALSE(ReaderErrorPending);
        GraphicsTest::TearDown();
    }

    std::string Save(const writer3ds::Scene& scene)
    {
        std::string path = TestFileName(".3ds");
        EXPECT_TRUE(writer3ds::SaveScene(scene, path));
        return path;
    }

    std::string Save(const std::vector<uint8_t>& bytes)
    {
        std::string path = TestFileName(".3ds");
        EXPECT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size())) << path;
        return path;
    }

    // The factory's result; a loaded model is released by TearDown.
    HRESULT Create(const std::string& type, const std::string& command, ModelScene** model = nullptr)
    {
        // The scene factory nulls the out-parameter of a failed load.
        bool ours = type == "3ds" || type == "d3map";
        IGeometry* geometry = ours ? reinterpret_cast<IGeometry*>(0x1) : nullptr;
        HRESULT result = core->CreateObject(type.c_str(), command.c_str(), &geometry);
        if (FAILED(result))
            EXPECT_EQ(nullptr, geometry);
        else
            models.push_back(geometry);
        if (model)
            *model = SUCCEEDED(result) ? static_cast<ModelScene*>(geometry) : nullptr;
        return result;
    }

    ModelScene* Load(const writer3ds::Scene& scene)
    {
        ModelScene* model = nullptr;
        EXPECT_EQ(S_OK, Create("3ds", Save(scene), &model)) << NewLog();
        return model;
    }

    // A mesh of `count` points along a line, with one triangle, in no group.
    static writer3ds::Mesh Points(const std::string& name, uint32_t count)
    {
        writer3ds::Mesh mesh;
        mesh.name = name;
        for (uint32_t i = 0; i < count; i++)
            mesh.points.push_back({(float)(i % 1000), (float)(i / 1000), 0});
        mesh.faces = {{0, 1, 2}};
        return mesh;
    }

    std::vector<IGeometry*> models;
};
