// What every scene reader does once its arrays are filled: the device
// buffers and the textures of a scene model's shared data. Shared by the 3DS
// loader and the importers of other formats.
#pragma once

#include "models/scene/modelscene.h"
#include "models/scene/scenearrays.h"

#include "foundation/qltrace.h"

// The Error record of a scene past kMostSceneVertices, the same for every reader.
extern const char* const kSceneTooManyVerticesRecord;

// The start of every scene load: the format's type name, the file and the
// identity placement.
void StartSceneLoad(ModelSceneMeta* meta, const char* type, const EngineString& file);

// What a load's Info records count.
struct SceneSummary {
    const char* format;    // "3DS", "OBJ", "glTF"
    const char* partName;  // what the format calls its parts: "meshes", "shapes"
    uint32_t partCount;
    uint32_t faceCount;
    uint32_t vertexCount;
};

// The end of every scene load once its buffers are made: the three Info
// records ("Infos of the <format> model : <file>", the counts, the box),
// written at `spot`, the loader's own place, then the textures
// (LoadSceneTextures).
HRESULT FinishSceneLoad(const TraceContext& trace, SourceSpot spot, ModelSceneMeta* meta, IGraphics* graphics,
                        const SceneLoadOptions& options, const SceneSummary& summary);

// Moves the arrays' materials (the arrays keep none) and box into the meta.
void TakeSceneMaterials(ModelSceneMeta* meta, SceneArrays* arrays);

// The load's Info record of the meta's box: "vMin(x,y,z) - vMax(x,y,z)".
EngineString SceneBoxText(const ModelSceneMeta* meta);

// Makes the vertex and index buffers from `arrays` and keeps the copies the
// shadow pass reads; the index buffer's unlock builds the shadow
// connectivity. Up to 0xFFFF vertices the indices are 16-bit; above, 32-bit
// where the device's MaxVertexIndex reaches the last vertex, otherwise the
// model is drawn in parts of at most 0xFFFF vertices (ModelSceneMeta::parts). A model whose triangles all name missing materials still gets
// one degenerate triangle, as a buffer cannot be empty; no material draws it
// and it casts no shadow. Vertices carry texture coordinates after the normal
// only when the arrays have them.
HRESULT FillSceneBuffers(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays);

// One texture per material with a map, the map found beside the model's
// file. A map that cannot be made fails the load, unless `options` allow a
// missing file: its materials are then drawn untextured, with one Warning per
// missing file.
HRESULT LoadSceneTextures(const TraceContext& trace, ModelSceneMeta* meta, IGraphics* graphics,
                          const SceneLoadOptions& options);
