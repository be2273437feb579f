// seeds_obj FOLDER: the OBJ fuzz target's seeds, each an OBJ text with its
// library after the "#%%mtl" line (see obj_fuzz.cpp): the writer's test
// scene, its broken copies and a small grid.
#include "objwriter.h"
#include "seed_main.h"

#include <string>

namespace {

// The model as one input: its library renamed to the one the entry writes.
std::string Input(const objwriter::Model& model)
{
    std::string obj = model.obj;
    std::string library;
    for (const objwriter::FileText& other : model.others) {
        if (other.name.size() < 4 || other.name.compare(other.name.size() - 4, 4, ".mtl") != 0)
            continue;
        size_t at = obj.find(other.name);
        if (at != std::string::npos)
            obj.replace(at, other.name.size(), "fuzz.mtl");
        library = other.bytes;
    }
    return library.empty() ? obj : obj + "\n#%%mtl\n" + library;
}

bool WriteSeeds(const std::string& folder)
{
    bool written = WriteSeed(folder, "seed-scene", Input(objwriter::TestScene("scene")));
    written = WriteSeed(folder, "seed-grid", Input(objwriter::Grid("grid", 4))) && written;
    for (const objwriter::Broken& broken : objwriter::BrokenScenes("scene"))
        written = WriteSeed(folder, "seed-" + broken.name, Input(broken.model)) && written;
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    return SeedMain(argc, argv, "OBJ", WriteSeeds);
}
