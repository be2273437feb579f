// A peer's 3DS importer beside ours.
#include "peer3ds/peer3ds.h"
#include "peer_assimp.h"

namespace {

void PeerAssimp(benchmark::State& state)
{
    TimeAssimpImport(state, Bench3dsPath(state.range(0)));
}

BENCHMARK(PeerAssimp)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
