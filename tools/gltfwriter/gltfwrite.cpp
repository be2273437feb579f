// Writes the glTF test files: gltfwrite <folder>. The scene as .glb and
// .gltf (buffer in scene.bin, checker.png beside), the creature as .glb, and
// one broken copy per fault (broken_*.glb).
#include "gltfwriter.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gltfwrite <folder>\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    bool ok = gltfwriter::Write(gltfwriter::StaticScene(), folder + "scene.glb", true) &&
              gltfwriter::Write(gltfwriter::StaticScene(), folder + "scene.gltf", false) &&
              gltfwriter::Write(gltfwriter::Creature(), folder + "creature.glb", true);
    const struct {
        gltfwriter::Fault fault;
        const char* name;
        bool creature;
    } broken[] = {{gltfwriter::Fault::BufferViewPastBuffer, "view_past_buffer", false},
                  {gltfwriter::Fault::AccessorPastView, "accessor_past_view", false},
                  {gltfwriter::Fault::IndexPastVertices, "index_past_vertices", false},
                  {gltfwriter::Fault::NanMatrix, "nan_matrix", true},
                  {gltfwriter::Fault::JointCycle, "joint_cycle", true}};
    for (const auto& b : broken) {
        tinygltf::Model model = b.creature ? gltfwriter::Creature() : gltfwriter::StaticScene();
        ok = ok && gltfwriter::Break(&model, b.fault) &&
             gltfwriter::Write(model, folder + "broken_" + b.name + ".glb", true);
    }
    if (!ok)
        std::fprintf(stderr, "gltfwrite: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
