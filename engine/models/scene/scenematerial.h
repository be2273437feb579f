// One material of a scene model: how its triangles are drawn and where they
// sit in the model's material-sorted index buffer.
#pragma once

#include <d3d9.h>

#include <stdint.h>

// The longest texture map name the 3DS reader delivers, terminator excluded.
const uint32_t SCENE_MAP_NAME_LENGTH = 255;

struct SceneMaterial {
    char name[SCENE_MAP_NAME_LENGTH + 1];         // as the file names it, for listings
    D3DMATERIAL9 material;                        // handed to SetMaterial unchanged
    char textureMap[SCENE_MAP_NAME_LENGTH + 1];  // empty: no texture map
    uint32_t startIndex;                          // first index of the material's run
    uint32_t indexCount;                          // a multiple of 3; 0 draws nothing
};
