// OBJ models through the core's factory: buffers, materials and textures on
// a started device, the records a load writes, and the loads that must fail
// leaving no model behind.
#include "obj_files.h"

#include "support/graphics_fixture.h"

#include "models/scene/modelscene.h"
#include "models/scene/scenearrays.h"

#include "models/import/objread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <string>

namespace {

class ObjLoad : public GraphicsTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GraphicsTest::SetUp());
        ASSERT_EQ(S_OK, StartDevice());
    }

    void TearDown() override
    {
        for (IGeometry* model : models)
            model->Release();
        GraphicsTest::TearDown();
    }

    HRESULT Create(const std::string& path, ModelScene** model = nullptr)
    {
        IGeometry* geometry = reinterpret_cast<IGeometry*>(0x1);
        HRESULT result = core->CreateObject("obj", path.c_str(), &geometry);
        if (FAILED(result))
            EXPECT_EQ(nullptr, geometry) << "a failed load leaves no model";
        else
            models.push_back(geometry);
        if (model)
            *model = SUCCEEDED(result) ? static_cast<ModelScene*>(geometry) : nullptr;
        return result;
    }

    static objwriter::Model BrokenScene(const char* name) { return objwriter::BrokenScene("scene", name); }

    std::vector<IGeometry*> models;
};

bool Has(const std::string& log, const std::string& text)
{
    return log.find(text) != std::string::npos;
}

}  // namespace

TEST_F(ObjLoad, SceneLoadedFromAnotherFolderFindsItsLibraryAndMapBesideIt)
{
    std::string path = SaveModel(objwriter::TestScene("scene"), "model");
    std::string elsewhere = TestFolder() + "/elsewhere";
    ASSERT_TRUE(objwriter::Save(objwriter::Model{"placeholder.obj", "", {}}, elsewhere));
    char home[4096];
    ASSERT_NE(nullptr, getcwd(home, sizeof home));
    ASSERT_EQ(0, chdir(elsewhere.c_str()));
    ModelScene* model = nullptr;
    HRESULT result = Create("../model/scene.obj", &model);
    ASSERT_EQ(0, chdir(home));
    ASSERT_EQ(S_OK, result) << NewLog();

    const ModelSceneMeta* meta = model->Meta();
    EXPECT_EQ(8u, meta->vertexBuffer->GetCount());
    EXPECT_EQ((DWORD)(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1), meta->vertexBuffer->Fvf());
    ASSERT_EQ(2u, meta->materialCount);
    ASSERT_EQ(2u, meta->textureCount);
    EXPECT_NE(nullptr, meta->textures[0]) << "stone's map, beside the model";
    EXPECT_EQ(nullptr, meta->textures[1]);
    D3DXVECTOR3 low, high;
    ASSERT_EQ(S_OK, model->GetBoundingBox(&low, &high));
    EXPECT_EQ(D3DXVECTOR3(-1, 0, -3), low);
    EXPECT_EQ(D3DXVECTOR3(1, 1.5f, 1), high);
    EngineString type, command;
    ASSERT_EQ(S_OK, model->GetCreationParams(&type, &command));
    EXPECT_STREQ("obj", type.Chars());
    EXPECT_STREQ("../model/scene.obj", command.Chars());

    std::string log = NewLog();
    EXPECT_TRUE(Has(log, "Infos of the OBJ model : ../model/scene.obj")) << log;
    EXPECT_TRUE(Has(log, "2 materials for 2 shapes with 6 tris & 8 verts")) << log;
    EXPECT_FALSE(Has(log, "Warning")) << log;
}

TEST_F(ObjLoad, MissingLibraryLoadsInTheDefaultMaterialWithAWarning)
{
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create(SaveModel(BrokenScene("missing_library")), &model)) << NewLog();
    ASSERT_EQ(1u, model->Meta()->materialCount);
    EXPECT_STREQ(kSceneDefaultMaterial, model->Meta()->materials[0].name);
    std::string log = NewLog();
    EXPECT_TRUE(Has(log, "Warning : \"Material library 'scene.mtl' not found: its faces are drawn in the default "
                         "material\""))
        << log;
    EXPECT_FALSE(Has(log, "Error")) << log;
}

TEST_F(ObjLoad, MissingMapFailsUnlessTheCoreAllowsIt)
{
    std::string path = SaveModel(BrokenScene("missing_texture"));
    EXPECT_TRUE(FAILED(Create(path)));
    std::string log = NewLog();
    EXPECT_TRUE(Has(log, "Error while loading the Model " + path)) << log;
    EXPECT_TRUE(Has(log, "obj<" + path + "> : Loading failed")) << log;

    logMark.Reset();
    core->AllowMissingTextures(true);
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create(path, &model)) << NewLog();
    EXPECT_EQ(nullptr, model->Meta()->textures[0]);
    log = NewLog();
    EXPECT_TRUE(Has(log, "Warning : \"Texture '")) << log;
    EXPECT_TRUE(Has(log, "maps/stone.tga' not found: its materials are drawn untextured")) << log;
}

TEST_F(ObjLoad, BadFilesFailWithARecordSayingWhy)
{
    struct Case {
        const char* name;
        const char* record;
    };
    const Case cases[] = {
        {"position_past_count",
         "The shape 'block' has a face whose corner names a position, normal or texture coordinate the file does "
         "not have"},
        {"zero_index", "The OBJ file cannot be read: Failed parse `f' line"},
        {"infinite_position", "The OBJ file's position 3 is not a finite number"},
        {"no_faces", "The OBJ file has no face to draw"},
    };
    for (const Case& c : cases) {
        logMark.Reset();
        std::string path = SaveModel(BrokenScene(c.name), c.name);
        EXPECT_TRUE(FAILED(Create(path))) << c.name;
        std::string log = NewLog();
        EXPECT_TRUE(Has(log, std::string("Error : \"") + c.record)) << c.name << "\n" << log;
        EXPECT_TRUE(Has(log, "obj<" + path + "> : Loading failed")) << c.name << "\n" << log;
    }
    logMark.Reset();
    EXPECT_TRUE(FAILED(Create(TestFolder() + "/nothere.obj")));
    EXPECT_TRUE(Has(NewLog(), "File '" + TestFolder() + "/nothere.obj' not found")) << NewLog();
}

TEST_F(ObjLoad, CornersPastSixteenBitIndicesTakeThirtyTwoBitIndices)
{
    std::string path = SaveModel(objwriter::Grid("grid", 255));
    ModelScene* model = nullptr;
    ASSERT_TRUE(SUCCEEDED(Create(path, &model))) << NewLog();
    EXPECT_EQ(65536u, model->Meta()->vertexBuffer->GetCount());
    EXPECT_TRUE(model->Meta()->indexBuffer->IsWide());
}

TEST_F(ObjLoad, ACloneSharesTheLoadedData)
{
    ModelScene* model = nullptr;
    ASSERT_EQ(S_OK, Create(SaveModel(objwriter::TestScene("scene")), &model));
    IGeometry* copy = nullptr;
    ASSERT_EQ(S_OK, model->Clone(&copy));
    models.push_back(copy);
    EXPECT_EQ(model->Meta(), static_cast<ModelScene*>(copy)->Meta());
}

namespace {

// Reads `path` under a 512 MB cap and exits 0 when it read one triangle.
void ReadWithMemoryCapped(const std::string& path)
{
    rlimit cap = {512u << 20, 512u << 20};
    setrlimit(RLIMIT_AS, &cap);
    SceneArrays arrays = {};
    ObjReadNotes notes;
    HRESULT result = ReadObjArrays(path.c_str(), &arrays, &notes);
    _exit(result == S_OK && arrays.indexCount == 3 ? 0 : 1);
}

}  // namespace

// A material library is looked for in the folders above the model's too: a
// model under /dev/shm naming "full" finds /dev/full, which never ends. Run
// in a child with its memory capped, so a reader that keeps reading fails
// there instead of taking the machine's memory.
TEST(ObjDevices, ALibraryFoundAsADeviceReadsAsEmpty)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under the cap";
#endif
    std::string folder = "/dev/shm/quarlight-obj-" + std::to_string(getpid());
    objwriter::Model model{"model.obj", "mtllib full\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", {}};
    if (!objwriter::Save(model, folder))
        GTEST_SKIP() << "no /dev/shm here";
    std::string path = folder + "/model.obj";
    EXPECT_EXIT(ReadWithMemoryCapped(path), ::testing::ExitedWithCode(0), "");
    remove(path.c_str());
    rmdir(folder.c_str());
}
