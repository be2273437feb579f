#include "gltfwriter.h"

#include <cmath>
#include <cstdio>

namespace gltfwriter {

const char* const kCheckerFile = "checker.png";

namespace {

int Node(tinygltf::Model& model, const std::string& name, int mesh)
{
    tinygltf::Node node;
    node.name = name;
    node.mesh = mesh;
    model.nodes.push_back(node);
    return (int)model.nodes.size() - 1;
}

// A mesh of one triangle-list primitive.
void TriangleMesh(tinygltf::Model& model, const std::string& name, tinygltf::Primitive primitive)
{
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    tinygltf::Mesh mesh;
    mesh.name = name;
    mesh.primitives.push_back(primitive);
    model.meshes.push_back(mesh);
}

}  // namespace

tinygltf::Model StaticScene()
{
    Builder b;
    const float painted[4] = {1.0f, 0.5f, 0.25f, 1.0f};
    const float plain[4] = {0.2f, 0.4f, 0.6f, 1.0f};
    int embedded = b.Image("paint", Png(2, 2, {0xFF0000FF, 0x00FF00FF, 0x0000FFFF, 0xFFFFFFFF}));
    b.Material("Painted", painted, embedded);
    b.Material("Plain", plain, b.ImageFile(kCheckerFile));

    tinygltf::Primitive quad;
    quad.attributes["POSITION"] = b.Floats({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, TINYGLTF_TYPE_VEC3, true);
    quad.attributes["NORMAL"] = b.Floats({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC3);
    quad.attributes["TEXCOORD_0"] = b.Floats({0, 1, 1, 1, 1, 0, 0, 0}, TINYGLTF_TYPE_VEC2);
    quad.indices = b.Indices({0, 1, 2, 0, 2, 3});
    quad.material = 0;
    TriangleMesh(b.model, "quad", quad);

    tinygltf::Primitive marker;
    marker.attributes["POSITION"] = b.Floats({0, 0, 0, 1, 0, 0, 0, 2, 0}, TINYGLTF_TYPE_VEC3, true);
    marker.attributes["TEXCOORD_0"] = b.Floats({0, 0, 1, 0, 0, 1}, TINYGLTF_TYPE_VEC2);
    marker.material = 1;
    TriangleMesh(b.model, "marker", marker);

    tinygltf::Model& m = b.model;
    int base = Node(m, "base", -1);
    m.nodes[base].translation = {0, 1, 0};
    int quadNode = Node(m, "quad", 0);
    m.nodes[quadNode].translation = {1, 0, 0};
    const double half = std::sqrt(0.5);
    m.nodes[quadNode].rotation = {0, half, 0, half};
    int markerNode = Node(m, "marker", 1);
    m.nodes[markerNode].translation = {0, 0, -3};
    m.nodes[markerNode].scale = {2, 2, 2};
    m.nodes[base].children = {quadNode};
    tinygltf::Scene scene;
    scene.nodes = {base, markerNode};
    m.scenes.push_back(scene);
    m.defaultScene = 0;
    return m;
}

bool Write(const tinygltf::Model& model, const std::string& path, bool binary)
{
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToFile(&model, path, false, binary, true, binary))
        return false;
    for (const tinygltf::Image& image : model.images) {
        if (image.uri != kCheckerFile)
            continue;
        std::string folder = path.substr(0, path.find_last_of('/') + 1);
        std::vector<uint32_t> texels;
        for (int i = 0; i < 16; ++i)
            texels.push_back((i / 4 + i % 4) % 2 ? 0x000000FF : 0xFFFFFFFF);
        std::vector<uint8_t> png = Png(4, 4, texels);
        FILE* file = std::fopen((folder + kCheckerFile).c_str(), "wb");
        if (!file)
            return false;
        bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
        if (std::fclose(file) != 0 || !written)
            return false;
    }
    return true;
}

}  // namespace gltfwriter
