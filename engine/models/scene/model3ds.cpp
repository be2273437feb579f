#include "models/scene/model3ds.h"

#include "models/scene/modelscene.h"
#include "models/scene/reader3ds.h"
#include "models/scene/scenearrays.h"
#include "models/scene/scenebuild.h"
#include "models/scene/sceneparts.h"

#include "foundation/file.h"
#include "foundation/qltrace.h"

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
        return kSceneTooManyVerticesRecord;
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

void LogFault(const TraceContext& trace, const SceneArrays& arrays)
{
    EngineString fault = FaultText(arrays);
    if (!fault.IsEmpty())
        QL_LOG(trace, TraceError, fault);
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
    StartSceneLoad(this, "3ds", name);

    HRESULT result = S_OK;
    // Each call of the reader leaves its errors pending: printed before the next.
    auto readerStep = [&result](auto call) {
        if (SUCCEEDED(result)) {
            call();
            if (FAILED(Print3DSErrors()))
                result = E_FAIL;
        }
    };
    ChunkFile* file = nullptr;
    SceneDatabase* database = nullptr;
    SceneArrays arrays = {};
    ClearReaderLongNames();
    ClearReaderCutChunks();
    readerStep([&] { file = OpenChunkFile(fileName.Chars(), "r"); });
    readerStep([&] { NewSceneDatabase(&database); });
    readerStep([&] { ReadSceneDatabase(file, database); });
    if (SUCCEEDED(result)) {
        result = ReadSceneArrays(database, Print3DSErrors, &arrays);
        LogFault(trace, arrays);
    }
    if (SUCCEEDED(result)) {
        ComputeSceneNormals(arrays.positions, arrays.vertexCount, arrays.indices, arrays.indexCount, arrays.normals);
        result = ApplyMapTiling(&arrays);
        LogFault(trace, arrays);
    }
    if (SUCCEEDED(result)) {
        TakeSceneMaterials(this, &arrays);
        WarnIgnoredTiling(trace, arrays);
        // The parts first: the drawn buffers then know that they cast nothing.
        result = FillSceneParts(this, graphics, arrays);
        if (SUCCEEDED(result))
            result = FillSceneBuffers(this, graphics, arrays);
    }
    if (SUCCEEDED(result)) {
        result = FinishSceneLoad(trace, QL_HERE, this, graphics, options,
                                 {"3DS", "meshes", arrays.meshCount, arrays.faceCount, arrays.fileVertexCount});
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
