// The device's state setters and getters. Setters only record the state and
// mark what the next draw must bring up to date; a value equal to the
// current one changes nothing.
#include "device.h"

#include <math.h>
#include <string.h>

#include <new>

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value)
{
    if ((DWORD)State >= 256)
        return D3DERR_INVALIDCALL;
    if (renderStates[State] == Value)
        return D3D_OK;
    renderStates[State] = Value;
    switch (State) {
    case D3DRS_LIGHTING:
    case D3DRS_SPECULARENABLE:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
        shaderKeyDirty = true;
        break;
    case D3DRS_AMBIENT:
        ++materialVersion;
        break;
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_ALPHAREF:
        ++miscVersion;
        break;
    default:
        renderStatesDirty = true;
        break;
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue)
{
    if ((DWORD)State >= 256 || !pValue)
        return D3DERR_INVALIDCALL;
    *pValue = renderStates[State];
    return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    if (!pMatrix)
        return D3DERR_INVALIDCALL;
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::SetTransform"))
        return code;
    D3DMATRIX* target = nullptr;
    if (State == D3DTS_WORLD)
        target = &world;
    else if (State == D3DTS_VIEW)
        target = &view;
    else if (State == D3DTS_PROJECTION)
        target = &projection;
    else
        return D3D_OK;  // texture and blend matrices: unused by this pipeline
    if (memcmp(target, pMatrix, sizeof *pMatrix) == 0)
        return D3D_OK;
    *target = *pMatrix;
    ++transformVersion;
    // Lights are given in world space and kept in camera space.
    if (State == D3DTS_VIEW)
        ++lightVersion;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix)
{
    if (!pMatrix)
        return D3DERR_INVALIDCALL;
    if (State == D3DTS_WORLD)
        *pMatrix = world;
    else if (State == D3DTS_VIEW)
        *pMatrix = view;
    else if (State == D3DTS_PROJECTION)
        *pMatrix = projection;
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix)
{
    D3DMATRIX current, product;
    if (!pMatrix || GetTransform(State, &current) != D3D_OK)
        return D3DERR_INVALIDCALL;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            product.m[i][j] = current.m[i][0] * pMatrix->m[0][j] + current.m[i][1] * pMatrix->m[1][j] +
                              current.m[i][2] * pMatrix->m[2][j] + current.m[i][3] * pMatrix->m[3][j];
    return SetTransform(State, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* pViewport)
{
    if (!pViewport || pViewport->Width == 0 || pViewport->Height == 0 ||
        pViewport->X + pViewport->Width > params.BackBufferWidth ||
        pViewport->Y + pViewport->Height > params.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    viewport = *pViewport;
    renderStatesDirty = true;
    ++miscVersion;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport)
{
    return CopyOut(viewport, pViewport);
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* pMaterial)
{
    if (!pMaterial)
        return D3DERR_INVALIDCALL;
    if (memcmp(&material, pMaterial, sizeof material) != 0) {
        material = *pMaterial;
        ++materialVersion;
    }
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* pMaterial)
{
    return CopyOut(material, pMaterial);
}

HRESULT Device::SetLight(DWORD Index, const D3DLIGHT9* pLight)
{
    if (!pLight || Index >= kMaxLights || pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL)
        return D3DERR_INVALIDCALL;
    if (pLight->Type != D3DLIGHT_POINT &&
        pLight->Direction.x == 0.0f && pLight->Direction.y == 0.0f && pLight->Direction.z == 0.0f)
        return D3DERR_INVALIDCALL;
    D3DLIGHT9 previous = lights[Index];
    lights[Index] = *pLight;
    lightSet[Index] = true;
    if (lightEnabled[Index]) {
        ++lightVersion;
        if (previous.Type != pLight->Type)
            shaderKeyDirty = true;
    }
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD Index, D3DLIGHT9* pLight)
{
    if (!pLight || Index >= kMaxLights || !lightSet[Index])
        return D3DERR_INVALIDCALL;
    *pLight = lights[Index];
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD Index, BOOL Enable)
{
    if (Index >= kMaxLights)
        return D3DERR_INVALIDCALL;
    if (!lightSet[Index]) {
        // A light never set is a white directional light along +z.
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
        light.Direction = D3DVECTOR{0.0f, 0.0f, 1.0f};
        lights[Index] = light;
        lightSet[Index] = true;
    }
    bool on = Enable != FALSE;
    if (lightEnabled[Index] != on) {
        lightEnabled[Index] = on;
        shaderKeyDirty = true;
        ++lightVersion;
    }
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD Index, BOOL* pEnable)
{
    if (!pEnable || Index >= kMaxLights || !lightSet[Index])
        return D3DERR_INVALIDCALL;
    *pEnable = lightEnabled[Index] ? 128 : FALSE;  // Direct3D reports 128 for on
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture)
{
    if (Stage >= kMaxStages)
        return D3DERR_INVALIDCALL;
    TextureObject* texture = static_cast<TextureObject*>(static_cast<IDirect3DTexture9*>(pTexture));
    if (textures[Stage] == texture)
        return D3D_OK;
    if ((textures[Stage] == nullptr) != (texture == nullptr))
        shaderKeyDirty = true;
    Rebind(&textures[Stage], texture);
    samplersDirty = true;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture)
{
    if (Stage >= kMaxStages || !ppTexture)
        return D3DERR_INVALIDCALL;
    *ppTexture = textures[Stage];
    if (textures[Stage])
        textures[Stage]->AddRef();
    return D3D_OK;
}

namespace {

// The per-stage state tables: stage and type checked; a changed value marks
// what depends on it.
template <size_t Types>
HRESULT SetStageState(DWORD (&table)[kMaxStages][Types], DWORD stage, DWORD type, DWORD value, bool* dirty)
{
    if (stage >= kMaxStages || type >= Types)
        return D3DERR_INVALIDCALL;
    if (table[stage][type] != value) {
        table[stage][type] = value;
        *dirty = true;
    }
    return D3D_OK;
}

template <size_t Types>
HRESULT GetStageState(const DWORD (&table)[kMaxStages][Types], DWORD stage, DWORD type, DWORD* value)
{
    if (stage >= kMaxStages || type >= Types || !value)
        return D3DERR_INVALIDCALL;
    *value = table[stage][type];
    return D3D_OK;
}

}  // namespace

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value)
{
    return SetStageState(stageStates, Stage, Type, Value, &shaderKeyDirty);
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue)
{
    return GetStageState(stageStates, Stage, Type, pValue);
}

HRESULT Device::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value)
{
    return SetStageState(samplerStates, Sampler, Type, Value, &samplersDirty);
}

HRESULT Device::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue)
{
    return GetStageState(samplerStates, Sampler, Type, pValue);
}

HRESULT Device::SetScissorRect(const RECT* pRect)
{
    if (!pRect)
        return D3DERR_INVALIDCALL;
    scissorRect = *pRect;
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* pRect)
{
    return CopyOut(scissorRect, pRect);
}

HRESULT Device::SetFVF(DWORD FVF)
{
    if (fvf != FVF) {
        fvf = FVF;
        vertexFormatDirty = true;
        shaderKeyDirty = true;
    }
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* pFVF)
{
    return CopyOut(fvf, pFVF);
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                UINT Stride)
{
    if (StreamNumber >= kMaxStreams)
        return D3DERR_INVALIDCALL;
    // Only stream 0 feeds the fixed-function pipeline of a flexible format.
    if (StreamNumber != 0)
        return D3D_OK;
    VertexBuffer* buffer = static_cast<VertexBuffer*>(pStreamData);
    if (stream != buffer || streamOffset != OffsetInBytes || streamStride != Stride) {
        Rebind(&stream, buffer);
        streamOffset = OffsetInBytes;
        streamStride = Stride;
        vertexFormatDirty = true;
    }
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                UINT* pStride)
{
    if (StreamNumber >= kMaxStreams || !ppStreamData || !pOffsetInBytes || !pStride)
        return D3DERR_INVALIDCALL;
    bool zero = StreamNumber == 0;
    *ppStreamData = zero ? stream : nullptr;
    if (*ppStreamData)
        (*ppStreamData)->AddRef();
    *pOffsetInBytes = zero ? streamOffset : 0;
    *pStride = zero ? streamStride : 0;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData)
{
    IndexBuffer* buffer = static_cast<IndexBuffer*>(pIndexData);
    if (indices != buffer) {
        Rebind(&indices, buffer);
        vertexFormatDirty = true;
    }
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** ppIndexData)
{
    if (!ppIndexData)
        return D3DERR_INVALIDCALL;
    *ppIndexData = indices;
    if (indices)
        indices->AddRef();
    return D3D_OK;
}

// Only the fixed-function pipeline exists here: null is the one shader.
HRESULT Device::SetVertexShader(IDirect3DVertexShader9* pShader)
{
    return pShader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** ppShader)
{
    return HandOutNothing(ppShader);
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* pShader)
{
    return pShader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** ppShader)
{
    return HandOutNothing(ppShader);
}

namespace {

// The start every Create* call shares: a place for the result, emptied, and
// the failure a test may have injected (S_OK when there is none).
template <typename Interface>
HRESULT StartCreate(const char* call, Interface** out)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    return QLPlatform_InjectedCode(call);
}

// Scratch buffers are unusable by the device; managed ones cannot be dynamic.
bool ValidBuffer(UINT length, DWORD usage, D3DPOOL pool, HANDLE* shared)
{
    return length != 0 && !shared && pool < D3DPOOL_SCRATCH && !(pool == D3DPOOL_MANAGED && (usage & D3DUSAGE_DYNAMIC));
}

}  // namespace

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle)
{
    if (HRESULT code = StartCreate("IDirect3DDevice9::CreateVertexBuffer", ppVertexBuffer))
        return code;
    if (!ValidBuffer(Length, Usage, Pool, pSharedHandle))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    D3DVERTEXBUFFER_DESC desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, Usage, Pool, Length, FVF};
    return HandOut(new (std::nothrow) VertexBuffer(this, desc), D3DERR_OUTOFVIDEOMEMORY, ppVertexBuffer);
}

HRESULT Device::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle)
{
    if (HRESULT code = StartCreate("IDirect3DDevice9::CreateIndexBuffer", ppIndexBuffer))
        return code;
    if (!ValidBuffer(Length, Usage, Pool, pSharedHandle) ||
        (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    MakeCurrent();
    D3DINDEXBUFFER_DESC desc = {Format, D3DRTYPE_INDEXBUFFER, Usage, Pool, Length};
    return HandOut(new (std::nothrow) IndexBuffer(this, desc), D3DERR_OUTOFVIDEOMEMORY, ppIndexBuffer);
}

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle)
{
    if (HRESULT code = StartCreate("IDirect3DDevice9::CreateTexture", ppTexture))
        return code;
    if (Width == 0 || Height == 0 || Width > 8192 || Height > 8192 || pSharedHandle ||
        (Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8) || Pool > D3DPOOL_SCRATCH ||
        (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)))
        return D3DERR_INVALIDCALL;
    UINT full = FullMipCount(Width, Height);
    if (Levels == 0 || Levels > full)
        Levels = full;
    MakeCurrent();
    return HandOut(new (std::nothrow) TextureObject(this, Width, Height, Levels, Usage, Format, Pool),
                   D3DERR_OUTOFVIDEOMEMORY, ppTexture);
}
