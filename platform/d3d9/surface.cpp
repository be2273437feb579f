// Surfaces: the back buffer and system-memory copies of it, the way an
// application reads a rendered frame back through Direct3D 9.
#include "device.h"

#include <new>
#include <stdlib.h>

namespace {

bool SurfaceFormat(D3DFORMAT format) { return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8; }

}  // namespace

SurfaceObject::SurfaceObject(Device* d, UINT w, UINT h, D3DFORMAT f, D3DPOOL p, bool back)
    : Resource<IDirect3DSurface9>(d, p), width(w), height(h), format(f), backBuffer(back)
{
}

SurfaceObject::~SurfaceObject() { free(bits); }

bool SurfaceObject::Create()
{
    if (backBuffer)
        return true;
    bits = static_cast<uint8_t*>(calloc((size_t)width * height, 4));
    return bits != nullptr;
}

HRESULT SurfaceObject::GetContainer(REFIID, void** ppContainer)
{
    // Neither kind lives in a texture; the swap chain is not an object here.
    if (ppContainer)
        *ppContainer = nullptr;
    return ppContainer ? E_NOINTERFACE : D3DERR_INVALIDCALL;
}

HRESULT SurfaceObject::GetDesc(D3DSURFACE_DESC* pDesc)
{
    if (!pDesc)
        return D3DERR_INVALIDCALL;
    *pDesc = D3DSURFACE_DESC{format, D3DRTYPE_SURFACE, backBuffer ? (DWORD)D3DUSAGE_RENDERTARGET : 0u, pool,
                             D3DMULTISAMPLE_NONE, 0, width, height};
    return D3D_OK;
}

HRESULT SurfaceObject::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD)
{
    if (!pLockedRect)
        return D3DERR_INVALIDCALL;
    pLockedRect->pBits = nullptr;
    pLockedRect->Pitch = 0;
    if (backBuffer || locked)
        return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (pRect) {
        if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right || pRect->top >= pRect->bottom ||
            (UINT)pRect->right > width || (UINT)pRect->bottom > height)
            return D3DERR_INVALIDCALL;
        offset = (size_t)pRect->top * Pitch() + (size_t)pRect->left * 4;
    }
    locked = true;
    pLockedRect->pBits = bits + offset;
    pLockedRect->Pitch = (INT)Pitch();
    return D3D_OK;
}

HRESULT SurfaceObject::UnlockRect()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

HRESULT SurfaceObject::GetDC(HDC* phdc)
{
    if (phdc)
        *phdc = nullptr;
    return D3DERR_INVALIDCALL;
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                              IDirect3DSurface9** ppBackBuffer)
{
    if (!ppBackBuffer)
        return D3DERR_INVALIDCALL;
    *ppBackBuffer = nullptr;
    if (iSwapChain != 0 || iBackBuffer >= (params.BackBufferCount ? params.BackBufferCount : 1) ||
        Type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    // A default-pool reference: Reset fails while the application holds it,
    // as Direct3D 9 requires.
    SurfaceObject* surface = new (std::nothrow) SurfaceObject(this, params.BackBufferWidth, params.BackBufferHeight,
                                                               params.BackBufferFormat, D3DPOOL_DEFAULT, true);
    if (!surface)
        return E_OUTOFMEMORY;
    *ppBackBuffer = surface;
    return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                            IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle)
{
    if (!ppSurface)
        return D3DERR_INVALIDCALL;
    *ppSurface = nullptr;
    if (Width == 0 || Height == 0 || Pool == D3DPOOL_MANAGED || pSharedHandle)
        return D3DERR_INVALIDCALL;
    if (!SurfaceFormat(Format))
        return D3DERR_NOTAVAILABLE;
    return HandOut(new (std::nothrow) SurfaceObject(this, Width, Height, Format, Pool, false), E_OUTOFMEMORY,
                   ppSurface);
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* pRenderTarget, IDirect3DSurface9* pDestSurface)
{
    // Every surface of this device is ours; none of another device is.
    SurfaceObject* source = static_cast<SurfaceObject*>(pRenderTarget);
    SurfaceObject* dest = static_cast<SurfaceObject*>(pDestSurface);
    if (!source || !dest || source == dest || !source->IsBackBuffer() || dest->IsBackBuffer() ||
        dest->Pool() != D3DPOOL_SYSTEMMEM || dest->IsLocked())
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC from, to;
    source->GetDesc(&from);
    dest->GetDesc(&to);
    IDirect3DDevice9* owner = nullptr;
    source->GetDevice(&owner);
    bool ours = owner == this;
    if (owner)
        owner->Release();
    dest->GetDevice(&owner);
    ours = ours && owner == this;
    if (owner)
        owner->Release();
    if (!ours || from.Width != to.Width || from.Height != to.Height || from.Format != to.Format)
        return D3DERR_INVALIDCALL;
    // A surface taken before a Reset to another size names a buffer that is gone.
    if (from.Width != params.BackBufferWidth || from.Height != params.BackBufferHeight)
        return D3DERR_INVALIDCALL;
    if (Lost())
        return D3DERR_DEVICELOST;
    MakeCurrent();
    // Row 0 of the back buffer is its top row; BGRA bytes are D3D's memory order.
    bool read = GLBackend::ReadColor(frame.back, to.Width, to.Height, dest->Bits());
    if (from.Format == D3DFMT_X8R8G8B8) {
        // The X channel reads as opaque, whatever the blending left in GL's alpha.
        uint8_t* bits = dest->Bits();
        for (size_t i = 3; i < (size_t)to.Width * to.Height * 4; i += 4)
            bits[i] = 0xFF;
    }
    return read ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
}
