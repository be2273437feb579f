// Direct3DCreate9 and IDirect3D9: one adapter (the desktop's display), the
// HAL device type only; the reference rasteriser is absent as on a machine
// without the SDK.
#include "device.h"

#include <SDL.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <new>

void D3D9Debug(const char* format, ...)
{
    static const bool enabled = getenv("QL_D3D9_DEBUG") != nullptr;
    if (!enabled)
        return;
    va_list args;
    va_start(args, format);
    fputs("d3d9: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}

namespace {

class Direct3D9 final : public ComObject<IDirect3D9> {
public:
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return D3DERR_INVALIDCALL; }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) override
    {
        if (Adapter != 0 || !id)
            return D3DERR_INVALIDCALL;
        memset(id, 0, sizeof *id);
        snprintf(id->Driver, sizeof id->Driver, "qlplatform");
        snprintf(id->Description, sizeof id->Description, "OpenGL");
        snprintf(id->DeviceName, sizeof id->DeviceName, "\\\\.\\DISPLAY1");
        return D3D_OK;
    }
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override
    {
        return Adapter == 0 && Format == D3DFMT_X8R8G8B8 ? 1 : 0;
    }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override
    {
        if (Mode != 0 || Format != D3DFMT_X8R8G8B8)
            return D3DERR_INVALIDCALL;
        return GetAdapterDisplayMode(Adapter, pMode);
    }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override
    {
        if (HRESULT code = QLPlatform_InjectedCode("IDirect3D9::GetAdapterDisplayMode"))
            return code;
        if (Adapter != 0 || !pMode)
            return D3DERR_INVALIDCALL;
        SDL_DisplayMode mode = {};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0 || mode.w <= 0) {
            // No display (a headless run without a video driver): a typical desktop.
            mode.w = 1024;
            mode.h = 768;
            mode.refresh_rate = 60;
        }
        *pMode = D3DDISPLAYMODE{(UINT)mode.w, (UINT)mode.h, (UINT)mode.refresh_rate, D3DFMT_X8R8G8B8};
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT, D3DFORMAT BackBufferFormat,
                                              BOOL) override
    {
        if (Adapter != 0 || DevType != D3DDEVTYPE_HAL)
            return D3DERR_NOTAVAILABLE;
        return SupportedBackBuffer(BackBufferFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT, DWORD Usage,
                                                D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override
    {
        if (Adapter != 0 || DeviceType != D3DDEVTYPE_HAL)
            return D3DERR_NOTAVAILABLE;
        if (Usage & D3DUSAGE_DEPTHSTENCIL)
            return CheckFormat == D3DFMT_D24S8 ? D3D_OK : D3DERR_NOTAVAILABLE;
        if (RType == D3DRTYPE_TEXTURE)
            return CheckFormat == D3DFMT_A8R8G8B8 || CheckFormat == D3DFMT_X8R8G8B8 ? D3D_OK : D3DERR_NOTAVAILABLE;
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE type,
                                                         DWORD* quality) override
    {
        if (quality)
            *quality = 1;
        return type == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT,
                                                     D3DFORMAT DepthStencilFormat) override
    {
        return DepthStencilFormat == D3DFMT_D24S8 ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override
    {
        return D3DERR_NOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                           DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* params,
                                           IDirect3DDevice9** ppDevice) override;

private:
    static bool SupportedBackBuffer(D3DFORMAT format)
    {
        return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_UNKNOWN;
    }
};

const char* DeviceTypeName(D3DDEVTYPE type)
{
    switch (type) {
    case D3DDEVTYPE_HAL: return "HAL";
    case D3DDEVTYPE_REF: return "REF";
    case D3DDEVTYPE_SW: return "SW";
    case D3DDEVTYPE_NULLREF: return "NULLREF";
    default: return "UNKNOWN";
    }
}

// True when a test told this creation to fail: the plain call name, the
// name with the device type, or with the type and the behaviour.
bool CreationFault(D3DDEVTYPE type, DWORD flags, HRESULT* code)
{
    if (QLPlatform_InjectedFailure("IDirect3D9::CreateDevice", code))
        return true;
    char name[128];
    snprintf(name, sizeof name, "IDirect3D9::CreateDevice(%s)", DeviceTypeName(type));
    if (QLPlatform_InjectedFailure(name, code))
        return true;
    const char* processing = (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING)   ? "HARDWARE_VERTEXPROCESSING"
                             : (flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? "SOFTWARE_VERTEXPROCESSING"
                             : (flags & D3DCREATE_MIXED_VERTEXPROCESSING)    ? "MIXED_VERTEXPROCESSING"
                                                                             : "NONE";
    snprintf(name, sizeof name, "IDirect3D9::CreateDevice(%s,%s%s)", DeviceTypeName(type), processing,
             (flags & D3DCREATE_PUREDEVICE) ? "|PUREDEVICE" : "");
    return QLPlatform_InjectedFailure(name, code);
}

HRESULT Direct3D9::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** ppDevice)
{
    HRESULT code;
    if (!ppDevice)
        return D3DERR_INVALIDCALL;
    *ppDevice = nullptr;
    if (CreationFault(DeviceType, BehaviorFlags, &code))
        return code;
    if (!params || Adapter != 0)
        return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    // Exactly one vertex-processing mode.
    DWORD processing = BehaviorFlags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                        D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing == 0 || (processing & (processing - 1)) != 0)
        return D3DERR_INVALIDCALL;
    if (!SupportedBackBuffer(params->BackBufferFormat) || params->BackBufferCount > 3 ||
        (params->MultiSampleType != D3DMULTISAMPLE_NONE) ||
        (params->EnableAutoDepthStencil && params->AutoDepthStencilFormat != D3DFMT_D24S8 &&
         params->AutoDepthStencilFormat != D3DFMT_D24X8 && params->AutoDepthStencilFormat != D3DFMT_D16) ||
        (!params->Windowed && (params->BackBufferWidth == 0 || params->BackBufferHeight == 0)))
        return D3DERR_INVALIDCALL;
    Device* device = nullptr;
    HRESULT hr = Device::Create(this, DeviceType, hFocusWindow, BehaviorFlags, params, &device);
    if (FAILED(hr))
        return hr;
    *ppDevice = device;
    return D3D_OK;
}

HRESULT Direct3D9::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps)
{
    if (!pCaps || Adapter != 0)
        return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    D3DCAPS9 c = {};
    c.DeviceType = D3DDEVTYPE_HAL;
    c.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    c.DevCaps = D3DDEVCAPS_EXECUTEVIDEOMEMORY | D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX |
                D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_PUREDEVICE;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                          D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_SEPARATEALPHABLEND;
    c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_SCISSORTEST;
    c.ZCmpCaps = c.AlphaCmpCaps = 0xFF;
    c.SrcBlendCaps = c.DestBlendCaps = 0x3FFF;
    c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MINFANISOTROPIC |
                          D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                          D3DPTFILTERCAPS_MAGFLINEAR;
    c.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                           D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV | D3DPTADDRESSCAPS_MIRRORONCE;
    c.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP;
    c.MaxTextureWidth = c.MaxTextureHeight = 8192;
    c.MaxTextureRepeat = 8192;
    c.MaxTextureAspectRatio = 8192;
    c.MaxAnisotropy = 16;
    c.MaxVertexW = 1e10f;
    c.GuardBandLeft = c.GuardBandTop = -32768.0f;
    c.GuardBandRight = c.GuardBandBottom = 32767.0f;
    c.StencilCaps = 0x1FF;
    c.FVFCaps = 8 | D3DFVFCAPS_DONOTSTRIPELEMENTS;
    c.TextureOpCaps = 0xBFFF;
    c.MaxTextureBlendStages = kMaxStages;
    c.MaxSimultaneousTextures = kMaxStages;
    c.VertexProcessingCaps = D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                             D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    c.MaxActiveLights = kMaxActiveLights;
    c.MaxPointSize = 64.0f;
    c.MaxPrimitiveCount = 0x555555;
    c.MaxVertexIndex = QLPlatform_MaxVertexIndex();
    c.MaxStreams = kMaxStreams;
    c.MaxStreamStride = 508;
    c.MasterAdapterOrdinal = 0;
    c.NumberOfAdaptersInGroup = 1;
    c.NumSimultaneousRTs = 1;
    *pCaps = c;
    return D3D_OK;
}

}  // namespace

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion)
{
    HRESULT code;
    if (QLPlatform_InjectedFailure("Direct3DCreate9", &code))
        return nullptr;
    if (SDKVersion != D3D_SDK_VERSION && SDKVersion != 31)
        return nullptr;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    return new (std::nothrow) Direct3D9;
}
