// IGraphics: the graphics manager. It owns the Direct3D 9 device, the screen
// mode, the camera and lights, the registered geometries and every vertex
// buffer, index buffer and texture.
#pragma once

#include "enginestring.h"
#include "qlobject.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <stdint.h>

struct ICore;
struct IGeometry;
class VB;
class IB;
class Texture;

// Lights that can be enabled at once.
constexpr int32_t MAXACTIVELIGHTS = 4;

struct ScreenMode {
    int32_t windowed;  // non-zero: windowed
    int32_t width;     // back buffer, full screen only
    int32_t height;
    BYTE colorBits;
    BYTE depthBits;  // non-zero: a 24-bit depth, 8-bit stencil buffer
    BYTE stencilBits;
};

// Debug switches read by the frame; false at start.
extern bool DrawShadowVolume;
extern bool AmbientOnly;
extern bool DrawPossibleSilhouette;

struct IGraphics : IEngineObject {
    virtual HRESULT Clone(IGraphics** out) = 0;  // always E_FAIL
    virtual HRESULT Reserved(uint32_t first, uint32_t second) = 0;  // always E_FAIL
    virtual HRESULT SetCamera(const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) = 0;
    virtual HRESULT GetCamera(D3DXVECTOR3* eye, D3DXVECTOR3* at, D3DXVECTOR3* up) = 0;
    virtual bool IsWindowed() = 0;
    virtual HRESULT SetScreenMode(const ScreenMode* mode) = 0;
    virtual HRESULT GetScreenMode(ScreenMode* mode) = 0;
    virtual HRESULT SetLightning(bool enable, D3DCOLOR ambient) = 0;
    virtual int32_t GetMaxActiveLights() = 0;
    virtual HRESULT SetLight(int32_t number, bool enable, const D3DLIGHT9* light) = 0;
    virtual HRESULT SetStencilShadow(bool enable) = 0;
    // Draws one frame; S_FALSE when nothing was drawn (no device, lost device).
    virtual HRESULT UpdateAndRender(float elapsedSeconds) = 0;
    // Geometries are drawn in the order they were added; not reference counted.
    virtual HRESULT AddGeometry(IGeometry* geometry) = 0;
    virtual HRESULT RemoveGeometry(IGeometry* geometry) = 0;
    // fvf 0 makes a byte buffer of `count` bytes. The caller owns *out.
    virtual HRESULT CreateVB(DWORD fvf, uint32_t count, bool dynamic, VB** out) = 0;
    virtual HRESULT CreateIB(uint32_t count, bool dynamic, IB** out) = 0;
    // Looked up under "./data/" too when the name alone is not found.
    virtual HRESULT CreateTexture(const EngineString& name, Texture** out) = 0;
    virtual HRESULT ClearTexture(DWORD stage) = 0;
    // Null before the first SetScreenMode; no reference is added.
    virtual IDirect3DDevice9* GetDevice() = 0;
    virtual HRESULT Init(ICore* core, HWND window) = 0;
    // Re-applies the present parameters (reset and re-creation of resources);
    // S_FALSE when asked during a frame: it then runs at the next frame.
    virtual HRESULT UpdateScreenMode() = 0;
    virtual HRESULT AddGeometryInternal(IGeometry* geometry) = 0;
};

// A new graphics manager with a count of 0, or null; for the core's CreateGraphics.
IGraphics* NewGraphicsManager();
