// The peer's glTF importer beside ours.
#include "peergltf/peergltf.h"
#include "peer_assimp.h"

namespace {

void PeerAssimpGltf(benchmark::State& state)
{
    TimeAssimpImport(state, BenchGltfPath());
}

BENCHMARK(PeerAssimpGltf)->Unit(benchmark::kMillisecond);

}  // namespace
