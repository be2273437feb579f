// A peer's 3DS importer beside ours: the importer with no post-processing
// step asked for, so the scene it returns is its bare mesh.
#include "peer3ds.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

namespace {

void PeerAssimp(benchmark::State& state)
{
    const char* path = Bench3dsPath(state.range(0));
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

BENCHMARK(PeerAssimp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
