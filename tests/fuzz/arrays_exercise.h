// The checks the scene readers' exercises share over the arrays a loader
// fills its buffers from, and what an exercise reports. A broken rule traps,
// so the fuzz targets stop on it and the replaying tests crash.
#pragma once

#include "models/scene/scenearrays.h"

#include <stdint.h>

struct ArraysExercise {
    bool loaded;  // the arrays were built
    uint32_t vertices;
    uint32_t indices;
    uint32_t materials;
};

void Require(bool condition);

// Whole triangles, every index below the vertex count, the materials' runs
// covering the index list in order, each of whole triangles.
void RequireIndexedRuns(const SceneArrays& arrays);

// Finite normals are unit or zero. Points far out of range overflow to
// infinities and NaNs, which the normals may carry.
void RequireUnitOrZeroNormals(const SceneArrays& arrays);

// The counts of arrays that were built.
ArraysExercise Loaded(const SceneArrays& arrays);
