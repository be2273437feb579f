// Loading a textured 100 000-triangle .glb (a 225 x 224 grid, 99 904
// triangles, 50 400 vertices with normals and coordinates, an embedded
// 256 x 256 PNG): the whole load to a drawable model through the core's
// factory, and its processor side alone (reading with every check, and the
// scene arrays), the figure to set beside the peer importer (peergltf/)
// built in when its library is found. Compare in one run, rounds interleaved:
//   bench_load_gltf --benchmark_repetitions=10 --benchmark_enable_random_interleaving=true
// Run with SDL_VIDEODRIVER=offscreen where there is no display.
#include "bench_load.h"
#include "models/import/gltfcontent.h"
#include "models/import/gltfscene.h"
#include "peergltf/peergltf.h"

#include "gltfwriter.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cmath>

namespace {

void WriteGrid(const std::string& path)
{
    const int columns = 225, rows = 224;
    gltfwriter::Builder b;
    std::vector<float> positions, normals, uvs;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            float height = 0.2f * std::sin(c * 0.1f) * std::cos(r * 0.1f);
            positions.insert(positions.end(), {c * 0.05f, height, r * 0.05f});
            normals.insert(normals.end(), {0, 1, 0});
            uvs.insert(uvs.end(), {c / (columns - 1.0f), r / (rows - 1.0f)});
        }
    std::vector<uint32_t> indices;
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            uint32_t a = r * columns + c, d = a + columns;
            indices.insert(indices.end(), {a, d, a + 1, a + 1, d, d + 1});
        }
    std::vector<uint32_t> texels(256 * 256);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = ((i / 256 / 16 + i % 256 / 16) % 2) ? 0x808080FFu : 0xE0C090FFu;
    const float white[4] = {1, 1, 1, 1};
    tinygltf::Primitive primitive;
    primitive.attributes["POSITION"] = b.Floats(positions, TINYGLTF_TYPE_VEC3, true);
    primitive.attributes["NORMAL"] = b.Floats(normals, TINYGLTF_TYPE_VEC3);
    primitive.attributes["TEXCOORD_0"] = b.Floats(uvs, TINYGLTF_TYPE_VEC2);
    primitive.indices = b.Indices32(indices);
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = b.Material("ground", white, b.Image("ground", gltfwriter::Png(256, 256, texels)));
    b.model.meshes.resize(1);
    b.model.meshes[0].primitives.push_back(primitive);
    b.model.nodes.resize(1);
    b.model.nodes[0].mesh = 0;
    // The peer wants a scene; the engine takes the root nodes without one.
    b.model.scenes.resize(1);
    b.model.scenes[0].nodes = {0};
    if (!gltfwriter::Write(b.model, path, true))
        abort();
}

struct Workspace {
    Workspace()
    {
        char folder[] = "/tmp/ql-bench-loadgltf-XXXXXX";
        if (!mkdtemp(folder) || chdir(folder) != 0)
            abort();
        WriteGrid("grid.glb");
    }
};

}  // namespace

const char* BenchGltfPath()
{
    static Workspace workspace;
    return "grid.glb";
}

namespace {

void LoadGltfToModel(benchmark::State& state)
{
    TimeLoadToModel(state, "gltf", BenchGltfPath());
}

// What the peer's bare import does too: the file read and checked, and the
// meshes in the engine's arrays.
void ReadGltfToArrays(benchmark::State& state)
{
    const char* path = BenchGltfPath();
    uint32_t triangles = 0;
    for (auto _ : state) {
        GltfContent content;
        std::string error;
        SceneArrays arrays = {};
        if (!ReadGltf(path, &content, &error) || FAILED(BuildGltfScene(content, &arrays))) {
            state.SkipWithError("the read failed");
            break;
        }
        triangles = arrays.indexCount / 3;
        FreeSceneArrays(&arrays);
    }
    state.counters["triangles"] = triangles;
}

BENCHMARK(LoadGltfToModel)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadGltfToArrays)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
