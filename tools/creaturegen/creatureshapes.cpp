// The creature's skeleton and its skin of ellipsoids, one per bone with a
// shape, weighted to the nearest bones of its neighbourhood.
#include "creature.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace creature {
namespace {

struct V {
    float x, y, z;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(V a, float f) { return {a.x * f, a.y * f, a.z * f}; }
float Dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V Cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V Unit(V a)
{
    float length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1.0f / length) : V{0, 0, 1};
}
V FromVec(cal3d::Vec3 v) { return {v.x, v.y, v.z}; }
cal3d::Vec3 ToVec(V v) { return {v.x, v.y, v.z}; }

float SegmentDistance(V p, V a, V b)
{
    V ab = b - a;
    float t = Dot(p - a, ab) / std::max(Dot(ab, ab), 1e-6f);
    t = std::min(1.0f, std::max(0.0f, t));
    V d = p - (a + ab * t);
    return std::sqrt(Dot(d, d));
}

constexpr int kRings = 14;     // latitude steps from pole to pole
constexpr int kSegments = 12;  // longitude steps

// Bones whose shapes may pull on a vertex of `bone`'s shape: the bone, its
// parent, grandparent and children.
std::vector<int> Neighbourhood(int bone)
{
    const std::vector<BoneDef>& bones = Bones();
    std::vector<int> near = {bone};
    if (bones[bone].parent >= 0) {
        near.push_back(bones[bone].parent);
        if (bones[bones[bone].parent].parent >= 0)
            near.push_back(bones[bones[bone].parent].parent);
    }
    for (size_t b = 0; b < bones.size(); ++b)
        if (bones[b].parent == bone)
            near.push_back((int)b);
    return near;
}

// Up to four influences, by inverse fourth power of the distance to each
// candidate's shape axis, small ones dropped, normalised to 1.
std::vector<cal3d::Influence> Weigh(V p, int bone)
{
    const std::vector<BoneDef>& bones = Bones();
    std::vector<std::pair<float, int>> scored;
    for (int b : Neighbourhood(bone)) {
        if (bones[b].radius <= 0)
            continue;
        float d = SegmentDistance(p, FromVec(bones[b].head), FromVec(bones[b].tail)) - bones[b].radius;
        float score = 1.0f / std::pow(std::max(d, 0.0f) + 1.0f, 4.0f);
        scored.push_back({b == bone ? score * 2.0f : score, b});
    }
    std::sort(scored.begin(), scored.end(), [](auto& l, auto& r) { return l.first > r.first; });
    if (scored.size() > 4)
        scored.resize(4);
    float sum = 0;
    for (auto& s : scored)
        sum += s.first;
    std::vector<cal3d::Influence> influences;
    for (auto& s : scored)
        if (s.first / sum >= 0.05f)
            influences.push_back({s.second, s.first});
    sum = 0;
    for (auto& i : influences)
        sum += i.weight;
    for (auto& i : influences)
        i.weight /= sum;
    return influences;
}

// An ellipsoid whose long axis runs from the bone's head to its tail: one
// vertex at each pole, rings of kSegments between, wound outwards.
void AddEllipsoid(int bone, cal3d::Submesh* submesh)
{
    const BoneDef& def = Bones()[bone];
    V a = FromVec(def.head), b = FromVec(def.tail);
    V axis = Unit(b - a);
    V centre = (a + b) * 0.5f;
    float half = std::sqrt(Dot(b - a, b - a)) * 0.5f + def.radius * 0.4f;
    V side = Unit(Cross(axis, std::fabs(axis.z) < 0.9f ? V{0, 0, 1} : V{1, 0, 0}));
    V other = Cross(axis, side);

    int32_t first = (int32_t)submesh->vertices.size();
    auto add = [&](V offset, V normal) {
        cal3d::Vertex vertex;
        V p = centre + offset;
        vertex.position = ToVec(p);
        vertex.normal = ToVec(Unit(normal));
        float u = std::atan2(Dot(offset, other), Dot(offset, side)) / 6.2831853f + 0.5f;
        float v = Dot(offset, axis) / (2 * half) + 0.5f;
        vertex.texCoords = {{u, v}};
        vertex.influences = Weigh(p, bone);
        submesh->vertices.push_back(vertex);
    };
    add(axis * -half, axis * -1.0f);
    for (int ring = 1; ring < kRings; ++ring) {
        float theta = 3.1415927f * ring / kRings;
        float along = -std::cos(theta) * half, around = std::sin(theta) * def.radius;
        for (int s = 0; s < kSegments; ++s) {
            float phi = 6.2831853f * s / kSegments;
            V radial = side * std::cos(phi) + other * std::sin(phi);
            V offset = axis * along + radial * around;
            // The ellipsoid's normal: the offset scaled by the inverse squared semi-axes.
            V normal = axis * (along / (half * half)) + radial * (around / (def.radius * def.radius));
            add(offset, normal);
        }
    }
    add(axis * half, axis);
    int32_t last = (int32_t)submesh->vertices.size() - 1;

    auto ring = [&](int r, int s) { return first + 1 + (r - 1) * kSegments + (s % kSegments); };
    auto triangle = [&](int32_t i, int32_t j, int32_t k) {
        // Keep (p2 - p1) x (p1 - p0) pointing away from the centre.
        V p0 = FromVec(submesh->vertices[i].position), p1 = FromVec(submesh->vertices[j].position),
          p2 = FromVec(submesh->vertices[k].position);
        V normal = Cross(p2 - p1, p1 - p0);
        if (Dot(normal, (p0 + p1 + p2) * (1.0f / 3) - centre) < 0)
            std::swap(j, k);
        submesh->indices.insert(submesh->indices.end(), {i, j, k});
    };
    for (int s = 0; s < kSegments; ++s) {
        triangle(first, ring(1, s), ring(1, s + 1));
        triangle(last, ring(kRings - 1, s + 1), ring(kRings - 1, s));
        for (int r = 1; r < kRings - 1; ++r) {
            triangle(ring(r, s), ring(r + 1, s), ring(r + 1, s + 1));
            triangle(ring(r, s), ring(r + 1, s + 1), ring(r, s + 1));
        }
    }
}

}  // namespace

const std::vector<BoneDef>& Bones()
{
    // Heights in centimetres; x is the creature's left, -y its front.
    static const std::vector<BoneDef> bones = {
        {"pelvis", -1, {0, 0, 60}, {0, 0, 70}, 14, 1},
        {"spine1", 0, {0, 0, 70}, {0, 0, 86}, 15, 1},
        {"spine2", 1, {0, 0, 86}, {0, 0, 100}, 16, 1},
        {"neck", 2, {0, 0, 100}, {0, 0, 110}, 5, 0},
        {"head", 3, {0, 0, 110}, {0, -4, 128}, 11, 0},
        {"jaw", 4, {0, -6, 112}, {0, -14, 107}, 4, 0},
        {"clavicle_l", 2, {4, 0, 97}, {15, 0, 97}, 4, 1},
        {"upperarm_l", 6, {16, 0, 96}, {18, 0, 74}, 5, 0},
        {"forearm_l", 7, {18, 0, 74}, {19, -2, 54}, 4, 0},
        {"hand_l", 8, {19, -2, 54}, {19, -4, 45}, 3.5f, 0},
        {"clavicle_r", 2, {-4, 0, 97}, {-15, 0, 97}, 4, 1},
        {"upperarm_r", 10, {-16, 0, 96}, {-18, 0, 74}, 5, 0},
        {"forearm_r", 11, {-18, 0, 74}, {-19, -2, 54}, 4, 0},
        {"hand_r", 12, {-19, -2, 54}, {-19, -4, 45}, 3.5f, 0},
        {"thigh_l", 0, {8, 0, 56}, {9, 0, 32}, 7, 1},
        {"calf_l", 14, {9, 0, 32}, {9, 1, 7}, 5.5f, 0},
        {"foot_l", 15, {9, 1, 7}, {9, -10, 3}, 4, 0},
        {"toe_l", 16, {9, -10, 3}, {9, -17, 3}, 3, 0},
        {"thigh_r", 0, {-8, 0, 56}, {-9, 0, 32}, 7, 1},
        {"calf_r", 18, {-9, 0, 32}, {-9, 1, 7}, 5.5f, 0},
        {"foot_r", 19, {-9, 1, 7}, {-9, -10, 3}, 4, 0},
        {"toe_r", 20, {-9, -10, 3}, {-9, -17, 3}, 3, 0},
        {"tail1", 0, {0, 10, 60}, {0, 22, 55}, 5, 0},
        {"tail2", 22, {0, 22, 55}, {0, 34, 53}, 4, 0},
        {"tail3", 23, {0, 34, 53}, {0, 44, 56}, 3, 0},
        {"ear_l", 4, {6, 0, 126}, {11, 2, 136}, 2.5f, 0},
        {"ear_r", 4, {-6, 0, 126}, {-11, 2, 136}, 2.5f, 0},
    };
    return bones;
}

int BoneIndex(const char* name)
{
    const std::vector<BoneDef>& bones = Bones();
    for (size_t b = 0; b < bones.size(); ++b)
        if (std::strcmp(bones[b].name, name) == 0)
            return (int)b;
    return -1;
}

cal3d::Skeleton MakeSkeleton()
{
    const std::vector<BoneDef>& defs = Bones();
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(defs.size());
    for (size_t b = 0; b < defs.size(); ++b) {
        cal3d::Bone& bone = skeleton.bones[b];
        bone.name = defs[b].name;
        bone.parent = defs[b].parent;
        V head = FromVec(defs[b].head);
        V parent = defs[b].parent >= 0 ? FromVec(defs[defs[b].parent].head) : V{0, 0, 0};
        bone.translation = ToVec(head - parent);
        bone.boneSpaceTranslation = ToVec(head * -1.0f);
        if (defs[b].parent >= 0)
            skeleton.bones[defs[b].parent].children.push_back((int32_t)b);
    }
    return skeleton;
}

cal3d::Mesh MakeMesh()
{
    cal3d::Mesh mesh;
    mesh.submeshes.resize(2);
    for (int m = 0; m < 2; ++m)
        mesh.submeshes[m].material = m;
    for (size_t b = 0; b < Bones().size(); ++b)
        if (Bones()[b].radius > 0)
            AddEllipsoid((int)b, &mesh.submeshes[Bones()[b].material]);
    return mesh;
}

}  // namespace creature
