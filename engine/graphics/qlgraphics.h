// QLGraphics: the graphics manager behind IGraphics.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/qlgraphres.h"
#include "graphics/imodel.h"
#include "graphics/viewcull.h"

#include "foundation/enginearray.h"
#include "foundation/enginelist.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"

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
    bool capsPerObject = true;    // decided per part of a model, not for the whole model
    bool volumesToFloor = true;   // ended under the scene's lowest point, not far beyond
};

// What the last frame drew. Objects are the parts of the models
// (ShadowPart); a model without parts counts as one.
struct FrameStatistics {
    uint32_t objectsInScene = 0;
    uint32_t objectsDrawn = 0;  // by the ambient pass (the standard layout's model pass)
    uint32_t volumesDrawn = 0;  // over every light
    uint32_t volumesCapped = 0;  // of those, closed with caps and counted behind the scene
};

struct LightSlot {
    int32_t index;  // the caller's light number, -1 while never used
    bool enabled;
    D3DLIGHT9 light;
};

class QLGraphics final : public RefCounted<QLGraphics, IGraphics> {
public:
    explicit QLGraphics(IManagerOwner* owner);
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
    HRESULT CreateWideIB(uint32_t count, bool dynamic, bool drawn, IB** out) override;
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
    // Culling against the view, the point lights' ranges and their scissor
    // rectangles; on by default. Off, every pass draws every object and
    // every volume, whole screen: the frame must come out the same.
    void SetCulling(bool enable) { culling = enable; }
    const FrameStatistics& LastFrameStatistics() const { return lastStatistics; }

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
    HRESULT DrawStandardLayout(float elapsedSeconds);
    HRESULT DrawStencilShadowLayout(float elapsedSeconds);
    HRESULT UpdateAndDrawModels(float elapsedSeconds);
    HRESULT DrawOverlays();
    void DisableDeviceLights();
    HRESULT GrowShadowBuffer(uint64_t vertexCount);
    HRESULT MakeIB(uint32_t count, bool dynamic, bool wide, bool drawn, IB** out);
    void ReleaseLeftovers();
    HRESULT BuildAndDrawVolume(TraceContext& trace, const LightSlot& slot, IModel* model);
    // What one stencil draw of a volume covers: triangles unindexed from
    // firstVertex, and indexedTriangles from the shadow index buffer over
    // vertexCount vertices from baseVertex.
    struct VolumeDraw {
        UINT firstVertex = 0, triangles = 0;
        UINT baseVertex = 0, vertexCount = 0, indexedTriangles = 0;
    };
    HRESULT DrawVolumeIntoStencil(const VolumeDraw& draw, bool capped);
    HRESULT DrawVolumeTriangles(const VolumeDraw& draw);
    HRESULT DrawSilhouetteLines(const VolumeDraw& sides);
    // Makes the shadow index buffer anew, 16- or 32-bit, with room for at
    // least count indices; false when the device cannot.
    bool MakeShadowIndices(uint64_t count, bool wide);
    void ReleaseShadowIndices();
    void LeaveShadowVolumeStates();

    // A model's parts as the culling sees them: boxed false when the model
    // gives no shadow data or no box (it is then drawn whole, never culled).
    struct PartsView {
        ShadowInfos infos;  // null buffers when the model gives none
        const ShadowPart* parts;
        uint32_t count;
        bool boxed;
        ShadowPart whole;
        D3DXMATRIX world;
    };
    void ViewParts(IModel* model, PartsView* view);
    // Where one light's lit pass can add light this frame, when culling may
    // rely on its range (a point light, no debug drawing of volumes).
    struct LightReach {
        bool limited = false;
        bool lightsAnything = true;
        D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
        float range = 0.0f;
        float castReach = 0.0f;  // a caster farther than this throws no visible shadow
        RECT scissor = {0, 0, 0, 0};
    };
    LightReach ReachOf(const LightSlot& slot);
    // The lowest world height of every model's box, for volumes that need
    // not reach below it; false when a model gives no box.
    bool SceneLowest(float* lowest);
    template <typename Visit>
    bool ForEachPlacedPart(Visit visit);
    // Render with the parts outside the view (and, for a lit pass, beyond
    // the light's range) left out.
    HRESULT RenderCulled(IGeometry* geometry, const LightReach* reach);
    // Room for count parts in the scratch arrays below; false when it
    // cannot be had (the model is then drawn and cast whole).
    bool GrowPartScratch(uint32_t count);

    IManagerOwner* owner;
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
    EngineArray<D3DXVECTOR3> shadowScratch;  // where volumes are built, shadowVB's size
    bool creatingShadowVB = false;
    // Capped volumes index their vertices' copies through this buffer; a
    // default-pool buffer, released before every reset and made again when
    // next needed.
    IDirect3DIndexBuffer9* shadowIndices = nullptr;
    uint32_t shadowIndexCapacity = 0;
    bool shadowIndicesWide = false;
    ShadowVolumeOptions shadowOptions;
    D3DXVECTOR3 eye{0.0f, 0.0f, -1.0f};
    D3DXVECTOR3 at{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 up{0.0f, 1.0f, 0.0f};
    bool culling = true;
    ViewFrustum frustum = {};  // of the frame being drawn
    LightReach reach;          // of the light pass being drawn
    bool lowestKnown = false;  // SceneLowest of the frame being drawn
    float lowest = 0.0f;
    FrameStatistics statistics, lastStatistics;
    bool* partFlags = nullptr;      // visible parts of the model being drawn
    uint8_t* partPlans = nullptr;   // per part of a volume: 0 not cast, 1 depth-pass, 2 capped
    float* partStarts = nullptr;    // where each capped part's volume starts
    float* partReaches = nullptr;   // how far each part's volume reaches
    CappedVertexSpan* partSpans = nullptr;  // the vertices each capped part copies
    uint32_t partCapacity = 0;
};

// The resources' binding caches: the Direct3D objects bound last through Active.
namespace BindingCache {
extern IDirect3DVertexBuffer9* vertexBuffer;
extern IDirect3DIndexBuffer9* indexBuffer;
extern IDirect3DBaseTexture9* texture;
void Clear();
}  // namespace BindingCache
