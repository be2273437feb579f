// Writes the glTF target's seed inputs into the folder given as argument: the
// scene as .glb and as .gltf with its buffer in a data URI, a small skinned
// model, and the broken copies the import refuses; all a few kilobytes, so
// the target runs fast.
#include "gltfwriter.h"

#include <stdio.h>

#include <string>

namespace {

bool Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: seeds_gltf <folder>\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/seed_";
    tinygltf::Model scene = gltfwriter::StaticScene();
    bool ok = Save(folder + "scene.glb", gltfwriter::Bytes(scene, true)) &&
              Save(folder + "scene.gltf", gltfwriter::Bytes(scene, false)) &&
              Save(folder + "skinned.glb", gltfwriter::Bytes(gltfwriter::SmallSkinned(), true)) &&
              Save(folder + "skinned.gltf", gltfwriter::Bytes(gltfwriter::SmallSkinned(), false));
    const gltfwriter::Fault faults[] = {gltfwriter::Fault::BufferViewPastBuffer, gltfwriter::Fault::AccessorPastView,
                                        gltfwriter::Fault::IndexPastVertices};
    int n = 0;
    for (gltfwriter::Fault fault : faults) {
        tinygltf::Model broken = gltfwriter::StaticScene();
        ok = ok && gltfwriter::Break(&broken, fault) &&
             Save(folder + "broken" + std::to_string(n++) + ".glb", gltfwriter::Bytes(broken, true));
    }
    if (!ok)
        fprintf(stderr, "seeds_gltf: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
