// Writes the skinned demo creature as MD5: md5creature <data folder>. Makes,
// in <data>/creature/ beside the Cal3D files, creature.md5mesh, one .md5anim
// per animation, the list creature.anims naming them in the Cal3D
// configuration's order, and cloth.tga: MD5 materials are textures only, so
// the plain cloth becomes a texture of its colour (skin.tga is shared).
#include "creature.h"
#include "md5writer.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    creature::Tool tool("md5creature");
    if (!tool.TakeArguments(argc, argv))
        return 2;
    const std::string& folder = tool.Folder();
    cal3d::Skeleton skeleton = creature::MakeSkeleton();
    md5::MeshFile mesh = md5::FromCal3D(skeleton, creature::MakeMesh(), {"skin.tga", "cloth.tga"});
    bool ok = tool.Written(cal3d::WriteFile(folder + "/creature.md5mesh", md5::Encode(mesh)), "creature.md5mesh");
    ok = ok && tool.Written(cal3d::WriteFile(folder + "/cloth.tga", creature::PlainTexture(190, 60, 45)), "cloth.tga");
    std::string list;
    for (const creature::NamedAnimation& named : creature::MakeAnimations()) {
        std::string file = named.name + ".md5anim";
        std::string text = md5::Encode(md5::FromCal3D(skeleton, named.animation));
        ok = ok && tool.Written(cal3d::WriteFile(folder + "/" + file, text), file);
        list += file + "\n";
    }
    ok = ok && tool.Written(cal3d::WriteFile(folder + "/creature.anims", list), "creature.anims");
    return ok ? 0 : 1;
}
