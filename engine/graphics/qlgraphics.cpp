// The graphics manager: device creation, screen modes, the reset after a lost
// device, the default device state and the shutdown report.
#include "graphics/qlgraphics.h"

#include "graphics/igeometry.h"
#include "graphics/shadowreach.h"

#include "foundation/qltrace.h"

#include <new>

// Process-wide on purpose: the application flips them from its keys and the
// frame and the shadow pass read them; no manager owns them.
bool DrawShadowVolume = false;
bool AmbientOnly = false;
bool DrawPossibleSilhouette = false;

namespace {

// Drops the manager's reference to a Direct3D object. A count left over is a
// reference leaked elsewhere: reported, then released until the object dies.
// False in that case.
template <typename Interface>
bool ReleaseLast(const TraceContext& trace, Interface*& object, const char* name)
{
    if (!object)
        return true;
    ULONG count = object->Release();
    if (count != 0) {
        QL_LOG(trace, TraceWarning, EngineString(name) + " (count==" + (uint32_t)count + ") !");
        ReleaseUntilDestroyed(object);
    }
    object = nullptr;
    return count == 0;
}

// Releases every resource of one kind the application left alive, newest
// first, and reports them.
template <typename Resource>
void ReleaseLeftoverList(const TraceContext& trace, EngineList<Resource*>& list, const char* kind)
{
    if (list.Count() == 0)
        return;
    QL_LOG(trace, TraceWarning, EngineString() + list.Count() + " " + kind + "(s) not released !");
    while (list.Count() > 0) {
        Resource* leftover = *list.Get(list.Count() - 1);
        ReleaseUntilDestroyed(leftover);
    }
}

}  // namespace

IGraphics* NewGraphicsManager(IManagerOwner* owner)
{
    return new (std::nothrow) QLGraphics(owner);
}

QLGraphics::QLGraphics(IManagerOwner* owner) : owner(owner)
{
    for (LightSlot& slot : lights) {
        slot.index = -1;
        slot.enabled = false;
    }
}

HRESULT QLGraphics::Clone(IGraphics**)
{
    return E_FAIL;
}

HRESULT QLGraphics::Reserved(uint32_t, uint32_t)
{
    return E_FAIL;
}

bool QLGraphics::IsWindowed()
{
    return presentParams.Windowed != FALSE;
}

int32_t QLGraphics::GetMaxActiveLights()
{
    return MAXACTIVELIGHTS;
}

IDirect3DDevice9* QLGraphics::GetDevice()
{
    return device;
}

HRESULT QLGraphics::GetScreenMode(ScreenMode* mode)
{
    if (!mode)
        return E_INVALIDARG;
    mode->windowed = presentParams.Windowed;
    mode->width = (int32_t)presentParams.BackBufferWidth;
    mode->height = (int32_t)presentParams.BackBufferHeight;
    return S_OK;
}

HRESULT QLGraphics::Init(ICore* core, HWND window)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, core);
    d3d = Direct3DCreate9(31);
    QL_TRY(trace, "Direct3DCreate9() failed !", d3d ? S_OK : E_FAIL);
    D3DDISPLAYMODE displayMode;
    QL_TRY(trace, "IDirect3DDevice9::GetAdapterDisplayMode() failed !",
           d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displayMode));

    presentParams = D3DPRESENT_PARAMETERS{};
    presentParams.BackBufferWidth = 640;
    presentParams.BackBufferHeight = 480;
    presentParams.BackBufferFormat = displayMode.Format;
    presentParams.BackBufferCount = 1;
    presentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParams.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParams.hDeviceWindow = window;
    presentParams.Windowed = TRUE;
    presentParams.EnableAutoDepthStencil = FALSE;
    presentParams.FullScreen_RefreshRateInHz = 0;
    presentParams.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    for (LightSlot& slot : lights) {
        slot.index = -1;
        slot.enabled = false;
    }
    return S_OK;
}

HRESULT QLGraphics::SetScreenMode(const ScreenMode* mode)
{
    TraceContext trace(this, "SetScreenMode()");
    QL_REQUIRE_ARG(trace, mode);
    QL_ASSERT(trace, d3d);
    presentParams.Windowed = mode->windowed ? TRUE : FALSE;
    if (!mode->windowed) {
        presentParams.BackBufferWidth = (UINT)mode->width;
        presentParams.BackBufferHeight = (UINT)mode->height;
    }
    presentParams.EnableAutoDepthStencil = mode->depthBits ? TRUE : FALSE;
    presentParams.AutoDepthStencilFormat = D3DFMT_D24S8;

    if (device) {
        // A failed change is tried again by the next frame; S_FALSE: it waits
        // for the next frame already (one being drawn, or the device lost).
        QL_TRY(trace, "-", UpdateScreenMode());
    } else {
        // A windowed back buffer the size of the window, as every later
        // update makes it: one of another size is stretched, and blurs.
        if (presentParams.Windowed)
            UseClientSize();
        QL_TRY(trace, "IDirect3DDevice9::CreateDevice() failed !", CreateDevice());
        QL_TRY(trace, "-", SetRenderMode());
        // One black frame, so the window shows no garbage before the first frame.
        QL_TRY(trace, "IDirect3DDevice9::Clear() failed !",
               device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
        QL_TRY(trace, "IDirect3DDevice9::BeginScene() failed !", device->BeginScene());
        // EndScene's result is ignored by design: Present reports a frame that went wrong.
        device->EndScene();
        QL_TRY(trace, "IDirect3DDevice9::Present() failed !", device->Present(nullptr, nullptr, nullptr, nullptr));
    }
    QL_TRY(trace, "IDirect3DDevice9::GetDeviceCaps() failed !", device->GetDeviceCaps(&caps));
    return LogCapabilities();
}

// Pure hardware, then software vertex processing, then the reference
// rasteriser; only the last resort is worth a word in the log. Returns the
// last attempt's code; the caller reports a failure.
HRESULT QLGraphics::CreateDevice()
{
    TraceContext trace(this, "SetScreenMode()");
    const struct {
        D3DDEVTYPE type;
        DWORD flags;
    } attempts[] = {
        {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE},
        {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    HRESULT result = E_FAIL;
    for (const auto& attempt : attempts) {
        D3DPRESENT_PARAMETERS parameters = presentParams;
        result = d3d->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, presentParams.hDeviceWindow, attempt.flags,
                                   &parameters, &device);
        if (SUCCEEDED(result)) {
            if (attempt.type == D3DDEVTYPE_REF)
                QL_LOG(trace, TraceWarning, "Device Created in Mode REF (=> very SLOW) !!!");
            return S_OK;
        }
        device = nullptr;
    }
    return result;
}

HRESULT QLGraphics::LogCapabilities()
{
    TraceContext trace(this, "SetScreenMode()");
    QL_LOG(trace, TraceInfo,
           EngineString("MaxStreams==") + (uint32_t)caps.MaxStreams + " MaxPrimitiveCount==" +
               (uint32_t)caps.MaxPrimitiveCount);
    QL_LOG(trace, TraceInfo,
           EngineString("MaxSimultaneousTextures==") + (uint32_t)caps.MaxSimultaneousTextures +
               " MaxTextureBlendStages==" + (uint32_t)caps.MaxTextureBlendStages);
    return S_OK;
}

HRESULT QLGraphics::UpdateScreenMode()
{
    TraceContext trace(this, "UpdateScreenMode()");
    if (inFrame) {
        screenModeChanged = true;
        return S_FALSE;
    }
    ShowCursor(IsWindowed() ? TRUE : FALSE);
    if (IsWindowed()) {
        if (owner)
            owner->RestoreWindowRect();
        UseClientSize();
    }
    if (!device)
        return S_OK;
    // Until every step below has succeeded, the next frame tries again.
    screenModeChanged = true;

    for (uint32_t i = 0; i < vertexBuffers.Count(); ++i)
        if ((*vertexBuffers.Get(i))->IsDynamic())
            (*vertexBuffers.Get(i))->ReleaseBuffer();
    for (uint32_t i = 0; i < indexBuffers.Count(); ++i)
        (*indexBuffers.Get(i))->ReleaseBuffer();
    ReleaseShadowIndices();
    for (uint32_t i = 0; i < textures.Count(); ++i)
        (*textures.Get(i))->ReleaseTexture();
    // Re-created objects may reuse the old objects' addresses.
    BindingCache::Clear();

    D3DPRESENT_PARAMETERS parameters = presentParams;
    const HRESULT reset = device->Reset(&parameters);
    // Lost again since the frame asked: the frames wait for it, as for any loss.
    if (reset == D3DERR_DEVICELOST)
        return S_FALSE;
    QL_TRY(trace, "IDirect3DDevice9::Reset() failed !", reset);
    if (FAILED(RecreateResources()))
        return QLE_SUBFUNCTION;
    QL_TRY(trace, "-", SetRenderMode());
    QL_TRY(trace, "IDirect3DDevice9::GetDeviceCaps() failed !", device->GetDeviceCaps(&caps));
    screenModeChanged = false;
    return S_OK;
}

void QLGraphics::UseClientSize()
{
    RECT client;
    // A minimised window has no client area: keep the last size.
    if (GetClientRect(presentParams.hDeviceWindow, &client) && client.right > client.left &&
        client.bottom > client.top) {
        presentParams.BackBufferWidth = (UINT)(client.right - client.left);
        presentParams.BackBufferHeight = (UINT)(client.bottom - client.top);
    }
}

HRESULT QLGraphics::RecreateResources()
{
    TraceContext trace(this, "UpdateScreenMode()");
    for (uint32_t i = 0; i < vertexBuffers.Count(); ++i) {
        VB* buffer = *vertexBuffers.Get(i);
        if (buffer->IsDynamic())
            QL_TRY(trace, "IDirect3DDevice9::CreateVertexBuffer() failed", buffer->CreateBuffer());
    }
    for (uint32_t i = 0; i < indexBuffers.Count(); ++i) {
        IB* buffer = *indexBuffers.Get(i);
        QL_TRY(trace, "IDirect3DDevice9::CreateIndexBuffer() failed", buffer->CreateBuffer());
        QL_TRY(trace, "IDirect3DIndexBuffer9::Lock() failed", buffer->RefillBuffer());
    }
    for (uint32_t i = 0; i < textures.Count(); ++i) {
        Texture* texture = *textures.Get(i);
        QL_TRY(trace, ("Texture '" + texture->Name() + "' : loading failed").Chars(), texture->Load(false));
    }
    return S_OK;
}

HRESULT QLGraphics::SetRenderMode()
{
    TraceContext trace(this, "SetRenderMode()");
    if (!device)
        return S_FALSE;
    // Every state is applied whatever failed before it: a device left
    // without its lights or projection draws every later frame wrong. What
    // failed is reported, and fails the whole.
    bool failed = FAILED(QL_CHECK(trace, "IDirect3DDevice9::SetRenderState() failed !",
                                  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE)));
    failed |= FAILED(QL_CHECK(trace, "IDirect3DDevice9::SetRenderState() failed !",
                              device->SetRenderState(D3DRS_ZENABLE, TRUE)));
    // Its result is ignored on purpose, as SetCamera's below: both re-apply
    // values that were checked when they were set.
    SetLightning(lighting, ambient);
    // The slots go back on the device as they are, lighting on or off (the
    // stencil-shadow passes set their lights themselves); a slot is never
    // freed here.
    for (const LightSlot& slot : lights) {
        if (!slot.enabled || stencilShadow)
            continue;
        failed |= FAILED(QL_CHECK(trace, "IDirect3DDevice9::LightEnable() failed !",
                                  device->LightEnable((DWORD)slot.index, TRUE)));
        failed |= FAILED(QL_CHECK(trace, "IDirect3DDevice9::SetLight() failed !",
                                  device->SetLight((DWORD)slot.index, &slot.light)));
    }
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    D3DXVECTOR3 cameraEye = eye, cameraAt = at, cameraUp = up;
    SetCamera(&cameraEye, &cameraAt, &cameraUp);
    D3DXMATRIX projection;
    InfiniteProjection(&projection);
    failed |= FAILED(QL_CHECK(trace, "IDirect3DDevice9::SetTransform() failed !",
                              device->SetTransform(D3DTS_PROJECTION, &projection)));
    return failed ? QLE_SUBFUNCTION : S_OK;
}

QLGraphics::~QLGraphics()
{
    TraceContext trace(this, "Destructor()");
    delete[] partFlags;
    delete[] partPlans;
    delete[] partStarts;
    delete[] partReaches;
    delete[] partSpans;
    bool clean = geometries.Count() == 0;
    if (geometries.Count() > 0) {
        QL_LOG(trace, TraceWarning,
               EngineString() + geometries.Count() + " geometrie(s) still alive (or dead but not removed => Access Violation) !");
        for (uint32_t i = geometries.Count(); i-- > 0;) {
            if (i >= geometries.Count())
                continue;
            IGeometry* geometry = *geometries.Get(i);
            ReleaseUntilDestroyed(geometry);
        }
        if (geometries.Count() > 0)
            QL_LOG(trace, TraceWarning,
                   EngineString() + geometries.Count() + " geometrie(s) don't call RemoveGeometry() in their destructor !");
        geometries.Clear();  // what is left points at destroyed objects
    }
    if (inFrame && device)
        device->EndScene();
    shadowVB.Reset();  // before the leftover report, which would count it
    ReleaseShadowIndices();
    if (device) {
        for (DWORD stage = 0; stage < caps.MaxSimultaneousTextures; ++stage)
            device->SetTexture(stage, nullptr);
        for (DWORD stream = 0; stream < caps.MaxStreams; ++stream)
            device->SetStreamSource(stream, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
    }
    BindingCache::Clear();
    // Leftovers are released below, but a shutdown that had any is not a clean one.
    clean = clean && vertexBuffers.Count() == 0 && indexBuffers.Count() == 0 && textures.Count() == 0;
    ReleaseLeftovers();

    clean = ReleaseLast(trace, device, "d3dDevice9 Interface") && clean;
    clean = ReleaseLast(trace, d3d, "D3D9 Interface") && clean;
    if (clean)
        QL_LOG(trace, TraceInfo, "Graphics Engine correctly shutdown");
    if (owner)
        owner->ManagerGone(this);
}

// Releases every resource the application left alive, newest first,
// reporting each kind that had leftovers.
void QLGraphics::ReleaseLeftovers()
{
    TraceContext trace(this, "Destructor()");
    ReleaseLeftoverList(trace, vertexBuffers, "VB");
    ReleaseLeftoverList(trace, indexBuffers, "IB");
    ReleaseLeftoverList(trace, textures, "Texture");
}
