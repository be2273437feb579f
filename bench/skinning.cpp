// The skinned model's per-frame Update on a headless device, every skinning
// path beside the scalar reference, in interleaved rounds: for the demo
// creature and for a generated humanoid-sized model (28 bones, 13 104
// vertices, 2.4 influences a vertex, two animations blended 1 to 3), the
// humanoid once from its Cal3D files and once from the same model written
// as glTF, so the two loaders' models are timed alike.
// Reports, per path, the processor time per vertex influence of the whole
// Update and of the skinning pass alone, each path's ratio to the scalar
// path of the same round, the spread over rounds, and the heap allocations
// Update makes per frame.
//   bench_skinning [rounds]
#include "skinning_humanoid.h"

#include "core/icore.h"
#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "models/skinned/modelskel.h"

#include "support/engine_test_support.h"

#include "gltfwriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {
size_t allocations = 0;
}

// Counting replacements of the global allocation functions; GCC cannot see
// that every one of them pairs malloc with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size)
{
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept
{
    std::free(p);
}

namespace {

double ThreadSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

struct Spread {
    double median, minimum, maximum;
};

Spread SpreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

struct Subject {
    const char* name;
    const char* type;
    const char* file;
    uint32_t first, second;  // the animations played, with weights 1 and 3
    uint32_t frames;         // per path and round
};

struct PathRecord {
    SkinningPath path;
    std::vector<double> update, pass;  // ns per influence, one per round
    std::vector<double> updateRatio, passRatio;
};

void Measure(ICore* core, const Subject& subject, uint32_t rounds)
{
    IGeometry* geometry = nullptr;
    if (FAILED(core->CreateObject(subject.type, subject.file, &geometry))) {
        std::printf("%s: cannot load %s\n", subject.name, subject.file);
        return;
    }
    IModel* model = static_cast<IModel*>(geometry);
    const ModelSkelMeta& meta = *static_cast<ModelSkel*>(model)->Meta();
    const double influences = meta.data.influences.Count();
    std::vector<float> vertexData(6 * meta.data.vertices.Count() + 1), positions(3 * meta.data.vertices.Count() + 1);

    std::vector<PathRecord> records;
    for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p)
        if (SkinningPathAvailable((SkinningPath)p))
            records.push_back(PathRecord{(SkinningPath)p, {}, {}, {}, {}});

    size_t allocated = 0, frames = 0;
    for (uint32_t round = 0; round < rounds; ++round) {
        // Each round starts with another path, so none always runs first.
        for (size_t k = 0; k < records.size(); ++k) {
            PathRecord& record = records[(round + k) % records.size()];
            SelectSkinningPath(record.path);
            double start = ThreadSeconds();
            for (uint32_t f = 0; f < subject.frames; ++f) {
                // Restarted when a cycle ends, as a looping caller would.
                if (!model->IsAnimationActive(subject.first))
                    model->AddAnimation(subject.first, 1.0f);
                if (!model->IsAnimationActive(subject.second))
                    model->AddAnimation(subject.second, 3.0f);
                size_t before = allocations;
                model->Update(1.0f / 60);
                allocated += allocations - before;
                ++frames;
            }
            record.update.push_back((ThreadSeconds() - start) * 1e9 / subject.frames / influences);

            // The pass alone, on the last pose, into memory of our own.
            SkinJob job;
            job.bones = SkinMatrices();
            job.skinVertices = &meta.data.vertices;
            job.skinInfluences = &meta.data.influences;
            job.stream = &meta.skin;
            job.vertexData = vertexData.data();
            job.positions = positions.data();
            start = ThreadSeconds();
            for (uint32_t f = 0; f < subject.frames; ++f)
                SkinVerticesOn(record.path, job);
            record.pass.push_back((ThreadSeconds() - start) * 1e9 / subject.frames / influences);
        }
        for (PathRecord& record : records) {
            record.updateRatio.push_back(records[0].update.back() / record.update.back());
            record.passRatio.push_back(records[0].pass.back() / record.pass.back());
        }
    }

    std::printf("%s: %u vertices, %u influences, %u bones; %u rounds of %u frames a path; "
                "%.2f allocations a frame\n",
                subject.name, meta.data.vertices.Count(), meta.data.influences.Count(), meta.data.bones.Count(),
                rounds, subject.frames, (double)allocated / (double)frames);
    std::printf("  %-7s %-34s %-34s\n", "path", "Update ns/influence (x scalar)", "skinning pass ns/influence (x scalar)");
    for (const PathRecord& record : records) {
        Spread update = SpreadOf(record.update), pass = SpreadOf(record.pass);
        Spread updateRatio = SpreadOf(record.updateRatio), passRatio = SpreadOf(record.passRatio);
        std::printf("  %-7s %5.2f [%5.2f..%5.2f] x%4.2f [%4.2f..%4.2f]   %5.2f [%5.2f..%5.2f] x%4.2f [%4.2f..%4.2f]\n",
                    SkinningPathName(record.path), update.median, update.minimum, update.maximum,
                    updateRatio.median, updateRatio.minimum, updateRatio.maximum, pass.median, pass.minimum,
                    pass.maximum, passRatio.median, passRatio.minimum, passRatio.maximum);
    }
    std::printf("  (median [minimum..maximum] over rounds; x = the scalar path's time / this path's, per round)\n");
    model->Release();
}

}  // namespace

int main(int argc, char** argv)
{
    uint32_t rounds = argc > 1 ? (uint32_t)std::atoi(argv[1]) : 15;
    if (rounds == 0)
        rounds = 1;
    // A scratch folder for the log and the humanoid; data/ from the source tree.
    char folder[] = "/tmp/ql_bench_skinning_XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0)
        return 1;
    if (symlink(QL_SOURCE_DIR "/data", "data") != 0)
        return 1;
    if (!getenv("SDL_VIDEODRIVER"))
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    WriteHumanoid("humanoid");

    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    ScreenMode mode = {1, 800, 600, 16, 24, 8};
    if (FAILED(CreateCore(&core)) || FAILED(core->Init(nullptr, "Skinning", 800, 600)) ||
        FAILED(core->CreateGraphics(&graphics)) || FAILED(graphics->SetScreenMode(&mode))) {
        std::printf("no device\n");
        return 1;
    }
    std::printf("default path on this processor: %s\n", SkinningPathName(DefaultSkinningPath()));
    // The humanoid written as glTF from its loaded Cal3D data.
    IGeometry* humanoid = nullptr;
    if (FAILED(core->CreateObject("cal3d", "humanoid.cfg", &humanoid)) ||
        !gltfwriter::Write(gltfwriter::FromSkinned(static_cast<ModelSkel*>(humanoid)->Meta()->data), "humanoid.glb",
                           true)) {
        std::printf("cannot write humanoid.glb\n");
        return 1;
    }
    humanoid->Release();
    Measure(core, Subject{"demo creature", "cal3d", "./data/creature.cfg", 1, 3, 200}, rounds);
    Measure(core, Subject{"humanoid", "cal3d", "humanoid.cfg", 0, 1, 60}, rounds);
    Measure(core, Subject{"humanoid (glTF)", "gltf", "humanoid.glb", 0, 1, 60}, rounds);

    graphics->Release();
    EndCore(core);
    return 0;
}
