#include "gltfwriter.h"

#include <cmath>
#include <cstring>

namespace gltfwriter {

bool Break(tinygltf::Model* model, Fault fault)
{
    switch (fault) {
    case Fault::BufferViewPastBuffer:
        if (model->bufferViews.empty())
            return false;
        model->bufferViews.back().byteLength += 64;
        return true;
    case Fault::AccessorPastView:
        if (model->accessors.empty())
            return false;
        model->accessors[0].count += 1000;
        return true;
    case Fault::IndexPastVertices:
        for (tinygltf::Mesh& mesh : model->meshes)
            for (tinygltf::Primitive& primitive : mesh.primitives) {
                if (primitive.indices < 0)
                    continue;
                const tinygltf::Accessor& accessor = model->accessors[primitive.indices];
                const tinygltf::BufferView& view = model->bufferViews[accessor.bufferView];
                if (accessor.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)
                    continue;
                uint16_t past = (uint16_t)model->accessors[primitive.attributes["POSITION"]].count;
                std::memcpy(&model->buffers[view.buffer].data[view.byteOffset + accessor.byteOffset + 2], &past, 2);
                return true;
            }
        return false;
    case Fault::NanMatrix: {
        // JSON cannot hold a NaN: the binary inverse bind matrices can.
        if (model->skins.empty() || model->skins[0].inverseBindMatrices < 0)
            return false;
        const tinygltf::Accessor& accessor = model->accessors[model->skins[0].inverseBindMatrices];
        const tinygltf::BufferView& view = model->bufferViews[accessor.bufferView];
        float nan = std::nanf("");
        std::memcpy(&model->buffers[view.buffer].data[view.byteOffset + accessor.byteOffset + 12 * 4], &nan, 4);
        return true;
    }
    case Fault::JointCycle:
        for (size_t n = 0; n < model->nodes.size(); ++n)
            for (int child : model->nodes[n].children)
                if (!model->nodes[child].children.empty()) {
                    // The grandchild lists the node: a loop of three.
                    model->nodes[model->nodes[child].children[0]].children.push_back((int)n);
                    return true;
                }
        return false;
    }
    return false;
}

}  // namespace gltfwriter

namespace gltfwriter {

tinygltf::Primitive Arm(Builder* b)
{
    tinygltf::Model& m = b->model;
    m.nodes.resize(3);
    m.nodes[0].name = "root";
    m.nodes[0].children = {1};
    m.nodes[1].name = "arm";
    m.nodes[1].translation = {0, 1, 0};
    m.nodes[2].mesh = 0;
    m.nodes[2].skin = 0;
    tinygltf::Skin skin;
    skin.joints = {0, 1};
    skin.inverseBindMatrices =
        b->Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1},
                  TINYGLTF_TYPE_MAT4);
    m.skins.push_back(skin);
    m.meshes.resize(1);
    tinygltf::Scene scene;
    scene.nodes = {0, 2};
    m.scenes.push_back(scene);
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = b->Floats({0, 1, 0, 1, 1, 0, 0, 2, 0}, TINYGLTF_TYPE_VEC3, true);
    return primitive;
}

tinygltf::Model SmallSkinned()
{
    Builder b;
    tinygltf::Model& m = b.model;
    tinygltf::Primitive primitive = Arm(&b);
    const uint8_t joints[12] = {1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0};
    primitive.attributes["JOINTS_0"] =
        b.Accessor(b.View(joints, sizeof joints), TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, 3);
    primitive.attributes["WEIGHTS_0"] = b.Floats({1, 0, 0, 0, 0.5f, 0.5f, 0, 0, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC4);
    primitive.indices = b.Indices({0, 1, 2});
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    m.meshes[0].primitives.push_back(primitive);
    tinygltf::Animation animation;
    int times = b.Floats({0, 0.5f, 1}, TINYGLTF_TYPE_SCALAR, true);
    const char* kinds[] = {"STEP", "LINEAR", "CUBICSPLINE"};
    for (int k = 0; k < 3; ++k) {
        tinygltf::AnimationSampler sampler;
        sampler.input = times;
        sampler.interpolation = kinds[k];
        std::vector<float> values;
        for (int key = 0; key < 3 * (k == 2 ? 3 : 1); ++key)
            values.insert(values.end(), {0, 0, 0.3f * key, 1});
        sampler.output = b.Floats(k == 0 ? std::vector<float>{0, 1, 0, 0, 2, 0, 0, 1, 1} : values,
                                  k == 0 ? TINYGLTF_TYPE_VEC3 : TINYGLTF_TYPE_VEC4);
        animation.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = k;
        channel.target_node = k == 2 ? 1 : 0;
        channel.target_path = k == 0 ? "translation" : "rotation";
        animation.channels.push_back(channel);
    }
    m.animations.push_back(animation);
    return m;
}

}  // namespace gltfwriter
