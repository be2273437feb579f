// Skinning on the processor: every vertex blended from its bones' 3 x 4
// matrices and written in one pass into the locked vertex buffer, the kept
// positions and the bounding box. The scalar path is the reference; vector
// paths (SSE2, and AVX2 with FMA where the processor has them) must match it.
#pragma once

#include "models/skinned/modelskeldata.h"

#include <stdint.h>

// One bone's transform from bind space to the animated model space, as the
// columns of a 3 x 4 matrix (x, y and z axes, then the translation), each
// padded to four floats with a zero so a column is one vector load. All
// bones of a model sit in one flat array of these, 16-byte aligned only: a
// read of two columns at once must be an unaligned one.
struct alignas(16) SkinMatrix {
    float column[4][4];
};
static_assert(sizeof(SkinMatrix) == 64, "one cache line per bone");

// The skin as the vector paths read it: one 32-byte record per vertex and
// its influences right behind those of the vertex before, both in vertex
// order, so the whole pass reads two arrays front to back.
struct alignas(16) SkinStreamVertex {
    float position[3];  // bind pose, model space
    uint32_t influenceCount;
    float normal[3];
    float zero;  // keeps the normal's fourth lane 0
};
static_assert(sizeof(SkinStreamVertex) == 32, "two vectors per vertex");

struct SkinStreamInfluence {
    uint32_t bone;
    float weight;
};

struct SkinStream {
    EngineArray<SkinStreamVertex> vertices;
    EngineArray<SkinStreamInfluence> influences;

    // Packs the model's skin; false when memory runs out (the stream is then
    // empty). Bone indices must already be below the bone count.
    bool Build(const EngineArray<SkinVertex>& skinVertices, const EngineArray<Influence>& skinInfluences);
};

// Everything one skinning pass reads and writes. `vertexData` holds six floats
// a vertex (position, normal), `positions` three (the kept positions).
struct SkinJob {
    const SkinMatrix* bones = nullptr;
    const EngineArray<SkinVertex>* skinVertices = nullptr;  // the scalar path's input
    const EngineArray<Influence>* skinInfluences = nullptr;
    const SkinStream* stream = nullptr;  // the vector paths' input, same skin
    float* vertexData = nullptr;
    float* positions = nullptr;
    // Out: the per-axis extremes of the skinned positions; (1e38, -1e38)
    // on every axis when there is no vertex.
    float minimum[3] = {0, 0, 0};
    float maximum[3] = {0, 0, 0};
};

enum class SkinningPath : uint32_t { Scalar, Sse2, Avx2Fma, Count };

const char* SkinningPathName(SkinningPath path);
// Built into this program and supported by this processor.
bool SkinningPathAvailable(SkinningPath path);
// The fastest available path, unless the environment variable QL_SKINNING
// names another available one ("scalar", "sse2", "avx2").
SkinningPath DefaultSkinningPath();
// The process-wide switch every skinned model's Update follows; false, and
// no change, for a path that is not available.
bool SelectSkinningPath(SkinningPath path);
SkinningPath SelectedSkinningPath();

// Runs the job on the selected path.
void SkinVertices(SkinJob& job);
// Runs the job on `path`, which must be available.
void SkinVerticesOn(SkinningPath path, SkinJob& job);
