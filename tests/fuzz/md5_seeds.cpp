// Writes the md5 fuzz target's seed inputs into the folder given as
// argument: each file is one byte choosing the mesh (0) or the animation (1),
// then the file's text.
#include "cal3dwriter.h"
#include "md5_fuzz_seed.h"

#include <stdio.h>

namespace {

bool Put(const std::string& dir, const char* name, char kind, const std::string& text)
{
    return cal3d::WriteFile(dir + "/" + name, std::string(1, kind) + text);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    bool ok = Put(dir, "mesh.md5mesh", 0, SeedMd5Mesh()) && Put(dir, "anim.md5anim", 1, SeedMd5Anim()) &&
              Put(dir, "two-meshes.md5mesh", 0, SeedMd5MeshVariant()) &&
              Put(dir, "partly-animated.md5anim", 1, SeedMd5AnimVariant());
    if (!ok) {
        fprintf(stderr, "cannot write the md5 seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
