#include "cal3d_test_support.h"

#include "support/error_record.h"

#include <filesystem>
#include <memory>

namespace {

class ConfigLoader : public Cal3DTest {
protected:
    void SetUp() override
    {
        Cal3DTest::SetUp();
        Put("s.csf", TwoBones());
        cal3d::Animation wave;
        wave.tracks.resize(1);
        wave.tracks[0].bone = 1;
        wave.tracks[0].keys.resize(2);
        wave.tracks[0].keys[1].time = 1;
        Put("a.caf", wave);
        cal3d::Mesh mesh;
        mesh.submeshes = {Triangle(0, 1)};
        Put("m.cmf", mesh);
        Put("r.crf", cal3d::Material());
    }

    HRESULT LoadText(const std::string& text)
    {
        cal3d::WriteFile("model.cfg", text);
        data.reset(new ModelSkelData);
        return LoadCal3DData("model.cfg", data.get());
    }

    void ExpectSyntaxError(const std::string& text, int line, const char* what)
    {
        ForgetLog();
        EXPECT_EQ(QLE_SUBFUNCTION, LoadText(text)) << text;
        EXPECT_THAT(Log(), HasSubstr("model.cfg(" + std::to_string(line) +
                                     ") : Invalid syntax " + what))
            << text;
        EXPECT_THAT(Log(), HasSubstr("Msg : 'Error while loading the Model model.cfg'"));
    }

    std::unique_ptr<ModelSkelData> data;
};

const char* const kModel = "skeleton=s.csf\nanimation=a.caf\nmesh=m.cmf\nmaterial=r.crf\n";

TEST_F(ConfigLoader, LoadsAModelAndSumsItUp)
{
    ASSERT_EQ(S_OK, LoadText(std::string("# a comment\n\n") + kModel));
    EXPECT_STREQ("cal3d", data->type.Chars());
    EXPECT_STREQ("model.cfg", data->file.Chars());
    EXPECT_EQ(2u, data->bones.Count());
    ASSERT_EQ(1u, data->roots.Count());
    EXPECT_EQ(0, data->roots[0]);
    EXPECT_EQ(1u, data->animations.Count());
    EXPECT_EQ(3u, data->vertices.Count());
    EXPECT_EQ(3u, data->indices.Count());
    EXPECT_EQ(1.0f, data->scale);
    WriteCal3DSummary(*data);
    EXPECT_THAT(Log(), HasSubstr("Infos of the Cal3D model : model.cfg"));
    EXPECT_THAT(Log(), HasSubstr("1 meshes (1 submeshes) with 1 tris & 3 verts (3 influences)"));
    EXPECT_THAT(Log(), HasSubstr("2 bones with 1 root bone(s)"));
    EXPECT_THAT(Log(), HasSubstr("1 animations and 1 materials"));
}

TEST_F(ConfigLoader, SyntaxErrorsNameTheirLine)
{
    ExpectSyntaxError("skeleton=s.csf\n# mesh=m.cmf\n   \n\t\nskeleton", 5, "(Key)");
    ExpectSyntaxError("\n\nskeleton s.csf\n", 3, "('=')");
    ExpectSyntaxError("skeleton\n", 1, "('=')");
    ExpectSyntaxError("#\nSkeleton=s.csf\n", 2, "(Unknow) !");
    ExpectSyntaxError("path=./\n=s.csf\n", 2, "(Unknow) !");
    // A line longer than the line buffer goes on as the next line.
    ExpectSyntaxError("path=" + std::string(300, 'x') + "\n", 2, "('=')");
}

TEST_F(ConfigLoader, BlanksAroundTheEqualsSignAndCarriageReturns)
{
    EXPECT_EQ(S_OK, LoadText("skeleton \t= \ts.csf\r\n\r\n  animation=a.caf\r\nmesh=m.cmf\r\n"
                             "material =r.crf"));
}

TEST_F(ConfigLoader, PathIsAPlainPrefix)
{
    cal3d::Mesh mesh;
    mesh.submeshes = {Triangle(0)};
    Put("datam.cmf", mesh);
    EXPECT_EQ(S_OK, LoadText("path=data\nmesh=m.cmf\npath=\nskeleton=s.csf\nmaterial=r.crf\n"));
    EXPECT_EQ(1u, data->meshCount);
    EXPECT_EQ(0.0f, data->vertices[0].position.y);

    EXPECT_EQ(QLE_SUBFUNCTION, LoadText("path=nowhere/\nmesh=m.cmf\n"));
    EXPECT_THAT(Log(), HasSubstr("File 'nowhere/m.cmf' not found"));
}

TEST_F(ConfigLoader, RepeatedKeys)
{
    ASSERT_EQ(S_OK, LoadText(std::string("scale=2\nscale=2\nskeleton=s.csf\n") + kModel));
    EXPECT_EQ(4.0f, data->scale);
    EXPECT_THAT(Log(), HasSubstr("Many skeletons in the config file, only take the first"));
    EXPECT_EQ(2u, data->bones.Count());
}

TEST_F(ConfigLoader, MissingParts)
{
    EXPECT_EQ(S_OK, LoadText("skeleton=s.csf\nmesh=m.cmf\nmaterial=r.crf\n"));
    EXPECT_THAT(Log(), HasSubstr("No animation for the model"));

    for (const char* text : {"skeleton=s.csf\nmesh=m.cmf\n", "mesh=m.cmf\nmaterial=r.crf\n",
                             "skeleton=s.csf\nmaterial=r.crf\n"}) {
        ForgetLog();
        EXPECT_EQ(QLE_SUBFUNCTION, LoadText(text)) << text;
        EXPECT_THAT(Log(), HasSubstr("Incomplete Cal3D Model Loaded"));
        EXPECT_THAT(Log(), HasSubstr("Error while packing the Model model.cfg"));
    }
}

TEST_F(ConfigLoader, AReaderFailureEndsTheLoad)
{
    cal3d::Mesh empty;
    Put("empty.cmf", empty);
    EXPECT_EQ(QLE_SUBFUNCTION, LoadText("skeleton=s.csf\nmesh=empty.cmf\nmaterial=r.crf\n"));
    EXPECT_THAT(Log(), HasSubstr("empty.cmf : No SubMeshes"));
    EXPECT_THAT(Log(), HasSubstr(CallFailure(E_FAIL)));
    EXPECT_THAT(Log(), HasSubstr("Error while loading the Model model.cfg"));
}

TEST_F(ConfigLoader, PacksSubmeshesByMaterial)
{
    cal3d::Mesh mesh;
    mesh.submeshes = {Triangle(1), Triangle(0), Triangle(1)};
    mesh.submeshes[0].vertices.push_back(mesh.submeshes[0].vertices[0]);
    mesh.submeshes[0].indices = {3, 1, 2, 0, 1, 3};
    mesh.submeshes[1].vertices[2].influences = {{0, 0.5f}, {1, 0.5f}};
    Put("three.cmf", mesh);
    ASSERT_EQ(S_OK, LoadText("skeleton=s.csf\nmesh=three.cmf\nmaterial=r.crf\nmaterial=r.crf\n"));

    // Material 0 (the second submesh) first, then the first and third.
    ASSERT_EQ(10u, data->vertices.Count());
    float materials[] = {0, 0, 0, 1, 1, 1, 1, 1, 1, 1};
    for (uint32_t v = 0; v < 10; ++v)
        EXPECT_EQ(materials[v], data->vertices[v].position.y) << v;
    uint16_t indices[] = {0, 1, 2, 6, 4, 5, 3, 4, 6, 7, 8, 9};
    ASSERT_EQ(12u, data->indices.Count());
    for (uint32_t i = 0; i < 12; ++i)
        EXPECT_EQ(indices[i], data->indices[i]) << i;
    uint32_t firstInfluence[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10};
    for (uint32_t v = 0; v < 10; ++v)
        EXPECT_EQ(firstInfluence[v], data->vertices[v].firstInfluence) << v;
    EXPECT_EQ(11u, data->influences.Count());

    const SkelMaterial& first = data->materials[0];
    const SkelMaterial& second = data->materials[1];
    EXPECT_EQ(0u, first.startIndex);
    EXPECT_EQ(3u, first.indexCount);
    EXPECT_EQ(0u, first.firstVertex);
    EXPECT_EQ(3u, first.vertexCount);
    EXPECT_EQ(3u, second.startIndex);
    EXPECT_EQ(9u, second.indexCount);
    EXPECT_EQ(3u, second.firstVertex);
    EXPECT_EQ(7u, second.vertexCount);
}

TEST_F(ConfigLoader, RefusesIndicesOutsideTheModel)
{
    struct Case {
        const char* what;
        int32_t material;
        int32_t influenceBone;
        int32_t trackBone;
        const char* record;
    } cases[] = {
        {"material index", 1, 0, 1, "Error while packing the Model model.cfg"},
        {"negative material index", -1, 0, 1, "Error while packing the Model model.cfg"},
        {"influence bone", 0, 2, 1, "Bad index of bone : 2"},
        {"negative influence bone", 0, -1, 1, "Bad index of bone : -1"},
        {"track bone", 0, 0, 2, "Animation 0 : Bad index of bone : 2"},
    };
    for (const Case& c : cases) {
        cal3d::Mesh mesh;
        mesh.submeshes = {Triangle(c.material, c.influenceBone)};
        Put("m.cmf", mesh);
        cal3d::Animation wave;
        wave.tracks.resize(1);
        wave.tracks[0].bone = c.trackBone;
        Put("a.caf", wave);
        ForgetLog();
        EXPECT_EQ(QLE_SUBFUNCTION, LoadText(kModel)) << c.what;
        EXPECT_THAT(Log(), HasSubstr(c.record)) << c.what;
    }
}

TEST_F(ConfigLoader, RefusesMoreVerticesThanSixteenBitIndicesReach)
{
    cal3d::Mesh mesh;
    mesh.submeshes = {Triangle(0), Triangle(0)};
    mesh.submeshes[0].vertices.resize(65532, mesh.submeshes[0].vertices[0]);
    Put("big.cmf", mesh);
    const char* text = "skeleton=s.csf\nmesh=big.cmf\nmaterial=r.crf\n";
    EXPECT_EQ(S_OK, LoadText(text));
    EXPECT_EQ(65535u, data->vertices.Count());
    EXPECT_EQ(65534, data->indices[5]);

    mesh.submeshes[1].vertices.push_back(mesh.submeshes[1].vertices[0]);
    Put("big.cmf", mesh);
    EXPECT_EQ(QLE_SUBFUNCTION, LoadText(text));
    EXPECT_THAT(Log(), HasSubstr("Too many vertices for 16-bit indices : 65536 (at most 65535)"));
}

TEST_F(ConfigLoader, RefusesASkeletonWithoutRoot)
{
    cal3d::Skeleton loop = TwoBones();
    loop.bones[0].children.clear();
    loop.bones[0].parent = 1;
    Put("loop.csf", loop);
    EXPECT_EQ(QLE_SUBFUNCTION, LoadText("skeleton=loop.csf\nmesh=m.cmf\nmaterial=r.crf\n"));
    EXPECT_THAT(Log(), HasSubstr("No root bone in the skeleton"));
}

TEST_F(ConfigLoader, FindsItsPartsBesideItselfFromAnotherFolder)
{
    // A model in models/crate/ whose path is written for a run from models/:
    // not found as written from here, found from the folder above the .cfg.
    std::filesystem::create_directories("models/crate/parts");
    cal3d::Material textured;
    textured.maps = {"skin.tga"};
    Put("models/crate/parts/s.csf", TwoBones());
    Put("models/crate/parts/m.cmf", []() {
        cal3d::Mesh mesh;
        mesh.submeshes = {Triangle(0, 1)};
        return mesh;
    }());
    Put("models/crate/parts/r.crf", textured);
    cal3d::WriteFile("models/crate/crate.cfg", "path=crate/parts/\nskeleton=s.csf\nmesh=m.cmf\nmaterial=r.crf\n");
    cal3d::WriteFile("models/crate/parts/skin.tga", "");
    data.reset(new ModelSkelData);
    ASSERT_EQ(S_OK, LoadCal3DData("models/crate/crate.cfg", data.get())) << Log();
    ASSERT_EQ(1u, data->materials.Count());
    EXPECT_STREQ("models/crate/parts/skin.tga", data->materials[0].textureName.Chars());
}

TEST_F(ConfigLoader, MissingConfiguration)
{
    ModelSkelData empty;
    EXPECT_EQ(QLE_SUBFUNCTION, LoadCal3DData("absent.cfg", &empty));
    EXPECT_THAT(Log(), HasSubstr("File 'absent.cfg' not found"));
    EXPECT_STREQ("NO_TYPE", empty.type.Chars());
}

}  // namespace
