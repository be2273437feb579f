// Writes the skinned demo creature: creaturegen <data folder>. Makes
// <data>/creature.cfg and, in <data>/creature/, the skeleton, the mesh, two
// materials (one with the generated skin texture) and the animations.
#include "creature.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    creature::Tool tool("creaturegen");
    if (!tool.TakeArguments(argc, argv))
        return 2;
    const std::string& folder = tool.Folder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);

    bool ok = tool.Written(cal3d::Write(folder + "/creature.csf", creature::MakeSkeleton()), "the skeleton");
    cal3d::Mesh mesh = creature::MakeMesh();
    ok = ok && tool.Written(cal3d::Write(folder + "/creature.cmf", mesh), "the mesh");

    const cal3d::Material skin =
        cal3d::MakeMaterial({150, 160, 150, 255}, {255, 255, 255, 255}, {40, 40, 40, 255}, 8, {"skin.tga"});
    const cal3d::Material cloth = cal3d::MakeMaterial({150, 60, 50, 255}, {190, 60, 45, 255}, {20, 20, 20, 255});
    ok = ok && tool.Written(cal3d::Write(folder + "/skin.crf", skin), "skin.crf");
    ok = ok && tool.Written(cal3d::Write(folder + "/cloth.crf", cloth), "cloth.crf");
    ok = ok && tool.Written(cal3d::WriteFile(folder + "/skin.tga", creature::SkinTexture()), "skin.tga");

    cal3d::Config config;
    config.entries.push_back({"path", "./data/creature/"});
    config.entries.push_back({"skeleton", "creature.csf"});
    for (const creature::NamedAnimation& named : creature::MakeAnimations()) {
        std::string file = named.name + ".caf";
        ok = ok && tool.Written(cal3d::Write(folder + "/" + file, named.animation), file);
        config.entries.push_back({"animation", file});
    }
    config.entries.push_back({"mesh", "creature.cmf"});
    config.entries.push_back({"material", "skin.crf"});
    config.entries.push_back({"material", "cloth.crf"});
    ok = ok && tool.Written(cal3d::Write(tool.Data() + "/creature.cfg", config), "creature.cfg");
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
