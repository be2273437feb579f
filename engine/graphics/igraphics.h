// IGraphics: the graphics manager. It owns the Direct3D 9 device, the screen
// mode, the camera and lights, the registered geometries and every vertex
// buffer, index buffer and texture.
#pragma once

#include "foundation/enginestring.h"
#include "foundation/managerowner.h"
#include "foundation/qlobject.h"

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

// Records name the source file "qlgraphics" and the operation in quotes.
struct IGraphics : IEngineObject {
    virtual HRESULT Clone(IGraphics** out) = 0;  // always E_FAIL, nothing logged: one manager per core
    virtual HRESULT Reserved(uint32_t first, uint32_t second) = 0;  // always E_FAIL, nothing logged
    // Keeps the camera and, with a device, sets the view matrix (that call's
    // result is returned). "Invalid Call/Param" ("SetCamera()") for a null
    // vector, a zero up vector or an eye on the target; the camera is then left as it was.
    virtual HRESULT SetCamera(const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) = 0;
    // Copies the camera into each non-null argument; S_OK, nothing logged.
    virtual HRESULT GetCamera(D3DXVECTOR3* eye, D3DXVECTOR3* at, D3DXVECTOR3* up) = 0;
    virtual bool IsWindowed() = 0;
    // Windowed: the back buffer takes the window's client size (the mode's
    // width and height are not used); full screen: width x height. depthBits
    // non-zero asks for a 24-bit depth, 8-bit stencil buffer. The first call
    // creates the device (hardware, then software vertex processing, then
    // the reference rasteriser with the Warning "Device Created in Mode REF
    // (=> very SLOW) !!!"), sets the default states and shows one black
    // frame; a later call runs UpdateScreenMode. Then logs two Info records,
    // "MaxStreams==<n> MaxPrimitiveCount==<n>" and "MaxSimultaneousTextures==<n>
    // MaxTextureBlendStages==<n>". Failures ("SetScreenMode()"): "Invalid
    // Call/Param", "Assertion Failed" before Init, "IDirect3DDevice9::<Call>()
    // failed !" for CreateDevice, Clear, BeginScene, Present, GetDeviceCaps.
    virtual HRESULT SetScreenMode(const ScreenMode* mode) = 0;
    // Fills windowed, width and height from the present parameters (the other
    // fields are left alone); E_INVALIDARG for null, nothing logged.
    virtual HRESULT GetScreenMode(ScreenMode* mode) = 0;
    // Lighting on or off and the global ambient colour. With stencil shadows
    // on, enabling only stores the colour (the frame sets it per pass);
    // disabling lighting also turns stencil shadows off. S_OK;
    // "IDirect3DDevice9::SetRenderState() failed !" ("SetLightning()").
    virtual HRESULT SetLightning(bool enable, D3DCOLOR ambient) = 0;
    virtual int32_t GetMaxActiveLights() = 0;  // MAXACTIVELIGHTS
    // Keeps light `number` in the slot that holds it or a free one; without
    // stencil shadows the device light is set and enabled at once. S_OK.
    // Logs ("SetLight()"): "Invalid Call/Param" for a null light, "Assertion
    // Failed" with lighting off, the Error record "Can't active more than
    // MAXACTIVELIGHTS lights" (E_FAIL) when every slot is taken,
    // "IDirect3DDevice9::LightEnable() failed !" / "SetLight() failed !".
    virtual HRESULT SetLight(int32_t number, bool enable, const D3DLIGHT9* light) = 0;
    // Switches the frame between the standard layout and the stencil-shadow
    // passes. S_FALSE when already so. Enabling sizes the shared shadow
    // buffer for the largest vertex buffer ("-" on failure) and turns
    // lighting on, with a black ambient, if it was off; disabling frees that buffer.
    virtual HRESULT SetStencilShadow(bool enable) = 0;
    // Draws one frame: Update and Render of every geometry in registration
    // order, in the passes of the current layout, overlays last, then
    // Present. S_FALSE when nothing was drawn: no device, called during a
    // frame, or a lost device (Warning "Device Lost"); a device to reset is
    // reset first (Warning "Device To Reset"). A failed geometry or device
    // call ends the frame with "Rendering failed" and its code; a negative
    // elapsed time is "Invalid Call/Param" ("UpdateAndRender()").
    virtual HRESULT UpdateAndRender(float elapsedSeconds) = 0;
    // Geometries are drawn in the order they were added; not reference
    // counted. "Invalid Call/Param" ("AddGeometry()") for null; E_FAIL when
    // the registry cannot grow.
    virtual HRESULT AddGeometry(IGeometry* geometry) = 0;
    // "Invalid Call/Param" for null, "GeometryToRemove not found" for a
    // geometry not registered ("RemoveGeometry()").
    virtual HRESULT RemoveGeometry(IGeometry* geometry) = 0;
    // fvf 0 makes a byte buffer of `count` bytes. The caller owns *out. Also
    // grows the shared shadow buffer to six vertices per vertex of the
    // largest buffer. Logs ("CreateVB()"): "Invalid Call/Param", "Assertion
    // Failed" without a device, "Not Enough Memory",
    // "IDirect3DDevice9::CreateVertexBuffer() failed".
    virtual HRESULT CreateVB(DWORD fvf, uint32_t count, bool dynamic, VB** out) = 0;
    // `count` 16-bit indices, kept in memory too for the shadow volumes
    // ("CreateIB()": as CreateVB, "IDirect3DDevice9::CreateIndexBuffer() failed").
    virtual HRESULT CreateIB(uint32_t count, bool dynamic, IB** out) = 0;
    // Looked up under "./data/" too when the name alone is not found.
    // "Texture '<name>' : loading failed" ("CreateTexture()") when neither loads.
    virtual HRESULT CreateTexture(const EngineString& name, Texture** out) = 0;
    // Unbinds stage's texture and forgets the bound texture; the device's
    // result (S_OK without a device), nothing logged.
    virtual HRESULT ClearTexture(DWORD stage) = 0;
    // Null before the first SetScreenMode; no reference is added.
    virtual IDirect3DDevice9* GetDevice() = 0;
    // Called by the core's CreateGraphics: makes the Direct3D object and the
    // default present parameters (windowed 640 x 480). Logs ("Init()"):
    // "Invalid Call/Param", "Direct3DCreate9() failed !",
    // "IDirect3DDevice9::GetAdapterDisplayMode() failed !".
    virtual HRESULT Init(ICore* core, HWND window) = 0;
    // Re-applies the present parameters (reset and re-creation of resources);
    // S_FALSE when asked during a frame: it then runs at the next frame.
    // Windowed, the back buffer takes the client size. Logs
    // ("UpdateScreenMode()"): "IDirect3DDevice9::Reset() failed !", and the
    // re-creation's "...CreateVertexBuffer() failed", "...CreateIndexBuffer()
    // failed", "IDirect3DIndexBuffer9::Lock() failed", "Texture '<name>' :
    // loading failed", "IDirect3DDevice9::GetDeviceCaps() failed !".
    virtual HRESULT UpdateScreenMode() = 0;
    // The registration behind AddGeometry, used by the core's CreateObject.
    virtual HRESULT AddGeometryInternal(IGeometry* geometry) = 0;
    // As CreateIB, with 32-bit indices (D3DFMT_INDEX32), for models above
    // 65 535 vertices on devices whose MaxVertexIndex reaches them. Not
    // `drawn`, the buffer has no device side: only the kept copy the shadow
    // volumes read, for a model drawn from parts of 16-bit buffers.
    virtual HRESULT CreateWideIB(uint32_t count, bool dynamic, bool drawn, IB** out) = 0;
    // A texture from an image file's bytes (an image embedded in a model
    // file); `name` says where it came from in its records. The bytes are
    // copied, so the texture is made again after a device reset. The caller
    // owns *out. "Texture '<name>' : loading failed" ("CreateTexture()").
    virtual HRESULT CreateTextureFromMemory(const EngineString& name, const void* bytes, uint32_t size,
                                            Texture** out) = 0;
};

// A new graphics manager with a count of 0, or null; for the core's
// CreateGraphics. `owner` (not counted here: the owner counts its own
// reference for the manager) is told when the manager goes and asked for its
// window back when a screen-mode update goes windowed. Its destructor reports what the application left alive
// (Warnings "<n> geometrie(s) still alive ...", "<n> VB(s) not released !",
// ...), releases it, and otherwise logs "Graphics Engine correctly shutdown".
IGraphics* NewGraphicsManager(IManagerOwner* owner);
