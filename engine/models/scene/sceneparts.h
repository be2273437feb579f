// A scene model's objects: one part per mesh of the file that draws
// triangles, for culling and for shadows decided object by object.
#pragma once

#include "models/scene/modelscene.h"
#include "models/scene/scenearrays.h"

// Gives the meta its parts, the runs its draws are cut from, and a shadow
// index buffer that holds each part's triangles together (the drawn one is
// sorted by material). Nothing to do when the arrays carry no runs; the
// model is then one part. S_OK, the buffer's failure, or E_OUTOFMEMORY.
HRESULT FillSceneParts(ModelSceneMeta* meta, IGraphics* graphics, const SceneArrays& arrays);
