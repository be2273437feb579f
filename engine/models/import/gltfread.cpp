// The glTF reader: tinygltf parses the JSON, the GLB container, the buffers
// and data URIs; this file checks every index and range before anything is
// read through it, and copies what the builders need into GltfContent.
// tinygltf and its JSON library report some faults by exceptions, so this
// one file is built with them and nothing thrown leaves ReadGltfBytes.
#include "models/import/gltfcontent.h"
#include "models/import/gltflibrary.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <exception>
#include <limits>

namespace {

using tinygltf::Accessor;
using tinygltf::Model;

struct Fault {
    std::string text;
};

[[noreturn]] void Fail(const std::string& text)
{
    throw Fault{text};
}

bool Finite(double v)
{
    return isfinite(v);
}

// Images stay undecoded: the engine makes textures from their bytes. Bytes
// of a buffer view are not handed here safely (tinygltf has not checked the
// view), so those are taken later, after the view is checked.
bool KeepImageBytes(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                    const unsigned char* bytes, int size, void*)
{
    image->as_is = true;
    if (image->bufferView < 0 && bytes && size > 0)
        image->image.assign(bytes, bytes + size);
    return true;
}

// The bytes of a buffer view, checked against its buffer.
const uint8_t* ViewBytes(const Model& model, int index, size_t* length, size_t* stride)
{
    if (index < 0 || (size_t)index >= model.bufferViews.size())
        Fail("a buffer view that does not exist is named");
    const tinygltf::BufferView& view = model.bufferViews[index];
    if (view.buffer < 0 || (size_t)view.buffer >= model.buffers.size())
        Fail("buffer view " + std::to_string(index) + " names a buffer that does not exist");
    const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
    if ((uint64_t)view.byteOffset + view.byteLength > data.size())
        Fail("buffer view " + std::to_string(index) + " runs past the end of its buffer");
    *length = view.byteLength;
    *stride = view.byteStride;
    return data.data() + view.byteOffset;
}

// An accessor's elements as floats (normalised integers mapped to 0..1) or
// as integers, `components` per element, its type one of `types`.
template <typename Out>
std::vector<Out> ReadAccessor(const Model& model, int index, int components, const char* what)
{
    if (index < 0 || (size_t)index >= model.accessors.size())
        Fail(std::string(what) + " names an accessor that does not exist");
    const Accessor& accessor = model.accessors[index];
    std::string name = std::string(what) + " (accessor " + std::to_string(index) + ")";
    if (accessor.sparse.isSparse)
        Fail(name + " is sparse, which is not supported");
    int given = tinygltf::GetNumComponentsInType(accessor.type);
    if (given != components)
        Fail(name + " has " + std::to_string(given) + " components where " + std::to_string(components) +
             " are expected");
    int componentSize = tinygltf::GetComponentSizeInBytes(accessor.componentType);
    if (componentSize <= 0)
        Fail(name + " has an unknown component type");
    size_t length = 0, stride = 0;
    const uint8_t* bytes = ViewBytes(model, accessor.bufferView, &length, &stride);
    size_t element = (size_t)componentSize * components;
    if (stride == 0)
        stride = element;
    if (stride < element)
        Fail(name + " has elements wider than its stride");
    uint64_t count = accessor.count;
    if (count > 0 && (uint64_t)accessor.byteOffset + (count - 1) * stride + element > length)
        Fail(name + " reads past the end of its buffer view");
    std::vector<Out> out;
    out.reserve(count * components);
    bool floats = accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT;
    for (uint64_t e = 0; e < count; ++e) {
        const uint8_t* at = bytes + accessor.byteOffset + e * stride;
        for (int c = 0; c < components; ++c, at += componentSize) {
            double value = 0;
            switch (accessor.componentType) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: { float f; memcpy(&f, at, 4); value = f; break; }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: value = *at; break;
            case TINYGLTF_COMPONENT_TYPE_BYTE: value = (int8_t)*at; break;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: { uint16_t v; memcpy(&v, at, 2); value = v; break; }
            case TINYGLTF_COMPONENT_TYPE_SHORT: { int16_t v; memcpy(&v, at, 2); value = v; break; }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: { uint32_t v; memcpy(&v, at, 4); value = v; break; }
            default: Fail(name + " has a component type that cannot be read");
            }
            if (!floats && accessor.normalized) {
                double top = accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE    ? 255.0
                             : accessor.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? 65535.0
                             : accessor.componentType == TINYGLTF_COMPONENT_TYPE_BYTE           ? 127.0
                                                                                                 : 32767.0;
                value = std::max(value / top, -1.0);
            }
            if (!Finite(value))
                Fail(name + " holds a value that is not a number");
            // An index or joint outside its type cannot be converted to it.
            if (std::numeric_limits<Out>::is_integer &&
                (value < 0 || value > (double)std::numeric_limits<Out>::max())) {
                char text[32];
                snprintf(text, sizeof text, "%g", value);
                Fail(name + " holds a value out of range (" + text + ")");
            }
            out.push_back((Out)value);
        }
    }
    return out;
}

void ReadPrimitive(const Model& model, const tinygltf::Primitive& source, GltfContent* content, GltfMesh* mesh)
{
    static const char* const modeNames[] = {"points", "lines", "line loops", "line strips",
                                            "triangles", "triangle strips", "triangle fans"};
    int mode = source.mode < 0 ? TINYGLTF_MODE_TRIANGLES : source.mode;
    if (mode != TINYGLTF_MODE_TRIANGLES) {
        std::string name = mode <= 6 ? modeNames[mode] : "mode " + std::to_string(mode);
        if (std::find(content->skippedModes.begin(), content->skippedModes.end(), name) ==
            content->skippedModes.end())
            content->skippedModes.push_back(name);
        return;
    }
    if (!source.targets.empty() &&
        std::find(content->unsupported.begin(), content->unsupported.end(), "morph targets") ==
            content->unsupported.end())
        content->unsupported.push_back("morph targets");
    auto attribute = [&](const char* key) {
        auto found = source.attributes.find(key);
        return found == source.attributes.end() ? -1 : found->second;
    };
    std::string where = "mesh '" + mesh->name + "'";
    if (attribute("POSITION") < 0)
        Fail(where + " has a primitive without positions");
    GltfPrimitive primitive;
    primitive.positions = ReadAccessor<float>(model, attribute("POSITION"), 3, "POSITION");
    size_t vertices = primitive.positions.size() / 3;
    if (attribute("NORMAL") >= 0)
        primitive.normals = ReadAccessor<float>(model, attribute("NORMAL"), 3, "NORMAL");
    if (attribute("TEXCOORD_0") >= 0)
        primitive.texCoords = ReadAccessor<float>(model, attribute("TEXCOORD_0"), 2, "TEXCOORD_0");
    if (attribute("JOINTS_0") >= 0 || attribute("WEIGHTS_0") >= 0) {
        primitive.joints = ReadAccessor<uint16_t>(model, attribute("JOINTS_0"), 4, "JOINTS_0");
        primitive.weights = ReadAccessor<float>(model, attribute("WEIGHTS_0"), 4, "WEIGHTS_0");
        if (attribute("JOINTS_1") >= 0 || attribute("WEIGHTS_1") >= 0)
            content->warnings.push_back("Influences past the fourth dropped in " + where +
                                        ", the first four renormalised");
    }
    if ((!primitive.normals.empty() && primitive.normals.size() != vertices * 3) ||
        (!primitive.texCoords.empty() && primitive.texCoords.size() != vertices * 2) ||
        (!primitive.joints.empty() && (primitive.joints.size() != vertices * 4 ||
                                       primitive.weights.size() != vertices * 4)))
        Fail(where + " has attributes of different vertex counts");
    if (source.indices >= 0) {
        primitive.indices = ReadAccessor<uint32_t>(model, source.indices, 1, "indices");
        for (uint32_t index : primitive.indices)
            if (index >= vertices)
                Fail(where + " has an index past its vertex count (" + std::to_string(index) + " of " +
                     std::to_string(vertices) + ")");
    } else {
        if (vertices > 0xFFFFFFFFu)
            Fail(where + " has too many vertices");
        primitive.indices.resize(vertices);
        for (size_t v = 0; v < vertices; ++v)
            primitive.indices[v] = (uint32_t)v;
    }
    primitive.indices.resize(primitive.indices.size() / 3 * 3);
    if (source.material >= (int)model.materials.size())
        Fail(where + " names a material that does not exist");
    primitive.material = source.material;
    mesh->primitives.push_back(std::move(primitive));
}

void ReadNodes(const Model& model, GltfContent* content)
{
    size_t count = model.nodes.size();
    content->nodes.resize(count);
    for (size_t n = 0; n < count; ++n) {
        const tinygltf::Node& source = model.nodes[n];
        GltfNode& node = content->nodes[n];
        node.name = source.name.empty() ? "node " + std::to_string(n) : source.name;
        if (source.mesh >= (int)model.meshes.size() || source.skin >= (int)model.skins.size())
            Fail("node '" + node.name + "' names a mesh or skin that does not exist");
        node.mesh = source.mesh;
        node.skin = source.skin;
        if (source.camera >= 0 &&
            std::find(content->unsupported.begin(), content->unsupported.end(), "cameras") ==
                content->unsupported.end())
            content->unsupported.push_back("cameras");
        if (source.matrix.size() == 16) {
            GltfMatrix m;
            for (int i = 0; i < 16; ++i)
                m.m[i] = source.matrix[i];
            for (double v : m.m)
                if (!Finite(v))
                    Fail("node '" + node.name + "' has a matrix that is not a number");
            double* t = node.translation;
            t[0] = m.m[12], t[1] = m.m[13], t[2] = m.m[14];
            double s[3];
            for (int c = 0; c < 3; ++c)
                s[c] = sqrt(m.m[c * 4] * m.m[c * 4] + m.m[c * 4 + 1] * m.m[c * 4 + 1] + m.m[c * 4 + 2] * m.m[c * 4 + 2]);
            double det = m.m[0] * (m.m[5] * m.m[10] - m.m[9] * m.m[6]) - m.m[4] * (m.m[1] * m.m[10] - m.m[9] * m.m[2]) +
                         m.m[8] * (m.m[1] * m.m[6] - m.m[5] * m.m[2]);
            if (det < 0)
                s[0] = -s[0];
            if (s[0] == 0 || s[1] == 0 || s[2] == 0)
                Fail("node '" + node.name + "' has a matrix that flattens space");
            double r[9];
            for (int c = 0; c < 3; ++c)
                for (int row = 0; row < 3; ++row)
                    r[c * 3 + row] = m.m[c * 4 + row] / s[c];
            // Rotation matrix (column-major) to quaternion.
            double trace = r[0] + r[4] + r[8], q[4];
            if (trace > 0) {
                double k = 0.5 / sqrt(trace + 1.0);
                q[3] = 0.25 / k, q[0] = (r[5] - r[7]) * k, q[1] = (r[6] - r[2]) * k, q[2] = (r[1] - r[3]) * k;
            } else if (r[0] > r[4] && r[0] > r[8]) {
                double k = 2.0 * sqrt(1.0 + r[0] - r[4] - r[8]);
                q[3] = (r[5] - r[7]) / k, q[0] = 0.25 * k, q[1] = (r[3] + r[1]) / k, q[2] = (r[6] + r[2]) / k;
            } else if (r[4] > r[8]) {
                double k = 2.0 * sqrt(1.0 + r[4] - r[0] - r[8]);
                q[3] = (r[6] - r[2]) / k, q[0] = (r[3] + r[1]) / k, q[1] = 0.25 * k, q[2] = (r[7] + r[5]) / k;
            } else {
                double k = 2.0 * sqrt(1.0 + r[8] - r[0] - r[4]);
                q[3] = (r[1] - r[3]) / k, q[0] = (r[6] + r[2]) / k, q[1] = (r[7] + r[5]) / k, q[2] = 0.25 * k;
            }
            memcpy(node.rotation, q, sizeof q);
            memcpy(node.scale, s, sizeof s);
        } else {
            for (size_t i = 0; i < 3 && i < source.translation.size(); ++i)
                node.translation[i] = source.translation[i];
            if (source.rotation.size() == 4)
                for (size_t i = 0; i < 4; ++i)
                    node.rotation[i] = source.rotation[i];
            if (source.scale.size() == 3)
                for (size_t i = 0; i < 3; ++i)
                    node.scale[i] = source.scale[i];
        }
        double length = 0;
        for (double v : node.rotation)
            length += v * v;
        for (double v : node.translation)
            if (!Finite(v))
                Fail("node '" + node.name + "' has a transform that is not a number");
        for (double v : node.scale)
            if (!Finite(v))
                Fail("node '" + node.name + "' has a transform that is not a number");
        if (!Finite(length) || length < 1e-12)
            Fail("node '" + node.name + "' has a rotation that is not a number");
        for (double& v : node.rotation)
            v /= sqrt(length);
    }
    for (size_t n = 0; n < count; ++n)
        for (int child : model.nodes[n].children) {
            if (child < 0 || (size_t)child >= count)
                Fail("node '" + content->nodes[n].name + "' has a child that does not exist");
            if (content->nodes[child].parent >= 0 || child == (int)n)
                Fail("node '" + content->nodes[child].name + "' has two parents or is its own parent");
            content->nodes[child].parent = (int)n;
        }
    // With one parent each, a node whose walk up is longer than the node
    // count sits in a cycle.
    for (size_t n = 0; n < count; ++n) {
        size_t steps = 0;
        for (int p = content->nodes[n].parent; p >= 0; p = content->nodes[p].parent)
            if (++steps > count)
                Fail("the node hierarchy has a cycle through node '" + content->nodes[n].name + "'");
    }
    std::vector<int> roots;
    if (!model.scenes.empty()) {
        int scene = model.defaultScene >= 0 && (size_t)model.defaultScene < model.scenes.size() ? model.defaultScene : 0;
        roots = model.scenes[scene].nodes;
    } else {
        for (size_t n = 0; n < count; ++n)
            if (content->nodes[n].parent < 0)
                roots.push_back((int)n);
    }
    for (int root : roots) {
        if (root < 0 || (size_t)root >= count)
            Fail("the scene names a node that does not exist");
        if (content->nodes[root].parent >= 0)
            Fail("the scene names node '" + content->nodes[root].name + "', which has a parent");
    }
    for (size_t n = 0; n < count; ++n) {
        int top = (int)n;
        while (content->nodes[top].parent >= 0)
            top = content->nodes[top].parent;
        content->nodes[n].inScene = std::find(roots.begin(), roots.end(), top) != roots.end();
    }
}

void ReadSkins(const Model& model, GltfContent* content)
{
    for (const tinygltf::Skin& source : model.skins) {
        GltfSkin skin;
        skin.name = source.name;
        for (int joint : source.joints) {
            if (joint < 0 || (size_t)joint >= content->nodes.size())
                Fail("skin '" + skin.name + "' names a joint that does not exist");
            if (std::find(skin.joints.begin(), skin.joints.end(), joint) != skin.joints.end())
                Fail("skin '" + skin.name + "' names a joint twice");
            skin.joints.push_back(joint);
        }
        skin.inverseBinds.resize(skin.joints.size());
        std::vector<float> matrices;
        if (source.inverseBindMatrices >= 0) {
            matrices = ReadAccessor<float>(model, source.inverseBindMatrices, 16, "inverseBindMatrices");
            if (matrices.size() < skin.joints.size() * 16)
                Fail("skin '" + skin.name + "' has fewer inverse bind matrices than joints");
        }
        for (size_t j = 0; j < skin.joints.size(); ++j)
            for (int i = 0; i < 16; ++i)
                skin.inverseBinds[j].m[i] = matrices.empty() ? (i % 5 == 0) : matrices[j * 16 + i];
        content->skins.push_back(std::move(skin));
    }
}

void ReadAnimations(const Model& model, GltfContent* content)
{
    for (size_t a = 0; a < model.animations.size(); ++a) {
        const tinygltf::Animation& source = model.animations[a];
        GltfAnimation animation;
        animation.name = source.name.empty() ? "animation " + std::to_string(a) : source.name;
        for (const tinygltf::AnimationChannel& channel : source.channels) {
            if (channel.target_path == "weights") {
                if (std::find(content->unsupported.begin(), content->unsupported.end(), "morph target animation") ==
                    content->unsupported.end())
                    content->unsupported.push_back("morph target animation");
                continue;
            }
            GltfChannel out;
            out.node = channel.target_node;
            if (out.node < 0 || (size_t)out.node >= content->nodes.size())
                Fail("animation '" + animation.name + "' moves a node that does not exist");
            if (channel.target_path == "translation")
                out.path = GLTF_TRANSLATION;
            else if (channel.target_path == "rotation")
                out.path = GLTF_ROTATION;
            else if (channel.target_path == "scale")
                out.path = GLTF_SCALE;
            else
                Fail("animation '" + animation.name + "' has a channel of unknown path '" + channel.target_path + "'");
            if (channel.sampler < 0 || (size_t)channel.sampler >= source.samplers.size())
                Fail("animation '" + animation.name + "' names a sampler that does not exist");
            const tinygltf::AnimationSampler& sampler = source.samplers[channel.sampler];
            out.interpolation = sampler.interpolation == "STEP"          ? GLTF_STEP
                                : sampler.interpolation == "CUBICSPLINE" ? GLTF_CUBICSPLINE
                                                                         : GLTF_LINEAR;
            out.times = ReadAccessor<float>(model, sampler.input, 1, "animation input");
            int width = out.path == GLTF_ROTATION ? 4 : 3;
            out.values = ReadAccessor<float>(model, sampler.output, width, "animation output");
            size_t perKey = out.interpolation == GLTF_CUBICSPLINE ? 3 : 1;
            if (out.times.empty() || out.values.size() != out.times.size() * width * perKey)
                Fail("animation '" + animation.name + "' has a sampler whose input and output counts differ");
            for (size_t k = 1; k < out.times.size(); ++k)
                if (out.times[k] < out.times[k - 1])
                    Fail("animation '" + animation.name + "' has key times that go back");
            if (out.times[0] < 0)
                Fail("animation '" + animation.name + "' has a key before time 0");
            animation.channels.push_back(std::move(out));
        }
        content->animations.push_back(std::move(animation));
    }
}

// A number of the extension's object, `fallback` when it has none.
double Number(const tinygltf::Value& object, const char* key, int index, double fallback, const std::string& owner)
{
    if (!object.Has(key))
        return fallback;
    const tinygltf::Value& value = index < 0 ? object.Get(key) : object.Get(key).Get(index);
    if (!value.IsNumber())
        return fallback;
    double number = value.GetNumberAsDouble();
    if (!Finite(number))
        Fail("material '" + owner + "' has a texture transform that is not a number");
    return number;
}

void ReadTextureTransform(const tinygltf::ExtensionMap& extensions, GltfMaterial* material)
{
    auto found = extensions.find("KHR_texture_transform");
    if (found == extensions.end() || !found->second.IsObject())
        return;
    const tinygltf::Value& transform = found->second;
    for (int i = 0; i < 2; ++i) {
        material->uvOffset[i] = (float)Number(transform, "offset", i, 0, material->name);
        material->uvScale[i] = (float)Number(transform, "scale", i, 1, material->name);
    }
    material->uvRotation = (float)Number(transform, "rotation", -1, 0, material->name);
}

void ReadMaterials(const Model& model, GltfContent* content)
{
    for (size_t i = 0; i < model.images.size(); ++i) {
        const tinygltf::Image& source = model.images[i];
        GltfImage image;
        image.name = source.name.empty() ? (source.uri.empty() ? "image " + std::to_string(i) : source.uri) : source.name;
        if (source.bufferView >= 0) {
            size_t length = 0, stride = 0;
            const uint8_t* bytes = ViewBytes(model, source.bufferView, &length, &stride);
            image.bytes.assign(bytes, bytes + length);
        } else if (!source.image.empty()) {
            image.bytes = source.image;
        } else {
            image.uri = source.uri;
        }
        content->images.push_back(std::move(image));
    }
    for (size_t m = 0; m < model.materials.size(); ++m) {
        const tinygltf::Material& source = model.materials[m];
        GltfMaterial material;
        material.name = source.name.empty() ? "material " + std::to_string(m) : source.name;
        const std::vector<double>& factor = source.pbrMetallicRoughness.baseColorFactor;
        for (size_t c = 0; c < 4 && c < factor.size(); ++c) {
            if (!Finite(factor[c]))
                Fail("material '" + material.name + "' has a colour that is not a number");
            material.baseColor[c] = (float)factor[c];
        }
        int texture = source.pbrMetallicRoughness.baseColorTexture.index;
        if (texture >= 0) {
            if ((size_t)texture >= model.textures.size())
                Fail("material '" + material.name + "' names a texture that does not exist");
            int image = model.textures[texture].source;
            if (image >= (int)model.images.size())
                Fail("texture " + std::to_string(texture) + " names an image that does not exist");
            material.image = image;
        }
        material.blend = source.alphaMode == "BLEND";
        ReadTextureTransform(source.pbrMetallicRoughness.baseColorTexture.extensions, &material);
        content->materials.push_back(std::move(material));
    }
}

void ReadModel(const Model& model, GltfContent* content)
{
    for (const std::string& extension : model.extensionsUsed)
        if (extension != "KHR_texture_transform")
            content->unsupported.push_back(extension);
    if (!model.cameras.empty())
        content->unsupported.push_back("cameras");
    ReadNodes(model, content);
    for (size_t m = 0; m < model.meshes.size(); ++m) {
        GltfMesh mesh;
        mesh.name = model.meshes[m].name.empty() ? "mesh " + std::to_string(m) : model.meshes[m].name;
        for (const tinygltf::Primitive& primitive : model.meshes[m].primitives)
            ReadPrimitive(model, primitive, content, &mesh);
        content->meshes.push_back(std::move(mesh));
    }
    ReadSkins(model, content);
    ReadAnimations(model, content);
    ReadMaterials(model, content);
}

// tinygltf's messages end with a line break and may hold several lines.
std::string FirstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "the file is not a readable glTF file" : line;
}

}  // namespace

bool ReadGltfBytes(const uint8_t* bytes, size_t size, const std::string& folder, GltfContent* out,
                   std::string* error)
{
    *out = GltfContent();
    try {
        tinygltf::TinyGLTF loader;
        loader.SetImageLoader(KeepImageBytes, nullptr);
        Model model;
        std::string err, warn;
        bool binary = size >= 4 && memcmp(bytes, "glTF", 4) == 0;
        if (size > 0xFFFFFFFFu)
            Fail("the file is too big");
        bool read = binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, bytes, (unsigned)size, folder)
                           : loader.LoadASCIIFromString(&model, &err, &warn, reinterpret_cast<const char*>(bytes),
                                                        (unsigned)size, folder);
        if (!read)
            Fail(FirstLine(err));
        ReadModel(model, out);
        return true;
    } catch (const Fault& fault) {
        *error = fault.text;
    } catch (const std::bad_alloc&) {
        *error = "not enough memory to read the file";
    } catch (const std::exception&) {
        *error = "the file is not a readable glTF file";
    }
    *out = GltfContent();
    return false;
}

bool ReadGltf(const std::string& file, GltfContent* out, std::string* error)
{
    FILE* stream = fopen(file.c_str(), "rb");
    if (!stream) {
        *error = "the file cannot be opened";
        return false;
    }
    std::vector<uint8_t> bytes;
    bool ok = true;
    try {
        uint8_t chunk[65536];
        size_t got;
        while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        ok = !ferror(stream);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    fclose(stream);
    if (!ok) {
        *error = "the file cannot be read";
        return false;
    }
    size_t slash = file.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "." : file.substr(0, slash);
    return ReadGltfBytes(bytes.data(), bytes.size(), folder, out, error);
}
