// The peer importer's bare import timed on one file: no post-processing step
// asked for, so the scene it returns is its bare mesh.
#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <stdint.h>

inline void TimeAssimpImport(benchmark::State& state, const char* path)
{
    Assimp::Importer importer;
    uint64_t triangles = 0;
    bool normals = true;
    for (auto _ : state) {
        const aiScene* scene = importer.ReadFile(path, 0);
        if (!scene) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
        triangles = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; m++) {
            triangles += scene->mMeshes[m]->mNumFaces;
            normals = normals && scene->mMeshes[m]->HasNormals();
        }
        importer.FreeScene();
        if (triangles == 0) {
            // A file the peer cannot read would time nothing but its refusal.
            state.SkipWithError("the peer read no triangles");
            break;
        }
    }
    state.counters["triangles"] = (double)triangles;
    // Whether its bare import already holds normals of its own.
    state.counters["normals"] = normals ? 1 : 0;
}
