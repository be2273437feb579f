#include "md5writer.h"

#include <cmath>
#include <cstdio>

namespace md5 {
namespace {

// Nine significant digits give a float back exactly.
std::string Number(float value)
{
    char text[32];
    if (value == 0)
        value = 0;  // no "-0"
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string Vector(float a, float b, float c)
{
    return "( " + Number(a) + " " + Number(b) + " " + Number(c) + " )";
}

// x, y, z of the quaternion with w <= 0 (q and -q are one rotation).
std::string FileQuat(Quat q)
{
    float sign = q.w > 0 ? -1.0f : 1.0f;
    return Vector(q.x * sign, q.y * sign, q.z * sign);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

Quat Conjugate(const Quat& q) { return {-q.x, -q.y, -q.z, q.w}; }
Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Subtract(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// The Cal3D bones' bind transforms in model space, in the MD5 convention
// (Cal3D bones rotate by the conjugate).
std::vector<Joint> AbsoluteJoints(const cal3d::Skeleton& skeleton)
{
    std::vector<Joint> joints(skeleton.bones.size());
    for (size_t b = 0; b < skeleton.bones.size(); ++b) {
        const cal3d::Bone& bone = skeleton.bones[b];
        Joint& joint = joints[b];
        joint.name = bone.name;
        joint.parent = bone.parent;
        Quat local = Conjugate(bone.rotation);
        joint.position = bone.translation;
        joint.orientation = local;
        // Parents come first in the creature, as in exported files.
        if (bone.parent >= 0) {
            const Joint& parent = joints[(size_t)bone.parent];
            joint.position = Add(parent.position, Rotate(parent.orientation, bone.translation));
            joint.orientation = Multiply(parent.orientation, local);
        }
    }
    return joints;
}

}  // namespace

Quat Multiply(const Quat& a, const Quat& b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Vec3 Rotate(const Quat& q, const Vec3& v)
{
    Quat r = Multiply(Multiply(q, {v.x, v.y, v.z, 0}), Conjugate(q));
    return {r.x, r.y, r.z};
}

Quat FromFile(float x, float y, float z)
{
    float rest = 1.0f - x * x - y * y - z * z;
    return {x, y, z, rest > 0 ? -std::sqrt(rest) : 0.0f};
}

std::string Encode(const MeshFile& file)
{
    std::string out = "MD5Version " + std::to_string(file.version) + "\ncommandline \"md5writer\"\n\n";
    out += "numJoints " + std::to_string(file.numJoints >= 0 ? file.numJoints : (int32_t)file.joints.size()) + "\n";
    out += "numMeshes " + std::to_string(file.numMeshes >= 0 ? file.numMeshes : (int32_t)file.meshes.size()) + "\n\n";
    out += "joints {\n";
    for (const Joint& joint : file.joints) {
        out += "\t" + Quoted(joint.name) + "\t" + std::to_string(joint.parent) + " " +
               Vector(joint.position.x, joint.position.y, joint.position.z) + " " + FileQuat(joint.orientation) +
               "\t\t// " + (joint.parent >= 0 && joint.parent < (int32_t)file.joints.size()
                                 ? file.joints[(size_t)joint.parent].name
                                 : std::string()) +
               "\n";
    }
    out += "}\n";
    for (const Mesh& mesh : file.meshes) {
        out += "\nmesh {\n\tshader " + Quoted(mesh.shader) + "\n\n";
        out += "\tnumverts " + std::to_string(mesh.vertices.size()) + "\n";
        for (size_t v = 0; v < mesh.vertices.size(); ++v) {
            const Vertex& vertex = mesh.vertices[v];
            out += "\tvert " + std::to_string(v) + " ( " + Number(vertex.s) + " " + Number(vertex.t) + " ) " +
                   std::to_string(vertex.firstWeight) + " " + std::to_string(vertex.weightCount) + "\n";
        }
        out += "\n\tnumtris " + std::to_string(mesh.indices.size() / 3) + "\n";
        for (size_t t = 0; t + 2 < mesh.indices.size(); t += 3)
            out += "\ttri " + std::to_string(t / 3) + " " + std::to_string(mesh.indices[t]) + " " +
                   std::to_string(mesh.indices[t + 1]) + " " + std::to_string(mesh.indices[t + 2]) + "\n";
        out += "\n\tnumweights " + std::to_string(mesh.weights.size()) + "\n";
        for (size_t w = 0; w < mesh.weights.size(); ++w) {
            const Weight& weight = mesh.weights[w];
            out += "\tweight " + std::to_string(w) + " " + std::to_string(weight.joint) + " " + Number(weight.bias) +
                   " " + Vector(weight.position.x, weight.position.y, weight.position.z) + "\n";
        }
        out += "}\n";
    }
    return out;
}

std::string Encode(const AnimFile& file)
{
    size_t components = 0;
    for (const std::vector<float>& frame : file.frames)
        components = frame.size() > components ? frame.size() : components;
    std::string out = "MD5Version " + std::to_string(file.version) + "\ncommandline \"md5writer\"\n\n";
    out += "numFrames " + std::to_string(file.frames.size()) + "\n";
    out += "numJoints " + std::to_string(file.hierarchy.size()) + "\n";
    out += "frameRate " + Number(file.frameRate) + "\n";
    out += "numAnimatedComponents " +
           std::to_string(file.numAnimatedComponents >= 0 ? file.numAnimatedComponents : (int32_t)components) +
           "\n\nhierarchy {\n";
    for (const AnimJoint& joint : file.hierarchy)
        out += "\t" + Quoted(joint.name) + "\t" + std::to_string(joint.parent) + " " + std::to_string(joint.flags) +
               " " + std::to_string(joint.startIndex) + "\n";
    out += "}\n\nbounds {\n";
    for (const std::pair<Vec3, Vec3>& box : file.bounds)
        out += "\t" + Vector(box.first.x, box.first.y, box.first.z) + " " +
               Vector(box.second.x, box.second.y, box.second.z) + "\n";
    out += "}\n\nbaseframe {\n";
    for (const Joint& joint : file.baseFrame)
        out += "\t" + Vector(joint.position.x, joint.position.y, joint.position.z) + " " +
               FileQuat(joint.orientation) + "\n";
    out += "}\n";
    for (size_t f = 0; f < file.frames.size(); ++f) {
        out += "\nframe " + std::to_string(f) + " {\n";
        const std::vector<float>& frame = file.frames[f];
        for (size_t c = 0; c < frame.size(); ++c)
            out += (c % 6 == 0 ? "\t" : " ") + Number(frame[c]) + (c % 6 == 5 || c + 1 == frame.size() ? "\n" : "");
        out += "}\n";
    }
    return out;
}

MeshFile FromCal3D(const cal3d::Skeleton& skeleton, const cal3d::Mesh& mesh, const std::vector<std::string>& shaders)
{
    MeshFile file;
    file.joints = AbsoluteJoints(skeleton);
    for (const cal3d::Submesh& submesh : mesh.submeshes) {
        Mesh out;
        out.shader = (size_t)submesh.material < shaders.size() ? shaders[(size_t)submesh.material] : "";
        for (const cal3d::Vertex& vertex : submesh.vertices) {
            Vertex v;
            if (!vertex.texCoords.empty()) {
                v.s = vertex.texCoords[0].u;
                v.t = vertex.texCoords[0].v;
            }
            v.firstWeight = (int32_t)out.weights.size();
            v.weightCount = (int32_t)vertex.influences.size();
            for (const cal3d::Influence& influence : vertex.influences) {
                const Joint& joint = file.joints[(size_t)influence.bone];
                Weight weight;
                weight.joint = influence.bone;
                weight.bias = influence.weight;
                weight.position = Rotate(Conjugate(joint.orientation), Subtract(vertex.position, joint.position));
                out.weights.push_back(weight);
            }
            out.vertices.push_back(v);
        }
        // The engine's Cal3D triangles already wind as MD5 fronts do.
        out.indices = submesh.indices;
        file.meshes.push_back(out);
    }
    return file;
}

AnimFile FromCal3D(const cal3d::Skeleton& skeleton, const cal3d::Animation& animation)
{
    AnimFile file;
    size_t frames = 1;
    for (const cal3d::Track& track : animation.tracks)
        frames = track.keys.size() > frames ? track.keys.size() : frames;
    file.frameRate = frames > 1 ? (float)(frames - 1) / animation.duration : 24.0f;
    std::vector<const cal3d::Track*> tracks(skeleton.bones.size(), nullptr);
    for (const cal3d::Track& track : animation.tracks)
        tracks[(size_t)track.bone] = &track;

    int32_t components = 0;
    for (size_t b = 0; b < skeleton.bones.size(); ++b) {
        const cal3d::Bone& bone = skeleton.bones[b];
        AnimJoint joint{bone.name, bone.parent, 0, components};
        Joint base;
        base.position = bone.translation;
        base.orientation = Conjugate(bone.rotation);
        if (tracks[b] && !tracks[b]->keys.empty()) {
            joint.flags = 63;
            components += 6;
        }
        file.hierarchy.push_back(joint);
        file.baseFrame.push_back(base);
    }
    file.frames.assign(frames, std::vector<float>());
    for (size_t f = 0; f < frames; ++f) {
        for (size_t b = 0; b < skeleton.bones.size(); ++b) {
            if (!file.hierarchy[b].flags)
                continue;
            const std::vector<cal3d::Key>& keys = tracks[b]->keys;
            const cal3d::Key& key = keys[f < keys.size() ? f : keys.size() - 1];
            Quat q = Conjugate(key.rotation);
            float sign = q.w > 0 ? -1.0f : 1.0f;
            file.frames[f].insert(file.frames[f].end(), {key.translation.x, key.translation.y, key.translation.z,
                                                         q.x * sign, q.y * sign, q.z * sign});
        }
    }
    // The bind pose's joint positions stand for every frame's box.
    Vec3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const Joint& joint : AbsoluteJoints(skeleton)) {
        low = {std::fmin(low.x, joint.position.x), std::fmin(low.y, joint.position.y), std::fmin(low.z, joint.position.z)};
        high = {std::fmax(high.x, joint.position.x), std::fmax(high.y, joint.position.y),
                std::fmax(high.z, joint.position.z)};
    }
    file.bounds.assign(frames, {low, high});
    return file;
}

}  // namespace md5
