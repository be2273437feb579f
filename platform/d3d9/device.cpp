// The device's life cycle: the GL context and back buffer, Present, Reset,
// Clear, scenes, device loss and the capabilities it reports.
#include "device.h"

#include "win32/window_internal.h"

#include <SDL.h>
#include <qlplatform_test.h>

#include <string.h>

#include <new>

namespace {

Device* latestDevice = nullptr;

void Identity(D3DMATRIX* m)
{
    memset(m, 0, sizeof *m);
    m->_11 = m->_22 = m->_33 = m->_44 = 1.0f;
}

}  // namespace

Device* Device::Latest()
{
    return latestDevice;
}

HRESULT Device::Create(IDirect3D9* d3d, D3DDEVTYPE type, HWND focusWindow, DWORD flags,
                       D3DPRESENT_PARAMETERS* params, Device** out)
{
    *out = nullptr;
    HWND window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
    SDL_Window* sdlWindow = QLWin32_SDLWindow(window);
    if (!sdlWindow)
        return D3DERR_INVALIDCALL;
    Device* device = new (std::nothrow) Device;
    if (!device)
        return E_OUTOFMEMORY;
    device->d3d = d3d;
    device->window = window;
    device->sdlWindow = sdlWindow;
    // The context lives on the SDL window: keep it past a DestroyWindow.
    QLWin32_KeepSDLWindow(sdlWindow);
    device->creation = D3DDEVICE_CREATION_PARAMETERS{D3DADAPTER_DEFAULT, type, focusWindow, flags};
    device->params = *params;
    if (!device->CreateContext()) {
        device->d3d = nullptr;
        device->Release();
        return D3DERR_NOTAVAILABLE;
    }
    device->ApplyPresentParameters(true);
    if (!device->CreateBackBuffer()) {
        device->d3d = nullptr;
        device->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    device->SetDefaultState();
    *params = device->params;
    d3d->AddRef();
    latestDevice = device;
    *out = device;
    return D3D_OK;
}

bool Device::CreateContext()
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 5);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    context = SDL_GL_CreateContext(sdlWindow);
    SDL_GL_ResetAttributes();
    if (!context) {
        D3D9Debug("no OpenGL 4.5 context: %s", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(sdlWindow, (SDL_GLContext)context);
    int version = GLBackend::ContextVersion();
    if (version < 45) {
        D3D9Debug("OpenGL %d.%d is too old", version / 10, version % 10);
        return false;
    }
    GLBackend::InitContext(gl, &vao, samplers, kMaxStages);
    return true;
}

void Device::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() != context)
        SDL_GL_MakeCurrent(sdlWindow, (SDL_GLContext)context);
}

bool Device::CreateBackBuffer()
{
    return GLBackend::CreateFrameBuffers(gl, params.BackBufferWidth, params.BackBufferHeight, &frame);
}

void Device::DestroyBackBuffer()
{
    GLBackend::DestroyFrameBuffers(&frame);
}

void Device::ApplyPresentParameters(bool initial)
{
    // Windowed 0 x 0 means the client area's size.
    int clientW = 0, clientH = 0;
    SDL_GetWindowSize(sdlWindow, &clientW, &clientH);
    if (params.Windowed) {
        if (params.BackBufferWidth == 0)
            params.BackBufferWidth = clientW > 0 ? clientW : 1;
        if (params.BackBufferHeight == 0)
            params.BackBufferHeight = clientH > 0 ? clientH : 1;
        if (params.BackBufferFormat == D3DFMT_UNKNOWN)
            params.BackBufferFormat = D3DFMT_X8R8G8B8;
        if (fullScreenApplied) {
            SDL_SetWindowFullscreen(sdlWindow, 0);
            fullScreenApplied = false;
            // Back at the size the window had, or was given while full screen.
            RECT client;
            if (GetClientRect(window, &client) && client.right > 0 && client.bottom > 0)
                SDL_SetWindowSize(sdlWindow, client.right, client.bottom);
        }
    } else {
        // Full screen: the window takes the back buffer's size in a mode of
        // that size; leaving it restores the desktop mode and the window's
        // own size, which SDL keeps unless it is told a new one.
        SDL_DisplayMode mode = {};
        int display = SDL_GetWindowDisplayIndex(sdlWindow);
        SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode);
        mode.w = params.BackBufferWidth;
        mode.h = params.BackBufferHeight;
        if (params.FullScreen_RefreshRateInHz)
            mode.refresh_rate = params.FullScreen_RefreshRateInHz;
        SDL_SetWindowDisplayMode(sdlWindow, &mode);
        SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN);
        fullScreenApplied = true;
    }
    if (params.BackBufferCount == 0)
        params.BackBufferCount = 1;
    SDL_GL_SetSwapInterval(params.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    (void)initial;
}

Device::~Device()
{
    if (latestDevice == this)
        latestDevice = nullptr;
    if (context) {
        MakeCurrent();
        // What is bound ends with the device, while its context still exists.
        ReleaseBindings();
        shaders.Clear();
        DestroyBackBuffer();
        GLBackend::DestroyContextObjects(vao, samplers, kMaxStages);
        SDL_GL_MakeCurrent(sdlWindow, nullptr);
        SDL_GL_DeleteContext((SDL_GLContext)context);
    }
    if (fullScreenApplied)
        SDL_SetWindowFullscreen(sdlWindow, 0);
    if (sdlWindow)
        QLWin32_ReleaseSDLWindow(sdlWindow);
    if (d3d)
        d3d->Release();
}

void Device::ResourceCreated(D3DPOOL pool)
{
    AddRef();
    if (pool == D3DPOOL_DEFAULT)
        ++defaultPoolResources;
}

void Device::ResourceReleased(D3DPOOL pool)
{
    if (pool == D3DPOOL_DEFAULT)
        --defaultPoolResources;
    Release();
}

void Device::BufferDeleted(GLuint name)
{
    // GL drops a deleted buffer from the vertex array, so a buffer made
    // later under the same name must be bound again.
    if (appliedIndexBuffer == name)
        appliedIndexBuffer = ~0u;
}

void Device::ReleaseBindings()
{
    for (DWORD i = 0; i < kMaxStages; ++i)
        Rebind(&textures[i]);
    Rebind(&stream);
    Rebind(&indices);
}

namespace {

// Direct3D 9's render-state defaults other than zero (ZENABLE follows the
// present parameters).
const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
} kRenderStateDefaults[] = {
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_LASTPIXEL, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_FOGEND, 0x3F800000},  // 1.0f
    {D3DRS_FOGDENSITY, 0x3F800000},  // 1.0f
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_STENCILMASK, 0xFFFFFFFF},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_COLORVERTEX, TRUE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_POINTSIZE, 0x3F800000},
    {D3DRS_POINTSIZE_MIN, 0x3F800000},
    {D3DRS_POINTSIZE_MAX, 0x42800000},  // 64.0f
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF},
    {D3DRS_COLORWRITEENABLE, 0xF},
    {D3DRS_COLORWRITEENABLE1, 0xF},
    {D3DRS_COLORWRITEENABLE2, 0xF},
    {D3DRS_COLORWRITEENABLE3, 0xF},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
    {D3DRS_CCW_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_BLENDFACTOR, 0xFFFFFFFF},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
};

}  // namespace

void Device::SetDefaultState()
{
    memset(renderStates, 0, sizeof renderStates);
    DWORD* rs = renderStates;
    rs[D3DRS_ZENABLE] = params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    for (const auto& entry : kRenderStateDefaults)
        rs[entry.state] = entry.value;
    for (DWORD s = 0; s < kMaxStages; ++s) {
        DWORD* ts = stageStates[s];
        memset(ts, 0, sizeof stageStates[s]);
        ts[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = s;
        ts[D3DTSS_COLORARG0] = ts[D3DTSS_ALPHAARG0] = ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        DWORD* ss = samplerStates[s];
        memset(ss, 0, sizeof samplerStates[s]);
        ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
    ReleaseBindings();
    Identity(&world);
    Identity(&view);
    Identity(&projection);
    memset(&material, 0, sizeof material);
    memset(lights, 0, sizeof lights);
    memset(lightSet, 0, sizeof lightSet);
    memset(lightEnabled, 0, sizeof lightEnabled);
    viewport = D3DVIEWPORT9{0, 0, params.BackBufferWidth, params.BackBufferHeight, 0.0f, 1.0f};
    scissorRect = RECT{0, 0, (LONG)params.BackBufferWidth, (LONG)params.BackBufferHeight};
    fvf = 0;
    streamOffset = streamStride = 0;
    renderStatesDirty = shaderKeyDirty = vertexFormatDirty = samplersDirty = true;
    ++transformVersion;
    ++lightVersion;
    ++materialVersion;
    ++miscVersion;
}

void Device::UpdateLoss()
{
    // Only a full-screen device loses itself: to another window taking the
    // focus or to minimising. It needs a Reset once the application is back.
    if (params.Windowed)
        return;
    bool minimized = (SDL_GetWindowFlags(sdlWindow) & SDL_WINDOW_MINIMIZED) != 0;
    bool foreground = QLWin32_ForegroundWindow() == window;
    if (!lost && (minimized || !foreground)) {
        lost = true;
        notReset = false;
    } else if (lost && !minimized && foreground) {
        lost = false;
        notReset = true;
    }
}

HRESULT Device::TestCooperativeLevel()
{
    UpdateLoss();
    if (forced == QLTEST_DEVICE_LOST || lost)
        return D3DERR_DEVICELOST;
    if (forced == QLTEST_DEVICE_NOTRESET || notReset)
        return D3DERR_DEVICENOTRESET;
    return D3D_OK;
}

void Device::ForceState(int state)
{
    forced = state;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pp)
{
    HRESULT code;
    if (!pp)
        return D3DERR_INVALIDCALL;
    UpdateLoss();
    if (lost || forced == QLTEST_DEVICE_LOST)
        return D3DERR_DEVICELOST;
    // Every default-pool resource must be gone first; a failed Reset leaves
    // the device waiting for another one.
    if (defaultPoolResources > 0 || QLPlatform_InjectedFailure("IDirect3DDevice9::Reset", &code)) {
        notReset = true;
        return defaultPoolResources > 0 ? D3DERR_INVALIDCALL : code;
    }
    MakeCurrent();
    params = *pp;
    ApplyPresentParameters(false);
    DestroyBackBuffer();
    if (!CreateBackBuffer()) {
        notReset = true;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    SetDefaultState();
    inScene = false;
    notReset = false;
    forced = 0;
    *pp = params;
    return D3D_OK;
}

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA* pDirtyRegion)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::Present"))
        return code;
    if (inScene)
        return D3DERR_INVALIDCALL;
    if (TestCooperativeLevel() != D3D_OK)
        return D3DERR_DEVICELOST;
    (void)pSourceRect;
    (void)pDestRect;
    (void)hDestWindowOverride;
    (void)pDirtyRegion;
    MakeCurrent();
    int windowW = 0, windowH = 0;
    SDL_GL_GetDrawableSize(sdlWindow, &windowW, &windowH);
    // Stretched over the whole client area, as Direct3D 9 stretches a
    // windowed Present. The scissor test goes off for the copy.
    GLBackend::PresentFrame(gl, frame, params.BackBufferWidth, params.BackBufferHeight, windowW, windowH);
    renderStatesDirty = true;
    SDL_GL_SwapWindow(sdlWindow);
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::BeginScene"))
        return code;
    if (inScene)
        return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene)
        return D3DERR_INVALIDCALL;
    inScene = false;
    GLBackend::Flush();
    return D3D_OK;
}

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::Clear"))
        return code;
    if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !params.EnableAutoDepthStencil)
        return D3DERR_INVALIDCALL;
    if ((Count && !pRects) || !(Flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
        return Flags ? D3DERR_INVALIDCALL : D3D_OK;
    if (Lost())
        return D3D_OK;
    MakeCurrent();
    // Clears ignore the write masks and stay inside the viewport (and the
    // scissor rectangle when its test is on).
    GLbitfield mask = 0;
    if (Flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        bool opaque = params.BackBufferFormat != D3DFMT_A8R8G8B8;
        gl.ColorMask(true, true, true, true);
        gl.ClearColor(((Color >> 16) & 0xFF) / 255.0f, ((Color >> 8) & 0xFF) / 255.0f, (Color & 0xFF) / 255.0f,
                      opaque ? 1.0f : (Color >> 24) / 255.0f);
    }
    if (Flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        gl.DepthMask(true);
        gl.ClearDepth(Z < 0.0f ? 0.0f : (Z > 1.0f ? 1.0f : Z));
    }
    if (Flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        GLStencilFace face;
        face.writeMask = 0xFF;
        gl.StencilFace(GL_FRONT, face);
        gl.StencilFace(GL_BACK, face);
        gl.ClearStencil(Stencil & 0xFF);
    }
    LONG left = viewport.X, top = viewport.Y;
    LONG right = viewport.X + viewport.Width, bottom = viewport.Y + viewport.Height;
    if (renderStates[D3DRS_SCISSORTESTENABLE]) {
        left = left > scissorRect.left ? left : scissorRect.left;
        top = top > scissorRect.top ? top : scissorRect.top;
        right = right < scissorRect.right ? right : scissorRect.right;
        bottom = bottom < scissorRect.bottom ? bottom : scissorRect.bottom;
    }
    gl.Enable(GL_SCISSOR_TEST, true);
    DWORD rectCount = Count ? Count : 1;
    for (DWORD i = 0; i < rectCount; ++i) {
        LONG l = left, t = top, r = right, b = bottom;
        if (Count) {
            l = pRects[i].x1 > l ? pRects[i].x1 : l;
            t = pRects[i].y1 > t ? pRects[i].y1 : t;
            r = pRects[i].x2 < r ? pRects[i].x2 : r;
            b = pRects[i].y2 < b ? pRects[i].y2 : b;
        }
        if (r <= l || b <= t)
            continue;
        gl.Scissor(l, t, r - l, b - t);
        GLBackend::Clear(mask);
    }
    renderStatesDirty = true;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* pCaps)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::GetDeviceCaps"))
        return code;
    if (!pCaps)
        return D3DERR_INVALIDCALL;
    return d3d->GetDeviceCaps(creation.AdapterOrdinal, creation.DeviceType, pCaps);
}

HRESULT Device::ValidateDevice(DWORD* pNumPasses)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirect3DDevice9::ValidateDevice"))
        return code;
    if (!pNumPasses)
        return D3DERR_INVALIDCALL;
    if (Lost())
        return D3DERR_DEVICELOST;
    // Every stage setup this device accepts draws in one pass.
    *pNumPasses = 1;
    return D3D_OK;
}

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9)
{
    if (!ppD3D9)
        return D3DERR_INVALIDCALL;
    d3d->AddRef();
    *ppD3D9 = d3d;
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode)
{
    if (iSwapChain != 0 || !pMode)
        return D3DERR_INVALIDCALL;
    if (!params.Windowed) {
        *pMode = D3DDISPLAYMODE{params.BackBufferWidth, params.BackBufferHeight, params.FullScreen_RefreshRateInHz,
                                params.BackBufferFormat};
        return D3D_OK;
    }
    return d3d->GetAdapterDisplayMode(creation.AdapterOrdinal, pMode);
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters)
{
    if (!pParameters)
        return D3DERR_INVALIDCALL;
    *pParameters = creation;
    return D3D_OK;
}

BOOL Device::ShowCursor(BOOL bShow)
{
    (void)bShow;
    return FALSE;
}

UINT Device::GetAvailableTextureMem()
{
    return 256u << 20;
}

HRESULT Device::EvictManagedResources()
{
    return D3D_OK;
}

UINT Device::GetNumberOfSwapChains()
{
    return 1;
}
