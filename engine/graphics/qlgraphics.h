// QLGraphics: the graphics manager behind IGraphics.
#pragma once

#include "igraphics.h"
#include "qlgraphres.h"

#include "enginelist.h"
#include "owned.h"
#include "qlobject.h"

#include <d3d9.h>
#include <d3dx9.h>

struct IGeometry;
struct IModel;
class TraceContext;

// How the shadow pass may draw volumes; both on by default. Tests and
// benchmarks turn them off to compare with the plain way.
struct ShadowVolumeOptions {
    bool capsWhereNeeded = true;  // z-fail with caps for volumes that may reach the eye
    bool twoSidedStencil = true;  // one draw per volume where the device can
};

struct LightSlot {
    int32_t index;  // the caller's light number, -1 while never used
    bool enabled;
    D3DLIGHT9 light;
};

class QLGraphics final : public RefCounted<QLGraphics, IGraphics> {
public:
    QLGraphics();
    ~QLGraphics();

    QL_TYPE_NAME("QLGraphics")
    HRESULT Clone(IGraphics** out) override;
    HRESULT Reserved(uint32_t first, uint32_t second) override;
    HRESULT SetCamera(const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) override;
    HRESULT GetCamera(D3DXVECTOR3* eye, D3DXVECTOR3* at, D3DXVECTOR3* up) override;
    bool IsWindowed() override;
    HRESULT SetScreenMode(const ScreenMode* mode) override;
    HRESULT GetScreenMode(ScreenMode* mode) override;
    HRESULT SetLightning(bool enable, D3DCOLOR ambient) override;
    int32_t GetMaxActiveLights() override;
    HRESULT SetLight(int32_t number, bool enable, const D3DLIGHT9* light) override;
    HRESULT SetStencilShadow(bool enable) override;
    HRESULT UpdateAndRender(float elapsedSeconds) override;
    HRESULT AddGeometry(IGeometry* geometry) override;
    HRESULT RemoveGeometry(IGeometry* geometry) override;
    HRESULT CreateVB(DWORD fvf, uint32_t count, bool dynamic, VB** out) override;
    HRESULT CreateIB(uint32_t count, bool dynamic, IB** out) override;
    HRESULT CreateTexture(const EngineString& name, Texture** out) override;
    HRESULT CreateTextureFromMemory(const EngineString& name, const void* bytes, uint32_t size,
                                    Texture** out) override;
    HRESULT ClearTexture(DWORD stage) override;
    IDirect3DDevice9* GetDevice() override;
    HRESULT Init(ICore* core, HWND window) override;
    HRESULT UpdateScreenMode() override;
    HRESULT AddGeometryInternal(IGeometry* geometry) override;

    HRESULT SetRenderMode();
    HRESULT GenConnectivityInfos(IB* buffer);
    HRESULT GenAndRenderShadVol(const LightSlot& slot, IGeometry* geometry);
    void SetShadowVolumeOptions(const ShadowVolumeOptions& options);
    bool UsesTwoSidedStencil() const;

    // The resources' side.
    uint32_t ShadowBufferCapacity() const { return shadowVB ? shadowVB->GetCount() : 0; }
    void Forget(VB* buffer) { vertexBuffers.Remove(buffer); }
    void Forget(IB* buffer) { indexBuffers.Remove(buffer); }
    void Forget(Texture* texture) { textures.Remove(texture); }

private:
    HRESULT CreateDevice();
    HRESULT LogCapabilities();
    HRESULT RecreateResources();
    void UseClientSize();
    HRESULT DrawFrame(float elapsedSeconds);
    HRESULT DrawStandardLayout(float elapsedSeconds);
    HRESULT DrawStencilShadowLayout(float elapsedSeconds);
    HRESULT UpdateAndDrawModels(float elapsedSeconds);
    HRESULT DrawOverlays();
    void DisableDeviceLights();
    HRESULT GrowShadowBuffer(uint64_t vertexCount);
    void ReleaseLeftovers();
    HRESULT BuildAndDrawVolume(TraceContext& trace, const LightSlot& slot, IModel* model);
    HRESULT DrawVolumeIntoStencil(UINT triangles, bool capped);
    HRESULT DrawSilhouetteLines(UINT sideTriangles);
    void LeaveShadowVolumeStates();

    ICore* core = nullptr;
    EngineList<IGeometry*> geometries;
    EngineList<VB*> vertexBuffers;
    EngineList<IB*> indexBuffers;
    EngineList<Texture*> textures;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS presentParams = {};
    D3DCAPS9 caps = {};
    bool inFrame = false;
    bool screenModeChanged = false;
    bool lighting = false;
    bool stencilShadow = false;
    D3DCOLOR ambient = 0;
    LightSlot lights[MAXACTIVELIGHTS] = {};
    Owned<VB> shadowVB;
    bool creatingShadowVB = false;
    ShadowVolumeOptions shadowOptions;
    D3DXVECTOR3 eye{0.0f, 0.0f, -1.0f};
    D3DXVECTOR3 at{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
};

// The resources' binding caches: the Direct3D objects bound last through Active.
namespace BindingCache {
extern IDirect3DVertexBuffer9* vertexBuffer;
extern IDirect3DIndexBuffer9* indexBuffer;
extern IDirect3DBaseTexture9* texture;
void Clear();
}  // namespace BindingCache
