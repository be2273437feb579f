// MD5 (version 10) text writer: .md5mesh and .md5anim files from plain
// structures. Every field the files hold can be set, including counts that
// disagree with the lists, so callers can also write damaged files on
// purpose. Quaternions are unit and rotate v to q v q*; they are written as
// x, y, z after turning them to w <= 0, the files' convention.
#pragma once

#include "cal3dwriter.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace md5 {

using Vec3 = cal3d::Vec3;
using Quat = cal3d::Quat;

struct Joint {
    std::string name;
    int32_t parent = -1;
    Vec3 position;  // bind pose, model space (mesh) or parent-relative (base frame)
    Quat orientation;
};

struct Vertex {
    float s = 0, t = 0;
    int32_t firstWeight = 0;
    int32_t weightCount = 1;
};

struct Weight {
    int32_t joint = 0;
    float bias = 1;
    Vec3 position;  // in the joint's bind frame
};

struct Mesh {
    std::string shader;
    std::vector<Vertex> vertices;
    std::vector<int32_t> indices;  // three per triangle, clockwise fronts
    std::vector<Weight> weights;
};

struct MeshFile {
    int32_t version = 10;
    std::vector<Joint> joints;
    std::vector<Mesh> meshes;
    // Written instead of the list sizes when not negative.
    int32_t numJoints = -1;
    int32_t numMeshes = -1;
};

struct AnimJoint {
    std::string name;
    int32_t parent = -1;
    int32_t flags = 0;  // 1, 2, 4: x, y, z animated; 8, 16, 32: qx, qy, qz
    int32_t startIndex = 0;
};

struct AnimFile {
    int32_t version = 10;
    float frameRate = 24;
    std::vector<AnimJoint> hierarchy;
    std::vector<std::pair<Vec3, Vec3>> bounds;  // one box per frame
    std::vector<Joint> baseFrame;               // positions and orientations only
    std::vector<std::vector<float>> frames;     // the animated components
    int32_t numAnimatedComponents = -1;         // written when not negative
};

std::string Encode(const MeshFile& mesh);
std::string Encode(const AnimFile& anim);

// The unit quaternion the file's x, y, z stand for: w = -sqrt(1 - x² - y² - z²).
Quat FromFile(float x, float y, float z);
// q v q*, Hamilton a b.
Vec3 Rotate(const Quat& q, const Vec3& v);
Quat Multiply(const Quat& a, const Quat& b);

// The Cal3D model as MD5: the same skeleton (absolute joints from the
// relative bones), one mesh per submesh with `shaders[material]` as its
// shader, each influence a weight in its joint's bind frame, and every
// animation sampled at its keys. All tracks of an animation must have the
// same evenly spaced key times, or one key.
MeshFile FromCal3D(const cal3d::Skeleton& skeleton, const cal3d::Mesh& mesh, const std::vector<std::string>& shaders);
AnimFile FromCal3D(const cal3d::Skeleton& skeleton, const cal3d::Animation& animation);

}  // namespace md5
