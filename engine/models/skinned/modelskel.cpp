// ModelSkel's creation, cloning, drawing and destruction, and the meta
// object its clones share. The animation update lives in modelskelanim.cpp.
#include "models/skinned/modelskel.h"

#include "graphics/geometryfactory.h"
#include "graphics/modeldraw.h"
#include "graphics/qlgraphres.h"
#include "foundation/qltrace.h"

#include <new>

namespace {
// Process-wide: the last instance to go frees the shared bone-state buffer.
uint32_t instanceCount = 0;
}  // namespace

ModelSkelMeta::ModelSkelMeta()
{
    D3DXMatrixIdentity(&baseMatrix);
}

ModelSkelMeta::~ModelSkelMeta()
{
    TraceContext trace("ModelSkelMeta::Destructor()");
    QL_LOG(trace, TraceInfo, "ModelSkelMeta '" + data.file + "' Destroyed");
    ReleaseModelResources(vertexBuffer, indexBuffer, textures.Data(), textures.Count());
}

HRESULT CreateModelSkel(const EngineString& type, const EngineString& command, IGraphics* graphics,
                        IGeometry** out)
{
    TraceContext trace("CreateModelSkel()");
    // Unlike the other factories, a refused type clears *out too.
    if (out)
        *out = nullptr;
    return CreateGeometry<ModelSkel>(trace, QL_HERE, type == "cal3d" || type == "md5", out,
                                     [&](ModelSkel& model) { return model.Init(type, command, graphics); });
}

ModelSkel::ModelSkel() : PlacedModel(QL_HERE)
{
    ++instanceCount;
}

ModelSkel::~ModelSkel()
{
    TraceContext trace("ModelSkel::Destructor()");
    QL_LOG(trace, TraceInfo, "ModelSkel '" + (meta ? meta->data.file : EngineString("NO_FILE")) + "' Destroyed");
    if (--instanceCount == 0)
        FreeBoneStates();
}

template <typename Load>
HRESULT ModelSkel::LoadMeta(const EngineString& type, const EngineString& command, IGraphics* manager, Load load)
{
    return InitShared(meta, type, command, manager, load, [&](const ModelSkelMeta& loaded) {
        world = loaded.baseMatrix;
        return ReserveBoneStates(loaded.data.bones.Count());
    });
}

HRESULT ModelSkel::Init(const EngineString& type, const EngineString& command, IGraphics* manager)
{
    TraceContext trace(this, "Init()");
    QL_TRY(trace, "Unsupported Type", type == "cal3d" || type == "md5" ? S_OK : E_INVALIDARG);
    return LoadMeta(type, command, manager, [&](ModelSkelMeta* loading) {
        return type == "cal3d" ? loading->LoadCal3D(command, manager) : loading->LoadMD5(command, manager);
    });
}

HRESULT ModelSkel::InitLoaded(const EngineString& type, const EngineString& command, IGraphics* manager,
                              MetaLoader load, void* context)
{
    return LoadMeta(type, command, manager, [&](ModelSkelMeta* loading) { return load(loading, manager, context); });
}

HRESULT ModelSkel::Clone(IGeometry** out)
{
    // Each clone skins into a buffer of its own, so clones are posed apart.
    return CloneModel(out, [&](ModelSkel& copy) {
        copy.boxMinimum = boxMinimum;
        copy.boxMaximum = boxMaximum;
        copy.meta = meta.Share();
        return graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, meta->data.vertices.Count(), true,
                                  copy.ownVertexBuffer.Receive());
    });
}

HRESULT ModelSkel::Render()
{
    TraceContext trace(this, "Render()");
    return DrawModel(trace, QL_HERE, graphics.Get(), world, VertexBuffer(), meta->indexBuffer,
                     meta->data.materials.Count(), validationPending, [&](uint32_t m) {
                         const SkelMaterial& material = meta->data.materials[m];
                         Texture* texture = m < meta->textures.Count() ? meta->textures[m] : nullptr;
                         return MaterialDraw{reinterpret_cast<const D3DMATERIAL9*>(&material.material),
                                             texture,
                                             material.firstVertex,
                                             material.vertexCount,
                                             material.startIndex,
                                             material.indexCount};
                     });
}

static_assert(sizeof(SkelSurface) == sizeof(D3DMATERIAL9), "a material is drawn as read");

HRESULT ModelSkel::GetShadowInfos(ShadowInfos* out)
{
    if (!out)
        return E_FAIL;
    out->vertices = VertexBuffer();
    out->indices = meta->indexBuffer;
    return S_OK;
}
