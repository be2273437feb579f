#include "objwriter.h"

namespace objwriter {

namespace {

// The scene with `from` replaced by `to` in its OBJ text (once).
Model Edited(const Model& scene, const std::string& from, const std::string& to)
{
    Model model = scene;
    size_t at = model.obj.find(from);
    if (at != std::string::npos)
        model.obj.replace(at, from.size(), to);
    return model;
}

// The scene without its file `name`.
Model Without(const Model& scene, const std::string& name)
{
    Model model = scene;
    for (size_t i = 0; i < model.others.size(); i++)
        if (model.others[i].name == name)
            model.others.erase(model.others.begin() + (long)i);
    return model;
}

}  // namespace

std::vector<Broken> BrokenScenes(const std::string& baseName)
{
    Model scene = TestScene(baseName);
    std::vector<Broken> broken;
    broken.push_back({"position_past_count", Edited(scene, "f -3 -1 -2", "f -3 -1 9")});
    broken.push_back({"relative_before_start", Edited(scene, "f -3 -1 -2", "f -3 -1 -12")});
    broken.push_back({"normal_past_count", Edited(scene, "3/3/1", "3/3/2")});
    broken.push_back({"normal_before_start", Edited(scene, "3/3/1", "3/3/-3")});
    broken.push_back({"texcoord_past_count", Edited(scene, "3/3/1", "3/7/1")});
    broken.push_back({"zero_index", Edited(scene, "f -4 -3 -2", "f 0 -3 -2")});
    broken.push_back({"infinite_position", Edited(scene, "v 1 0 -1", "v 1 0 -1e999")});
    broken.push_back({"infinite_normal", Edited(scene, "vn 0 1 0", "vn 0 1e999 0")});
    Model faceless = scene;
    for (size_t at = faceless.obj.find("\nf "); at != std::string::npos; at = faceless.obj.find("\nf ", at))
        faceless.obj.replace(at, 2, "\n# ");
    broken.push_back({"no_faces", faceless});
    broken.push_back({"missing_library", Without(scene, baseName + ".mtl")});
    broken.push_back({"missing_texture", Without(scene, "maps/stone.tga")});
    broken.push_back({"unknown_material", Edited(scene, "usemtl paint", "usemtl lacquer")});
    Model cut = scene;
    cut.obj.resize(cut.obj.size() / 2);
    broken.push_back({"cut_in_half", cut});
    broken.push_back({"empty", Model{scene.objName, "", {}}});
    return broken;
}

Model BrokenScene(const std::string& baseName, const std::string& name)
{
    for (const Broken& broken : BrokenScenes(baseName))
        if (broken.name == name)
            return broken.model;
    return Model();
}

}  // namespace objwriter
