#include "models/scene/modelscene.h"
#include "models/scene/scenearrays.h"

#include "graphics/geometryfactory.h"
#include "graphics/modeldraw.h"

#include "foundation/qltrace.h"

#include <new>

ModelSceneMeta::ModelSceneMeta()
{
    D3DXMatrixIdentity(&initialMatrix);
}

ModelSceneMeta::~ModelSceneMeta()
{
    TraceContext trace("Destructor()");
    QL_LOG(trace, TraceInfo, "ModelSceneMeta '" + fileName + "' Destroyed");
    ReleaseModelResources(vertexBuffer, indexBuffer, textures, textureCount);
    if (shadowIndexBuffer)
        shadowIndexBuffer->Release();
    for (uint32_t p = 0; p < pieceCount; p++)
        ReleaseModelResources(pieces[p].vertexBuffer, pieces[p].indexBuffer, nullptr, 0);
    delete[] pieces;
    delete[] parts;
    delete[] runs;
    delete[] textures;
    delete[] materials;
}

HRESULT CreateModelScene(const EngineString& type, const EngineString& command, IGraphics* graphics,
                         IGeometry** out)
{
    return CreateModelScene(type, command, graphics, SceneLoadOptions(), out);
}

HRESULT CreateModelScene(const EngineString& type, const EngineString& command, IGraphics* graphics,
                         const SceneLoadOptions& options, IGeometry** out)
{
    TraceContext trace("CreateModelScene()");
    return CreateGeometry<ModelScene>(trace, QL_HERE, type == "3ds" || type == "obj" || type == "d3map", out,
                                      [&](ModelScene& model) { return model.Init(type, command, graphics, options); });
}

ModelScene::ModelScene() : PlacedModel(QL_HERE) {}

ModelScene::~ModelScene()
{
    TraceContext trace(this, "Destructor()");
    // An instance whose Init failed before its meta existed has no file name.
    QL_LOG(trace, TraceInfo, "ModelScene '" + (meta ? meta->fileName : EngineString("NO_FILE")) + "' Destroyed");
}

template <typename Load>
HRESULT ModelScene::LoadMeta(const EngineString& type, const EngineString& command, IGraphics* manager, Load load)
{
    return InitShared(meta, type, command, manager, load, [&](const ModelSceneMeta& loaded) {
        world = loaded.initialMatrix;
        return true;
    });
}

HRESULT ModelScene::InitLoaded(const EngineString& type, const EngineString& command, IGraphics* manager,
                               MetaLoader load, void* context)
{
    return LoadMeta(type, command, manager, [&](ModelSceneMeta* loading) { return load(loading, manager, context); });
}

HRESULT ModelScene::Init(const EngineString& type, const EngineString& command, IGraphics* manager,
                         const SceneLoadOptions& options)
{
    return LoadMeta(type, command, manager, [&](ModelSceneMeta* loading) {
        return type == "3ds"   ? loading->Load3DS(command, manager, options)
               : type == "obj" ? loading->LoadOBJ(command, manager, options)
                               : loading->LoadD3Map(command, manager);
    });
}

HRESULT ModelScene::Clone(IGeometry** out)
{
    return CloneModel(out, [&](ModelScene& copy) {
        copy.meta = meta.Share();
        return S_OK;
    });
}

HRESULT ModelScene::Render()
{
    TraceContext trace(this, "Render()");
    if (meta && meta->pieces) {
        for (uint32_t p = 0; p < meta->pieceCount; p++)
            QL_TRY(trace, "-", RenderPiece(trace, meta->pieces[p]));
        return S_OK;
    }
    VB* vertices = meta ? meta->vertexBuffer : nullptr;
    uint32_t vertexCount = vertices ? vertices->GetCount() : 0;
    return DrawModel(trace, QL_HERE, graphics.Get(), world, vertices, meta ? meta->indexBuffer : nullptr,
                     meta ? meta->materialCount : 0, validationPending, [&](uint32_t i) {
                         const SceneMaterial& material = meta->materials[i];
                         Texture* texture = i < meta->textureCount ? meta->textures[i] : nullptr;
                         return MaterialDraw{&material.material, texture, 0, vertexCount, material.startIndex,
                                             material.indexCount};
                     });
}

// One draw per run of consecutive visible parts of a material.
HRESULT ModelScene::RenderParts(const bool* visible)
{
    // A model drawn in pieces is drawn whole: its runs index the one buffer.
    if (!visible || !meta || !meta->runs || meta->pieces)
        return Render();
    TraceContext trace(this, "Render()");
    VB* vertices = meta->vertexBuffer;
    uint32_t vertexCount = vertices ? vertices->GetCount() : 0;
    const SceneRun* runs = meta->runs;
    const uint32_t count = meta->runCount;
    auto shown = [&](uint32_t r) { return visible[runs[r].mesh]; };
    // Drawn with the run before it, in one draw.
    auto joins = [&](uint32_t r) {
        return r > 0 && shown(r) && shown(r - 1) && runs[r - 1].material == runs[r].material &&
               runs[r - 1].startIndex + runs[r - 1].indexCount == runs[r].startIndex;
    };
    return DrawModel(trace, QL_HERE, graphics.Get(), world, vertices, meta->indexBuffer, count, validationPending,
                     [&](uint32_t r) {
                         const uint32_t j = runs[r].material;
                         MaterialDraw draw{&meta->materials[j].material, j < meta->textureCount ? meta->textures[j] : nullptr,
                                           0, vertexCount, runs[r].startIndex, 0};
                         if (!shown(r) || joins(r))
                             return draw;
                         for (uint32_t next = r; next < count && (next == r || joins(next)); ++next)
                             draw.indexCount += runs[next].indexCount;
                         return draw;
                     });
}

// Each material's triangles that fall in the piece, from the piece's buffer.
HRESULT ModelScene::RenderPiece(TraceContext& trace, const ScenePiece& part)
{
    uint32_t vertexCount = part.vertexBuffer ? part.vertexBuffer->GetCount() : 0;
    return DrawModel(trace, QL_HERE, graphics.Get(), world, part.vertexBuffer, part.indexBuffer, meta->materialCount,
                     validationPending, [&](uint32_t i) {
                         const SceneMaterial& material = meta->materials[i];
                         Texture* texture = i < meta->textureCount ? meta->textures[i] : nullptr;
                         uint32_t start = material.startIndex > part.firstIndex ? material.startIndex : part.firstIndex;
                         uint32_t end = material.startIndex + material.indexCount;
                         end = end < part.endIndex ? end : part.endIndex;
                         return MaterialDraw{&material.material, texture, 0, vertexCount, start - part.firstIndex,
                                             end > start ? end - start : 0};
                     });
}

void ModelScene::Box(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) const
{
    *minimum = meta->boxMin;
    *maximum = meta->boxMax;
}

HRESULT ModelScene::AddAnimation(uint32_t, float)
{
    return E_FAIL;
}

bool ModelScene::IsAnimationActive(uint32_t)
{
    return false;
}

HRESULT ModelScene::GetShadowInfos(ShadowInfos* out)
{
    if (!out || !meta)
        return E_FAIL;
    out->vertices = meta->vertexBuffer;
    out->indices = meta->shadowIndexBuffer ? meta->shadowIndexBuffer : meta->indexBuffer;
    out->parts = meta->shadowIndexBuffer ? meta->parts : nullptr;
    out->partCount = meta->shadowIndexBuffer ? meta->partCount : 0;
    return S_OK;
}
