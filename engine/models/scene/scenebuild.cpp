#include "scenebuild.h"

#include "file.h"
#include "qltrace.h"

#include <string.h>

#include <new>

namespace {

bool FileOpens(const EngineString& path)
{
    File probe;
    return SUCCEEDED(probe.OpenSilently(path, "rb"));
}

// True when an earlier material maps the same file: a missing file is
// reported once.
bool MappedBefore(const ModelSceneMeta* meta, uint32_t material)
{
    for (uint32_t j = 0; j < material; j++)
        if (strcmp(meta->materials[j].textureMap, meta->materials[material].textureMap) == 0)
            return true;
    return false;
}

}  // namespace

HRESULT FillSceneBuffers(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    uint32_t indexCount = arrays.indexCount ? arrays.indexCount : 3;
    const D3DXVECTOR2* texCoords = arrays.texCoords;
    DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL | (texCoords ? D3DFVF_TEX1 : 0);
    uint32_t floats = texCoords ? 8 : 6;
    HRESULT result = graphics->CreateVB(fvf, arrays.vertexCount, false, &meta->vertexBuffer);
    if (SUCCEEDED(result))
        result = graphics->CreateIB(indexCount, false, &meta->indexBuffer);
    if (FAILED(result))
        return result;

    result = Refill<D3DXVECTOR3>(meta->vertexBuffer, [&](void* data, D3DXVECTOR3* positions) {
        float* vertex = static_cast<float*>(data);
        for (uint32_t v = 0; v < arrays.vertexCount; v++, vertex += floats) {
            memcpy(vertex, &arrays.positions[v], sizeof(D3DXVECTOR3));
            memcpy(vertex + 3, &arrays.normals[v], sizeof(D3DXVECTOR3));
            if (texCoords)
                memcpy(vertex + 6, &texCoords[v], sizeof(D3DXVECTOR2));
            if (positions)
                positions[v] = arrays.positions[v];
        }
    });
    if (FAILED(result))
        return result;
    return Refill<WORD>(meta->indexBuffer, [&](void* data, WORD* kept) {
        if (arrays.indexCount) {
            memcpy(data, arrays.indices, arrays.indexCount * sizeof(WORD));
            memcpy(kept, arrays.indices, arrays.indexCount * sizeof(WORD));
        } else {
            memset(data, 0, indexCount * sizeof(WORD));
            memset(kept, 0, indexCount * sizeof(WORD));
        }
    });
}

HRESULT LoadSceneTextures(const TraceContext& trace, ModelSceneMeta* meta, IGraphics* graphics,
                          const SceneLoadOptions& options)
{
    meta->textures = new (std::nothrow) Texture*[meta->materialCount]();
    if (!meta->textures)
        return E_OUTOFMEMORY;
    meta->textureCount = meta->materialCount;
    for (uint32_t j = 0; j < meta->materialCount; j++) {
        const char* map = meta->materials[j].textureMap;
        if (!map[0])
            continue;
        EngineString path = FindBeside(map, meta->fileName);
        if (options.missingTexturesAllowed && !FileOpens(path)) {
            if (!MappedBefore(meta, j))
                QL_LOG(trace, TraceWarning, "Texture '" + path + "' not found: its materials are drawn untextured");
            continue;
        }
        HRESULT result = graphics->CreateTexture(path, &meta->textures[j]);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

