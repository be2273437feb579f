// A scene with more vertices than 16-bit indices reach, for a device whose
// MaxVertexIndex stops there: its triangle list cut into runs that each use
// at most a given number of distinct vertices, so every run is drawn from
// buffers of its own with 16-bit indices. Pure data work, beside the arrays.
#pragma once

#include "models/scene/scenearrays.h"

#include <stdint.h>

struct SceneSplit {
    uint32_t partCount;
    // partCount + 1 entries each: part p draws the arrays' indices
    // [firstIndex[p], firstIndex[p + 1]) from its vertices
    // vertices[firstVertex[p]] to vertices[firstVertex[p + 1] - 1].
    uint32_t* firstIndex;
    uint32_t* firstVertex;
    uint32_t* vertices;  // the arrays' vertex behind each part's own vertex
    // One per index of the arrays, at its place: the part's own vertex.
    WORD* indices;
};

// Cuts the triangle list in order, starting a new part before a triangle
// that would take a part past `mostVertices` (3 to 0xFFFF). A triangle list
// stays material-sorted within each part. S_OK, E_INVALIDARG or
// E_OUTOFMEMORY (*out then holds nothing). Linear in the index and vertex
// counts.
HRESULT SplitScene(const SceneArrays& arrays, uint32_t mostVertices, SceneSplit* out);
void FreeSceneSplit(SceneSplit* split);
