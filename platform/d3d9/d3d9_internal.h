// What the Direct3D 9 objects of the stand-in share: the COM base, the
// resource classes and the OpenGL side's contract (gl_backend.h). The device
// itself is device.h.
#pragma once

#include "common/com_object.h"
#include "common/fault_injection.h"
#include "d3dx_interface.h"
#include "gl_backend.h"

#include <d3d9.h>

#include <stdint.h>

class Device;

// D3DCAPS9::MaxVertexIndex as the devices report it now (a test hook can lower it).
DWORD QLPlatform_MaxVertexIndex();

// The parts of IDirect3DResource9 the stand-in has no use for, the device
// reference every resource holds while the application does (as in
// Direct3D 9: a live resource keeps its device alive), and the device's own
// references on what is bound to it. A bound resource outlives the
// application's last Release, as in Direct3D 9, whose Release counts leave
// the bindings out: it ends when the device unbinds it or dies.
template <typename Interface>
class Resource : public ComObject<Interface> {
public:
    Resource(Device* device, D3DPOOL pool);
    ~Resource() override;
    // The device's references, taken by SetTexture, SetStreamSource and
    // SetIndices and given back when the slot changes or the device ends.
    void Bind() { ++bindings; }
    void Unbind();
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, const void*, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, void*, DWORD*) override { return D3DERR_NOTFOUND; }
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID) override { return D3DERR_NOTFOUND; }
    DWORD STDMETHODCALLTYPE SetPriority(DWORD priority) override
    {
        DWORD old = this->priority;
        this->priority = priority;
        return old;
    }
    DWORD STDMETHODCALLTYPE GetPriority() override { return priority; }
    void STDMETHODCALLTYPE PreLoad() override {}

    D3DPOOL Pool() const { return pool; }

protected:
    void LastReleased() override;
    void Revived() override;

    Device* device;
    D3DPOOL pool;
    DWORD priority = 0;

private:
    int bindings = 0;
    bool released = false;  // by the application, while still bound
};

// Vertex and index buffers: a system-memory copy that Lock hands out, and a
// GL buffer that Unlock refreshes from it (orphaned first on DISCARD, so a
// buffer rewritten every frame never waits for the draws still using it).
template <typename Interface, typename Desc>
class Buffer : public Resource<Interface> {
public:
    Buffer(Device* device, const Desc& desc);
    ~Buffer() override;
    bool Create();
    HRESULT STDMETHODCALLTYPE Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE Unlock() override;
    HRESULT STDMETHODCALLTYPE GetDesc(Desc* pDesc) override
    {
        if (!pDesc)
            return D3DERR_INVALIDCALL;
        *pDesc = desc;
        return D3D_OK;
    }
    GLuint Name() const { return name; }

protected:
    Desc desc;
    uint8_t* data = nullptr;
    GLuint name = 0;
    bool locked = false;
    bool discardLock = false;
    UINT lockOffset = 0;
    UINT lockSize = 0;
};

class VertexBuffer final : public Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC> {
public:
    using Buffer::Buffer;
    ~VertexBuffer() override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
};

class IndexBuffer final : public Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC> {
public:
    using Buffer::Buffer;
    ~IndexBuffer() override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    // Bytes per index.
    UINT IndexSize() const { return desc.Format == D3DFMT_INDEX32 ? 4 : 2; }
};

// 2D textures in A8R8G8B8 or X8R8G8B8 (memory bytes B, G, R, A), a GL
// texture with the whole mip chain; LockRect hands out a system-memory
// level that UnlockRect uploads.
class TextureObject final : public Resource<IDirect3DTexture9> {
public:
    TextureObject(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~TextureObject() override;
    bool Create();
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE SetLOD(DWORD) override { return 0; }
    DWORD STDMETHODCALLTYPE GetLOD() override { return 0; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levels; }
    HRESULT STDMETHODCALLTYPE SetAutoGenFilterType(D3DTEXTUREFILTERTYPE) override { return D3DERR_INVALIDCALL; }
    D3DTEXTUREFILTERTYPE STDMETHODCALLTYPE GetAutoGenFilterType() override { return D3DTEXF_NONE; }
    void STDMETHODCALLTYPE GenerateMipSubLevels() override {}
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT, IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) override;
    HRESULT STDMETHODCALLTYPE AddDirtyRect(const RECT*) override { return D3D_OK; }

    GLuint Name() const { return name; }
    // See QLD3D9_FillTextureLevel.
    HRESULT FillLevel(UINT level, const void* pixels);

private:
    UINT width, height, levels;
    DWORD usage;
    D3DFORMAT format;
    GLuint name = 0;
    int lockedLevel = -1;
    uint8_t* lockData = nullptr;
};

// Surfaces in A8R8G8B8 or X8R8G8B8. The back buffer's surface names the
// device's framebuffer and is read only through GetRenderTargetData, as a
// back buffer made without D3DPRESENTFLAG_LOCKABLE_BACKBUFFER is in
// Direct3D 9; plain surfaces are system memory that LockRect hands out.
class SurfaceObject final : public Resource<IDirect3DSurface9> {
public:
    SurfaceObject(Device* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool, bool backBuffer);
    ~SurfaceObject() override;
    bool Create();
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID, void** ppContainer) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* phdc) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return D3DERR_INVALIDCALL; }

    bool IsBackBuffer() const { return backBuffer; }
    bool IsLocked() const { return locked; }
    // The pixels, 4 bytes each (B, G, R, A), rows top-down, Pitch() apart;
    // null for the back buffer.
    uint8_t* Bits() { return bits; }
    UINT Pitch() const { return width * 4; }

private:
    UINT width, height;
    D3DFORMAT format;
    bool backBuffer;
    bool locked = false;
    uint8_t* bits = nullptr;
};

// Largest number of mip levels of a width x height texture.
UINT FullMipCount(UINT width, UINT height);

// Hands a new object out once its GL side exists; otherwise releases it and
// returns the failure (E_OUTOFMEMORY when there was no memory for it).
template <typename Made, typename Interface>
HRESULT HandOut(Made* made, HRESULT createFailure, Interface** out)
{
    if (!made)
        return E_OUTOFMEMORY;
    if (!made->Create()) {
        made->Release();
        return createFailure;
    }
    *out = made;
    return D3D_OK;
}

// What a Get* call of a kind of object this device never holds hands out.
template <typename Interface>
HRESULT HandOutNothing(Interface** out)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = nullptr;
    return D3D_OK;
}

// What a Get* call of a plain value does.
template <typename T>
HRESULT CopyOut(const T& value, T* out)
{
    if (!out)
        return D3DERR_INVALIDCALL;
    *out = value;
    return D3D_OK;
}
