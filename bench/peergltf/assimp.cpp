// The peer's glTF importer beside ours: no post-processing step asked for,
// so the scene it returns is its bare mesh.
#include "peergltf.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

namespace {

void PeerAssimpGltf(benchmark::State& state)
{
    const char* path = BenchGltfPath();
    Assimp::Importer importer;
    uint64_t triangles = 0;
    for (auto _ : state) {
        const aiScene* scene = importer.ReadFile(path, 0);
        if (!scene) {
            state.SkipWithError(importer.GetErrorString());
            break;
        }
        triangles = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; m++)
            triangles += scene->mMeshes[m]->mNumFaces;
        importer.FreeScene();
        if (triangles == 0) {
            state.SkipWithError("the peer read no triangles");
            break;
        }
    }
    state.counters["triangles"] = (double)triangles;
}

BENCHMARK(PeerAssimpGltf)->Unit(benchmark::kMillisecond);

}  // namespace
