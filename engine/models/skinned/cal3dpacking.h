// Packing of the submeshes read from a model's mesh files into the arrays
// the vertex and index buffers are filled from. Pure data work: the loader
// validates and allocates, these functions only order and copy.
#pragma once

#include "models/skinned/modelskeldata.h"

// Reorders the submeshes so that those of each material are contiguous, in
// material order, and sets every material's index and vertex ranges. Every
// submesh's material index must be below the material count.
void GroupSubmeshesByMaterial(EngineArray<Cal3DSubmesh>& submeshes,
                              EngineArray<SkelMaterial>& materials);

// Concatenates the grouped submeshes into `vertices`, `influences` and
// `indices`, which hold exactly the totals of all submeshes; indices and
// first-influence indices are rebased onto the concatenated arrays. The
// total vertex count must fit the 16-bit indices.
void PackSubmeshes(const EngineArray<Cal3DSubmesh>& submeshes, SkinVertex* vertices,
                   Influence* influences, uint16_t* indices);
