// Texture coordinates as the device draws them: each textured material's
// map tiling applied once at load, so drawing needs no texture transform.
#include "models/scene/scenearrays.h"

#include <string.h>

#include <new>

namespace {

const uint32_t NONE = 0xFFFFFFFFu;

// Working arrays of one ApplyMapTiling, freed whatever the outcome.
struct TilingState {
    SceneArrays* arrays;
    uint32_t* tilingOf = nullptr;  // per material: the first material of the same tiling, or NONE (no map)
    uint32_t* order = nullptr;     // the textured materials, grouped by tiling, in material order within
    uint32_t orderCount = 0;
    uint32_t* firstTiling = nullptr;  // per file vertex: the tiling it took first, or NONE
    uint32_t* stamp = nullptr;        // per file vertex: 1 + the tiling last seen using it
    uint32_t* target = nullptr;       // per file vertex: its vertex for that tiling
    uint32_t* source = nullptr;       // per copy: the file vertex it copies
    uint32_t* copyTiling = nullptr;   // per copy: its tiling

    ~TilingState()
    {
        delete[] tilingOf;
        delete[] order;
        delete[] firstTiling;
        delete[] stamp;
        delete[] target;
        delete[] source;
        delete[] copyTiling;
    }

    bool SameTiling(uint32_t a, uint32_t b) const
    {
        return memcmp(&arrays->tilings[a], &arrays->tilings[b], sizeof(SceneMapTiling)) == 0;
    }

    void GroupByTiling();
    // One walk over the textured triangles, tiling by tiling: each file
    // vertex keeps the first tiling that uses it. Without `write` it counts
    // the copies the other tilings need; with it, it makes them and repoints
    // the indices. Returns the number of copies.
    uint32_t Walk(bool write);
    bool Grow(uint32_t copies);
    void Transform();
};

void TilingState::GroupByTiling()
{
    const SceneArrays& a = *arrays;
    for (uint32_t j = 0; j < a.materialCount; j++) {
        tilingOf[j] = NONE;
        if (!a.materials[j].textureMap[0] || a.materials[j].indexCount == 0)
            continue;
        tilingOf[j] = j;
        // Few tilings differ in one file; a linear search over the earlier
        // materials stops at the first of the same tiling.
        for (uint32_t k = 0; k < j; k++)
            if (tilingOf[k] == k && SameTiling(k, j)) {
                tilingOf[j] = k;
                break;
            }
    }
    for (uint32_t j = 0; j < a.materialCount; j++) {
        if (tilingOf[j] != j)
            continue;
        for (uint32_t m = j; m < a.materialCount; m++)
            if (tilingOf[m] == j)
                order[orderCount++] = m;
    }
}

uint32_t TilingState::Walk(bool write)
{
    SceneArrays& a = *arrays;
    const uint32_t fileVertices = a.fileVertexCount;
    for (uint32_t v = 0; v < fileVertices; v++)
        firstTiling[v] = stamp[v] = NONE;
    uint32_t copies = 0;
    for (uint32_t o = 0; o < orderCount; o++) {
        const SceneMaterial& material = a.materials[order[o]];
        uint32_t tiling = tilingOf[order[o]];
        for (uint32_t i = material.startIndex; i < material.startIndex + material.indexCount; i++) {
            uint32_t v = a.indices[i];
            if (stamp[v] != tiling + 1) {
                stamp[v] = tiling + 1;
                if (firstTiling[v] == NONE) {
                    firstTiling[v] = tiling;
                    target[v] = v;
                } else {
                    if (write) {
                        source[copies] = v;
                        copyTiling[copies] = tiling;
                    }
                    target[v] = fileVertices + copies++;
                }
            }
            if (write)
                a.indices[i] = target[v];
        }
    }
    return copies;
}

template <typename T>
bool GrowArray(T*& array, uint32_t count, uint32_t total, const uint32_t* source)
{
    T* grown = new (std::nothrow) T[total];
    if (!grown)
        return false;
    for (uint32_t v = 0; v < count; v++)
        grown[v] = array[v];
    for (uint32_t c = 0; count + c < total; c++)
        grown[count + c] = array[source[c]];
    delete[] array;
    array = grown;
    return true;
}

bool TilingState::Grow(uint32_t copies)
{
    SceneArrays& a = *arrays;
    uint32_t total = a.vertexCount + copies;
    if (!GrowArray(a.positions, a.vertexCount, total, source) || !GrowArray(a.normals, a.vertexCount, total, source) ||
        !GrowArray(a.texCoords, a.vertexCount, total, source))
        return false;
    return true;
}

void TilingState::Transform()
{
    SceneArrays& a = *arrays;
    const uint32_t fileVertices = a.fileVertexCount;
    for (uint32_t v = 0; v < a.vertexCount; v++) {
        uint32_t tiling = v < fileVertices ? firstTiling[v] : copyTiling[v - fileVertices];
        D3DXVECTOR2& uv = a.texCoords[v];
        if (tiling != NONE) {
            const SceneMapTiling& t = a.tilings[tiling];
            uv = D3DXVECTOR2(uv.x * t.scale[0] + t.offset[0], uv.y * t.scale[1] + t.offset[1]);
        }
        uv.y = 1.0f - uv.y;
    }
}

}  // namespace

HRESULT ApplyMapTiling(SceneArrays* arrays)
{
    if (!arrays || !arrays->texCoords || !arrays->tilings)
        return S_OK;
    TilingState state{arrays};
    uint32_t vertices = arrays->vertexCount ? arrays->vertexCount : 1;
    uint32_t materials = arrays->materialCount ? arrays->materialCount : 1;
    state.tilingOf = new (std::nothrow) uint32_t[materials];
    state.order = new (std::nothrow) uint32_t[materials];
    state.firstTiling = new (std::nothrow) uint32_t[vertices];
    state.stamp = new (std::nothrow) uint32_t[vertices];
    state.target = new (std::nothrow) uint32_t[vertices];
    if (!state.tilingOf || !state.order || !state.firstTiling || !state.stamp || !state.target) {
        arrays->fault = SCENE_FAULT_MEMORY;
        return E_OUTOFMEMORY;
    }
    state.GroupByTiling();
    uint32_t copies = state.Walk(false);
    if ((uint64_t)arrays->vertexCount + copies > kMostSceneVertices) {
        arrays->fault = SCENE_FAULT_TOO_MANY_VERTICES;
        return E_FAIL;
    }
    if (copies) {
        state.source = new (std::nothrow) uint32_t[copies];
        state.copyTiling = new (std::nothrow) uint32_t[copies];
        if (!state.source || !state.copyTiling) {
            arrays->fault = SCENE_FAULT_MEMORY;
            return E_OUTOFMEMORY;
        }
        state.Walk(true);
        if (!state.Grow(copies)) {
            arrays->fault = SCENE_FAULT_MEMORY;
            return E_OUTOFMEMORY;
        }
        arrays->vertexCount += copies;
    }
    state.Transform();
    return S_OK;
}
