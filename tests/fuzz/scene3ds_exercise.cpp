#include "scene3ds_exercise.h"

#include "models/scene/reader3ds.h"
#include "models/scene/scenearrays.h"

#include <math.h>

namespace {

HRESULT ClearingCheck()
{
    bool pending = ReaderErrorPending;
    ClearReaderErrors();
    return pending ? E_FAIL : S_OK;
}


}  // namespace

ArraysExercise ExerciseSceneLoad(const char* path)
{
    ArraysExercise result = {};
    ChunkFile* file = OpenChunkFile(path, "r");
    SceneDatabase* database = nullptr;
    SceneArrays arrays = {};
    if (SUCCEEDED(ClearingCheck())) {
        NewSceneDatabase(&database);
        ReadSceneDatabase(file, database);
        if (SUCCEEDED(ClearingCheck()) && SUCCEEDED(ReadSceneArrays(database, ClearingCheck, &arrays))) {
            Require(arrays.vertexCount <= kMostSceneVertices && arrays.materialCount >= 1);
            RequireIndexedRuns(arrays);
            ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount,
                                arrays.normals);
            RequireUnitOrZeroNormals(arrays);
            // Copies for other tilings keep every index inside the grown vertex arrays.
            if (SUCCEEDED(ApplyMapTiling(&arrays))) {
                Require(arrays.vertexCount <= kMostSceneVertices && arrays.vertexCount >= arrays.fileVertexCount);
                for (uint32_t i = 0; i < arrays.indexCount; i++)
                    Require(arrays.indices[i] < arrays.vertexCount);
                Require(arrays.vertexCount == arrays.fileVertexCount || arrays.texCoords);
            }
            result = Loaded(arrays);
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
