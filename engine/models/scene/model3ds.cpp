#include "model3ds.h"

#include "modelscene.h"
#include "reader3ds.h"
#include "scenearrays.h"

#include "file.h"
#include "qltrace.h"

#include <stdio.h>
#include <string.h>

#include <new>

HRESULT Print3DSErrors()
{
    TraceContext trace("Print3DSErrors()");
    if (!ReaderErrorPending)
        return S_OK;
    EngineString text = "3DSError(s) : ";
    const ReaderErrorEntry* list = ReaderErrorList();
    uint32_t count = 0;
    for (; list && count < READER_ERROR_SLOTS && list[count].code != 0; count++) {
        if (count)
            text += "\n";
        text += list[count].text;
    }
    if (count == 0)
        QL_LOG(trace, TraceError, "No registred error");
    QL_LOG(trace, TraceError, text);
    ClearReaderErrors();
    return E_FAIL;
}

namespace {

EngineString FaultText(const SceneArrays& arrays)
{
    EngineString mesh = EngineString("'") + arrays.faultMesh + "'";
    switch (arrays.fault) {
    case SCENE_FAULT_TOO_MANY_VERTICES:
        return "Too much vertices for the IB (NumVertices>0xFFFF)";
    case SCENE_FAULT_BAD_CORNER:
        return "The mesh " + mesh + " has a face whose corner is not one of its vertices";
    case SCENE_FAULT_BAD_GROUP_FACE:
        return "The mesh " + mesh + " has a material group naming a face it does not have";
    case SCENE_FAULT_MESH_CHANGED:
        return "The mesh " + mesh + " read differently the second time";
    case SCENE_FAULT_TEXCOORD_COUNT:
        return "The mesh " + mesh + " has " + arrays.faultCounts[0] + " texture coordinates for its " +
               arrays.faultCounts[1] + " vertices";
    default:
        return "";
    }
}

EngineString Corner(const char* name, const D3DXVECTOR3& v)
{
    char text[160];
    snprintf(text, sizeof text, "%s(%f,%f,%f)", name, v.x, v.y, v.z);
    return text;
}

// Fills the device buffers and the kept copies; the index buffer's unlock
// builds the shadow connectivity. A model whose triangles all name missing
// materials still gets one degenerate triangle, as a buffer cannot be empty;
// no material draws it and it casts no shadow. Vertices carry texture
// coordinates after the normal only when the arrays have them.
HRESULT FillBuffers(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays)
{
    TraceContext trace("ModelSceneMeta::Load3DS()");
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

HRESULT LoadTextures(const TraceContext& trace, ModelSceneMeta* meta, IGraphics* graphics,
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

// Names over the classic limit load whole (or cut, past the reader's
// longest); other tools may cut them differently, so say so once per file.
void WarnLongNames(const TraceContext& trace)
{
    const ReaderNameNote& note = ReaderLongNames;
    if (note.longest == 0)
        return;
    EngineString text = EngineString("Names longer than ") + READER_CLASSIC_NAME_LENGTH + " characters (up to " +
                        note.longest + "), first '" + note.first + "'";
    text += note.cut ? EngineString(", cut to ") + READER_NAME_LENGTH + " characters" : EngineString(", read in full");
    QL_LOG(trace, TraceWarning, text);
    ClearReaderLongNames();
}

// A chunk cut at its parent's end may have lost data (a mesh's faces, a
// material's map), so say where the file went wrong.
void WarnCutChunks(const TraceContext& trace)
{
    const ReaderCutNote& note = ReaderCutChunks;
    if (note.count == 0)
        return;
    char first[64];
    snprintf(first, sizeof first, "0x%04X at byte %u", (unsigned)note.firstId, (unsigned)note.firstPosition);
    QL_LOG(trace, TraceWarning,
           EngineString() + note.count + " chunk(s) longer than their parent, read up to its end; the first: " +
               first);
    ClearReaderCutChunks();
}

// Map options the drawing leaves out: the map is drawn tiled instead.
void WarnIgnoredTiling(const TraceContext& trace, const SceneArrays& arrays)
{
    uint16_t bits = arrays.ignoredTiling;
    if (!bits)
        return;
    EngineString options;
    if (bits & MAP_TILING_MIRROR)
        options += "mirrored";
    if (bits & (MAP_TILING_DECAL | MAP_TILING_NO_TILE))
        options += options.IsEmpty() ? "decal" : " or decal";
    QL_LOG(trace, TraceWarning,
           "Texture maps marked " + options + " are drawn tiled, the first in material '" +
               arrays.ignoredTilingMaterial + "'");
}

// A file that maps materials but gives no texture coordinates: every mapped
// face would show one texel's colour, so those materials are drawn in their
// own colours. The textures were still made, so a missing map fails the load
// as it always has.
void DropMapsWithoutCoordinates(const TraceContext& trace, ModelSceneMeta* meta)
{
    const char* first = nullptr;
    for (uint32_t j = 0; j < meta->textureCount; j++) {
        if (!meta->textures[j])
            continue;
        if (!first)
            first = meta->materials[j].textureMap;
        meta->textures[j]->Release();
        meta->textures[j] = nullptr;
    }
    if (first)
        QL_LOG(trace, TraceWarning,
               EngineString("Texture maps drawn in their materials' colours: the file gives no texture coordinates "
                            "(the first map: '") +
                   first + "')");
}

}  // namespace

HRESULT ModelSceneMeta::Load3DS(const EngineString& name, IGraphics* graphics, const SceneLoadOptions& options)
{
    TraceContext trace("ModelSceneMeta::Load3DS()");
    QL_REQUIRE_ARG(trace, graphics);
    D3DXMatrixIdentity(&initialMatrix);
    type = "3ds";
    fileName = name;

    HRESULT result = S_OK;
    SceneDatabase* database = nullptr;
    SceneArrays arrays = {};
    ClearReaderLongNames();
    ClearReaderCutChunks();
    ChunkFile* file = OpenChunkFile(fileName.Chars(), "r");
    if (FAILED(Print3DSErrors()))
        result = E_FAIL;
    if (SUCCEEDED(result)) {
        NewSceneDatabase(&database);
        if (FAILED(Print3DSErrors()))
            result = E_FAIL;
    }
    if (SUCCEEDED(result)) {
        ReadSceneDatabase(file, database);
        if (FAILED(Print3DSErrors()))
            result = E_FAIL;
    }
    if (SUCCEEDED(result)) {
        result = ReadSceneArrays(database, Print3DSErrors, &arrays);
        EngineString fault = FaultText(arrays);
        if (!fault.IsEmpty())
            QL_LOG(trace, TraceError, fault);
    }
    if (SUCCEEDED(result)) {
        ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount, arrays.normals);
        result = ApplyMapTiling(&arrays);
        EngineString fault = FaultText(arrays);
        if (!fault.IsEmpty())
            QL_LOG(trace, TraceError, fault);
    }
    if (SUCCEEDED(result)) {
        materials = arrays.materials;
        materialCount = arrays.materialCount;
        arrays.materials = nullptr;
        boxMin = arrays.boxMin;
        boxMax = arrays.boxMax;
        WarnIgnoredTiling(trace, arrays);
        result = FillBuffers(this, graphics, arrays);
    }
    if (SUCCEEDED(result)) {
        QL_LOG(trace, TraceInfo, "Infos of the 3DS model : " + fileName);
        QL_LOG(trace, TraceInfo,
               EngineString() + materialCount + " materials for " + arrays.meshCount + " meshes with " +
                   arrays.faceCount + " tris & " + arrays.fileVertexCount + " verts");
        QL_LOG(trace, TraceInfo, Corner("vMin", boxMin) + " - " + Corner("vMax", boxMax));
        result = LoadTextures(trace, this, graphics, options);
        if (SUCCEEDED(result) && !arrays.texCoords)
            DropMapsWithoutCoordinates(trace, this);
    }

    WarnLongNames(trace);
    WarnCutChunks(trace);
    QL_CHECK(trace, ("Error while loading the Model " + fileName).Chars(), result);
    FreeSceneArrays(&arrays);
    FreeSceneDatabase(&database);
    CloseChunkFile(file);
    QL_TRY(trace, "-", Print3DSErrors());
    return result;
}
