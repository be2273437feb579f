#include "models/scene/scenesplit.h"

#include <new>
#include <string.h>

HRESULT SplitScene(const SceneArrays& arrays, uint32_t mostVertices, SceneSplit* out)
{
    if (!out || mostVertices < 3 || mostVertices > 0xFFFF || (arrays.indexCount && !arrays.indices))
        return E_INVALIDARG;
    memset(out, 0, sizeof *out);
    const uint32_t triangles = arrays.indexCount / 3;
    const uint32_t vertexCount = arrays.vertexCount ? arrays.vertexCount : 1;
    // Per vertex of the arrays: the last part that took it (+1) and its number there.
    uint32_t* takenBy = new (std::nothrow) uint32_t[vertexCount]();
    uint32_t* local = new (std::nothrow) uint32_t[vertexCount];
    // At most one part per triangle, and one part vertex per index.
    out->firstIndex = new (std::nothrow) uint32_t[triangles + 2];
    out->firstVertex = new (std::nothrow) uint32_t[triangles + 2];
    out->vertices = new (std::nothrow) uint32_t[arrays.indexCount ? arrays.indexCount : 1];
    out->indices = new (std::nothrow) WORD[arrays.indexCount ? arrays.indexCount : 1];
    if (!takenBy || !local || !out->firstIndex || !out->firstVertex || !out->vertices || !out->indices) {
        delete[] takenBy;
        delete[] local;
        FreeSceneSplit(out);
        return E_OUTOFMEMORY;
    }

    uint32_t parts = 0, used = 0, taken = 0;  // used: vertices of the open part
    for (uint32_t t = 0; t < triangles; t++) {
        const uint32_t* corner = &arrays.indices[3 * t];
        if (corner[0] >= arrays.vertexCount || corner[1] >= arrays.vertexCount || corner[2] >= arrays.vertexCount) {
            delete[] takenBy;
            delete[] local;
            FreeSceneSplit(out);
            return E_INVALIDARG;
        }
        uint32_t fresh = 0;
        for (uint32_t k = 0; k < 3; k++) {
            bool repeated = (k > 0 && corner[k] == corner[0]) || (k > 1 && corner[k] == corner[1]);
            fresh += takenBy[corner[k]] != parts || parts == 0 ? !repeated : 0;
        }
        if (parts == 0 || used + fresh > mostVertices) {
            out->firstIndex[parts] = 3 * t;
            out->firstVertex[parts] = taken;
            parts++;
            used = 0;
        }
        for (uint32_t k = 0; k < 3; k++) {
            uint32_t v = corner[k];
            if (takenBy[v] != parts) {
                takenBy[v] = parts;
                local[v] = used++;
                out->vertices[taken++] = v;
            }
            out->indices[3 * t + k] = (WORD)local[v];
        }
    }
    out->firstIndex[parts] = 3 * triangles;
    out->firstVertex[parts] = taken;
    out->partCount = parts;
    delete[] takenBy;
    delete[] local;
    return S_OK;
}

void FreeSceneSplit(SceneSplit* split)
{
    if (!split)
        return;
    delete[] split->firstIndex;
    delete[] split->firstVertex;
    delete[] split->vertices;
    delete[] split->indices;
    memset(split, 0, sizeof *split);
}
