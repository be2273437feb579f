// A generated humanoid-sized Cal3D model for the skinning benchmarks: 28
// bones (spine, neck and head, two arms with hands and two fingers, two legs
// with feet and toes, a jaw), each bone a tube of 18 rings of 26 vertices
// (13 104 in all) from its parent's joint to its own, every vertex on 1 to 4
// bones (2.4 on average), and two animations of 17 keys that swing every
// bone about another axis.
#pragma once

#include "cal3dwriter.h"

#include <cmath>
#include <string>
#include <vector>

inline void WriteHumanoid(const std::string& name)
{
    // Parent and joint offset from the parent, in the z-up units of Cal3D.
    struct Joint {
        int parent;
        float x, y, z;
    };
    const std::vector<Joint> joints = {
        {-1, 0, 0, 100},  // 0 pelvis
        {0, 0, 0, 12},    {1, 0, 0, 12},   {2, 0, 0, 12},   {3, 0, 0, 8},    {4, 0, 0, 12},  // spine, neck, head
        {3, 8, 0, 4},     {6, 14, 0, 0},   {7, 26, 0, 0},   {8, 22, 0, 0},   {9, 8, 0, 0},    {10, 4, 0, 0},
        {3, -8, 0, 4},    {12, -14, 0, 0}, {13, -26, 0, 0}, {14, -22, 0, 0}, {15, -8, 0, 0},  {16, -4, 0, 0},
        {0, 10, 0, -4},   {18, 0, 0, -42}, {19, 0, 0, -40}, {20, 0, -10, -6},
        {0, -10, 0, -4},  {22, 0, 0, -42}, {23, 0, 0, -40}, {24, 0, -10, -6},
        {5, 0, -4, 2},    {25, 0, -6, 0}};  // jaw, toe of the right foot
    const int bones = (int)joints.size();
    const int rings = 18, segments = 26;

    std::vector<cal3d::Vec3> absolute(bones);
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(bones);
    for (int b = 0; b < bones; ++b) {
        const Joint& joint = joints[b];
        cal3d::Bone& bone = skeleton.bones[b];
        bone.name = "bone" + std::to_string(b);
        bone.parent = joint.parent;
        bone.translation = {joint.x, joint.y, joint.z};
        cal3d::Vec3 base = joint.parent >= 0 ? absolute[joint.parent] : cal3d::Vec3{};
        absolute[b] = {base.x + joint.x, base.y + joint.y, base.z + joint.z};
        bone.boneSpaceTranslation = {-absolute[b].x, -absolute[b].y, -absolute[b].z};
        if (joint.parent >= 0)
            skeleton.bones[joint.parent].children.push_back(b);
    }
    cal3d::Write(name + ".csf", skeleton);

    for (int a = 0; a < 2; ++a) {
        cal3d::Animation animation;
        animation.duration = 2.0f + a;
        for (int b = 0; b < bones; ++b) {
            cal3d::Track track;
            track.bone = b;
            for (int k = 0; k <= 16; ++k) {
                cal3d::Key key;
                key.time = animation.duration * k / 16;
                key.translation = skeleton.bones[b].translation;
                float half = 0.2f * std::sin(6.2831853f * (k / 16.0f + 0.05f * b)) / 2;
                float s = std::sin(half), c = std::cos(half);
                key.rotation = a ? cal3d::Quat{0, 0, s, c} : (b % 2 ? cal3d::Quat{s, 0, 0, c} : cal3d::Quat{0, s, 0, c});
                track.keys.push_back(key);
            }
            animation.tracks.push_back(track);
        }
        cal3d::Write(name + std::to_string(a) + ".caf", animation);
    }

    // Influence counts repeat 1 2 3 4 2 2 3 2 2 3: 2.4 on average. The bone
    // itself weighs most; then its parent, grandparent and the root.
    const int counts[10] = {1, 2, 3, 4, 2, 2, 3, 2, 2, 3};
    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    cal3d::Submesh& submesh = mesh.submeshes[0];
    int pattern = 0;
    for (int b = 0; b < bones; ++b) {
        int parent = joints[b].parent >= 0 ? joints[b].parent : b;
        int grandparent = joints[parent].parent >= 0 ? joints[parent].parent : parent;
        cal3d::Vec3 from = absolute[parent], to = absolute[b];
        for (int r = 0; r < rings; ++r) {
            float f = (float)r / (rings - 1);
            cal3d::Vec3 centre = {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f,
                                  from.z + (to.z - from.z) * f};
            for (int s = 0; s < segments; ++s) {
                float phi = 6.2831853f * s / segments;
                cal3d::Vertex vertex;
                cal3d::Vec3 radial = {std::cos(phi), std::sin(phi) * 0.6f, std::sin(phi) * 0.8f};
                vertex.position = {centre.x + 4 * radial.x, centre.y + 4 * radial.y, centre.z + 4 * radial.z};
                vertex.normal = radial;
                vertex.texCoords = {{f, (float)s / segments}};
                const int influenceBones[4] = {b, parent, grandparent, 0};
                const float weights[4][4] = {{1, 0, 0, 0}, {0.7f, 0.3f, 0, 0}, {0.6f, 0.3f, 0.1f, 0},
                                             {0.5f, 0.25f, 0.15f, 0.1f}};
                int count = counts[pattern++ % 10];
                for (int i = 0; i < count; ++i)
                    vertex.influences.push_back({influenceBones[i], weights[count - 1][i]});
                submesh.vertices.push_back(vertex);
            }
        }
        int first = b * rings * segments;
        for (int r = 0; r + 1 < rings; ++r) {
            for (int s = 0; s < segments; ++s) {
                int32_t v0 = first + r * segments + s, v1 = first + r * segments + (s + 1) % segments;
                submesh.indices.insert(submesh.indices.end(), {v0, v0 + segments, v1, v1, v0 + segments, v1 + segments});
            }
        }
    }
    cal3d::Write(name + ".cmf", mesh);
    cal3d::Write(name + ".crf", cal3d::Material());
    cal3d::Config config;
    config.entries = {{"skeleton", name + ".csf"}, {"animation", name + "0.caf"}, {"animation", name + "1.caf"},
                      {"mesh", name + ".cmf"},     {"material", name + ".crf"}};
    cal3d::Write(name + ".cfg", config);
}
