// Loading a 3DS scene from the file to a drawable model through the core's
// factory: the committed park, a generated file at the 16-bit vertex limit
// and the big park of many small objects (parkgen --big). Beside the whole load, its three heavy parts are timed alone on the
// same file: reading (the reader and the arrays pass), normals, and the
// shadow connectivity the index buffer builds when it is unlocked; and the
// three together without the device and the textures, the figure to set
// beside the peer loaders (peer3ds/) built in when their libraries are found.
// Compare in one run, rounds interleaved:
//   bench_load_3ds --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
// Run with SDL_VIDEODRIVER=offscreen where there is no display.
#include "bench_load.h"
#include "graphics/shadowvolume.h"
#include "models/scene/reader3ds.h"
#include "models/scene/scenearrays.h"
#include "peer3ds/peer3ds.h"
#include "writer3ds.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {


// 65 535 vertices in five grid meshes of 51 x 257 points (a mesh holds at
// most 65 535 faces), one material.
void WriteLimitFile(const std::string& path)
{
    writer3ds::Scene scene;
    scene.materials = {{"plain", {60, 60, 60}, {200, 200, 200}, {255, 255, 255}, 30, ""}};
    for (int m = 0; m < 5; m++) {
        writer3ds::Mesh mesh;
        mesh.name = "grid" + std::to_string(m);
        const int columns = 51, rows = 257;
        for (int r = 0; r < rows; r++)
            for (int c = 0; c < columns; c++)
                mesh.points.push_back({(float)(m * 50 + c), (float)r, (float)((c * r) % 7)});
        for (int r = 0; r + 1 < rows; r++)
            for (int c = 0; c + 1 < columns; c++) {
                uint16_t a = (uint16_t)(r * columns + c), b = (uint16_t)(a + 1);
                uint16_t d = (uint16_t)(a + columns), e = (uint16_t)(d + 1);
                mesh.faces.push_back({a, b, e});
                mesh.faces.push_back({a, e, d});
            }
        scene.meshes.push_back(mesh);
    }
    if (!writer3ds::SaveScene(scene, path))
        fprintf(stderr, "cannot write %s\n", path.c_str());
}

// A working folder with the park's data beside the generated file, so the
// park's textures resolve as they do for the sample.
struct Workspace {
    Workspace()
    {
        char folder[] = "/tmp/ql-bench-load3ds-XXXXXX";
        if (!mkdtemp(folder) || chdir(folder) != 0)
            abort();
        if (symlink(QL_SOURCE_DIR "/data", "data") != 0)
            abort();
        WriteLimitFile("limit.3ds");
    }
};

}  // namespace

const char* Bench3dsPath(int64_t which)
{
    static Workspace workspace;
    return which == 0 ? "./data/park.3ds" : which == 1 ? "limit.3ds" : QL_BENCH_BIGPARK;
}

namespace {

HRESULT Pending()
{
    bool pending = ReaderErrorPending;
    ClearReaderErrors();
    return pending ? E_FAIL : S_OK;
}

// Reads a file into arrays; the caller frees them.
bool ReadArrays(const char* path, SceneArrays* arrays)
{
    ChunkFile* file = OpenChunkFile(path, "r");
    SceneDatabase* database = nullptr;
    NewSceneDatabase(&database);
    ReadSceneDatabase(file, database);
    bool ok = SUCCEEDED(Pending()) && SUCCEEDED(ReadSceneArrays(database, Pending, arrays));
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    ClearReaderErrors();
    return ok;
}

void LoadToModel(benchmark::State& state)
{
    TimeLoadToModel(state, "3ds", Bench3dsPath(state.range(0)));
}

void Reading(benchmark::State& state)
{
    const char* path = Bench3dsPath(state.range(0));
    for (auto _ : state) {
        SceneArrays arrays = {};
        if (!ReadArrays(path, &arrays))
            state.SkipWithError("the read failed");
        FreeSceneArrays(&arrays);
    }
}

void Normals(benchmark::State& state)
{
    SceneArrays arrays = {};
    if (!ReadArrays(Bench3dsPath(state.range(0)), &arrays))
        state.SkipWithError("the read failed");
    for (auto _ : state) {
        ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount, arrays.normals);
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = arrays.indexCount / 3;
    FreeSceneArrays(&arrays);
}

void Connectivity(benchmark::State& state)
{
    SceneArrays arrays = {};
    if (!ReadArrays(Bench3dsPath(state.range(0)), &arrays))
        state.SkipWithError("the read failed");
    std::vector<FaceInfo> faces(arrays.indexCount / 3 + 1);
    for (auto _ : state) {
        GenConnectivity(arrays.indices, arrays.indexCount, faces.data());
        benchmark::ClobberMemory();
    }
    FreeSceneArrays(&arrays);
}

// What a drawable model needs from the file, on the processor: the arrays,
// their normals and the shadow connectivity.
void ReadingNormalsConnectivity(benchmark::State& state)
{
    const char* path = Bench3dsPath(state.range(0));
    for (auto _ : state) {
        SceneArrays arrays = {};
        if (!ReadArrays(path, &arrays)) {
            state.SkipWithError("the read failed");
            break;
        }
        ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount, arrays.normals);
        std::vector<FaceInfo> faces(arrays.indexCount / 3 + 1);
        GenConnectivity(arrays.indices, arrays.indexCount, faces.data());
        benchmark::ClobberMemory();
        state.counters["triangles"] = arrays.indexCount / 3;
        FreeSceneArrays(&arrays);
    }
}

// Argument 0: the park; 1: the generated 65 535-vertex file; 2: the big park
// of parkgen --big, 200 small objects.
BENCHMARK(LoadToModel)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadingNormalsConnectivity)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(Reading)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(Normals)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(Connectivity)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
