#include "arrays_exercise.h"

#include <math.h>

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void RequireIndexedRuns(const SceneArrays& arrays)
{
    Require(arrays.indexCount % 3 == 0);
    for (uint32_t i = 0; i < arrays.indexCount; i++)
        Require(arrays.indices[i] < arrays.vertexCount);
    uint32_t next = 0;
    for (uint32_t j = 0; j < arrays.materialCount; j++) {
        Require(arrays.materials[j].startIndex == next && arrays.materials[j].indexCount % 3 == 0);
        next += arrays.materials[j].indexCount;
    }
    Require(next == arrays.indexCount);
}

void RequireUnitOrZeroNormals(const SceneArrays& arrays)
{
    for (uint32_t v = 0; v < arrays.vertexCount; v++) {
        const D3DXVECTOR3& n = arrays.normals[v];
        float length = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
        if (isfinite(length))
            Require(length == 0.0f || fabsf(length - 1.0f) < 1e-3f);
    }
}

ArraysExercise Loaded(const SceneArrays& arrays)
{
    return {true, arrays.vertexCount, arrays.indexCount, arrays.materialCount};
}
