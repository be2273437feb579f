#include "viewerlisting.h"

#include "models/scene/modelscene.h"
#include "models/skinned/modelskel.h"

#include <stdio.h>
#include <string.h>

namespace {

std::string Count(uint32_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ListingText(const ModelListing& listing)
{
    std::string text = listing.file + " (" + listing.type + ", " + (listing.skinned ? "skinned" : "scene") +
                       " model)\n";
    text += "geometry: ";
    if (listing.skinned)
        text += Count(listing.meshes, "mesh", "meshes") + " (" + Count(listing.submeshes, "submesh", "submeshes") +
                "), ";
    text += Count(listing.triangles, "triangle", "triangles") + ", " +
            Count(listing.vertices, "vertex", "vertices") + "\n";
    text += "materials: " + std::to_string(listing.materials.size()) + "\n";
    for (size_t i = 0; i < listing.materials.size(); i++) {
        const ListedMaterial& material = listing.materials[i];
        text += "  " + std::to_string(i) + " " + (material.name.empty() ? "(unnamed)" : material.name) + ": " +
                (material.texture.empty() ? "no texture" : "texture " + material.texture) + "\n";
    }
    text += "skin: " + (listing.skinned ? Count(listing.bones, "bone", "bones") : std::string("none")) + "\n";
    text += "animations: " + (listing.animations.empty() ? std::string("none")
                                                        : std::to_string(listing.animations.size())) + "\n";
    for (size_t i = 0; i < listing.animations.size(); i++) {
        char duration[32];
        snprintf(duration, sizeof duration, "%.2f s", listing.animations[i].duration);
        text += "  " + std::to_string(i) + " " + listing.animations[i].name + ": " + duration + "\n";
    }
    return text;
}

ModelListing ListScene(const ModelSceneMeta& meta)
{
    ModelListing listing;
    listing.file = meta.fileName.Chars();
    listing.type = meta.type.Chars();
    listing.vertices = meta.vertexBuffer ? meta.vertexBuffer->GetCount() : 0;
    for (uint32_t j = 0; j < meta.materialCount; j++) {
        const SceneMaterial& material = meta.materials[j];
        listing.triangles += material.indexCount / 3;
        listing.materials.push_back({material.name, material.textureMap});
    }
    return listing;
}

ModelListing ListSkinned(const ModelSkelData& data)
{
    ModelListing listing;
    listing.file = data.file.Chars();
    listing.type = data.type.Chars();
    listing.skinned = true;
    listing.meshes = data.meshCount;
    listing.submeshes = data.submeshCount;
    listing.triangles = data.indices.Count() / 3;
    listing.vertices = data.vertices.Count();
    for (uint32_t j = 0; j < data.materials.Count(); j++) {
        const SkelMaterial& material = data.materials[j];
        listing.materials.push_back({"", material.hasTexture ? material.textureName.Chars() : ""});
    }
    listing.bones = data.bones.Count();
    for (uint32_t a = 0; a < data.animations.Count(); a++)
        listing.animations.push_back({data.animations[a].name.Chars(), data.animations[a].duration});
    return listing;
}

ModelListing ListModel(IGeometry* geometry)
{
    if (geometry->GetType() == "ModelScene") {
        if (const ModelSceneMeta* meta = static_cast<ModelScene*>(geometry)->Meta())
            return ListScene(*meta);
    } else if (geometry->GetType() == "ModelSkel") {
        if (const ModelSkelMeta* meta = static_cast<ModelSkel*>(geometry)->Meta())
            return ListSkinned(meta->data);
    }
    ModelListing listing;
    EngineString type, command;
    if (SUCCEEDED(geometry->GetCreationParams(&type, &command))) {
        listing.file = command.Chars();
        listing.type = type.Chars();
    }
    return listing;
}

std::vector<std::string> AnimationNamesOf(IGeometry* geometry)
{
    std::vector<std::string> names;
    for (const ListedAnimation& animation : ListModel(geometry).animations)
        names.push_back(animation.name);
    return names;
}
