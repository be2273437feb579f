// The skinned demo creature in glTF. creaturegen authors it for the Cal3D
// path, which shows the file's numbers through a rotation to y up; written
// here so that the glTF import (a z mirror) puts every vertex where the Cal3D
// path does, in metres instead of centimetres.
#include "gltfwriter.h"

#include "creature.h"

namespace gltfwriter {

namespace {

const float kMetres = 0.01f;

// Cal3D numbers (x, y, z) to the glTF frame: (-x, z, -y).
void Axes(const cal3d::Vec3& v, float scale, std::vector<float>* out)
{
    out->push_back(-v.x * scale);
    out->push_back(v.z * scale);
    out->push_back(-v.y * scale);
}

// An engine-convention rotation (RotateVector is conj(q) v q) of the Cal3D
// numbers as the glTF rotation of the same turn: (-x, z, -y, w).
void Rotation(const cal3d::Quat& q, std::vector<float>* out)
{
    out->insert(out->end(), {-q.x, q.z, -q.y, q.w});
}

}  // namespace

tinygltf::Model Creature()
{
    Builder b;
    cal3d::Skeleton skeleton = creature::MakeSkeleton();
    size_t boneCount = skeleton.bones.size();

    // Joints: one node per bone, bind rotations the identity.
    std::vector<cal3d::Vec3> heads(boneCount);
    for (size_t j = 0; j < boneCount; ++j) {
        const cal3d::Bone& bone = skeleton.bones[j];
        tinygltf::Node node;
        node.name = bone.name;
        std::vector<float> t;
        Axes(bone.translation, kMetres, &t);
        node.translation.assign(t.begin(), t.end());
        for (int32_t child : bone.children)
            node.children.push_back(child);
        b.model.nodes.push_back(node);
        const cal3d::Vec3& parent = bone.parent >= 0 ? heads[bone.parent] : cal3d::Vec3{};
        heads[j] = {parent.x + bone.translation.x, parent.y + bone.translation.y, parent.z + bone.translation.z};
    }
    std::vector<float> inverseBinds;
    tinygltf::Skin skin;
    skin.name = "creature";
    for (size_t j = 0; j < boneCount; ++j) {
        std::vector<float> head;
        Axes(heads[j], kMetres, &head);
        inverseBinds.insert(inverseBinds.end(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -head[0], -head[1], -head[2], 1});
        skin.joints.push_back((int)j);
    }
    skin.inverseBindMatrices = b.Floats(inverseBinds, TINYGLTF_TYPE_MAT4);
    b.model.skins.push_back(skin);

    std::vector<uint32_t> scales;
    for (int i = 0; i < 64; ++i)
        scales.push_back((i / 8 + i % 8) % 2 ? 0x509050FFu : 0x70C070FFu);
    const float skinColour[4] = {1, 1, 1, 1};
    const float clothColour[4] = {190 / 255.0f, 60 / 255.0f, 45 / 255.0f, 1};
    b.Material("skin", skinColour, b.Image("scales", Png(8, 8, scales)));
    b.Material("cloth", clothColour);

    tinygltf::Mesh mesh;
    mesh.name = "creature";
    for (const cal3d::Submesh& submesh : creature::MakeMesh().submeshes) {
        std::vector<float> positions, normals, uvs, weights;
        std::vector<uint16_t> joints;
        for (const cal3d::Vertex& vertex : submesh.vertices) {
            Axes(vertex.position, kMetres, &positions);
            Axes(vertex.normal, 1.0f, &normals);
            uvs.push_back(vertex.texCoords.empty() ? 0 : vertex.texCoords[0].u);
            uvs.push_back(vertex.texCoords.empty() ? 0 : vertex.texCoords[0].v);
            for (size_t i = 0; i < 4; ++i) {
                bool has = i < vertex.influences.size();
                joints.push_back(has ? (uint16_t)vertex.influences[i].bone : 0);
                weights.push_back(has ? vertex.influences[i].weight : 0);
            }
        }
        tinygltf::Primitive primitive;
        primitive.attributes["POSITION"] = b.Floats(positions, TINYGLTF_TYPE_VEC3, true);
        primitive.attributes["NORMAL"] = b.Floats(normals, TINYGLTF_TYPE_VEC3);
        primitive.attributes["TEXCOORD_0"] = b.Floats(uvs, TINYGLTF_TYPE_VEC2);
        primitive.attributes["JOINTS_0"] = b.Joints(joints);
        primitive.attributes["WEIGHTS_0"] = b.Floats(weights, TINYGLTF_TYPE_VEC4);
        primitive.indices = b.Indices(std::vector<uint16_t>(submesh.indices.begin(), submesh.indices.end()));
        primitive.material = submesh.material;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        mesh.primitives.push_back(primitive);
    }
    b.model.meshes.push_back(mesh);
    b.SkinnedBody("body");

    for (const creature::NamedAnimation& named : creature::MakeAnimations()) {
        tinygltf::Animation animation;
        animation.name = named.name;
        for (const cal3d::Track& track : named.animation.tracks) {
            std::vector<float> times, translations, rotations;
            for (const cal3d::Key& key : track.keys) {
                times.push_back(key.time);
                Axes(key.translation, kMetres, &translations);
                Rotation(key.rotation, &rotations);
            }
            b.AnimateNode(&animation, track.bone, times, translations, rotations);
        }
        b.model.animations.push_back(animation);
    }

    std::vector<int> roots;
    for (size_t j = 0; j < boneCount; ++j)
        if (skeleton.bones[j].parent < 0)
            roots.push_back((int)j);
    b.SkinnedScene(roots);
    b.model.defaultScene = 0;
    return b.model;
}

}  // namespace gltfwriter
