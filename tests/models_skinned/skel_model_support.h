// A small skinned model written with the writer library, and a fixture that
// loads it through the core on a headless 800 x 600 device.
//
// Bones: 0 root at the origin; 1 at (1, 0, 0) and 2 at (0, 1, 0), both
// children of the root; bind rotations are the identity, so each bone's
// bone-space translation is minus its bind position.
// Vertices (bone, bind position): 0 (0; 0,0,0), 1 (1; 1,0,0), 2 (1; 1,1,0),
// 3 (0 and 1 at one half each; 2,0,0), 4 (2; 0,1,0).
// Animations, each with tracks on named bones only:
//   0 "steps", duration 2: bone 1 keys at 0.5 (1,0,1), 1.0 (1,2,1), 1.5 (1,4,1)
//   1 "lift", duration 10: bone 1 (1,0,4) and bone 2 (0,1,5), one key each
//   2 "turn", duration 1: bone 1 at (1,0,0) turned a quarter about z
//   3 "swing", duration 1: the root turned a quarter about z
//   4 "empty", duration 1: a track on bone 1 without keys
#pragma once

#include "support/cal3d_skeletons.h"
#include "support/graphics_fixture.h"

#include "cal3dwriter.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"
#include "models/skinned/modelskel.h"

#include <gmock/gmock.h>

#include <cmath>
#include <string>

using ::testing::HasSubstr;
using ::testing::Not;

namespace skeltest {

constexpr float kQuarter = 0.70710678f;  // sin and cos of 45 degrees

inline cal3d::Key Key(float time, float x, float y, float z, cal3d::Quat rotation = {})
{
    cal3d::Key key;
    key.time = time;
    key.translation = {x, y, z};
    key.rotation = rotation;
    return key;
}

inline cal3d::Track Track(int32_t bone, std::vector<cal3d::Key> keys)
{
    cal3d::Track track;
    track.bone = bone;
    track.keys = std::move(keys);
    return track;
}

inline cal3d::Animation Anim(float duration, std::vector<cal3d::Track> tracks)
{
    cal3d::Animation animation;
    animation.duration = duration;
    animation.tracks = std::move(tracks);
    return animation;
}

inline cal3d::Vertex Vertex(float x, float y, float z, std::vector<cal3d::Influence> influences)
{
    cal3d::Vertex vertex;
    vertex.position = {x, y, z};
    vertex.normal = {0, 0, 1};
    vertex.texCoords = {{0, 0}};
    vertex.influences = std::move(influences);
    return vertex;
}

// Writes model.cfg and its files into the working directory.
inline void WriteTestModel()
{
    cal3d::Skeleton skeleton = RootWithTwoChildren("root", "arm", "head");
    skeleton.bones[1].translation = {1, 0, 0};
    skeleton.bones[1].boneSpaceTranslation = {-1, 0, 0};
    skeleton.bones[2].translation = {0, 1, 0};
    skeleton.bones[2].boneSpaceTranslation = {0, -1, 0};
    cal3d::Write("test.csf", skeleton);

    cal3d::Quat turn{0, 0, kQuarter, kQuarter};
    cal3d::Write("steps.caf",
                 Anim(2, {Track(1, {Key(0.5f, 1, 0, 1), Key(1.0f, 1, 2, 1), Key(1.5f, 1, 4, 1)})}));
    cal3d::Write("lift.caf", Anim(10, {Track(1, {Key(0, 1, 0, 4)}), Track(2, {Key(0, 0, 1, 5)})}));
    cal3d::Write("turn.caf", Anim(1, {Track(1, {Key(0, 1, 0, 0, turn)})}));
    cal3d::Write("swing.caf", Anim(1, {Track(0, {Key(0, 0, 0, 0, turn)})}));
    cal3d::Write("empty.caf", Anim(1, {Track(1, {})}));

    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    cal3d::Submesh& submesh = mesh.submeshes[0];
    submesh.vertices = {Vertex(0, 0, 0, {{0, 1}}), Vertex(1, 0, 0, {{1, 1}}), Vertex(1, 1, 0, {{1, 1}}),
                        Vertex(2, 0, 0, {{0, 0.5f}, {1, 0.5f}}), Vertex(0, 1, 0, {{2, 1}})};
    submesh.indices = {0, 1, 2, 1, 3, 2, 0, 2, 4};
    cal3d::Write("test.cmf", mesh);
    cal3d::Material material;
    material.diffuse = {200, 200, 200, 255};
    cal3d::Write("test.crf", material);

    cal3d::Config config;
    config.entries = {{"skeleton", "test.csf"}, {"animation", "steps.caf"}, {"animation", "lift.caf"},
                      {"animation", "turn.caf"}, {"animation", "swing.caf"}, {"animation", "empty.caf"},
                      {"mesh", "test.cmf"},      {"material", "test.crf"}};
    cal3d::Write("model.cfg", config);
}

}  // namespace skeltest

class SkelModelTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(S_OK, StartDevice());
        skeltest::WriteTestModel();
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("cal3d", "model.cfg", &geometry));
        model = static_cast<IModel*>(geometry);
    }

    void TearDown() override
    {
        if (model)
            model->Release();
        GraphicsTest::TearDown();
    }

    // The skinned, model-space position of a vertex after the last Update.
    static D3DXVECTOR3 Skinned(IModel* of, uint32_t vertex)
    {
        ShadowInfos infos{};
        EXPECT_EQ(S_OK, of->GetShadowInfos(&infos));
        return infos.vertices->Positions()[vertex];
    }
    D3DXVECTOR3 Skinned(uint32_t vertex) const { return Skinned(model, vertex); }

    // Writes the configuration `name` with these entries and loads it through
    // the core; null if the load fails. The caller releases the model.
    IModel* LoadConfig(const char* name, const std::vector<cal3d::ConfigEntry>& entries)
    {
        cal3d::Config config;
        config.entries = entries;
        cal3d::Write(name, config);
        IGeometry* geometry = nullptr;
        EXPECT_EQ(S_OK, core->CreateObject("cal3d", name, &geometry));
        return static_cast<IModel*>(geometry);
    }

    IModel* model = nullptr;
};

MATCHER_P3(Near, x, y, z, "is within 1e-4 of (" + ::testing::PrintToString(x) + ", " + ::testing::PrintToString(y) + ", " + ::testing::PrintToString(z) + ")")
{
    return std::fabs(arg.x - x) < 1e-4f && std::fabs(arg.y - y) < 1e-4f && std::fabs(arg.z - z) < 1e-4f;
}

inline void PrintTo(const D3DXVECTOR3& v, std::ostream* os)
{
    *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
