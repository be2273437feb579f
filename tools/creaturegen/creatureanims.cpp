// The creature's looping animations. Every track is a sine of the time over
// one cycle, sampled at evenly spaced keys whose last equals its first, so
// each animation loops without a jump.
#include "creature.h"

#include <cmath>
#include <functional>

namespace creature {
namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr int kKeys = 17;

cal3d::Quat Multiply(cal3d::Quat a, cal3d::Quat b)  // Hamilton a * b
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

// What a bone does at phase p (0 to 1 over the cycle): extra translation
// from its bind position and rotations about x, y and z (radians).
struct Pose {
    cal3d::Vec3 offset;
    float rx = 0, ry = 0, rz = 0;
};
using Motion = std::function<Pose(float phase)>;

cal3d::Track MakeTrack(const char* name, const Motion& motion, float duration)
{
    int bone = BoneIndex(name);
    cal3d::Track track;
    track.bone = bone;
    const BoneDef& def = Bones()[bone];
    cal3d::Vec3 parent = def.parent >= 0 ? Bones()[def.parent].head : cal3d::Vec3{};
    for (int k = 0; k < kKeys; ++k) {
        float phase = (float)k / (kKeys - 1);
        Pose pose = motion(k == kKeys - 1 ? 0.0f : phase);
        cal3d::Key key;
        key.time = duration * phase;
        key.translation = {def.head.x - parent.x + pose.offset.x, def.head.y - parent.y + pose.offset.y,
                           def.head.z - parent.z + pose.offset.z};
        key.rotation = Multiply(Multiply(AxisAngle({1, 0, 0}, pose.rx), AxisAngle({0, 1, 0}, pose.ry)),
                                AxisAngle({0, 0, 1}, pose.rz));
        track.keys.push_back(key);
    }
    return track;
}

float Wave(float phase, float shift = 0) { return std::sin(kTwoPi * (phase + shift)); }

Motion SwingX(float amplitude, float shift = 0, float bias = 0)
{
    return [=](float p) {
        Pose pose;
        pose.rx = bias + amplitude * Wave(p, shift);
        return pose;
    };
}
Motion SwingZ(float amplitude, float shift = 0)
{
    return [=](float p) {
        Pose pose;
        pose.rz = amplitude * Wave(p, shift);
        return pose;
    };
}
Motion SwingY(float amplitude, float shift = 0, float bias = 0)
{
    return [=](float p) {
        Pose pose;
        pose.ry = bias + amplitude * Wave(p, shift);
        return pose;
    };
}

cal3d::Animation Build(float duration, const std::vector<std::pair<const char*, Motion>>& tracks)
{
    cal3d::Animation animation;
    animation.duration = duration;
    for (const auto& t : tracks)
        animation.tracks.push_back(MakeTrack(t.first, t.second, duration));
    return animation;
}

// Legs and arms swinging in opposition; `stride` in radians.
cal3d::Animation Gait(float duration, float stride, float bob)
{
    return Build(duration, {
        {"pelvis", [=](float p) { Pose pose; pose.offset.z = bob * std::fabs(Wave(p)); return pose; }},
        {"thigh_l", SwingX(stride)},
        {"thigh_r", SwingX(stride, 0.5f)},
        {"calf_l", SwingX(stride * 0.6f, 0.25f, -stride * 0.6f)},
        {"calf_r", SwingX(stride * 0.6f, 0.75f, -stride * 0.6f)},
        {"upperarm_l", SwingX(stride * 0.8f, 0.5f)},
        {"upperarm_r", SwingX(stride * 0.8f)},
        {"forearm_l", SwingX(0.2f, 0.5f, 0.4f)},
        {"forearm_r", SwingX(0.2f, 0.0f, 0.4f)},
        {"tail1", SwingZ(0.3f)},
        {"tail2", SwingZ(0.4f, 0.1f)},
    });
}

}  // namespace

cal3d::Quat AxisAngle(cal3d::Vec3 axis, float angle)
{
    // The bones rotate a vector v by conj(q) v q: the conjugate of the usual
    // axis-angle quaternion turns it counter-clockwise.
    float s = std::sin(angle / 2);
    return {-axis.x * s, -axis.y * s, -axis.z * s, std::cos(angle / 2)};
}

std::vector<NamedAnimation> MakeAnimations()
{
    std::vector<NamedAnimation> animations;
    animations.push_back({"idle", Build(3.0f, {
        {"spine1", SwingX(0.04f)},
        {"spine2", SwingX(0.05f, 0.1f)},
        {"head", SwingZ(0.15f)},
        {"upperarm_l", SwingY(0.05f, 0, 0.1f)},
        {"upperarm_r", SwingY(0.05f, 0, -0.1f)},
        {"tail1", SwingZ(0.2f)},
    })});
    animations.push_back({"walk", Gait(1.2f, 0.5f, 2.0f)});
    animations.push_back({"run", Gait(0.7f, 0.9f, 6.0f)});
    animations.push_back({"wave", Build(1.5f, {
        {"clavicle_r", SwingY(0.0f, 0, 0.3f)},
        {"upperarm_r", SwingY(0.15f, 0, 2.4f)},
        {"forearm_r", SwingY(0.5f, 0.25f)},
        {"hand_r", SwingY(0.3f, 0.5f)},
        {"head", SwingY(0.1f)},
    })});
    animations.push_back({"jump", Build(1.2f, {
        {"pelvis", [](float p) {
             Pose pose;
             float lift = Wave(p * 0.5f);
             pose.offset.z = 35.0f * lift * lift - 6.0f * (1 - lift);
             return pose;
         }},
        {"thigh_l", SwingX(0.4f, 0.25f, 0.4f)},
        {"thigh_r", SwingX(0.4f, 0.25f, 0.4f)},
        {"calf_l", SwingX(0.6f, 0.25f, -0.6f)},
        {"calf_r", SwingX(0.6f, 0.25f, -0.6f)},
        {"upperarm_l", SwingY(1.2f, 0.75f, -1.2f)},
        {"upperarm_r", SwingY(1.2f, 0.75f, 1.2f)},
    })});
    animations.push_back({"wag", Build(0.8f, {
        {"tail1", SwingZ(0.6f)},
        {"tail2", SwingZ(0.7f, 0.15f)},
        {"tail3", SwingZ(0.8f, 0.3f)},
        {"ear_l", SwingY(0.4f)},
        {"ear_r", SwingY(0.4f, 0.5f)},
    })});
    animations.push_back({"spin", Build(2.0f, {
        {"pelvis", [](float p) { Pose pose; pose.rz = kTwoPi * p; pose.offset.z = 4.0f * std::fabs(Wave(2 * p)); return pose; }},
        {"upperarm_l", SwingY(0.2f, 0, -1.4f)},
        {"upperarm_r", SwingY(0.2f, 0, 1.4f)},
        {"head", SwingX(0.2f)},
        {"tail1", SwingZ(0.5f)},
    })});
    animations.push_back({"look", Build(2.5f, {
        {"neck", SwingZ(0.5f)},
        {"head", SwingX(0.2f, 0.25f)},
        {"jaw", SwingX(0.15f, 0, 0.15f)},
    })});
    return animations;
}

}  // namespace creature
