// The two loaders behind CreateModelGltf: each turns a file's checked
// content into a model's shared data and its graphic resources, with the
// records the 3DS and Cal3D loaders write.
#pragma once

#include "models/import/gltfcontent.h"

#include "models/scene/modelscene.h"
#include "models/skinned/modelskel.h"

#include "foundation/qltrace.h"

struct GltfLoad {
    const GltfContent* content;
    EngineString file;
    SceneLoadOptions options;
};

// `context` is a GltfLoad.
HRESULT LoadGltfScene(ModelSceneMeta* meta, IGraphics* graphics, void* context);
HRESULT LoadGltfSkel(ModelSkelMeta* meta, IGraphics* graphics, void* context);

// One Warning per kind of part left out of the load.
void WarnGltfLeftOut(const TraceContext& trace, const GltfContent& content);
