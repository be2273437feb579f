// A small MD5 model written with the writer library, and the MD5 rules
// computed straight from that data (bind pose, frames, hierarchy), so the
// loader's conversions are checked against the files' own meaning.
//
// Joints: 0 "root" at (0,0,1) turned a quarter about z; 1 "arm" at (0,2,1),
// child of the root, turned a quarter about x on top of the root's turn;
// 2 "tip", child of the arm, at (0,3,1). Every orientation has w != 0, so a
// loader that recomputes w with the wrong sign or conjugates where it must
// not misplaces the vertices.
// Mesh: one mesh "skin" of 5 vertices, 3 triangles; vertex 4 has 5 weights.
// Animations (by the list, in this order): "bend.md5anim", 3 frames at
// 2 fps, arm animated in qx and tz only; "shift.md5anim", 2 frames at
// 1 fps, every component of the root.
#pragma once

#include "md5writer.h"

#include <d3dx9.h>

#include <cmath>
#include <string>
#include <vector>

namespace md5test {

inline md5::Quat AxisAngle(float x, float y, float z, float angle)
{
    float s = std::sin(angle / 2);
    return {x * s, y * s, z * s, std::cos(angle / 2)};
}

inline md5::Quat Conjugate(const md5::Quat& q) { return {-q.x, -q.y, -q.z, q.w}; }

inline md5::Vec3 Plus(md5::Vec3 a, md5::Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline md5::Vec3 Times(md5::Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }

// The quaternion a file's x, y, z give back, as written (w <= 0).
inline md5::Quat AsWritten(md5::Quat q)
{
    float sign = q.w > 0 ? -1.0f : 1.0f;
    return md5::FromFile(q.x * sign, q.y * sign, q.z * sign);
}

inline md5::MeshFile TestMesh()
{
    md5::MeshFile file;
    md5::Quat root = AxisAngle(0, 0, 1, 1.5707963f);
    md5::Quat arm = md5::Multiply(root, AxisAngle(1, 0, 0, 1.5707963f));
    file.joints = {{"root", -1, {0, 0, 1}, root}, {"arm", 0, {0, 2, 1}, arm}, {"tip", 1, {0, 3, 1}, arm}};
    md5::Mesh mesh;
    mesh.shader = "skin";
    mesh.vertices = {{0, 0, 0, 1}, {1, 0, 1, 1}, {1, 1, 2, 2}, {0, 1, 4, 1}, {0.5f, 0.5f, 5, 5}};
    mesh.indices = {0, 1, 2, 0, 2, 3, 1, 4, 2};
    mesh.weights = {{0, 1, {1, 0, 0}},     {1, 1, {0, 1, 0}},   {1, 0.75f, {0, 0, 1}},
                    {2, 0.25f, {1, 1, 0}}, {2, 1, {0.5f, 0, 0}}, {0, 0.4f, {1, 1, 1}},
                    {1, 0.3f, {0, 1, 1}},  {2, 0.2f, {1, 0, 1}}, {0, 0.06f, {2, 0, 0}},
                    {1, 0.04f, {0, 2, 0}}};
    file.meshes = {mesh};
    return file;
}

inline md5::AnimFile BendAnim()
{
    md5::AnimFile anim;
    anim.frameRate = 2;
    md5::MeshFile mesh = TestMesh();
    anim.hierarchy = {{"root", -1, 0, 0}, {"arm", 0, 8 | 4, 0}, {"tip", 1, 0, 2}};
    // The base frame: each joint relative to its parent, as in the mesh.
    anim.baseFrame = {{"", -1, {0, 0, 1}, mesh.joints[0].orientation},
                      {"", -1, {2, 0, 0}, AxisAngle(1, 0, 0, 1.5707963f)},
                      {"", -1, {1, 0, 0}, {0, 0, 0, 1}}};
    // Frames: arm's tz, then qx (a turn about x, written with w <= 0).
    for (float angle : {0.3f, 0.9f, 1.2f}) {
        md5::Quat q = AxisAngle(1, 0, 0, angle);
        anim.frames.push_back({angle, -q.x});
    }
    anim.bounds.assign(3, {{-5, -5, -5}, {5, 5, 5}});
    return anim;
}

inline md5::AnimFile ShiftAnim()
{
    md5::AnimFile anim = BendAnim();
    anim.frameRate = 1;
    anim.hierarchy = {{"root", -1, 63, 0}, {"arm", 0, 0, 6}, {"tip", 1, 0, 6}};
    md5::Quat a = AsWritten(AxisAngle(0, 0, 1, 1.0f)), b = AsWritten(AxisAngle(0, 1, 0, 0.5f));
    anim.frames = {{1, 0, 1, a.x, a.y, a.z}, {3, -2, 1, b.x, b.y, b.z}};
    anim.bounds.resize(2);
    return anim;
}

// Writes <folder>/test.md5mesh, its animations, the list test.anims and the
// texture skin.tga.
inline void WriteTestModel(const std::string& folder)
{
    cal3d::WriteFile(folder + "/test.md5mesh", md5::Encode(TestMesh()));
    cal3d::WriteFile(folder + "/bend.md5anim", md5::Encode(BendAnim()));
    cal3d::WriteFile(folder + "/shift.md5anim", md5::Encode(ShiftAnim()));
    cal3d::WriteFile(folder + "/test.anims", std::string("bend.md5anim\n\n# the root moves\nshift.md5anim\n"));
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 10, 200, 30};
    cal3d::WriteFile(folder + "/skin.tga", tga);
}

struct Pose {
    std::vector<md5::Vec3> positions;  // model space, per joint
    std::vector<md5::Quat> orientations;
};

// The joints' model-space transforms as the MD5 rules give them from local
// (parent-relative) ones: a child's position is its parent's plus the
// parent's rotation of its local position.
inline Pose Compose(const std::vector<int>& parents, const std::vector<md5::Vec3>& positions,
                    const std::vector<md5::Quat>& orientations)
{
    Pose pose{positions, orientations};
    for (size_t j = 0; j < parents.size(); ++j) {
        if (parents[j] < 0)
            continue;
        size_t p = (size_t)parents[j];
        pose.positions[j] = Plus(pose.positions[p], md5::Rotate(pose.orientations[p], positions[j]));
        pose.orientations[j] = md5::Multiply(pose.orientations[p], orientations[j]);
    }
    return pose;
}

// A vertex from its weights on a pose: sum of bias x (joint position +
// joint rotation of the weight's position).
inline md5::Vec3 Vertex(const md5::Mesh& mesh, const md5::Vertex& vertex, const Pose& pose)
{
    md5::Vec3 sum{0, 0, 0};
    for (int32_t w = vertex.firstWeight; w < vertex.firstWeight + vertex.weightCount; ++w) {
        const md5::Weight& weight = mesh.weights[(size_t)w];
        md5::Vec3 at = Plus(pose.positions[(size_t)weight.joint],
                            md5::Rotate(pose.orientations[(size_t)weight.joint], weight.position));
        sum = Plus(sum, Times(at, weight.bias));
    }
    return sum;
}

inline md5::Quat Slerp(md5::Quat a, md5::Quat b, float f)
{
    float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (dot < 0) {
        b = {-b.x, -b.y, -b.z, -b.w};
        dot = -dot;
    }
    float angle = std::acos(std::fmin(dot, 1.0f));
    float s = std::sin(angle);
    float wa = s < 1e-6f ? 1 - f : std::sin((1 - f) * angle) / s;
    float wb = s < 1e-6f ? f : std::sin(f * angle) / s;
    return {a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb, a.w * wa + b.w * wb};
}

// The pose of an animation at `time` seconds: each frame's joints from the
// base frame and the animated components, neighbouring frames blended.
inline Pose AnimPose(const md5::AnimFile& anim, float time)
{
    float at = time * anim.frameRate;
    size_t last = anim.frames.size() - 1;
    size_t frame = at <= 0 ? 0 : std::fmin((size_t)at, last);
    size_t next = frame < last ? frame + 1 : last;
    float f = at - (float)frame;
    if (f < 0 || frame == last)
        f = 0;
    std::vector<int> parents;
    std::vector<md5::Vec3> positions;
    std::vector<md5::Quat> orientations;
    for (size_t j = 0; j < anim.hierarchy.size(); ++j) {
        const md5::AnimJoint& joint = anim.hierarchy[j];
        md5::Quat baseQ = AsWritten(anim.baseFrame[j].orientation);
        md5::Vec3 p[2];
        md5::Quat q[2];
        for (int k = 0; k < 2; ++k) {
            const std::vector<float>& row = anim.frames[k ? next : frame];
            float values[6] = {anim.baseFrame[j].position.x, anim.baseFrame[j].position.y,
                               anim.baseFrame[j].position.z, baseQ.x, baseQ.y, baseQ.z};
            for (int c = 0, used = 0; c < 6; ++c)
                if (joint.flags & (1 << c))
                    values[c] = row[(size_t)(joint.startIndex + used++)];
            p[k] = {values[0], values[1], values[2]};
            q[k] = md5::FromFile(values[3], values[4], values[5]);
        }
        parents.push_back(joint.parent);
        positions.push_back(Plus(Times(p[0], 1 - f), Times(p[1], f)));
        orientations.push_back(Slerp(q[0], q[1], f));
    }
    return Compose(parents, positions, orientations);
}

inline Pose BindPose(const md5::MeshFile& file)
{
    Pose pose;
    for (const md5::Joint& joint : file.joints) {
        pose.positions.push_back(joint.position);
        pose.orientations.push_back(AsWritten(joint.orientation));
    }
    return pose;
}

}  // namespace md5test
