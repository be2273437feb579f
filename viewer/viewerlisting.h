// quarlight-view --list: what a loaded model holds, in a few lines of text:
// its counts, its materials and their textures, its skin and its animations.
#pragma once

#include "graphics/igeometry.h"

#include <stdint.h>
#include <string>
#include <vector>

class ModelSceneMeta;
struct ModelSkelData;

struct ListedMaterial {
    std::string name;     // empty: the format names none
    std::string texture;  // empty: none
};

struct ListedAnimation {
    std::string name;
    float duration;  // seconds
};

struct ModelListing {
    std::string file;
    std::string type;  // the engine's type of the model ("obj", "cal3d", ...)
    bool skinned = false;
    uint32_t meshes = 0;     // skinned models: meshes and their submeshes
    uint32_t submeshes = 0;
    uint32_t triangles = 0;
    uint32_t vertices = 0;
    std::vector<ListedMaterial> materials;
    uint32_t bones = 0;
    std::vector<ListedAnimation> animations;
};

// The listing's lines, each ending in a newline.
std::string ListingText(const ModelListing& listing);

ModelListing ListScene(const ModelSceneMeta& meta);
ModelListing ListSkinned(const ModelSkelData& data);

// The listing of a model the core's factory made, by its class; a geometry
// of another class lists its file and type alone.
ModelListing ListModel(IGeometry* geometry);

// The model's animations' names, in the engine's order; none for a model
// without animations.
std::vector<std::string> AnimationNamesOf(IGeometry* geometry);
