#include "modelscene.h"
#include "scenearrays.h"

#include "graphics/geometryfactory.h"
#include "graphics/modeldraw.h"

#include "qltrace.h"

#include <new>

namespace {

// Device validation runs for the first material any scene model draws in
// the run: it tells once whether this device needs more than one pass.
bool validationPending = true;

}  // namespace

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

ModelScene::ModelScene()
{
    D3DXMatrixIdentity(&world);
}

ModelScene::~ModelScene()
{
    TraceContext trace(this, "Destructor()");
    // An instance whose Init failed before its meta existed has no file name.
    QL_LOG(trace, TraceInfo, "ModelScene '" + (meta ? meta->fileName : EngineString("NO_FILE")) + "' Destroyed");
    if (meta) {
        meta->Release();
        meta = nullptr;
    }
    if (graphics) {
        graphics->RemoveGeometry(this);
        graphics->Release();
    }
}

HRESULT ModelScene::InitLoaded(const EngineString& type, const EngineString& command, IGraphics* manager,
                               MetaLoader load, void* context)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, manager);
    meta = new (std::nothrow) ModelSceneMeta();
    QL_REQUIRE_MEMORY(trace, meta);
    QL_TRY(trace, (type + "<" + command + "> : Loading failed").Chars(), load(meta, manager, context));
    world = meta->initialMatrix;
    graphics = manager;
    return S_OK;
}

HRESULT ModelScene::Init(const EngineString& type, const EngineString& command, IGraphics* manager,
                         const SceneLoadOptions& options)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, manager);
    meta = new (std::nothrow) ModelSceneMeta();
    QL_REQUIRE_MEMORY(trace, meta);
    EngineString message = type + "<" + command + "> : Loading failed";
    HRESULT result = type == "3ds"   ? meta->Load3DS(command, manager, options)
                     : type == "obj" ? meta->LoadOBJ(command, manager, options)
                                     : meta->LoadD3Map(command, manager);
    QL_TRY(trace, message.Chars(), result);
    world = meta->initialMatrix;
    graphics = manager;
    return S_OK;
}

HRESULT ModelScene::Clone(IGeometry** out)
{
    TraceContext trace(this, "Clone()");
    QL_REQUIRE_ARG(trace, out);
    *out = nullptr;
    Owned<ModelScene> copy = MakeOwned<ModelScene>();
    QL_REQUIRE_MEMORY(trace, copy);
    copy->world = world;
    if (graphics) {
        // An unregistered clone would never be drawn: fail instead.
        QL_TRY(trace, "-", SUCCEEDED(graphics->AddGeometry(copy.Get())) ? S_OK : E_FAIL);
        copy->graphics = graphics;
        graphics->AddRef();
    }
    copy->meta = meta;
    if (meta)
        meta->AddRef();
    *out = copy.Detach();
    return S_OK;
}

HRESULT ModelScene::Update(float)
{
    return S_OK;
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
    return DrawModel(trace, QL_HERE, graphics, world, vertices, meta ? meta->indexBuffer : nullptr,
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
    return DrawModel(trace, QL_HERE, graphics, world, vertices, meta->indexBuffer, count, validationPending,
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
    return DrawModel(trace, QL_HERE, graphics, world, part.vertexBuffer, part.indexBuffer, meta->materialCount,
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

HRESULT ModelScene::SendCommand(uint32_t, uint32_t)
{
    return S_FALSE;
}

HRESULT ModelScene::GetCreationParams(EngineString* type, EngineString* command)
{
    TraceContext trace(this, "GetCreationParams()");
    QL_REQUIRE_ARG(trace, type && command);
    QL_ASSERT(trace, meta);
    *type = meta->type;
    *command = meta->fileName;
    return S_OK;
}

HRESULT ModelScene::GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum)
{
    TraceContext trace(this, "GetBoundingBox()");
    QL_REQUIRE_ARG(trace, minimum && maximum);
    QL_ASSERT(trace, meta);
    *minimum = meta->boxMin;
    *maximum = meta->boxMax;
    return S_OK;
}

bool ModelScene::IsModel()
{
    return true;
}

HRESULT ModelScene::AddAnimation(uint32_t, float)
{
    return E_FAIL;
}

bool ModelScene::IsAnimationActive(uint32_t)
{
    return false;
}

HRESULT ModelScene::SetMatrix(D3DXMATRIX matrix)
{
    world = matrix;
    return S_OK;
}

HRESULT ModelScene::GetMatrix(D3DXMATRIX* out)
{
    TraceContext trace(this, "GetMatrix()");
    QL_REQUIRE_ARG(trace, out);
    *out = world;
    return S_OK;
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
