#include "models/scene/scenebuild.h"

#include "models/scene/scenesplit.h"

#include "foundation/file.h"
#include "foundation/qltrace.h"

#include <stdio.h>
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

EngineString Corner(const char* name, const D3DXVECTOR3& v)
{
    char text[160];
    snprintf(text, sizeof text, "%s(%f,%f,%f)", name, v.x, v.y, v.z);
    return text;
}

}  // namespace

const char* const kSceneTooManyVerticesRecord = "Too much vertices for the IB (NumVertices>0xFFFFFF)";

void StartSceneLoad(ModelSceneMeta* meta, const char* type, const EngineString& file)
{
    D3DXMatrixIdentity(&meta->initialMatrix);
    meta->type = type;
    meta->fileName = file;
}

void TakeSceneMaterials(ModelSceneMeta* meta, SceneArrays* arrays)
{
    meta->materials = arrays->materials;
    meta->materialCount = arrays->materialCount;
    arrays->materials = nullptr;
    meta->boxMin = arrays->boxMin;
    meta->boxMax = arrays->boxMax;
}

EngineString SceneBoxText(const ModelSceneMeta* meta)
{
    return Corner("vMin", meta->boxMin) + " - " + Corner("vMax", meta->boxMax);
}

namespace {

// One vertex of the arrays into a vertex buffer's data (position, normal,
// texture coordinates when there are) and its kept positions.
void PutVertex(const SceneArrays& arrays, uint32_t from, float* vertex, D3DXVECTOR3* position)
{
    memcpy(vertex, &arrays.positions[from], sizeof(D3DXVECTOR3));
    memcpy(vertex + 3, &arrays.normals[from], sizeof(D3DXVECTOR3));
    if (arrays.texCoords)
        memcpy(vertex + 6, &arrays.texCoords[from], sizeof(D3DXVECTOR2));
    if (position)
        *position = arrays.positions[from];
}

DWORD VertexFormat(const SceneArrays& arrays)
{
    return D3DFVF_XYZ | D3DFVF_NORMAL | (arrays.texCoords ? D3DFVF_TEX1 : 0);
}

uint32_t VertexFloats(const SceneArrays& arrays)
{
    return arrays.texCoords ? 8 : 6;
}

// Whether the device draws indices up to the model's last vertex.
bool DeviceIndexes(IGraphics* graphics, uint32_t vertexCount)
{
    IDirect3DDevice9* device = graphics->GetDevice();
    D3DCAPS9 caps = {};
    return device && SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxVertexIndex >= vertexCount - 1;
}

HRESULT FillWholeVertexBuffer(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    HRESULT result = graphics->CreateVB(VertexFormat(arrays), arrays.vertexCount, false, &meta->vertexBuffer);
    if (FAILED(result))
        return result;
    const uint32_t floats = VertexFloats(arrays);
    return Refill<D3DXVECTOR3>(meta->vertexBuffer, [&](void* data, D3DXVECTOR3* positions) {
        float* vertex = static_cast<float*>(data);
        for (uint32_t v = 0; v < arrays.vertexCount; v++, vertex += floats)
            PutVertex(arrays, v, vertex, positions ? &positions[v] : nullptr);
    });
}

// A model whose parts cast through their own shadow buffer draws through
// buffers that need no connectivity.
void DrawnOnlyWhenPartsCast(ModelSceneMeta* meta, IB* buffer)
{
    if (meta->shadowIndexBuffer)
        buffer->DrawnOnly();
}

// The 16-bit buffer of a model that fits it, as the sample's park.
HRESULT FillNarrowIndices(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    uint32_t indexCount = arrays.indexCount ? arrays.indexCount : 3;
    HRESULT result = graphics->CreateIB(indexCount, false, &meta->indexBuffer);
    if (FAILED(result))
        return result;
    DrawnOnlyWhenPartsCast(meta, meta->indexBuffer);
    return Refill<WORD>(meta->indexBuffer, [&](void* data, WORD* kept) {
        WORD* device = static_cast<WORD*>(data);
        for (uint32_t i = 0; i < indexCount; i++)
            device[i] = kept[i] = arrays.indexCount ? (WORD)arrays.indices[i] : 0;
    });
}

HRESULT FillWideIndices(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays, bool drawn)
{
    uint32_t indexCount = arrays.indexCount ? arrays.indexCount : 3;
    HRESULT result = graphics->CreateWideIB(indexCount, false, drawn, &meta->indexBuffer);
    if (FAILED(result))
        return result;
    DrawnOnlyWhenPartsCast(meta, meta->indexBuffer);
    return Refill<uint32_t>(meta->indexBuffer, [&](void* data, uint32_t* kept) {
        uint32_t* device = static_cast<uint32_t*>(data);
        for (uint32_t i = 0; i < indexCount; i++)
            device[i] = kept[i] = arrays.indexCount ? arrays.indices[i] : 0;
    });
}

// A model beyond the device's indices: parts of 16-bit buffers to draw, and
// the whole mesh (positions and 32-bit indices, kept only) for its shadow.
HRESULT FillParts(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    HRESULT result = graphics->CreateVB(D3DFVF_XYZ, arrays.vertexCount, false, &meta->vertexBuffer);
    if (SUCCEEDED(result))
        result = Refill<D3DXVECTOR3>(meta->vertexBuffer, [&](void* data, D3DXVECTOR3* positions) {
            memcpy(data, arrays.positions, arrays.vertexCount * sizeof(D3DXVECTOR3));
            if (positions)
                memcpy(positions, arrays.positions, arrays.vertexCount * sizeof(D3DXVECTOR3));
        });
    if (SUCCEEDED(result))
        result = FillWideIndices(meta, graphics, arrays, false);
    SceneSplit split;
    if (SUCCEEDED(result))
        result = SplitScene(arrays, 0xFFFF, &split);
    if (FAILED(result))
        return result;
    meta->pieces = new (std::nothrow) ScenePiece[split.partCount ? split.partCount : 1];
    if (!meta->pieces) {
        FreeSceneSplit(&split);
        return E_OUTOFMEMORY;
    }
    meta->pieceCount = split.partCount;
    const uint32_t floats = VertexFloats(arrays);
    for (uint32_t p = 0; p < split.partCount && SUCCEEDED(result); p++) {
        ScenePiece& part = meta->pieces[p];
        part.firstIndex = split.firstIndex[p];
        part.endIndex = split.firstIndex[p + 1];
        const uint32_t* vertices = split.vertices + split.firstVertex[p];
        const uint32_t vertexCount = split.firstVertex[p + 1] - split.firstVertex[p];
        result = graphics->CreateVB(VertexFormat(arrays), vertexCount, false, &part.vertexBuffer);
        if (SUCCEEDED(result))
            result = graphics->CreateIB(part.endIndex - part.firstIndex, false, &part.indexBuffer);
        if (SUCCEEDED(result))
            DrawnOnlyWhenPartsCast(meta, part.indexBuffer);
        if (SUCCEEDED(result))
            result = Refill<D3DXVECTOR3>(part.vertexBuffer, [&](void* data, D3DXVECTOR3* positions) {
                float* vertex = static_cast<float*>(data);
                for (uint32_t v = 0; v < vertexCount; v++, vertex += floats)
                    PutVertex(arrays, vertices[v], vertex, positions ? &positions[v] : nullptr);
            });
        if (SUCCEEDED(result))
            result = Refill<WORD>(part.indexBuffer, [&](void* data, WORD* kept) {
                const uint32_t count = part.endIndex - part.firstIndex;
                memcpy(data, split.indices + part.firstIndex, count * sizeof(WORD));
                memcpy(kept, split.indices + part.firstIndex, count * sizeof(WORD));
            });
    }
    FreeSceneSplit(&split);
    return result;
}

}  // namespace

HRESULT FillSceneBuffers(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    if (arrays.vertexCount <= 0xFFFF) {
        HRESULT result = FillWholeVertexBuffer(meta, graphics, arrays);
        return SUCCEEDED(result) ? FillNarrowIndices(meta, graphics, arrays) : result;
    }
    if (!DeviceIndexes(graphics, arrays.vertexCount))
        return FillParts(meta, graphics, arrays);
    HRESULT result = FillWholeVertexBuffer(meta, graphics, arrays);
    return SUCCEEDED(result) ? FillWideIndices(meta, graphics, arrays, true) : result;
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

HRESULT FinishSceneLoad(const TraceContext& trace, SourceSpot spot, ModelSceneMeta* meta, IGraphics* graphics,
                        const SceneLoadOptions& options, const SceneSummary& summary)
{
    auto info = [&](const EngineString& text) { WriteLog(trace, TraceInfo, text, spot.file, spot.line); };
    info(EngineString("Infos of the ") + summary.format + " model : " + meta->fileName);
    info(EngineString() + meta->materialCount + " materials for " + summary.partCount + " " + summary.partName +
         " with " + summary.faceCount + " tris & " + summary.vertexCount + " verts");
    info(SceneBoxText(meta));
    return LoadSceneTextures(trace, meta, graphics, options);
}
