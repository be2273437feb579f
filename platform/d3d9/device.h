// The Direct3D 9 device over an OpenGL context on the window's SDL window.
// The back buffer is an offscreen framebuffer; Present copies it into the
// "presented" framebuffer (kept for read-back) and blits it, scaled, to the
// window. Split by concern: device.cpp (life cycle, present, reset, loss),
// device_state.cpp (state setters), device_draw.cpp (GL state and draws),
// device_unsupported.cpp (the calls this engine never makes).
#pragma once

#include "d3d9_internal.h"
#include "ffp_shader.h"
#include "gl_state.h"

#include <vector>

struct SDL_Window;

constexpr DWORD kMaxLights = 64;
constexpr DWORD kMaxStages = 8;
constexpr DWORD kMaxActiveLights = 8;
constexpr DWORD kMaxStreams = 16;

class Device final : public ComObject<IDirect3DDevice9> {
public:
    // Creates the context and the back buffer; D3DERR_NOTAVAILABLE without
    // OpenGL 4.5, D3DERR_INVALIDCALL for a window that is not ours.
    static HRESULT Create(IDirect3D9* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                          D3DPRESENT_PARAMETERS* params, Device** device);
    ~Device() override;

    // The resources' side of the contract.
    void MakeCurrent();
    void ResourceCreated(D3DPOOL pool);
    // The application's last reference on a resource is gone.
    void ResourceReleased(D3DPOOL pool);
    // A GL buffer is about to go: its name may come back for another one.
    void BufferDeleted(GLuint name);
    // Binding the buffer for an upload costs nothing to the draw state: the
    // GL side uses direct-state access.
    static Device* Latest();

    // Test hooks.
    bool ReadPresented(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height);
    bool ReadWindow(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height);
    bool ReadDepth(std::vector<float>* depth, uint32_t* width, uint32_t* height);
    bool ReadStencil(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height);
    void ForceState(int state);

    // IDirect3DDevice9, in the interface's order.
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    UINT STDMETHODCALLTYPE GetAvailableTextureMem() override;
    HRESULT STDMETHODCALLTYPE EvictManagedResources() override;
    HRESULT STDMETHODCALLTYPE GetDirect3D(IDirect3D9** ppD3D9) override;
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(D3DCAPS9* pCaps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
    HRESULT STDMETHODCALLTYPE GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
    HRESULT STDMETHODCALLTYPE SetCursorProperties(UINT, UINT, IDirect3DSurface9*) override;
    void STDMETHODCALLTYPE SetCursorPosition(int, int, DWORD) override;
    BOOL STDMETHODCALLTYPE ShowCursor(BOOL bShow) override;
    HRESULT STDMETHODCALLTYPE CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9**) override;
    HRESULT STDMETHODCALLTYPE GetSwapChain(UINT, IDirect3DSwapChain9**) override;
    UINT STDMETHODCALLTYPE GetNumberOfSwapChains() override;
    HRESULT STDMETHODCALLTYPE Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
    HRESULT STDMETHODCALLTYPE Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                                      const RGNDATA* pDirtyRegion) override;
    HRESULT STDMETHODCALLTYPE GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override;
    HRESULT STDMETHODCALLTYPE GetRasterStatus(UINT, D3DRASTER_STATUS*) override;
    HRESULT STDMETHODCALLTYPE SetDialogBoxMode(BOOL) override;
    void STDMETHODCALLTYPE SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) override;
    void STDMETHODCALLTYPE GetGammaRamp(UINT, D3DGAMMARAMP*) override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                            HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                                  IDirect3DVolumeTexture9**, HANDLE*) override;
    HRESULT STDMETHODCALLTYPE CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**,
                                                HANDLE*) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                                 IDirect3DVertexBuffer9** ppVertexBuffer,
                                                 HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                IDirect3DIndexBuffer9** ppIndexBuffer,
                                                HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                                 IDirect3DSurface9**, HANDLE*) override;
    HRESULT STDMETHODCALLTYPE CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                                        IDirect3DSurface9**, HANDLE*) override;
    HRESULT STDMETHODCALLTYPE UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
                                            const POINT*) override;
    HRESULT STDMETHODCALLTYPE UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override;
    HRESULT STDMETHODCALLTYPE GetFrontBufferData(UINT, IDirect3DSurface9*) override;
    HRESULT STDMETHODCALLTYPE StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                                          D3DTEXTUREFILTERTYPE) override;
    HRESULT STDMETHODCALLTYPE ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
                                                          HANDLE*) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD, IDirect3DSurface9*) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD, IDirect3DSurface9**) override;
    HRESULT STDMETHODCALLTYPE SetDepthStencilSurface(IDirect3DSurface9*) override;
    HRESULT STDMETHODCALLTYPE GetDepthStencilSurface(IDirect3DSurface9**) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                                    DWORD Stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(const D3DVIEWPORT9* pViewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) override;
    HRESULT STDMETHODCALLTYPE SetMaterial(const D3DMATERIAL9* pMaterial) override;
    HRESULT STDMETHODCALLTYPE GetMaterial(D3DMATERIAL9* pMaterial) override;
    HRESULT STDMETHODCALLTYPE SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
    HRESULT STDMETHODCALLTYPE GetLight(DWORD Index, D3DLIGHT9* pLight) override;
    HRESULT STDMETHODCALLTYPE LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT STDMETHODCALLTYPE GetLightEnable(DWORD Index, BOOL* pEnable) override;
    HRESULT STDMETHODCALLTYPE SetClipPlane(DWORD, const float*) override;
    HRESULT STDMETHODCALLTYPE GetClipPlane(DWORD, float*) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9**) override;
    HRESULT STDMETHODCALLTYPE BeginStateBlock() override;
    HRESULT STDMETHODCALLTYPE EndStateBlock(IDirect3DStateBlock9**) override;
    HRESULT STDMETHODCALLTYPE SetClipStatus(const D3DCLIPSTATUS9*) override;
    HRESULT STDMETHODCALLTYPE GetClipStatus(D3DCLIPSTATUS9*) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                   DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                   DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE ValidateDevice(DWORD* pNumPasses) override;
    HRESULT STDMETHODCALLTYPE SetPaletteEntries(UINT, const PALETTEENTRY*) override;
    HRESULT STDMETHODCALLTYPE GetPaletteEntries(UINT, PALETTEENTRY*) override;
    HRESULT STDMETHODCALLTYPE SetCurrentTexturePalette(UINT) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTexturePalette(UINT*) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(const RECT* pRect) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* pRect) override;
    HRESULT STDMETHODCALLTYPE SetSoftwareVertexProcessing(BOOL) override;
    BOOL STDMETHODCALLTYPE GetSoftwareVertexProcessing() override;
    HRESULT STDMETHODCALLTYPE SetNPatchMode(float) override;
    float STDMETHODCALLTYPE GetNPatchMode() override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                            UINT PrimitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                                   UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                                   UINT primCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                                     const void*, UINT) override;
    HRESULT STDMETHODCALLTYPE ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*,
                                              IDirect3DVertexDeclaration9*, DWORD) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(const D3DVERTEXELEMENT9*,
                                                      IDirect3DVertexDeclaration9**) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9*) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9**) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) override;
    HRESULT STDMETHODCALLTYPE CreateVertexShader(const DWORD*, IDirect3DVertexShader9**) override;
    HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DVertexShader9* pShader) override;
    HRESULT STDMETHODCALLTYPE GetVertexShader(IDirect3DVertexShader9** ppShader) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantF(UINT, const float*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantF(UINT, float*, UINT) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantI(UINT, const int*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantI(UINT, int*, UINT) override;
    HRESULT STDMETHODCALLTYPE SetVertexShaderConstantB(UINT, const BOOL*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetVertexShaderConstantB(UINT, BOOL*, UINT) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                              UINT OffsetInBytes, UINT Stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                              UINT* pOffsetInBytes, UINT* pStride) override;
    HRESULT STDMETHODCALLTYPE SetStreamSourceFreq(UINT, UINT) override;
    HRESULT STDMETHODCALLTYPE GetStreamSourceFreq(UINT, UINT*) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;
    HRESULT STDMETHODCALLTYPE CreatePixelShader(const DWORD*, IDirect3DPixelShader9**) override;
    HRESULT STDMETHODCALLTYPE SetPixelShader(IDirect3DPixelShader9* pShader) override;
    HRESULT STDMETHODCALLTYPE GetPixelShader(IDirect3DPixelShader9** ppShader) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantF(UINT, const float*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantF(UINT, float*, UINT) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantI(UINT, const int*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantI(UINT, int*, UINT) override;
    HRESULT STDMETHODCALLTYPE SetPixelShaderConstantB(UINT, const BOOL*, UINT) override;
    HRESULT STDMETHODCALLTYPE GetPixelShaderConstantB(UINT, BOOL*, UINT) override;
    HRESULT STDMETHODCALLTYPE DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override;
    HRESULT STDMETHODCALLTYPE DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override;
    HRESULT STDMETHODCALLTYPE DeletePatch(UINT) override;
    HRESULT STDMETHODCALLTYPE CreateQuery(D3DQUERYTYPE, IDirect3DQuery9**) override;

private:
    Device() = default;
    bool CreateContext();
    bool CreateBackBuffer();
    void DestroyBackBuffer();
    void ApplyPresentParameters(bool initial);
    void SetDefaultState();
    // Binds a resource into a slot: the device's reference moves from the
    // old resource to the new one.
    template <typename T>
    static void Rebind(T** slot, T* resource = nullptr)
    {
        if (resource)
            resource->Bind();
        T* old = *slot;
        *slot = resource;
        if (old)
            old->Unbind();
    }
    void ReleaseBindings();
    bool Lost() const { return lost || notReset || forced != 0; }
    void UpdateLoss();

    // device_draw.cpp
    bool PrepareDraw();
    void ApplyRenderStates();
    void ApplyVertexFormat();
    void ApplyUniforms(FFProgram& program);
    void ApplySamplers();
    void ComputeShaderKey(FFShaderKey* key);
    void UpdateDerived();

    IDirect3D9* d3d = nullptr;
    HWND window = nullptr;
    SDL_Window* sdlWindow = nullptr;
    void* context = nullptr;
    D3DDEVICE_CREATION_PARAMETERS creation = {};
    D3DPRESENT_PARAMETERS params = {};
    bool fullScreenApplied = false;

    GLStateCache gl;
    GLBackend::FrameBuffers frame;
    GLuint vao = 0;
    GLuint samplers[kMaxStages] = {};
    FFShaderCache shaders;

    // Loss: lost (cannot reset yet), notReset (Reset needed), forced by a test.
    bool lost = false;
    bool notReset = false;
    int forced = 0;
    bool inScene = false;
    int defaultPoolResources = 0;

    // Direct3D state.
    DWORD renderStates[256] = {};
    DWORD stageStates[kMaxStages][33] = {};
    DWORD samplerStates[kMaxStages][14] = {};
    D3DMATRIX world, view, projection;
    D3DMATERIAL9 material = {};
    D3DLIGHT9 lights[kMaxLights] = {};
    bool lightSet[kMaxLights] = {};
    bool lightEnabled[kMaxLights] = {};
    D3DVIEWPORT9 viewport = {};
    RECT scissorRect = {};
    DWORD fvf = 0;
    VertexBuffer* stream = nullptr;
    UINT streamOffset = 0, streamStride = 0;
    IndexBuffer* indices = nullptr;
    TextureObject* textures[kMaxStages] = {};

    // What changed since the last draw.
    bool renderStatesDirty = true;
    bool shaderKeyDirty = true;
    bool vertexFormatDirty = true;
    bool samplersDirty = true;
    uint32_t transformVersion = 1, lightVersion = 1, materialVersion = 1, miscVersion = 1;
    FFProgram* program = nullptr;

    // What the GL side holds now, and the values derived from the state.
    DWORD appliedSamplers[kMaxStages][14] = {};
    bool samplersApplied = false;
    DWORD appliedFvf = ~0u;
    GLuint appliedIndexBuffer = ~0u;
    DWORD activeLights[kMaxActiveLights] = {};
    DWORD activeLightCount = 0;
    uint32_t derivedTransformVersion = 0, derivedLightVersion = 0, derivedMaterialVersion = 0;
    float projectionMatrix[16], worldView[16], normalMatrix[9];
    float lightDiffuse[8][4], lightSpecular[8][4], lightAmbient[8][4];
    float lightPosition[8][3], lightDirection[8][3], lightAttenuation[8][3], lightSpot[8][3], lightRange[8];
    float globalAmbient[4];
};
