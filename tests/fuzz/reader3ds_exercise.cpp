#include "reader3ds_exercise.h"

#include "models/scene/reader3ds.h"

#include <stdio.h>

namespace {

uint32_t CollectErrors()
{
    uint32_t count = 0;
    if (ReaderErrorPending) {
        for (const ReaderErrorEntry* entry = ReaderErrorList(); entry->code != 0; entry++)
            count++;
        ClearReaderErrors();
    }
    return count;
}

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Reads every element the counts promise, so a sanitizer sees any array that
// is shorter than its count.
float TouchMesh(const MeshRecord* mesh)
{
    float sum = 0;
    Require(!mesh->vertexCount || mesh->points);
    Require(!mesh->faceCount || mesh->faces);
    Require(!mesh->groupCount || mesh->groups);
    for (uint32_t i = 0; i < mesh->vertexCount; i++)
        sum += mesh->points[i].x + mesh->points[i].y + mesh->points[i].z;
    for (uint32_t i = 0; i < mesh->faceCount; i++)
        sum += mesh->faces[i].a + mesh->faces[i].b + mesh->faces[i].c;
    for (uint32_t g = 0; g < mesh->groupCount; g++) {
        const MaterialGroup& group = mesh->groups[g];
        Require(!group.faceCount || group.faces);
        for (uint32_t i = 0; i < group.faceCount; i++)
            sum += group.faces[i];
        for (const char* c = group.name; *c; c++)
            sum += *c;
    }
    for (uint32_t i = 0; i < mesh->texCoordCount; i++)
        sum += mesh->texCoords[i].u;
    for (uint32_t i = 0; i < mesh->pointFlagCount; i++)
        sum += mesh->pointFlags[i];
    for (uint32_t i = 0; i < mesh->smoothingCount; i++)
        sum += (float)mesh->smoothing[i];
    for (uint32_t i = 0; i < mesh->proceduralSize; i++)
        sum += mesh->proceduralData[i];
    for (const char* c = mesh->name; *c; c++)
        sum += *c;
    return sum;
}

}  // namespace

ExerciseCounts ExerciseReader(const char* path)
{
    ExerciseCounts counts = {};
    ClearReaderErrors();
    ChunkFile* file = OpenChunkFile(path, "r");
    counts.errors += CollectErrors();
    SceneDatabase* database = nullptr;
    NewSceneDatabase(&database);
    counts.errors += CollectErrors();
    ReadSceneDatabase(file, database);
    counts.errors += CollectErrors();

    counts.materials = CountMaterials(database);
    counts.errors += CollectErrors();
    MaterialRecord* material = nullptr;
    for (uint32_t i = 0; i <= counts.materials && i < 4096; i++) {
        FetchMaterial(database, i, &material);
        counts.errors += CollectErrors();
        if (material)
            for (const char* c = material->maps[MAP_TEXTURE1].name; *c; c++)
                Require(c - material->maps[MAP_TEXTURE1].name < (long)READER_NAME_LENGTH);
    }
    FreeMaterialRecord(&material);

    volatile float sink = 0;
    counts.meshes = CountMeshes(database);
    counts.errors += CollectErrors();
    MeshRecord* mesh = nullptr;
    // Twice, as a loader's count and fill passes fetch each mesh twice.
    for (int pass = 0; pass < 2; pass++) {
        for (uint32_t i = 0; i <= counts.meshes && i < 4096; i++) {
            FetchMesh(database, i, &mesh);
            counts.errors += CollectErrors();
            if (mesh) {
                sink = sink + TouchMesh(mesh);
                if (pass == 0 && i < counts.meshes) {
                    counts.vertices += mesh->vertexCount;
                    counts.faces += mesh->faceCount;
                }
            }
        }
    }
    FreeMeshRecord(&mesh);
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    counts.errors += CollectErrors();
    return counts;
}
