#include "scene3ds_exercise.h"

#include "reader3ds.h"
#include "scenearrays.h"

#include <math.h>

namespace {

HRESULT ClearingCheck()
{
    bool pending = ReaderErrorPending;
    ClearReaderErrors();
    return pending ? E_FAIL : S_OK;
}

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

SceneExercise ExerciseSceneLoad(const char* path)
{
    SceneExercise result = {};
    ChunkFile* file = OpenChunkFile(path, "r");
    SceneDatabase* database = nullptr;
    SceneArrays arrays = {};
    if (SUCCEEDED(ClearingCheck())) {
        NewSceneDatabase(&database);
        ReadSceneDatabase(file, database);
        if (SUCCEEDED(ClearingCheck()) && SUCCEEDED(ReadSceneArrays(database, ClearingCheck, &arrays))) {
            Require(arrays.vertexCount <= kMostSceneVertices && arrays.materialCount >= 1 && arrays.indexCount % 3 == 0);
            for (uint32_t i = 0; i < arrays.indexCount; i++)
                Require(arrays.indices[i] < arrays.vertexCount);
            uint32_t next = 0;
            for (uint32_t j = 0; j < arrays.materialCount; j++) {
                Require(arrays.materials[j].startIndex == next && arrays.materials[j].indexCount % 3 == 0);
                next += arrays.materials[j].indexCount;
            }
            Require(next == arrays.indexCount);
            ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount,
                                arrays.normals);
            for (uint32_t v = 0; v < arrays.vertexCount; v++) {
                const D3DXVECTOR3& n = arrays.normals[v];
                float length = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
                // Points far out of range overflow to infinities and NaNs, which
                // the normals may carry; finite ones must be unit or zero.
                if (isfinite(length))
                    Require(length == 0.0f || fabsf(length - 1.0f) < 1e-3f);
            }
            // Copies for other tilings keep every index inside the grown vertex arrays.
            if (SUCCEEDED(ApplyMapTiling(&arrays))) {
                Require(arrays.vertexCount <= kMostSceneVertices && arrays.vertexCount >= arrays.fileVertexCount);
                for (uint32_t i = 0; i < arrays.indexCount; i++)
                    Require(arrays.indices[i] < arrays.vertexCount);
                Require(arrays.vertexCount == arrays.fileVertexCount || arrays.texCoords);
            }
            result = {true, arrays.vertexCount, arrays.indexCount, arrays.materialCount};
        }
    }
    FreeSceneArrays(&arrays);
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    ClearReaderErrors();
    // The open-file table must be empty again: a second open of the same
    // name would otherwise hand back a stale file.
    ChunkFile* again = OpenChunkFile(path, "r");
    Require(again != nullptr || ReaderErrorPending);
    CloseChunkFile(again);
    ClearReaderErrors();
    return result;
}
