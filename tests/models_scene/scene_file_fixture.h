// A graphics manager on a started device, and scene files written with the
// 3DS writer and loaded through the core's factory, for the scene model suites.
#pragma once

#include "support/graphics_fixture.h"

#include "support/file_bytes.h"
#include "support/test_file_name.h"

#include "models/scene/modelscene.h"

#include "models/scene/reader3ds.h"
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

    // The factory's result; a loaded model is released by TearDown. The
    // scene factory nulls the out-parameter of a failed load.
    HRESULT Create(const std::string& type, const std::string& command, ModelScene** model = nullptr)
    {
        IGeometry* geometry = nullptr;
        HRESULT result = CreateModel(type, command, &geometry, type == "3ds" || type == "d3map");
        if (model)
            *model = static_cast<ModelScene*>(geometry);
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
};
