// Writes the glTF target's seed inputs into the folder given as argument: the
// scene as .glb and as .gltf with its buffer in a data URI, a small skinned
// model, and the broken copies the import refuses; all a few kilobytes, so
// the target runs fast.
#include "gltfwriter.h"
#include "seed_main.h"

#include <string>

namespace {

bool WriteSeeds(const std::string& folder)
{
    tinygltf::Model scene = gltfwriter::StaticScene();
    bool ok = WriteSeed(folder, "seed_scene.glb", gltfwriter::Bytes(scene, true)) &&
              WriteSeed(folder, "seed_scene.gltf", gltfwriter::Bytes(scene, false)) &&
              WriteSeed(folder, "seed_skinned.glb", gltfwriter::Bytes(gltfwriter::SmallSkinned(), true)) &&
              WriteSeed(folder, "seed_skinned.gltf", gltfwriter::Bytes(gltfwriter::SmallSkinned(), false));
    const gltfwriter::Fault faults[] = {gltfwriter::Fault::BufferViewPastBuffer, gltfwriter::Fault::AccessorPastView,
                                        gltfwriter::Fault::IndexPastVertices};
    int n = 0;
    for (gltfwriter::Fault fault : faults) {
        tinygltf::Model broken = gltfwriter::StaticScene();
        ok = ok && gltfwriter::Break(&broken, fault) &&
             WriteSeed(folder, "seed_broken" + std::to_string(n++) + ".glb", gltfwriter::Bytes(broken, true));
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    return SeedMain(argc, argv, "glTF", WriteSeeds);
}
