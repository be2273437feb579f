// A loaded skinned model (as the Cal3D readers fill it) written as glTF,
// with the creature's axis change: the glTF import then puts every vertex
// where the Cal3D model's world matrix does.
#include "gltfwriter.h"

#include "models/skinned/modelskeldata.h"

namespace gltfwriter {

namespace {

void Axes(const SkelVector& v, std::vector<double>* out)
{
    out->assign({-v.x, v.z, -v.y});
}

void Rotation(const SkelQuaternion& q, std::vector<double>* out)
{
    out->assign({-q.x, q.z, -q.y, q.w});
}

void Append(std::vector<float>* out, const std::vector<double>& values)
{
    for (double v : values)
        out->push_back((float)v);
}

}  // namespace

tinygltf::Model FromSkinned(const ModelSkelData& data)
{
    Builder b;
    uint32_t boneCount = data.bones.Count();
    tinygltf::Skin skin;
    skin.name = "skin";
    std::vector<float> inverseBinds;
    for (uint32_t j = 0; j < boneCount; ++j) {
        const Bone& bone = data.bones[j];
        tinygltf::Node node;
        node.name = "bone" + std::to_string(j);
        Axes(bone.translation, &node.translation);
        Rotation(bone.rotation, &node.rotation);
        for (uint32_t c = 0; c < bone.children.Count(); ++c)
            node.children.push_back(bone.children[c]);
        b.model.nodes.push_back(node);
        skin.joints.push_back((int)j);
        // The bone-space transform as a column-major matrix: rotate, then translate.
        std::vector<double> t, q;
        Axes(bone.boneSpaceTranslation, &t);
        Rotation(bone.boneSpaceRotation, &q);
        double x = q[0], y = q[1], z = q[2], w = q[3];
        double m[16] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                        2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                        2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                        t[0], t[1], t[2], 1};
        inverseBinds.insert(inverseBinds.end(), m, m + 16);
    }
    skin.inverseBindMatrices = b.Floats(inverseBinds, TINYGLTF_TYPE_MAT4);
    b.model.skins.push_back(skin);

    tinygltf::Mesh mesh;
    for (uint32_t m = 0; m < data.materials.Count(); ++m) {
        const SkelMaterial& material = data.materials[m];
        if (material.indexCount == 0)
            continue;
        const float colour[4] = {material.material.Diffuse.r, material.material.Diffuse.g,
                                 material.material.Diffuse.b, 1};
        int index = b.Material("material" + std::to_string(m), colour);
        std::vector<float> positions, normals, weights;
        std::vector<uint16_t> joints, indices;
        for (uint32_t v = material.firstVertex; v < material.firstVertex + material.vertexCount; ++v) {
            const SkinVertex& vertex = data.vertices[v];
            std::vector<double> value;
            Axes(vertex.position, &value);
            Append(&positions, value);
            Axes(vertex.normal, &value);
            Append(&normals, value);
            for (uint32_t i = 0; i < 4; ++i) {
                bool has = i < vertex.influenceCount;
                const Influence& influence = data.influences[vertex.firstInfluence + (has ? i : 0)];
                joints.push_back(has ? (uint16_t)influence.bone : 0);
                weights.push_back(has ? influence.weight : 0);
            }
        }
        for (uint32_t i = material.startIndex; i < material.startIndex + material.indexCount; ++i)
            indices.push_back((uint16_t)(data.indices[i] - material.firstVertex));
        tinygltf::Primitive primitive;
        primitive.attributes["POSITION"] = b.Floats(positions, TINYGLTF_TYPE_VEC3, true);
        primitive.attributes["NORMAL"] = b.Floats(normals, TINYGLTF_TYPE_VEC3);
        primitive.attributes["JOINTS_0"] = b.Joints(joints);
        primitive.attributes["WEIGHTS_0"] = b.Floats(weights, TINYGLTF_TYPE_VEC4);
        primitive.indices = b.Indices(indices);
        primitive.material = index;
        mesh.primitives.push_back(primitive);
    }
    b.model.meshes.push_back(mesh);
    b.SkinnedBody("");

    for (uint32_t a = 0; a < data.animations.Count(); ++a) {
        const Animation& source = data.animations[a];
        tinygltf::Animation animation;
        animation.name = source.name.Chars();
        for (uint32_t t = 0; t < source.tracks.Count(); ++t) {
            const Track& track = source.tracks[t];
            if (track.keyCount <= 0)
                continue;
            std::vector<float> times, translations, rotations;
            for (int32_t k = track.firstKey; k < track.firstKey + track.keyCount; ++k) {
                const Keyframe& key = source.keys[(uint32_t)k];
                times.push_back(key.time);
                std::vector<double> value;
                Axes(key.translation, &value);
                Append(&translations, value);
                Rotation(key.rotation, &value);
                Append(&rotations, value);
            }
            b.AnimateNode(&animation, track.bone, times, translations, rotations);
        }
        b.model.animations.push_back(animation);
    }
    b.SkinnedScene(std::vector<int>(data.roots.Data(), data.roots.Data() + data.roots.Count()));
    return b.model;
}

}  // namespace gltfwriter
