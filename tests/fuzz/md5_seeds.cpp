// Writes the md5 fuzz target's seed inputs into the folder given as
// argument: each file is one byte choosing the mesh (0) or the animation (1),
// then the file's text.
#include "md5_fuzz_seed.h"
#include "seed_main.h"

namespace {

bool Put(const std::string& dir, const char* name, char kind, const std::string& text)
{
    return WriteSeed(dir, name, std::string(1, kind) + text);
}

bool WriteSeeds(const std::string& dir)
{
    return Put(dir, "mesh.md5mesh", 0, SeedMd5Mesh()) && Put(dir, "anim.md5anim", 1, SeedMd5Anim()) &&
           Put(dir, "two-meshes.md5mesh", 0, SeedMd5MeshVariant()) &&
           Put(dir, "partly-animated.md5anim", 1, SeedMd5AnimVariant());
}

}  // namespace

int main(int argc, char** argv)
{
    return SeedMain(argc, argv, "md5", WriteSeeds);
}
