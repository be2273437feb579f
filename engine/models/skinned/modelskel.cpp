// ModelSkel's creation, cloning, drawing and destruction, and the meta
// object its clones share. The animation update lives in modelskelanim.cpp.
#include "modelskel.h"

#include "graphics/geometryfactory.h"
#include "graphics/modeldraw.h"
#include "graphics/qlgraphres.h"
#include "qltrace.h"

#include <new>

namespace {
// Process-wide: the last instance to go frees the shared bone-state buffer.
uint32_t instanceCount = 0;
// The first material any skinned model draws validates the device once.
bool validateOnce = true;
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

ModelSkel::ModelSkel()
{
    D3DXMatrixIdentity(&world);
    ++instanceCount;
}

ModelSkel::~ModelSkel()
{
    TraceContext trace("ModelSkel::Destructor()");
    QL_LOG(trace, TraceInfo, "ModelSkel '" + (meta ? meta->data.file : EngineString("NO_FILE")) + "' Destroyed");
    if (ownVertexBuffer)
        ownVertexBuffer->Release();
    if (meta)
        meta->Release();
    if (--instanceCount == 0)
        FreeBoneStates();
    if (graphics) {
        graphics->RemoveGeometry(this);
        graphics->Release();
    }
}

HRESULT ModelSkel::Init(const EngineString& type, const EngineString& command, IGraphics* graphicsManager)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, graphicsManager);
    meta = new (std::nothrow) ModelSkelMeta();
    QL_REQUIRE_MEMORY(trace, meta);

    EngineString failed = type + "<" + command + "> : Loading failed";
    if (type == "cal3d")
        QL_TRY(trace, failed.Chars(), meta->LoadCal3D(command, graphicsManager));
    else if (type == "md5")
        QL_TRY(trace, failed.Chars(), meta->LoadMD5(command, graphicsManager));
    else
        QL_TRY(trace, "Unsupported Type", E_INVALIDARG);
    world = meta->baseMatrix;
    QL_REQUIRE_MEMORY(trace, ReserveBoneStates(meta->data.bones.Count()));
    graphics = graphicsManager;
    return S_OK;
}

HRESULT ModelSkel::InitLoaded(const EngineString& type, const EngineString& command, IGraphics* graphicsManager,
                              MetaLoader load, void* context)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, graphicsManager);
    meta = new (std::nothrow) ModelSkelMeta();
    QL_REQUIRE_MEMORY(trace, meta);
    QL_TRY(trace, (type + "<" + command + "> : Loading failed").Chars(), load(meta, graphicsManager, context));
    world = meta->baseMatrix;
    QL_REQUIRE_MEMORY(trace, ReserveBoneStates(meta->data.bones.Count()));
    graphics = graphicsManager;
    return S_OK;
}

HRESULT ModelSkel::Clone(IGeometry** out)
{
    TraceContext trace(this, "Clone()");
    QL_REQUIRE_ARG(trace, out);
    *out = nullptr;
    Owned<ModelSkel> clone = MakeOwned<ModelSkel>();
    QL_REQUIRE_MEMORY(trace, clone);
    clone->world = world;
    clone->boxMinimum = boxMinimum;
    clone->boxMaximum = boxMaximum;
    QL_TRY(trace, "-",
           graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, meta->data.vertices.Count(), true, &clone->ownVertexBuffer));
    QL_TRY(trace, "-", SUCCEEDED(graphics->AddGeometry(clone.Get())) ? S_OK : E_FAIL);
    clone->graphics = graphics;
    graphics->AddRef();
    clone->meta = meta;
    meta->AddRef();
    *out = clone.Detach();
    return S_OK;
}

HRESULT ModelSkel::Render()
{
    TraceContext trace(this, "Render()");
    return DrawModel(trace, QL_HERE, graphics, world, VertexBuffer(), meta->indexBuffer,
                     meta->data.materials.Count(), validateOnce, [&](uint32_t m) {
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

HRESULT ModelSkel::SendCommand(uint32_t, uint32_t)
{
    return S_FALSE;
}

HRESULT ModelSkel::GetCreationParams(EngineString* type, EngineString* command)
{
    TraceContext trace(this, "GetCreationParams()");
    QL_REQUIRE_ARG(trace, type);
    QL_REQUIRE_ARG(trace, command);
    *type = meta->data.type;
    *command = meta->data.file;
    return S_OK;
}

HRESULT ModelSkel::GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum)
{
    if (minimum)
        *minimum = boxMinimum;
    if (maximum)
        *maximum = boxMaximum;
    return S_OK;
}

bool ModelSkel::IsModel()
{
    return true;
}

HRESULT ModelSkel::SetMatrix(D3DXMATRIX matrix)
{
    world = matrix;
    return S_OK;
}

HRESULT ModelSkel::GetMatrix(D3DXMATRIX* matrix)
{
    TraceContext trace(this, "GetMatrix()");
    QL_REQUIRE_ARG(trace, matrix);
    *matrix = world;
    return S_OK;
}

HRESULT ModelSkel::GetShadowInfos(ShadowInfos* out)
{
    if (!out)
        return E_FAIL;
    out->vertices = VertexBuffer();
    out->indices = meta->indexBuffer;
    return S_OK;
}
