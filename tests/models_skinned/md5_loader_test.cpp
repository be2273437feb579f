// The MD5 reader through the core: the test model of md5_model_support.h
// loaded from a folder below the working directory, its bind pose and
// animations checked against the MD5 rules applied to the files' own data,
// the demo creature against its Cal3D twin, and damaged files refused with
// records.
#include "md5_model_support.h"
#include "skel_model_support.h"

#include "support/source_data.h"

#include "creature.h"
#include "foundation/owned.h"
#include "models/skinned/modelmd5.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using md5test::Pose;

void ExpectNear(const md5::Vec3& expected, const D3DXVECTOR3& actual, const std::string& what, float tolerance = 1e-4f)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance) << what;
    EXPECT_NEAR(expected.y, actual.y, tolerance) << what;
    EXPECT_NEAR(expected.z, actual.z, tolerance) << what;
}

class Md5Model : public SkelModelTest {
protected:
    void SetUp() override
    {
        SkelModelTest::SetUp();
        mkdir("md5", 0755);
        md5test::WriteTestModel("md5");
        logMark.Reset();
    }

    // Loads `file` as an MD5 model through the core; empty when it fails.
    Owned<IModel> Load(const std::string& file)
    {
        IGeometry* geometry = nullptr;
        HRESULT result = core->CreateObject("md5", file.c_str(), &geometry);
        if (FAILED(result))
            return Owned<IModel>();
        return Owned<IModel>(static_cast<IModel*>(geometry));
    }

    // The load fails, and the log names the file and `record`.
    void ExpectRefused(const std::string& file, const std::string& record)
    {
        logMark.Reset();
        IGeometry* geometry = reinterpret_cast<IGeometry*>(&geometry);
        EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("md5", file.c_str(), &geometry)) << record;
        EXPECT_EQ(nullptr, geometry);
        std::string log = NewLog();
        EXPECT_THAT(log, HasSubstr(record));
        EXPECT_THAT(log, HasSubstr("md5<" + file + "> : Loading failed"));
    }

    void PutMesh(const std::string& file, const md5::MeshFile& mesh) { cal3d::WriteFile(file, md5::Encode(mesh)); }
    void PutText(const std::string& file, const std::string& text) { cal3d::WriteFile(file, text); }
};

TEST_F(Md5Model, LoadsFromAFolderWithItsListedAnimationsAndTexture)
{
    Owned<IModel> loaded = Load("md5/test.md5mesh");
    ASSERT_TRUE(loaded);
    const ModelSkelMeta* meta = static_cast<ModelSkel*>(loaded.Get())->Meta();
    const ModelSkelData& data = meta->data;
    EXPECT_EQ(3u, data.bones.Count());
    ASSERT_EQ(1u, data.roots.Count());
    EXPECT_EQ(0, data.roots[0]);
    EXPECT_EQ(5u, data.vertices.Count());
    EXPECT_EQ(9u, data.indices.Count());
    ASSERT_EQ(2u, data.animations.Count());
    EXPECT_STREQ("bend.md5anim", data.animations[0].name.Chars());
    EXPECT_STREQ("shift.md5anim", data.animations[1].name.Chars());
    EXPECT_FLOAT_EQ(1.0f, data.animations[0].duration);  // 3 frames at 2 fps
    EXPECT_FLOAT_EQ(1.0f, data.animations[1].duration);
    ASSERT_EQ(1u, data.materials.Count());
    EXPECT_NE(nullptr, meta->textures[0]);
    EXPECT_EQ(9u, data.materials[0].indexCount);
    EXPECT_THAT(NewLog(), HasSubstr("Infos of the MD5 model : md5/test.md5mesh"));
}

TEST_F(Md5Model, BindPoseAndBoxFollowTheWeights)
{
    Owned<IModel> loaded = Load("md5/test.md5mesh");
    ASSERT_TRUE(loaded);
    ASSERT_EQ(S_OK, loaded->Update(0));
    md5::MeshFile file = md5test::TestMesh();
    Pose bind = md5test::BindPose(file);
    md5::Vec3 low{1e9f, 1e9f, 1e9f}, high{-1e9f, -1e9f, -1e9f};
    // Vertex 4's five weights all place it; it keeps the four largest.
    for (uint32_t v = 0; v < 5; ++v) {
        md5::Vec3 expected = md5test::Vertex(file.meshes[0], file.meshes[0].vertices[v], bind);
        ExpectNear(expected, Skinned(loaded.Get(), v), "vertex " + std::to_string(v));
        low = {std::fmin(low.x, expected.x), std::fmin(low.y, expected.y), std::fmin(low.z, expected.z)};
        high = {std::fmax(high.x, expected.x), std::fmax(high.y, expected.y), std::fmax(high.z, expected.z)};
    }
    D3DXVECTOR3 minimum, maximum;
    loaded->GetBoundingBox(&minimum, &maximum);
    ExpectNear(low, minimum, "box minimum");
    ExpectNear(high, maximum, "box maximum");
}

TEST_F(Md5Model, AVertexKeepsItsFourLargestWeightsScaledToTheirSum)
{
    Owned<IModel> loaded = Load("md5/test.md5mesh");
    ASSERT_TRUE(loaded);
    const ModelSkelData& data = static_cast<ModelSkel*>(loaded.Get())->Meta()->data;
    const SkinVertex& vertex = data.vertices[4];
    ASSERT_EQ(4u, vertex.influenceCount);
    // Biases 0.4, 0.3, 0.2, 0.06 (0.04 dropped), scaled by 1 / 0.96.
    const float kept[4][2] = {{0, 0.4f}, {1, 0.3f}, {2, 0.2f}, {0, 0.06f}};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ((int32_t)kept[i][0], data.influences[vertex.firstInfluence + i].bone) << i;
        EXPECT_NEAR(kept[i][1] / 0.96f, data.influences[vertex.firstInfluence + i].weight, 1e-6f) << i;
    }
    EXPECT_EQ(2u, data.vertices[2].influenceCount);
    EXPECT_THAT(NewLog(), HasSubstr("md5/test.md5mesh : 1 vertices with more than 4 weights, only take the 4 largest"));
}

TEST_F(Md5Model, AnimationsPoseTheMeshAsTheFramesSay)
{
    Owned<IModel> loaded = Load("md5/test.md5mesh");
    ASSERT_TRUE(loaded);
    md5::MeshFile file = md5test::TestMesh();
    const md5::AnimFile anims[2] = {md5test::BendAnim(), md5test::ShiftAnim()};
    for (uint32_t a = 0; a < 2; ++a) {
        ASSERT_EQ(S_OK, loaded->AddAnimation(a, 1.0f));
        ASSERT_EQ(S_OK, loaded->Update(0));
        float previous = 0;
        // On a frame, between frames, and at the end.
        for (float time : {0.0f, 0.2f, 0.5f, 0.8f, 0.99f}) {
            ASSERT_EQ(S_OK, loaded->Update(time - previous));
            previous = time;
            Pose pose = md5test::AnimPose(anims[a], time);
            for (uint32_t v = 0; v < 4; ++v)
                ExpectNear(md5test::Vertex(file.meshes[0], file.meshes[0].vertices[v], pose), Skinned(loaded.Get(), v),
                           "animation " + std::to_string(a) + " at " + std::to_string(time) + ", vertex " +
                               std::to_string(v),
                           2e-4f);
        }
        ASSERT_EQ(S_OK, loaded->Update(0.1f));
        EXPECT_FALSE(loaded->IsAnimationActive(a));
    }
}

TEST_F(Md5Model, WithoutAListTakesTheFolderAnimationsInNameOrder)
{
    mkdir("md5/nolist", 0755);
    PutMesh("md5/nolist/test.md5mesh", md5test::TestMesh());
    PutText("md5/nolist/zeta.md5anim", md5::Encode(md5test::BendAnim()));
    PutText("md5/nolist/alpha.md5anim", md5::Encode(md5test::ShiftAnim()));
    PutText("md5/nolist/notes.txt", "not an animation");
    PutText("md5/nolist/skin.tga", "");
    cal3d::WriteFile("md5/nolist/skin.tga", std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0,
                                                                  1, 2, 3});
    Owned<IModel> loaded = Load("md5/nolist/test.md5mesh");
    ASSERT_TRUE(loaded);
    const ModelSkelData& data = static_cast<ModelSkel*>(loaded.Get())->Meta()->data;
    ASSERT_EQ(2u, data.animations.Count());
    EXPECT_STREQ("alpha.md5anim", data.animations[0].name.Chars());
    EXPECT_STREQ("zeta.md5anim", data.animations[1].name.Chars());
    EXPECT_FLOAT_EQ(1.0f, data.animations[1].duration);
    loaded.Reset();

    // A mesh alone loads, with the Cal3D path's warning.
    mkdir("md5/alone", 0755);
    md5::MeshFile untextured = md5test::TestMesh();
    untextured.meshes[0].shader = "";
    PutMesh("md5/alone/test.md5mesh", untextured);
    logMark.Reset();
    loaded = Load("md5/alone/test.md5mesh");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(0u, static_cast<ModelSkel*>(loaded.Get())->Meta()->data.animations.Count());
    EXPECT_EQ(nullptr, static_cast<ModelSkel*>(loaded.Get())->Meta()->textures[0]);
    EXPECT_THAT(NewLog(), HasSubstr("No animation for the model"));
}

TEST_F(Md5Model, RefusesDamagedMeshesWithRecords)
{
    auto refused = [&](const md5::MeshFile& mesh, const std::string& record) {
        PutMesh("md5/bad.md5mesh", mesh);
        ExpectRefused("md5/bad.md5mesh", record);
    };
    md5::MeshFile mesh = md5test::TestMesh();
    mesh.version = 11;
    refused(mesh, "md5/bad.md5mesh(1) : MD5Version 11 : only version 10 is read");

    mesh = md5test::TestMesh();
    mesh.numJoints = 4;
    refused(mesh, "numJoints 4 but the joints block lists 3");
    mesh.numJoints = 2;
    refused(mesh, "numJoints 2 but the joints block lists more");
    mesh.numJoints = 100000;
    refused(mesh, "numJoints 100000 : more than the file can hold");
    mesh = md5test::TestMesh();
    mesh.numMeshes = 2;
    refused(mesh, "numMeshes 2 but the file holds 1");

    mesh = md5test::TestMesh();
    mesh.joints[2].parent = 3;
    refused(mesh, "joint 2 'tip' : parent 3 out of range");
    mesh.joints[2].parent = -2;
    refused(mesh, "joint 2 'tip' : parent -2 out of range");
    mesh.joints[0].parent = 2;
    mesh.joints[2].parent = 1;
    refused(mesh, "its parents form a cycle");
    mesh = md5test::TestMesh();
    mesh.joints[1].parent = 1;
    refused(mesh, "joint 1 'arm' : its parents form a cycle");

    mesh = md5test::TestMesh();
    mesh.meshes[0].weights[3].joint = 9;
    refused(mesh, "weight 3 : joint 9 does not exist");
    mesh = md5test::TestMesh();
    mesh.meshes[0].indices[4] = 5;
    refused(mesh, "tri 1 : vertex 5 out of range");
    mesh = md5test::TestMesh();
    mesh.meshes[0].vertices[4].weightCount = 6;
    refused(mesh, "vert 4 : its weights end past numweights 10");
    mesh.meshes[0].vertices[4].weightCount = 0;
    refused(mesh, "vert 4 : weights 5 to 5+0 is no list of weights");
    mesh = md5test::TestMesh();
    mesh.meshes[0].weights[2].bias = std::nanf("");
    refused(mesh, "finite number expected, 'nan' found");
    mesh.meshes[0].weights[2].bias = INFINITY;
    refused(mesh, "finite number expected, 'inf' found");

    mesh = md5test::TestMesh();
    mesh.meshes[0].shader = "missing.tga";
    refused(mesh, "Texture 'missing.tga' : loading failed");
}

TEST_F(Md5Model, RefusesTextThatDoesNotFitTheFormat)
{
    PutText("md5/empty.md5mesh", "");
    ExpectRefused("md5/empty.md5mesh", "md5/empty.md5mesh(1) : Empty file");
    PutText("md5/blank.md5mesh", "\n  \n// only a comment\n");
    ExpectRefused("md5/blank.md5mesh", "md5/blank.md5mesh(4) : 'MD5Version' expected, the end of the file found");

    std::string good = md5::Encode(md5test::TestMesh());
    // A vert line that lost its weight count: the next line's word stands there.
    std::string shortLine = good;
    shortLine.replace(shortLine.find("vert 2 ( 1 1 ) 2 2"), 18, "vert 2 ( 1 1 ) 2");
    PutText("md5/short.md5mesh", shortLine);
    ExpectRefused("md5/short.md5mesh", "integer expected, 'vert' found");
    std::string openString = good;
    openString.replace(openString.find("\"arm\""), 5, "\"arm");
    PutText("md5/quote.md5mesh", openString);
    ExpectRefused("md5/quote.md5mesh", "md5/quote.md5mesh(9) : quoted string expected, a string without its closing quote found");
    PutText("md5/zero.md5mesh", std::string("MD5Version 10\n\0\n", 16));
    ExpectRefused("md5/zero.md5mesh", "md5/zero.md5mesh(2) : 'numJoints' expected, an unreadable character found");
    PutText("md5/words.md5mesh", good + "mesh {\n");
    ExpectRefused("md5/words.md5mesh", "numMeshes 1 but more follow");

    // Every cut short of the last brace fails, reading nothing past the end.
    size_t end = good.rfind('}');
    for (size_t size = 0; size < end; size += 7) {
        PutText("md5/cut.md5mesh", good.substr(0, size));
        ModelSkelData data;
        EXPECT_EQ(QLE_SUBFUNCTION, LoadMD5Data("md5/cut.md5mesh", &data)) << "cut at " << size;
    }
}

TEST_F(Md5Model, RefusesAnimationsThatDoNotFitTheMesh)
{
    auto refused = [&](const md5::AnimFile& anim, const std::string& record) {
        PutText("md5/bend.md5anim", md5::Encode(anim));
        ExpectRefused("md5/test.md5mesh", record);
    };
    md5::AnimFile anim = md5test::BendAnim();
    anim.hierarchy.pop_back();
    anim.baseFrame.pop_back();
    refused(anim, "md5/bend.md5anim : 2 joints, the mesh has 3");
    anim = md5test::BendAnim();
    anim.hierarchy[2].name = "finger";
    refused(anim, "md5/bend.md5anim : joint 2 'finger' (parent 1) does not match the mesh's 'tip' (parent 1)");
    anim = md5test::BendAnim();
    anim.hierarchy[2].parent = 0;
    refused(anim, "joint 2 'tip' (parent 0) does not match the mesh's 'tip' (parent 1)");

    anim = md5test::BendAnim();
    anim.version = 9;
    refused(anim, "md5/bend.md5anim(1) : MD5Version 9 : only version 10 is read");
    anim = md5test::BendAnim();
    anim.frames[1].pop_back();
    refused(anim, "frame 1 : 1 components, numAnimatedComponents 2");
    anim = md5test::BendAnim();
    anim.frames[2].push_back(0.5f);
    anim.numAnimatedComponents = 2;
    refused(anim, "frame 2 : more than numAnimatedComponents 2");
    anim = md5test::BendAnim();
    anim.hierarchy[1].flags = 64 | 4;
    refused(anim, "joint 1 : unknown flags 68");
    anim = md5test::BendAnim();
    anim.hierarchy[1].startIndex = 1;
    refused(anim, "joint 1 : components 1 to 1+2 past numAnimatedComponents 2");
    anim = md5test::BendAnim();
    anim.frames[1][0] = std::nanf("");
    refused(anim, "finite number expected, 'nan' found");
    anim = md5test::BendAnim();
    anim.frameRate = 0;
    refused(anim, "frameRate not above 0");
    anim.frameRate = 1e-44f;
    refused(anim, "md5/bend.md5anim(6) : frameRate too small for numFrames");
    anim = md5test::BendAnim();
    anim.bounds.pop_back();
    refused(anim, "'(' expected, '}' found");
    anim = md5test::BendAnim();
    anim.frames.clear();
    anim.bounds.clear();
    refused(anim, "numFrames 0 : no frame");

    PutText("md5/bend.md5anim", md5::Encode(md5test::BendAnim()));
    PutText("md5/test.anims", "bend.md5anim\nnowhere.md5anim\n");
    ExpectRefused("md5/test.md5mesh", "File 'nowhere.md5anim' not found");
}

TEST_F(Md5Model, AnIndexBufferThatCannotBeFilledFailsTheLoad)
{
    for (const char* call : {"IDirect3DIndexBuffer9::Lock", "IDirect3DIndexBuffer9::Unlock"}) {
        SCOPED_TRACE(call);
        QLTest_FailCall(call, D3DERR_INVALIDCALL);
        ExpectRefused("md5/test.md5mesh", std::string(call) + "() failed");
        QLTest_ClearFailures();
    }
    Owned<IModel> loaded = Load("md5/test.md5mesh");
    ASSERT_TRUE(loaded) << "the next load fills its buffer";
}

// The demo creature as md5creature writes it beside its Cal3D files: the
// same figure, standing the same way, posed the same by every animation.
class Md5Creature : public Md5Model {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(LinkSourceData());
        Md5Model::SetUp();
        md5Creature = Load("./data/creature/creature.md5mesh");
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("cal3d", "./data/creature.cfg", &geometry));
        cal3dCreature.Reset(static_cast<IModel*>(geometry));
        ASSERT_TRUE(md5Creature);
    }

    void TearDown() override
    {
        md5Creature.Reset();
        cal3dCreature.Reset();
        Md5Model::TearDown();
        unlink("data");
    }

    // A vertex where the world matrix puts it.
    static D3DXVECTOR3 World(IModel* model, uint32_t vertex)
    {
        D3DXMATRIX world;
        model->GetMatrix(&world);
        D3DXVECTOR3 local = Skinned(model, vertex), out;
        D3DXVec3TransformCoord(&out, &local, &world);
        return out;
    }

    Owned<IModel> md5Creature, cal3dCreature;
};

TEST_F(Md5Creature, StandsAndFacesAsTheCal3DCreature)
{
    const ModelSkelData& md5Data = static_cast<ModelSkel*>(md5Creature.Get())->Meta()->data;
    const ModelSkelData& cal3dData = static_cast<ModelSkel*>(cal3dCreature.Get())->Meta()->data;
    ASSERT_EQ(cal3dData.vertices.Count(), md5Data.vertices.Count());
    EXPECT_EQ(cal3dData.bones.Count(), md5Data.bones.Count());
    EXPECT_EQ(cal3dData.animations.Count(), md5Data.animations.Count());
    ASSERT_EQ(S_OK, md5Creature->Update(0));
    ASSERT_EQ(S_OK, cal3dCreature->Update(0));

    // The figure is asymmetric front to back (the jaw ahead, the tail
    // behind) and left to right (the left hand is raised a little less).
    int jaw = creature::BoneIndex("jaw"), tail = creature::BoneIndex("tail3");
    uint32_t jawVertex = 0, tailVertex = 0;
    for (uint32_t v = 0; v < md5Data.vertices.Count(); ++v) {
        const Influence& first = md5Data.influences[md5Data.vertices[v].firstInfluence];
        if (first.bone == jaw && first.weight > 0.9f)
            jawVertex = v;
        if (first.bone == tail && first.weight > 0.9f)
            tailVertex = v;
    }
    ASSERT_NE(0u, jawVertex);
    ASSERT_NE(0u, tailVertex);
    D3DXVECTOR3 jawAt = World(md5Creature.Get(), jawVertex), tailAt = World(md5Creature.Get(), tailVertex);
    // Cal3D data faces -y with z up; the engine shows it upright facing -z.
    EXPECT_LT(jawAt.z, tailAt.z);
    EXPECT_GT(jawAt.y, tailAt.y + 40);
    float farthest = 0;
    for (uint32_t v = 0; v < md5Data.vertices.Count(); ++v) {
        D3DXVECTOR3 d = World(md5Creature.Get(), v) - World(cal3dCreature.Get(), v);
        farthest = std::max(farthest, D3DXVec3Length(&d));
    }
    EXPECT_LT(farthest, 1e-3f);
}

TEST_F(Md5Creature, EveryAnimationPosesItAsCal3DDoes)
{
    uint32_t count = static_cast<ModelSkel*>(md5Creature.Get())->Meta()->data.animations.Count();
    for (uint32_t a = 0; a < count; ++a) {
        float duration = static_cast<ModelSkel*>(cal3dCreature.Get())->Meta()->data.animations[a].duration;
        ASSERT_EQ(S_OK, md5Creature->AddAnimation(a, 1.0f));
        ASSERT_EQ(S_OK, cal3dCreature->AddAnimation(a, 1.0f));
        for (float step : {0.0f, 0.13f, 0.29f, 0.31f}) {
            ASSERT_EQ(S_OK, md5Creature->Update(duration * step));
            ASSERT_EQ(S_OK, cal3dCreature->Update(duration * step));
            uint32_t vertices = static_cast<ModelSkel*>(md5Creature.Get())->Meta()->data.vertices.Count();
            float farthest = 0;
            for (uint32_t v = 0; v < vertices; ++v) {
                D3DXVECTOR3 d = Skinned(md5Creature.Get(), v) - Skinned(cal3dCreature.Get(), v);
                farthest = std::max(farthest, D3DXVec3Length(&d));
            }
            EXPECT_LT(farthest, 0.01f) << "animation " << a << " at " << step;
        }
        ASSERT_EQ(S_OK, md5Creature->Update(duration));
        ASSERT_EQ(S_OK, cal3dCreature->Update(duration));
    }
}

TEST_F(Md5Creature, NormalsFromTheTrianglesPointOutwards)
{
    // MD5 carries no normals: those made from the triangles must agree with
    // the creature's own, which the Cal3D file carries.
    const ModelSkelData& md5Data = static_cast<ModelSkel*>(md5Creature.Get())->Meta()->data;
    const ModelSkelData& cal3dData = static_cast<ModelSkel*>(cal3dCreature.Get())->Meta()->data;
    uint32_t agreeing = 0;
    for (uint32_t v = 0; v < md5Data.vertices.Count(); ++v) {
        const SkelVector& a = md5Data.vertices[v].normal;
        const SkelVector& b = cal3dData.vertices[v].normal;
        agreeing += a.x * b.x + a.y * b.y + a.z * b.z > 0.8f;
    }
    EXPECT_GT(agreeing, md5Data.vertices.Count() * 9 / 10);
}

}  // namespace
