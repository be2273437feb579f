// Writes the skinned demo creature as MD5: md5creature <data folder>. Makes,
// in <data>/creature/ beside the Cal3D files, creature.md5mesh, one .md5anim
// per animation, the list creature.anims naming them in the Cal3D
// configuration's order, and cloth.tga: MD5 materials are textures only, so
// the plain cloth becomes a texture of its colour (skin.tga is shared).
#include "creature.h"
#include "md5writer.h"

#include <string>
#include <vector>

namespace {

bool Check(bool ok, const std::string& what)
{
    return creature::Written("md5creature", ok, what);
}

// A 2 x 2 uncompressed 24-bit TGA of one colour.
std::vector<uint8_t> PlainTexture(uint8_t red, uint8_t green, uint8_t blue)
{
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    for (int pixel = 0; pixel < 4; ++pixel)
        tga.insert(tga.end(), {blue, green, red});
    return tga;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string data;
    if (!creature::DataFolderArgument("md5creature", argc, argv, &data))
        return 2;
    std::string folder = data + "/creature";
    cal3d::Skeleton skeleton = creature::MakeSkeleton();
    md5::MeshFile mesh = md5::FromCal3D(skeleton, creature::MakeMesh(), {"skin.tga", "cloth.tga"});
    bool ok = Check(cal3d::WriteFile(folder + "/creature.md5mesh", md5::Encode(mesh)), "creature.md5mesh");
    ok = ok && Check(cal3d::WriteFile(folder + "/cloth.tga", PlainTexture(190, 60, 45)), "cloth.tga");
    std::string list;
    for (const creature::NamedAnimation& named : creature::MakeAnimations()) {
        std::string file = named.name + ".md5anim";
        ok = ok && Check(cal3d::WriteFile(folder + "/" + file, md5::Encode(md5::FromCal3D(skeleton, named.animation))),
                         file);
        list += file + "\n";
    }
    ok = ok && Check(cal3d::WriteFile(folder + "/creature.anims", list), "creature.anims");
    return ok ? 0 : 1;
}
