// The skinning switch, the stream the vector paths read, and the scalar
// reference path.
#include "models/skinned/skinning.h"

#include "simd/skinkernels.h"

#include <d3dx9.h>

#include <stdlib.h>
#include <string.h>

namespace {

const char* const pathNames[] = {"scalar", "sse2", "avx2"};
static_assert(sizeof(pathNames) / sizeof(pathNames[0]) == (size_t)SkinningPath::Count, "a name per path");

bool selectedKnown = false;
SkinningPath selected = SkinningPath::Scalar;

// The reference: per influence, the bone's matrix applied to the bind
// position and normal, weighted and summed; the normal normalised as D3DX does.
void SkinScalar(SkinJob& job)
{
    const EngineArray<SkinVertex>& vertices = *job.skinVertices;
    const Influence* influences = job.skinInfluences->Data();
    float minimum[3] = {1e38f, 1e38f, 1e38f};
    float maximum[3] = {-1e38f, -1e38f, -1e38f};
    float* out = job.vertexData;
    float* kept = job.positions;
    for (uint32_t i = 0; i < vertices.Count(); ++i, out += 6, kept += 3) {
        const SkinVertex& vertex = vertices[i];
        const SkelVector& p = vertex.position;
        const SkelVector& n = vertex.normal;
        float px = 0, py = 0, pz = 0, nx = 0, ny = 0, nz = 0;
        const Influence* influence = influences + vertex.firstInfluence;
        for (uint32_t k = 0; k < vertex.influenceCount; ++k, ++influence) {
            const float(*c)[4] = job.bones[influence->bone].column;
            float w = influence->weight;
            px += w * (c[0][0] * p.x + c[1][0] * p.y + c[2][0] * p.z + c[3][0]);
            py += w * (c[0][1] * p.x + c[1][1] * p.y + c[2][1] * p.z + c[3][1]);
            pz += w * (c[0][2] * p.x + c[1][2] * p.y + c[2][2] * p.z + c[3][2]);
            nx += w * (c[0][0] * n.x + c[1][0] * n.y + c[2][0] * n.z);
            ny += w * (c[0][1] * n.x + c[1][1] * n.y + c[2][1] * n.z);
            nz += w * (c[0][2] * n.x + c[1][2] * n.y + c[2][2] * n.z);
        }
        const float position[3] = {px, py, pz};
        for (int axis = 0; axis < 3; ++axis) {
            kept[axis] = out[axis] = position[axis];
            if (position[axis] < minimum[axis])
                minimum[axis] = position[axis];
            if (position[axis] > maximum[axis])
                maximum[axis] = position[axis];
        }
        D3DXVECTOR3 normal(nx, ny, nz);
        D3DXVec3Normalize(&normal, &normal);
        out[3] = normal.x;
        out[4] = normal.y;
        out[5] = normal.z;
    }
    memcpy(job.minimum, minimum, sizeof minimum);
    memcpy(job.maximum, maximum, sizeof maximum);
}

}  // namespace

bool SkinStream::Build(const EngineArray<SkinVertex>& skinVertices, const EngineArray<Influence>& skinInfluences)
{
    if (!vertices.Allocate(skinVertices.Count()) || !influences.Allocate(skinInfluences.Count())) {
        vertices.Clear();
        influences.Clear();
        return false;
    }
    uint32_t next = 0;
    for (uint32_t i = 0; i < skinVertices.Count(); ++i) {
        const SkinVertex& from = skinVertices[i];
        SkinStreamVertex& to = vertices[i];
        to.position[0] = from.position.x;
        to.position[1] = from.position.y;
        to.position[2] = from.position.z;
        to.normal[0] = from.normal.x;
        to.normal[1] = from.normal.y;
        to.normal[2] = from.normal.z;
        to.zero = 0.0f;
        to.influenceCount = from.influenceCount;
        for (uint32_t k = 0; k < from.influenceCount; ++k, ++next) {
            const Influence& influence = skinInfluences[from.firstInfluence + k];
            influences[next] = SkinStreamInfluence{(uint32_t)influence.bone, influence.weight};
        }
    }
    return true;
}

const char* SkinningPathName(SkinningPath path)
{
    return path < SkinningPath::Count ? pathNames[(uint32_t)path] : "unknown";
}

bool SkinningPathAvailable(SkinningPath path)
{
    return path == SkinningPath::Scalar || VectorSkinKernel(path) != nullptr;
}

SkinningPath DefaultSkinningPath()
{
    if (const char* asked = getenv("QL_SKINNING")) {
        for (uint32_t p = 0; p < (uint32_t)SkinningPath::Count; ++p)
            if (strcmp(asked, pathNames[p]) == 0 && SkinningPathAvailable((SkinningPath)p))
                return (SkinningPath)p;
    }
    for (uint32_t p = (uint32_t)SkinningPath::Count; p-- > 0;)
        if (SkinningPathAvailable((SkinningPath)p))
            return (SkinningPath)p;
    return SkinningPath::Scalar;
}

bool SelectSkinningPath(SkinningPath path)
{
    if (!SkinningPathAvailable(path))
        return false;
    selected = path;
    selectedKnown = true;
    return true;
}

SkinningPath SelectedSkinningPath()
{
    if (!selectedKnown) {
        selected = DefaultSkinningPath();
        selectedKnown = true;
    }
    return selected;
}

void SkinVertices(SkinJob& job)
{
    SkinVerticesOn(SelectedSkinningPath(), job);
}

void SkinVerticesOn(SkinningPath path, SkinJob& job)
{
    SkinKernel kernel = VectorSkinKernel(path);
    if (kernel && job.stream && job.stream->vertices.Count() == job.skinVertices->Count())
        kernel(job);
    else
        SkinScalar(job);
}
