#include "gltfwriter.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cstring>
#include <sstream>

namespace gltfwriter {

Builder::Builder()
{
    model.asset.version = "2.0";
    model.asset.generator = "Quarlight gltfwriter";
    model.buffers.resize(1);
}

int Builder::View(const void* bytes, size_t size)
{
    std::vector<unsigned char>& data = model.buffers[0].data;
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = size;
    const unsigned char* from = static_cast<const unsigned char*>(bytes);
    data.insert(data.end(), from, from + size);
    data.resize((data.size() + 3) / 4 * 4, 0);
    model.bufferViews.push_back(view);
    return (int)model.bufferViews.size() - 1;
}

int Builder::Accessor(int view, int componentType, int type, size_t count, bool normalized)
{
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    accessor.normalized = normalized;
    model.accessors.push_back(accessor);
    return (int)model.accessors.size() - 1;
}

int Builder::Floats(const std::vector<float>& values, int type, bool bounds)
{
    int width = tinygltf::GetNumComponentsInType(type);
    int index = Accessor(View(values.data(), values.size() * 4), TINYGLTF_COMPONENT_TYPE_FLOAT, type,
                         values.size() / width);
    if (bounds && !values.empty()) {
        tinygltf::Accessor& accessor = model.accessors[index];
        accessor.minValues.assign(width, 1e30);
        accessor.maxValues.assign(width, -1e30);
        for (size_t i = 0; i < values.size(); ++i) {
            accessor.minValues[i % width] = std::min(accessor.minValues[i % width], (double)values[i]);
            accessor.maxValues[i % width] = std::max(accessor.maxValues[i % width], (double)values[i]);
        }
    }
    return index;
}

int Builder::Indices(const std::vector<uint16_t>& indices)
{
    return Accessor(View(indices.data(), indices.size() * 2), TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                    TINYGLTF_TYPE_SCALAR, indices.size());
}

int Builder::Indices32(const std::vector<uint32_t>& indices)
{
    return Accessor(View(indices.data(), indices.size() * 4), TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                    TINYGLTF_TYPE_SCALAR, indices.size());
}

int Builder::Joints(const std::vector<uint16_t>& joints)
{
    return Accessor(View(joints.data(), joints.size() * 2), TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4,
                    joints.size() / 4);
}

void Builder::AnimateNode(tinygltf::Animation* animation, int node, const std::vector<float>& times,
                          const std::vector<float>& translations, const std::vector<float>& rotations)
{
    int input = Floats(times, TINYGLTF_TYPE_SCALAR, true);
    const std::pair<const char*, int> outputs[] = {{"translation", Floats(translations, TINYGLTF_TYPE_VEC3)},
                                                   {"rotation", Floats(rotations, TINYGLTF_TYPE_VEC4)}};
    for (const auto& output : outputs) {
        tinygltf::AnimationSampler sampler;
        sampler.input = input;
        sampler.output = output.second;
        sampler.interpolation = "LINEAR";
        animation->samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = (int)animation->samplers.size() - 1;
        channel.target_node = node;
        channel.target_path = output.first;
        animation->channels.push_back(channel);
    }
}

void Builder::SkinnedBody(const std::string& name)
{
    tinygltf::Node body;
    body.name = name;
    body.mesh = 0;
    body.skin = 0;
    model.nodes.push_back(body);
}

void Builder::SkinnedScene(const std::vector<int>& roots)
{
    tinygltf::Scene scene;
    scene.nodes = roots;
    scene.nodes.push_back((int)model.nodes.size() - 1);
    model.scenes.push_back(scene);
}

int Builder::Image(const std::string& name, const std::vector<uint8_t>& png)
{
    tinygltf::Image image;
    image.name = name;
    image.mimeType = "image/png";
    image.bufferView = View(png.data(), png.size());
    model.images.push_back(image);
    return (int)model.images.size() - 1;
}

int Builder::ImageFile(const std::string& uri)
{
    tinygltf::Image image;
    image.uri = uri;
    model.images.push_back(image);
    return (int)model.images.size() - 1;
}

int Builder::ImageDataUri(const std::string& name, const std::vector<uint8_t>& png)
{
    tinygltf::Image image;
    image.name = name;
    image.uri = "data:image/png;base64," + tinygltf::base64_encode(png.data(), (unsigned)png.size());
    model.images.push_back(image);
    return (int)model.images.size() - 1;
}

int Builder::Material(const std::string& name, const float colour[4], int image)
{
    tinygltf::Material material;
    material.name = name;
    material.pbrMetallicRoughness.baseColorFactor.assign(colour, colour + 4);
    if (image >= 0) {
        tinygltf::Texture texture;
        texture.source = image;
        model.textures.push_back(texture);
        material.pbrMetallicRoughness.baseColorTexture.index = (int)model.textures.size() - 1;
    }
    model.materials.push_back(material);
    return (int)model.materials.size() - 1;
}

std::vector<uint8_t> Png(int width, int height, const std::vector<uint32_t>& rgba)
{
    std::vector<uint8_t> texels;
    for (uint32_t t : rgba)
        for (int shift = 24; shift >= 0; shift -= 8)
            texels.push_back((uint8_t)(t >> shift));
    std::vector<uint8_t> png;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(context);
            out->insert(out->end(), (uint8_t*)data, (uint8_t*)data + size);
        },
        &png, width, height, 4, texels.data(), width * 4);
    return png;
}

std::vector<uint8_t> Bytes(const tinygltf::Model& model, bool binary)
{
    tinygltf::TinyGLTF writer;
    std::ostringstream stream;
    // Buffers go inside: the .glb's chunk, or a data URI in the .gltf.
    writer.WriteGltfSceneToStream(&model, stream, false, binary);
    std::string text = stream.str();
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace gltfwriter
