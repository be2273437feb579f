// Skinned glTF models: the creature posed by the engine against the file's
// own data skinned by hand here (glTF's rules, right-handed, then the z
// mirror), and the interpolations and scales the engine's keyframes stand in for.
#include "gltf_fixture.h"

#include "support/source_data.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstring>

#include <unistd.h>

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

struct Mat {
    double m[16];  // column-major
};

Mat Multiply(const Mat& a, const Mat& b)
{
    Mat r = {};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r.m[c * 4 + row] += a.m[k * 4 + row] * b.m[c * 4 + k];
    return r;
}

Mat Trs(const double t[3], const double q[4], const double s[3])
{
    double x = q[0], y = q[1], z = q[2], w = q[3];
    Mat m = {{(1 - 2 * (y * y + z * z)) * s[0], (2 * (x * y + z * w)) * s[0], (2 * (x * z - y * w)) * s[0], 0,
              (2 * (x * y - z * w)) * s[1], (1 - 2 * (x * x + z * z)) * s[1], (2 * (y * z + x * w)) * s[1], 0,
              (2 * (x * z + y * w)) * s[2], (2 * (y * z - x * w)) * s[2], (1 - 2 * (x * x + y * y)) * s[2], 0,
              t[0], t[1], t[2], 1}};
    return m;
}

// The floats of a tightly packed accessor.
std::vector<double> Floats(const tinygltf::Model& model, int index)
{
    const tinygltf::Accessor& accessor = model.accessors[index];
    const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
    const unsigned char* at = model.buffers[view.buffer].data.data() + view.byteOffset + accessor.byteOffset;
    size_t count = accessor.count * tinygltf::GetNumComponentsInType(accessor.type);
    std::vector<double> out(count);
    for (size_t i = 0; i < count; ++i) {
        if (accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) {
            float f;
            memcpy(&f, at + 4 * i, 4);
            out[i] = f;
        } else {
            uint16_t v;
            memcpy(&v, at + 2 * i, 2);
            out[i] = v;
        }
    }
    return out;
}

// A linear channel's value at t, glTF's way: lerp, or slerp for rotations.
void SampleLinear(const tinygltf::Model& model, const tinygltf::AnimationSampler& sampler, int width, double t,
                  double* out)
{
    std::vector<double> times = Floats(model, sampler.input), values = Floats(model, sampler.output);
    size_t k = 0;
    while (k + 1 < times.size() && times[k + 1] <= t)
        ++k;
    double f = k + 1 < times.size() && t > times[k] ? (t - times[k]) / (times[k + 1] - times[k]) : 0;
    const double* a = &values[k * width];
    const double* b = &values[(k + 1 < times.size() ? k + 1 : k) * width];
    if (width == 3) {
        for (int i = 0; i < 3; ++i)
            out[i] = a[i] + (b[i] - a[i]) * f;
        return;
    }
    double dot = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3], sign = dot < 0 ? -1 : 1;
    double angle = std::acos(std::fmin(1.0, std::fabs(dot)));
    double wa = 1 - f, wb = f;
    if (angle > 1e-6)
        wa = std::sin((1 - f) * angle) / std::sin(angle), wb = std::sin(f * angle) / std::sin(angle);
    for (int i = 0; i < 4; ++i)
        out[i] = wa * a[i] + wb * sign * b[i];
}

// Every vertex of the file's skinned mesh at time t of `animation` (-1:
// the bind pose), in engine axes.
std::vector<D3DXVECTOR3> SkinByHand(const tinygltf::Model& model, int animation, double t)
{
    size_t nodeCount = model.nodes.size();
    std::vector<int> parent(nodeCount, -1);
    for (size_t n = 0; n < nodeCount; ++n)
        for (int child : model.nodes[n].children)
            parent[child] = (int)n;
    std::vector<Mat> local(nodeCount);
    for (size_t n = 0; n < nodeCount; ++n) {
        const tinygltf::Node& node = model.nodes[n];
        double tr[3] = {0, 0, 0}, q[4] = {0, 0, 0, 1}, s[3] = {1, 1, 1};
        for (size_t i = 0; i < node.translation.size(); ++i)
            tr[i] = node.translation[i];
        for (size_t i = 0; i < node.rotation.size(); ++i)
            q[i] = node.rotation[i];
        for (size_t i = 0; i < node.scale.size(); ++i)
            s[i] = node.scale[i];
        if (animation >= 0)
            for (const tinygltf::AnimationChannel& channel : model.animations[animation].channels) {
                if (channel.target_node != (int)n)
                    continue;
                const tinygltf::AnimationSampler& sampler = model.animations[animation].samplers[channel.sampler];
                if (channel.target_path == "translation")
                    SampleLinear(model, sampler, 3, t, tr);
                else if (channel.target_path == "rotation")
                    SampleLinear(model, sampler, 4, t, q);
            }
        local[n] = Trs(tr, q, s);
    }
    auto global = [&](int n) {
        Mat g = local[n];
        for (int p = parent[n]; p >= 0; p = parent[p])
            g = Multiply(local[p], g);
        return g;
    };
    const tinygltf::Skin& skin = model.skins[0];
    std::vector<double> inverseBinds = Floats(model, skin.inverseBindMatrices);
    std::vector<Mat> joints(skin.joints.size());
    for (size_t j = 0; j < skin.joints.size(); ++j) {
        Mat inverse;
        std::copy(&inverseBinds[16 * j], &inverseBinds[16 * j] + 16, inverse.m);
        joints[j] = Multiply(global(skin.joints[j]), inverse);
    }
    std::vector<D3DXVECTOR3> out;
    for (const tinygltf::Node& node : model.nodes) {
        if (node.mesh < 0)
            continue;
        for (const tinygltf::Primitive& primitive : model.meshes[node.mesh].primitives) {
            std::vector<double> p = Floats(model, primitive.attributes.at("POSITION"));
            std::vector<double> j = Floats(model, primitive.attributes.at("JOINTS_0"));
            std::vector<double> w = Floats(model, primitive.attributes.at("WEIGHTS_0"));
            for (size_t v = 0; v < p.size() / 3; ++v) {
                double sum[3] = {0, 0, 0}, total = 0;
                for (int i = 0; i < 4; ++i)
                    total += w[4 * v + i];
                for (int i = 0; i < 4; ++i) {
                    const Mat& m = joints[(size_t)j[4 * v + i]];
                    for (int r = 0; r < 3; ++r)
                        sum[r] += w[4 * v + i] / total *
                                  (m.m[r] * p[3 * v] + m.m[4 + r] * p[3 * v + 1] + m.m[8 + r] * p[3 * v + 2] + m.m[12 + r]);
                }
                out.push_back(D3DXVECTOR3((float)sum[0], (float)sum[1], (float)-sum[2]));
            }
        }
    }
    return out;
}

// The engine's skinned positions after the last Update.
std::vector<D3DXVECTOR3> Skinned(ModelSkel* model)
{
    const VB* buffer = model->Meta()->vertexBuffer;
    const D3DXVECTOR3* positions = buffer->Positions();
    return std::vector<D3DXVECTOR3>(positions, positions + const_cast<VB*>(buffer)->GetCount());
}

// The creature's primitives are in material order, so the packing keeps
// the file's vertex order.
void ExpectSamePoints(const std::vector<D3DXVECTOR3>& expected, const std::vector<D3DXVECTOR3>& actual,
                      float tolerance)
{
    ASSERT_EQ(expected.size(), actual.size());
    size_t wrong = 0;
    for (size_t v = 0; v < expected.size(); ++v) {
        float d = std::fabs(expected[v].x - actual[v].x) + std::fabs(expected[v].y - actual[v].y) +
                  std::fabs(expected[v].z - actual[v].z);
        if (d > tolerance && wrong++ < 5)
            ADD_FAILURE() << "vertex " << v << ": (" << expected[v].x << ", " << expected[v].y << ", "
                          << expected[v].z << ") expected, (" << actual[v].x << ", " << actual[v].y << ", "
                          << actual[v].z << ") skinned";
    }
    EXPECT_EQ(0u, wrong);
}

}  // namespace

TEST_F(GltfTest, CreatureLoadsAsASkinnedModelWithNamedAnimations)
{
    ModelSkel* model = LoadSkinned(Save(gltfwriter::Creature()));
    ASSERT_NE(nullptr, model);
    std::string log = NewLog();
    const ModelSkelData& data = model->Meta()->data;
    EXPECT_EQ(27u, data.bones.Count());
    tinygltf::Model file = gltfwriter::Creature();
    ASSERT_EQ(file.animations.size(), data.animations.Count());
    for (uint32_t a = 0; a < data.animations.Count(); ++a)
        EXPECT_EQ(EngineString(file.animations[a].name.c_str()), data.animations[a].name);
    EXPECT_EQ(EngineString("walk"), data.animations[1].name);
    EXPECT_FLOAT_EQ(1.2f, data.animations[1].duration);
    ASSERT_EQ(3u, data.materials.Count());
    EXPECT_NE(nullptr, model->Meta()->textures[0]);
    EXPECT_EQ(nullptr, model->Meta()->textures[1]);
    EngineString type, command;
    ASSERT_EQ(S_OK, model->GetCreationParams(&type, &command));
    EXPECT_EQ(EngineString("gltf"), type);
    EXPECT_THAT(log, HasSubstr("27 bones with 1 root bone(s)"));
}

TEST_F(GltfTest, CreatureIsPosedWhereTheFileSkinnedByHandPutsIt)
{
    tinygltf::Model file = gltfwriter::Creature();
    ModelSkel* model = LoadSkinned(Save(file));
    ASSERT_NE(nullptr, model);
    ASSERT_EQ(S_OK, model->Update(0));
    {
        SCOPED_TRACE("bind pose");
        ExpectSamePoints(SkinByHand(file, -1, 0), Skinned(model), 1e-5f);
    }
    // Walk (1.2 s) sampled between its keys and on one, then jump.
    ASSERT_EQ(S_OK, model->AddAnimation(1, 1.0f));
    double t = 0;
    for (float dt : {0.13f, 0.2f, 0.37f}) {
        t += dt;
        ASSERT_EQ(S_OK, model->Update(dt));
        SCOPED_TRACE("walk at " + std::to_string(t));
        ExpectSamePoints(SkinByHand(file, 1, t), Skinned(model), 2e-4f);
    }
}

namespace {

// Two joints: "root" at the origin and "arm" at (0, 1, 0) under it; one
// triangle (0,1,0), (1,1,0), (0,2,0) carried by the arm. Animation "moves":
// the arm's translation steps from (0,1,0) to (0,2,0) at t = 1; the root
// turns a quarter about +z on a cubic spline with zero tangents.
tinygltf::Model Arm(bool cubic = true)
{
    gltfwriter::Builder b;
    tinygltf::Model& m = b.model;
    tinygltf::Primitive primitive = gltfwriter::Arm(&b);
    m.skins[0].name = "arm";
    primitive.attributes["JOINTS_0"] = b.Joints({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});
    primitive.attributes["WEIGHTS_0"] = b.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    m.meshes[0].primitives.push_back(primitive);
    tinygltf::Animation animation;
    animation.name = "moves";
    tinygltf::AnimationSampler step;
    step.input = b.Floats({0, 1}, TINYGLTF_TYPE_SCALAR, true);
    step.output = b.Floats({0, 1, 0, 0, 2, 0}, TINYGLTF_TYPE_VEC3);
    step.interpolation = "STEP";
    tinygltf::AnimationSampler turn;
    turn.input = step.input;
    const float s = 0.70710678f;
    turn.output = cubic ? b.Floats({0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, s, s, 0, 0, 0, 0},
                                   TINYGLTF_TYPE_VEC4)
                        : b.Floats({0, 0, 0, 1, 0, 0, s, s}, TINYGLTF_TYPE_VEC4);
    turn.interpolation = cubic ? "CUBICSPLINE" : "LINEAR";
    animation.samplers = {step, turn};
    tinygltf::AnimationChannel move, rotate;
    move.sampler = 0;
    move.target_node = 1;
    move.target_path = "translation";
    rotate.sampler = 1;
    rotate.target_node = 0;
    rotate.target_path = "rotation";
    animation.channels = {move, rotate};
    m.animations.push_back(animation);
    return m;
}

// The arm's tip (0,2,0) with the root turned by `angle` about +z and the arm
// at height `height`, in engine axes (z mirrored: the turn is clockwise
// seen from -z, so x goes negative).
D3DXVECTOR3 Tip(double angle, double height)
{
    double y = height + 1;
    return D3DXVECTOR3((float)(-std::sin(angle) * y), (float)(std::cos(angle) * y), 0);
}

}  // namespace

TEST_F(GltfTest, StepAndCubicSplineChannelsFollowTheFile)
{
    ModelSkel* model = LoadSkinned(Save(Arm()));
    ASSERT_NE(nullptr, model);
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    // Cubic Hermite with zero tangents at s = 1/4: the quaternion
    // (h00 q0 + h01 q1) normalised, h01 = 3s^2 - 2s^3; a slerp would turn further.
    const double s = 0.25, h01 = 3 * s * s - 2 * s * s * s;
    const double z = h01 * 0.70710678, w = (1 - h01) + h01 * 0.70710678;
    const double cubicAngle = 2 * std::atan2(z, w);
    const struct {
        float dt;
        double angle, height;
    } steps[] = {{0.25f, cubicAngle, 1.0}, {0.25f, 3.14159265 / 4, 1.0}, {0.49f, -1, 1.0}};
    for (const auto& step : steps) {
        ASSERT_EQ(S_OK, model->Update(step.dt));
        if (step.angle < 0)
            continue;
        std::vector<D3DXVECTOR3> points = Skinned(model);
        ASSERT_EQ(3u, points.size());
        D3DXVECTOR3 tip = Tip(step.angle, step.height);
        EXPECT_NEAR(tip.x, points[2].x, 1e-4f) << step.angle;
        EXPECT_NEAR(tip.y, points[2].y, 1e-4f) << step.angle;
        EXPECT_NEAR(0.0f, points[2].z, 1e-4f);
    }
    // Just before the step at t = 1 the arm is still at its first key.
    EXPECT_NEAR(2.0f, std::hypot(Skinned(model)[2].x, Skinned(model)[2].y), 1e-3f);
}

TEST_F(GltfTest, JointScalesAreBakedWhenUniformAndOtherwiseDroppedByName)
{
    // An armature scaling the whole skeleton, and so the mesh, by 2.
    tinygltf::Model arm = Arm(false);
    arm.nodes.push_back(tinygltf::Node());
    arm.nodes.back().name = "armature";
    arm.nodes.back().scale = {2, 2, 2};
    arm.nodes.back().children = {0};
    arm.scenes[0].nodes = {3, 2};
    ModelSkel* model = LoadSkinned(Save(arm, true, "uniform"));
    ASSERT_NE(nullptr, model);
    EXPECT_THAT(NewLog(), Not(HasSubstr("Joint scales dropped")));
    ASSERT_EQ(S_OK, model->Update(0));
    D3DXMATRIX world;
    ASSERT_EQ(S_OK, model->GetMatrix(&world));
    std::vector<D3DXVECTOR3> points = Skinned(model);
    D3DXVECTOR4 tip, local(points[2].x, points[2].y, points[2].z, 1);
    D3DXVec4Transform(&tip, &local, &world);
    // The file's tip (0, 2, 0), scaled by 2.
    EXPECT_NEAR(0.0f, tip.x, 1e-5f);
    EXPECT_NEAR(4.0f, tip.y, 1e-5f);

    tinygltf::Model stretched = Arm(false);
    stretched.nodes[1].scale = {1, 3, 1};
    logMark.Reset();
    ASSERT_NE(nullptr, LoadSkinned(Save(stretched, true, "stretched")));
    EXPECT_THAT(NewLog(), HasSubstr("Joint scales dropped (the skeleton has none): 'arm'"));
}

TEST_F(GltfTest, InfluencesAreRenormalisedAndFurtherSetsDroppedWithAWarning)
{
    tinygltf::Model arm = Arm(false);
    gltfwriter::Builder b;
    b.model = arm;
    tinygltf::Primitive& primitive = b.model.meshes[0].primitives[0];
    const uint16_t joints[12] = {0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    primitive.attributes["JOINTS_0"] =
        b.Accessor(b.View(joints, sizeof joints), TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, 3);
    primitive.attributes["WEIGHTS_0"] = b.Floats({0.5f, 0.25f, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    primitive.attributes["JOINTS_1"] = primitive.attributes["JOINTS_0"];
    primitive.attributes["WEIGHTS_1"] = primitive.attributes["WEIGHTS_0"];
    ModelSkel* model = LoadSkinned(Save(b.model));
    ASSERT_NE(nullptr, model);
    EXPECT_THAT(NewLog(), HasSubstr("Influences past the fourth dropped in mesh 'mesh 0'"));
    const ModelSkelData& data = model->Meta()->data;
    ASSERT_EQ(4u, data.influences.Count());
    EXPECT_EQ(0, data.influences[0].bone);
    EXPECT_FLOAT_EQ(2.0f / 3, data.influences[0].weight);
    EXPECT_FLOAT_EQ(1.0f / 3, data.influences[1].weight);
    EXPECT_FLOAT_EQ(1.0f, data.influences[2].weight);
}

// The demo creature loaded from its Cal3D files, written as glTF and loaded
// again: both paths must draw every vertex at one place in the world, in the
// bind pose and with two animations blended.
TEST_F(GltfTest, Cal3DCreatureAndItsGltfCopyAreSkinnedAlike)
{
    ASSERT_NO_FATAL_FAILURE(LinkSourceData());
    IGeometry* geometry = nullptr;
    ASSERT_EQ(S_OK, core->CreateObject("cal3d", "./data/creature.cfg", &geometry));
    factoryModels.push_back(geometry);
    ModelSkel* cal3d = static_cast<ModelSkel*>(geometry);
    ModelSkel* gltf = LoadSkinned(Save(gltfwriter::FromSkinned(cal3d->Meta()->data)));
    ASSERT_NE(nullptr, gltf);
    D3DXMATRIX calWorld, gltfWorld;
    ASSERT_EQ(S_OK, cal3d->GetMatrix(&calWorld));
    ASSERT_EQ(S_OK, gltf->GetMatrix(&gltfWorld));
    auto world = [](const std::vector<D3DXVECTOR3>& points, const D3DXMATRIX& matrix) {
        std::vector<D3DXVECTOR3> out;
        for (const D3DXVECTOR3& p : points) {
            D3DXVECTOR4 moved, from(p.x, p.y, p.z, 1);
            D3DXVec4Transform(&moved, &from, &matrix);
            out.push_back(D3DXVECTOR3(moved.x, moved.y, moved.z));
        }
        return out;
    };
    for (int frame = 0; frame < 4; ++frame) {
        SCOPED_TRACE(frame);
        if (frame == 1)
            for (ModelSkel* model : {cal3d, gltf}) {
                ASSERT_EQ(S_OK, model->AddAnimation(1, 1.0f));
                ASSERT_EQ(S_OK, model->AddAnimation(3, 3.0f));
            }
        ASSERT_EQ(S_OK, cal3d->Update(frame ? 0.21f : 0));
        ASSERT_EQ(S_OK, gltf->Update(frame ? 0.21f : 0));
        ExpectSamePoints(world(Skinned(cal3d), calWorld), world(Skinned(gltf), gltfWorld), 2e-3f);
    }
}
