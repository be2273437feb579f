// A peer's 3DS loader beside ours: the scene manager's getMesh on the same
// file, under the null video driver (no window, no GPU). The mesh is dropped
// from the mesh cache after each round so every round reads the file again;
// its textures stay in the driver's cache after the first round, as ours are
// left out of the bare-mesh figures.
#include "peer3ds/peer3ds.h"

#include <benchmark/benchmark.h>
#include <irrlicht.h>

namespace {

irr::IrrlichtDevice* Device()
{
    static irr::IrrlichtDevice* device = [] {
        irr::SIrrlichtCreationParameters parameters;
        parameters.DriverType = irr::video::EDT_NULL;
        parameters.LoggingLevel = irr::ELL_NONE;
        return irr::createDeviceEx(parameters);
    }();
    return device;
}

void PeerIrrlicht(benchmark::State& state)
{
    const char* path = Bench3dsPath(state.range(0));
    irr::IrrlichtDevice* device = Device();
    if (!device) {
        state.SkipWithError("no Irrlicht null device");
        return;
    }
    irr::scene::ISceneManager* scene = device->getSceneManager();
    uint64_t triangles = 0;
    bool normals = false;
    for (auto _ : state) {
        irr::scene::IAnimatedMesh* mesh = scene->getMesh(path);
        if (!mesh) {
            state.SkipWithError("the peer could not load the file");
            break;
        }
        triangles = 0;
        irr::scene::IMesh* frame = mesh->getMesh(0);
        for (irr::u32 b = 0; b < frame->getMeshBufferCount(); b++) {
            irr::scene::IMeshBuffer* buffer = frame->getMeshBuffer(b);
            triangles += buffer->getIndexCount() / 3;
            for (irr::u32 v = 0; v < buffer->getVertexCount() && !normals; v++)
                normals = buffer->getNormal(v).getLengthSQ() > 0;
        }
        scene->getMeshCache()->removeMesh(mesh);
        if (triangles == 0) {
            // A file the peer cannot read would time nothing but its refusal.
            state.SkipWithError("the peer read no triangles");
            break;
        }
    }
    state.counters["triangles"] = (double)triangles;
    // Whether its mesh comes with normals of its own.
    state.counters["normals"] = normals ? 1 : 0;
}

BENCHMARK(PeerIrrlicht)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
