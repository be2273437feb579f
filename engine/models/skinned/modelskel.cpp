// ModelSkel's creation, cloning, drawing and destruction, and the meta
// object its clones share. The animation update lives in modelskelanim.cpp.
#include "modelskel.h"

#include "graphics/geometryfactory.h"
#include "graphics/qlgraphres.h"
#include "qltrace.h"

#include <new>

namespace {
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
    if (vertexBuffer)
        vertexBuffer->Release();
    if (indexBuffer)
        indexBuffer->Release();
    for (uint32_t t = 0; t < textures.Count(); ++t)
        if (textures[t])
            textures[t]->Release();
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
    IDirect3DDevice9* device = graphics ? graphics->GetDevice() : nullptr;
    QL_TRY(trace, "IGraphics return NULL d3dDev", device ? S_OK : E_FAIL);
    device->SetTransform(D3DTS_WORLD, &world);
    QL_TRY(trace, "-", VertexBuffer()->Active(0));
    QL_TRY(trace, "-", meta->indexBuffer->Active());

    for (uint32_t m = 0; m < meta->data.materials.Count(); ++m) {
        const SkelMaterial& material = meta->data.materials[m];
        if (material.indexCount == 0)
            continue;
        device->SetMaterial(reinterpret_cast<const D3DMATERIAL9*>(&material.material));
        Texture* texture = m < meta->textures.Count() ? meta->textures[m] : nullptr;
        if (texture)
            QL_TRY(trace, "-", texture->Active(0));
        else
            graphics->ClearTexture(0);
        if (validateOnce) {
            validateOnce = false;
            DWORD passes = 0;
            QL_CHECK(trace, "IDirect3DDevice9::ValidateDevice() failed", device->ValidateDevice(&passes));
            if (passes != 1)
                QL_LOG(trace, TraceWarning,
                       EngineString("This device seem to require ") + (uint32_t)passes +
                           " passes for this model's rendering");
        }
        QL_TRY(trace, "IDirect3DDevice9::DrawIndexedPrimitive() failed",
               device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, material.firstVertex, material.vertexCount,
                                            material.startIndex, material.indexCount / 3));
    }
    return S_OK;
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
