// The MD5 (version 10) readers: a .md5mesh (joints in the bind pose and
// meshes of weighted vertices) and a .md5anim (joint hierarchy, per-frame
// boxes, base frame and frames of animated components). They check the
// files on their own; whether an animation fits a mesh is the loader's
// check. A refused file leaves one Error record "<file>(<line>) : <what>"
// and returns E_FAIL; a file that does not open returns E_FAIL after its
// record. Quaternions are as the files mean them: unit, rotating v to
// q v q*, with w recomputed as -sqrt(1 - x² - y² - z²).
#pragma once

#include "models/skinned/modelskeldata.h"

#include "foundation/enginestring.h"
#include "foundation/qlresult.h"

struct Md5Joint {
    EngineString name;
    int32_t parent = -1;
    SkelVector position{};  // bind pose, model space (the mesh) or relative (a base frame)
    SkelQuaternion orientation{0, 0, 0, 1};
};

struct Md5Vertex {
    float s = 0, t = 0;
    uint32_t firstWeight = 0;
    uint32_t weightCount = 0;
};

struct Md5Weight {
    uint32_t joint = 0;
    float bias = 0;
    SkelVector position{};  // in the joint's bind frame
};

struct Md5Mesh {
    EngineString shader;
    EngineArray<Md5Vertex> vertices;
    EngineArray<uint32_t> indices;  // three per triangle, as the file orders them
    EngineArray<Md5Weight> weights;
};

struct Md5MeshFile {
    EngineArray<Md5Joint> joints;
    EngineArray<Md5Mesh> meshes;
};

struct Md5AnimJoint {
    EngineString name;
    int32_t parent = -1;
    uint32_t flags = 0;  // 1, 2, 4: x, y, z animated; 8, 16, 32: qx, qy, qz
    uint32_t startIndex = 0;
};

struct Md5AnimFile {
    float frameRate = 24;
    uint32_t frameCount = 0;
    uint32_t componentCount = 0;
    EngineArray<Md5AnimJoint> hierarchy;
    EngineArray<Md5Joint> baseFrame;  // parent-relative
    EngineArray<float> components;    // frameCount rows of componentCount
};

// Joints are checked: parents in range and without cycles. Every vertex's
// weights lie inside its mesh's weight list and name existing joints, every
// index names a vertex of its mesh.
HRESULT ReadMd5Mesh(const EngineString& name, Md5MeshFile* out);
// Components are checked against the hierarchy's start indices and flags.
HRESULT ReadMd5Anim(const EngineString& name, Md5AnimFile* out);

// The unit quaternion a file's x, y and z stand for.
SkelQuaternion Md5Quaternion(float x, float y, float z);
