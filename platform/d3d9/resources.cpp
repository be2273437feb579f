// Vertex buffers, index buffers and textures.
#include "device.h"

#include <stdlib.h>
#include <string.h>

template <typename Interface>
Resource<Interface>::Resource(Device* d, D3DPOOL p) : device(d), pool(p)
{
    device->ResourceCreated(pool);
}

template <typename Interface>
Resource<Interface>::~Resource() = default;

template <typename Interface>
void Resource<Interface>::LastReleased()
{
    // The device reference goes last: giving it back may end the device,
    // which unbinds (and so ends) this resource if it is still bound.
    Device* owner = device;
    D3DPOOL ownPool = pool;
    if (bindings == 0)
        delete this;
    else
        released = true;
    owner->ResourceReleased(ownPool);
}

template <typename Interface>
void Resource<Interface>::Revived()
{
    // GetTexture and its kind hand a released but bound resource back out.
    released = false;
    device->ResourceCreated(pool);
}

template <typename Interface>
void Resource<Interface>::Unbind()
{
    if (--bindings == 0 && released)
        delete this;
}

template <typename Interface>
HRESULT Resource<Interface>::GetDevice(IDirect3DDevice9** ppDevice)
{
    if (!ppDevice)
        return D3DERR_INVALIDCALL;
    device->AddRef();
    *ppDevice = device;
    return D3D_OK;
}

template <typename Interface, typename Desc>
Buffer<Interface, Desc>::Buffer(Device* d, const Desc& description) : Resource<Interface>(d, description.Pool),
                                                                    desc(description)
{
}

template <typename Interface, typename Desc>
Buffer<Interface, Desc>::~Buffer()
{
    this->device->MakeCurrent();
    this->device->BufferDeleted(name);
    GLBackend::DeleteBuffer(name);
    free(data);
}

template <typename Interface, typename Desc>
bool Buffer<Interface, Desc>::Create()
{
    data = static_cast<uint8_t*>(calloc(desc.Size, 1));
    if (!data)
        return false;
    name = GLBackend::CreateBuffer(desc.Size, data, (desc.Usage & D3DUSAGE_DYNAMIC) != 0);
    return name != 0;
}

template <typename Interface, typename Desc>
HRESULT Buffer<Interface, Desc>::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags)
{
    if (!ppbData)
        return D3DERR_INVALIDCALL;
    *ppbData = nullptr;
    if (HRESULT code = QLPlatform_InjectedCode(this->GetType() == D3DRTYPE_VERTEXBUFFER ? "IDirect3DVertexBuffer9::Lock"
                                                                                          : "IDirect3DIndexBuffer9::Lock"))
        return code;
    // Offset and size 0 lock the whole buffer.
    if (SizeToLock == 0)
        SizeToLock = OffsetToLock < desc.Size ? desc.Size - OffsetToLock : 0;
    if (locked || OffsetToLock >= desc.Size || (uint64_t)OffsetToLock + SizeToLock > desc.Size)
        return D3DERR_INVALIDCALL;
    locked = true;
    // DISCARD means only on dynamic buffers, as in Direct3D 9.
    discardLock = (Flags & D3DLOCK_DISCARD) && (desc.Usage & D3DUSAGE_DYNAMIC);
    lockOffset = OffsetToLock;
    lockSize = (Flags & D3DLOCK_READONLY) ? 0 : SizeToLock;
    *ppbData = data + OffsetToLock;
    return D3D_OK;
}

template <typename Interface, typename Desc>
HRESULT Buffer<Interface, Desc>::Unlock()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    if (HRESULT code = QLPlatform_InjectedCode(this->GetType() == D3DRTYPE_VERTEXBUFFER
                                                   ? "IDirect3DVertexBuffer9::Unlock"
                                                   : "IDirect3DIndexBuffer9::Unlock"))
        return code;
    if (lockSize == 0)
        return D3D_OK;
    this->device->MakeCurrent();
    if (discardLock) {
        // A fresh store for the new contents: draws still reading the old
        // one keep it, and nothing waits.
        GLBackend::ReplaceBuffer(name, desc.Size, lockOffset, lockSize, data + lockOffset);
    } else {
        GLBackend::WriteBuffer(name, lockOffset, lockSize, data + lockOffset);
    }
    return D3D_OK;
}

VertexBuffer::~VertexBuffer() = default;
IndexBuffer::~IndexBuffer() = default;

template class Resource<IDirect3DVertexBuffer9>;
template class Resource<IDirect3DIndexBuffer9>;
template class Resource<IDirect3DTexture9>;
template class Resource<IDirect3DSurface9>;
template class Buffer<IDirect3DVertexBuffer9, D3DVERTEXBUFFER_DESC>;
template class Buffer<IDirect3DIndexBuffer9, D3DINDEXBUFFER_DESC>;

UINT FullMipCount(UINT width, UINT height)
{
    UINT levels = 1;
    while (width > 1 || height > 1) {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        ++levels;
    }
    return levels;
}

TextureObject::TextureObject(Device* d, UINT w, UINT h, UINT l, DWORD u, D3DFORMAT f, D3DPOOL p)
    : Resource<IDirect3DTexture9>(d, p), width(w), height(h), levels(l), usage(u), format(f)
{
}

TextureObject::~TextureObject()
{
    device->MakeCurrent();
    GLBackend::DeleteTexture(name);
    free(lockData);
}

bool TextureObject::Create()
{
    // X8R8G8B8 samples with an opaque alpha whatever the bytes hold.
    name = GLBackend::CreateTexture(levels, width, height, format == D3DFMT_X8R8G8B8);
    return name != 0;
}

HRESULT TextureObject::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc)
{
    if (!pDesc || Level >= levels)
        return D3DERR_INVALIDCALL;
    UINT w = width >> Level, h = height >> Level;
    *pDesc = D3DSURFACE_DESC{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, w ? w : 1, h ? h : 1};
    return D3D_OK;
}

HRESULT TextureObject::GetSurfaceLevel(UINT, IDirect3DSurface9** ppSurfaceLevel)
{
    if (ppSurfaceLevel)
        *ppSurfaceLevel = nullptr;
    return D3DERR_NOTAVAILABLE;
}

HRESULT TextureObject::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags)
{
    // Default-pool textures lock only when dynamic, as in Direct3D 9.
    if (!pLockedRect || Level >= levels || lockedLevel >= 0 || pRect ||
        (pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC)))
        return D3DERR_INVALIDCALL;
    (void)Flags;
    D3DSURFACE_DESC desc = {};
    GetLevelDesc(Level, &desc);
    lockData = static_cast<uint8_t*>(calloc((size_t)desc.Width * desc.Height, 4));
    if (!lockData)
        return E_OUTOFMEMORY;
    lockedLevel = Level;
    pLockedRect->Pitch = desc.Width * 4;
    pLockedRect->pBits = lockData;
    return D3D_OK;
}

HRESULT TextureObject::UnlockRect(UINT Level)
{
    if (lockedLevel < 0 || (UINT)lockedLevel != Level)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc = {};
    GetLevelDesc(Level, &desc);
    device->MakeCurrent();
    GLBackend::WriteTextureLevel(name, Level, desc.Width, desc.Height, lockData);
    free(lockData);
    lockData = nullptr;
    lockedLevel = -1;
    return D3D_OK;
}

HRESULT TextureObject::FillLevel(UINT level, const void* pixels)
{
    D3DSURFACE_DESC desc = {};
    if (!pixels || GetLevelDesc(level, &desc) != D3D_OK)
        return D3DERR_INVALIDCALL;
    device->MakeCurrent();
    GLBackend::WriteTextureLevel(name, level, desc.Width, desc.Height, pixels);
    return D3D_OK;
}

HRESULT QLD3D9_FillTextureLevel(IDirect3DTexture9* texture, UINT level, const void* pixels)
{
    // Every texture a device of the stand-in hands out is a TextureObject.
    return texture ? static_cast<TextureObject*>(texture)->FillLevel(level, pixels) : D3DERR_INVALIDCALL;
}
