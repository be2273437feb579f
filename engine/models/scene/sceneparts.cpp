#include "models/scene/sceneparts.h"

#include <math.h>
#include <string.h>

#include <new>

namespace {

// Plain comparisons: the library's fminf and fmaxf are calls, as they must
// treat NaN apart, and a scene's positions are finite.
inline float Lower(float a, float b)
{
    return b < a ? b : a;
}

inline float Higher(float a, float b)
{
    return b > a ? b : a;
}

inline void Widen(ShadowPart* part, const D3DXVECTOR3& p)
{
    part->low = D3DXVECTOR3(Lower(part->low.x, p.x), Lower(part->low.y, p.y), Lower(part->low.z, p.z));
    part->high = D3DXVECTOR3(Higher(part->high.x, p.x), Higher(part->high.y, p.y), Higher(part->high.z, p.z));
}

inline float SquaredEdge(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = b - a;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// Each part's triangles together, and the parts' boxes and longest edges.
template <typename Index>
HRESULT FillShadowIndices(ModelSceneMeta* meta, const SceneArrays& arrays, uint32_t partCount)
{
    return Refill<Index>(meta->shadowIndexBuffer, [&](void* data, Index* kept) {
        uint32_t running = 0;
        for (uint32_t p = 0; p < partCount; p++) {
            ShadowPart& part = meta->parts[p];
            part.firstTriangle = running / 3;
            for (uint32_t r = 0; r < meta->runCount; r++) {
                const SceneRun& run = meta->runs[r];
                if (run.mesh != p)
                    continue;
                for (uint32_t i = 0; i < run.indexCount; i++)
                    kept[running + i] = (Index)arrays.indices[run.startIndex + i];
                running += run.indexCount;
            }
            part.triangleCount = running / 3 - part.firstTriangle;
            float longestSquared = 0.0f;
            for (uint32_t t = part.firstTriangle; t < part.firstTriangle + part.triangleCount; t++) {
                const D3DXVECTOR3& a = arrays.positions[kept[3 * t]];
                const D3DXVECTOR3& b = arrays.positions[kept[3 * t + 1]];
                const D3DXVECTOR3& c = arrays.positions[kept[3 * t + 2]];
                Widen(&part, a);
                Widen(&part, b);
                Widen(&part, c);
                longestSquared = Higher(longestSquared,
                                        Higher(SquaredEdge(a, b), Higher(SquaredEdge(b, c), SquaredEdge(c, a))));
            }
            part.longestEdge = sqrtf(longestSquared);
        }
        if (data != kept)
            memcpy(data, kept, arrays.indexCount * sizeof(Index));
    });
}
}  // namespace

HRESULT FillSceneParts(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    if (!arrays.runs || arrays.runCount == 0 || arrays.indexCount == 0)
        return S_OK;
    // Parts in mesh order, for the meshes that draw something.
    uint32_t* partOfMesh = new (std::nothrow) uint32_t[arrays.meshCount ? arrays.meshCount : 1];
    meta->runs = new (std::nothrow) SceneRun[arrays.runCount];
    if (!partOfMesh || !meta->runs) {
        delete[] partOfMesh;
        return E_OUTOFMEMORY;
    }
    const uint32_t none = 0xFFFFFFFFu;
    for (uint32_t m = 0; m < arrays.meshCount; m++)
        partOfMesh[m] = none;
    for (uint32_t r = 0; r < arrays.runCount; r++)
        partOfMesh[arrays.runs[r].mesh] = 0;
    uint32_t partCount = 0;
    for (uint32_t m = 0; m < arrays.meshCount; m++)
        if (partOfMesh[m] != none)
            partOfMesh[m] = partCount++;
    meta->parts = new (std::nothrow) ShadowPart[partCount];
    if (!meta->parts) {
        delete[] partOfMesh;
        return E_OUTOFMEMORY;
    }
    meta->partCount = partCount;
    meta->runCount = arrays.runCount;
    for (uint32_t r = 0; r < arrays.runCount; r++) {
        meta->runs[r] = arrays.runs[r];
        meta->runs[r].mesh = partOfMesh[arrays.runs[r].mesh];
    }
    delete[] partOfMesh;

    for (uint32_t p = 0; p < partCount; p++)
        meta->parts[p] = ShadowPart{0, 0, D3DXVECTOR3(1e38f, 1e38f, 1e38f), D3DXVECTOR3(-1e38f, -1e38f, -1e38f), 0.0f};
    // Past 16-bit indices the shadow's copy is 32-bit; nothing draws it, so
    // it needs no device side.
    if (arrays.vertexCount > 0xFFFF) {
        HRESULT result = graphics->CreateWideIB(arrays.indexCount, false, false, &meta->shadowIndexBuffer);
        return SUCCEEDED(result) ? FillShadowIndices<uint32_t>(meta, arrays, partCount) : result;
    }
    HRESULT result = graphics->CreateIB(arrays.indexCount, false, &meta->shadowIndexBuffer);
    return SUCCEEDED(result) ? FillShadowIndices<WORD>(meta, arrays, partCount) : result;
}
