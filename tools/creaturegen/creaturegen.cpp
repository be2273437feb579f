// Writes the skinned demo creature: creaturegen <data folder>. Makes
// <data>/creature.cfg and, in <data>/creature/, the skeleton, the mesh, two
// materials (one with the generated skin texture) and the animations.
#include "creature.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// A 64 x 64 uncompressed 24-bit TGA of green scales.
std::vector<uint8_t> SkinTexture()
{
    const int size = 64;
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, size, 0, size, 0, 24, 0};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float cx = (float)(x % 8) - 3.5f, cy = (float)((y + (x / 8 % 2) * 4) % 8) - 3.5f;
            float scale = 1.0f - std::sqrt(cx * cx + cy * cy) / 5.0f;
            uint8_t shade = (uint8_t)(120 + 100 * (scale > 0 ? scale : 0));
            tga.push_back((uint8_t)(shade / 3));        // blue
            tga.push_back(shade);                       // green
            tga.push_back((uint8_t)(shade * 2 / 3));    // red
        }
    }
    return tga;
}

bool Check(bool ok, const std::string& what)
{
    return creature::Written("creaturegen", ok, what);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string data;
    if (!creature::DataFolderArgument("creaturegen", argc, argv, &data))
        return 2;
    std::string folder = data + "/creature";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);

    bool ok = Check(cal3d::Write(folder + "/creature.csf", creature::MakeSkeleton()), "the skeleton");
    cal3d::Mesh mesh = creature::MakeMesh();
    ok = ok && Check(cal3d::Write(folder + "/creature.cmf", mesh), "the mesh");

    const cal3d::Material skin =
        cal3d::MakeMaterial({150, 160, 150, 255}, {255, 255, 255, 255}, {40, 40, 40, 255}, 8, {"skin.tga"});
    const cal3d::Material cloth = cal3d::MakeMaterial({150, 60, 50, 255}, {190, 60, 45, 255}, {20, 20, 20, 255});
    ok = ok && Check(cal3d::Write(folder + "/skin.crf", skin), "skin.crf");
    ok = ok && Check(cal3d::Write(folder + "/cloth.crf", cloth), "cloth.crf");
    ok = ok && Check(cal3d::WriteFile(folder + "/skin.tga", SkinTexture()), "skin.tga");

    cal3d::Config config;
    config.entries.push_back({"path", "./data/creature/"});
    config.entries.push_back({"skeleton", "creature.csf"});
    for (const creature::NamedAnimation& named : creature::MakeAnimations()) {
        std::string file = named.name + ".caf";
        ok = ok && Check(cal3d::Write(folder + "/" + file, named.animation), file);
        config.entries.push_back({"animation", file});
    }
    config.entries.push_back({"mesh", "creature.cmf"});
    config.entries.push_back({"material", "skin.crf"});
    config.entries.push_back({"material", "cloth.crf"});
    ok = ok && Check(cal3d::Write(data + "/creature.cfg", config), "creature.cfg");
    if (!ok)
        return 1;

    size_t vertices = 0, influences = 0;
    for (const cal3d::Submesh& submesh : mesh.submeshes) {
        vertices += submesh.vertices.size();
        for (const cal3d::Vertex& vertex : submesh.vertices)
            influences += vertex.influences.size();
    }
    std::printf("creature: %zu bones, %zu vertices, %zu influences, %zu animations\n",
                creature::Bones().size(), vertices, influences, creature::MakeAnimations().size());
    return 0;
}
