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
