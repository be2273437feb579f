// Vertex buffers, index buffers and textures, and their creation by the
// graphics manager.
#include "graphics/qlgraphres.h"

#include "graphics/qlgraphics.h"

#include "foundation/owned.h"
#include "foundation/qltrace.h"

#include <string.h>

#include <new>
#include <type_traits>
#include <utility>

// Process-wide by design, not per manager: the last objects bound through
// Active, so a resource bound again by the next model costs no device call.
namespace BindingCache {
IDirect3DVertexBuffer9* vertexBuffer = nullptr;
IDirect3DIndexBuffer9* indexBuffer = nullptr;
IDirect3DBaseTexture9* texture = nullptr;

void Clear()
{
    vertexBuffer = nullptr;
    indexBuffer = nullptr;
    texture = nullptr;
}
}  // namespace BindingCache

namespace {
uint64_t lastPositionsStamp = 0;

// Releases a resource's Direct3D object; the binding cache must not take a
// later object at the same address for this one.
template <typename Object, typename Cached>
void ReleaseUnbound(Object*& object, Cached*& cached)
{
    if (!object)
        return;
    if (cached == object)
        cached = nullptr;
    object->Release();
    object = nullptr;
}
}  // namespace

template <typename Self, typename Direct3DBuffer>
void GraphicBuffer<Self, Direct3DBuffer>::ReleaseBuffer()
{
    if constexpr (std::is_same_v<Direct3DBuffer, IDirect3DVertexBuffer9>)
        ReleaseUnbound(buffer, BindingCache::vertexBuffer);
    else
        ReleaseUnbound(buffer, BindingCache::indexBuffer);
}

template class GraphicBuffer<VB, IDirect3DVertexBuffer9>;
template class GraphicBuffer<IB, IDirect3DIndexBuffer9>;

VB::VB(QLGraphics* owner, DWORD format, uint32_t vertexCount, bool isDynamic)
    : RefCounted(owner, vertexCount, isDynamic), fvf(format), stride(format ? D3DXGetFVFVertexSize(format) : 1),
      positionsStamp(++lastPositionsStamp)
{
}

VB::~VB()
{
    ReleaseBuffer();
    graphics->Forget(this);
}

HRESULT VB::AllocatePositions()
{
    if (!positions.IsEmpty())
        return S_OK;
    return positions.Allocate(count ? count : 1) ? S_OK : E_OUTOFMEMORY;
}

HRESULT VB::CreateBuffer()
{
    D3DPOOL pool = dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED;
    return graphics->GetDevice()->CreateVertexBuffer(count * stride, Usage(), fvf, pool, &buffer, nullptr);
}

HRESULT VB::Active(uint32_t stream)
{
    TraceContext trace(this, "Active()");
    QL_TRY(trace, "Multi-Stream use in FixedPipeline", stream != 0 && fvf != 0 ? E_INVALIDARG : S_OK);
    // No buffer (not made again after a reset): nothing to bind, and never
    // taken for the one bound.
    QL_ASSERT(trace, buffer);
    if (BindingCache::vertexBuffer == buffer)
        return S_FALSE;
    BindingCache::vertexBuffer = buffer;
    IDirect3DDevice9* device = graphics->GetDevice();
    // SetFVF's result is ignored on purpose: the stream binding is the checked step.
    device->SetFVF(fvf);
    QL_TRY(trace, "IDirect3DDevice9::SetStreamSource() failed", device->SetStreamSource(stream, buffer, 0, stride));
    return S_OK;
}

HRESULT VB::Lock(void** data, D3DXVECTOR3** positionsOut)
{
    TraceContext trace(this, "Lock()");
    QL_REQUIRE_ARG(trace, data);
    QL_ASSERT(trace, buffer);
    if (positionsOut)
        QL_TRY(trace, "Not Enough Memory", AllocatePositions());
    QL_TRY(trace, "IDirect3DVertexBuffer9::Lock() failed", LockWhole(count * stride, data));
    if (positionsOut) {
        *positionsOut = positions.Data();
        boundsKnown = false;
        positionsStamp = ++lastPositionsStamp;
    }
    return S_OK;
}

HRESULT VB::LockFirst(uint32_t vertices, void** data)
{
    TraceContext trace(this, "LockFirst()");
    QL_REQUIRE_ARG(trace, data && vertices > 0 && vertices <= count);
    QL_ASSERT(trace, buffer);
    QL_TRY(trace, "IDirect3DVertexBuffer9::Lock() failed", LockWhole(vertices * stride, data));
    return S_OK;
}

bool VB::PositionBounds(D3DXVECTOR3* low, D3DXVECTOR3* high)
{
    if (positions.IsEmpty() || count == 0)
        return false;
    if (!boundsKnown) {
        boundsLow = boundsHigh = positions[0];
        for (uint32_t i = 1; i < count; ++i) {
            const D3DXVECTOR3& p = positions[i];
            boundsLow.x = p.x < boundsLow.x ? p.x : boundsLow.x;
            boundsLow.y = p.y < boundsLow.y ? p.y : boundsLow.y;
            boundsLow.z = p.z < boundsLow.z ? p.z : boundsLow.z;
            boundsHigh.x = p.x > boundsHigh.x ? p.x : boundsHigh.x;
            boundsHigh.y = p.y > boundsHigh.y ? p.y : boundsHigh.y;
            boundsHigh.z = p.z > boundsHigh.z ? p.z : boundsHigh.z;
        }
        boundsKnown = true;
    }
    *low = boundsLow;
    *high = boundsHigh;
    return true;
}

HRESULT VB::Unlock()
{
    return UnlockBuffer();
}

IB::IB(QLGraphics* owner, uint32_t indexCount, bool isDynamic, bool isWide, bool isDrawn)
    : RefCounted(owner, indexCount, isDynamic), wide(isWide), drawn(isDrawn)
{
}

IB::~IB()
{
    ReleaseBuffer();
    graphics->Forget(this);
}

HRESULT IB::AllocateCopies()
{
    // Never empty, so the kept indices of this buffer's width are never null.
    const uint32_t triangles = count / 3 ? count / 3 : 1;
    const bool allocated = (wide ? wideIndices.Allocate(count ? count : 1) : indices.Allocate(count ? count : 1)) &&
                           faceInfos.Allocate(triangles) && shadowEdges.Allocate(3 * triangles) &&
                           facing.Allocate(triangles) && planes.Allocate(triangles);
    return allocated ? S_OK : E_OUTOFMEMORY;
}

ShadowMesh IB::ShadowView(VB* vertices)
{
    const D3DXVECTOR3* positions = vertices->Positions();
    if (positions && planesStamp != vertices->PositionsStamp()) {
        if (wide)
            ComputeShadowPlanes(positions, vertices->GetCount(), wideIndices.Data(), count / 3, planes.Data(),
                                facing.Data());
        else
            ComputeShadowPlanes(positions, vertices->GetCount(), indices.Data(), count / 3, planes.Data(),
                                facing.Data());
        planesStamp = vertices->PositionsStamp();
    }
    return ShadowMesh{positions,      vertices->GetCount(), indices.Data(), count / 3, shadowEdges.Data(),
                      shadowEdgeCount, facing.Data(),        planes.Data(),  wideIndices.Data()};
}

HRESULT IB::CreateBuffer()
{
    if (!drawn)
        return S_OK;
    return graphics->GetDevice()->CreateIndexBuffer(IndexBytes(), Usage(), wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                                    D3DPOOL_DEFAULT, &buffer, nullptr);
}

HRESULT IB::RefillBuffer()
{
    if (!drawn)
        return S_OK;
    void* data = nullptr;
    HRESULT result = LockWhole(IndexBytes(), &data);
    if (FAILED(result))
        return result;
    memcpy(data, wide ? (const void*)wideIndices.Data() : (const void*)indices.Data(), IndexBytes());
    return buffer->Unlock();
}

HRESULT IB::Active()
{
    TraceContext trace(this, "Active()");
    QL_ASSERT(trace, buffer);
    if (BindingCache::indexBuffer == buffer)
        return S_FALSE;
    BindingCache::indexBuffer = buffer;
    QL_TRY(trace, "IDirect3DDevice9::SetIndices() failed", graphics->GetDevice()->SetIndices(buffer));
    return S_OK;
}

HRESULT IB::Lock(void** data, WORD** indicesOut)
{
    TraceContext trace(this, "Lock()");
    QL_REQUIRE_ARG(trace, data && indicesOut);
    QL_ASSERT(trace, !wide);
    QL_TRY(trace, "-", LockBuffer(data));
    *indicesOut = indices.Data();
    return S_OK;
}

HRESULT IB::Lock(void** data, uint32_t** indicesOut)
{
    TraceContext trace(this, "Lock()");
    QL_REQUIRE_ARG(trace, data && indicesOut);
    QL_ASSERT(trace, wide);
    QL_TRY(trace, "-", LockBuffer(data));
    *indicesOut = wideIndices.Data();
    return S_OK;
}

HRESULT IB::LockBuffer(void** data)
{
    TraceContext trace(this, "Lock()");
    if (!drawn) {
        *data = wide ? (void*)wideIndices.Data() : (void*)indices.Data();
        return S_OK;
    }
    QL_ASSERT(trace, buffer);
    QL_TRY(trace, "IDirect3DIndexBuffer9::Lock() failed", LockWhole(IndexBytes(), data));
    return S_OK;
}

HRESULT IB::Unlock()
{
    HRESULT result = UnlockBuffer();
    planesStamp = 0;
    // Its result is ignored on purpose: Unlock reports the device's unlock; a
    // mesh whose edges could not be paired has open edges, which the volumes handle.
    if (connected)
        graphics->GenConnectivityInfos(this);
    return result;
}

Texture::Texture(QLGraphics* owner, const EngineString& fileName) : name(fileName), graphics(owner) {}

Texture::~Texture()
{
    ReleaseTexture();
    delete[] imageBytes;
    graphics->Forget(this);
}

HRESULT Texture::Clone(Texture**)
{
    return E_FAIL;
}

bool Texture::KeepImageBytes(const void* bytes, uint32_t size)
{
    delete[] imageBytes;
    imageSize = 0;
    imageBytes = new (std::nothrow) uint8_t[size ? size : 1];
    if (!imageBytes)
        return false;
    memcpy(imageBytes, bytes, size);
    imageSize = size;
    return true;
}

HRESULT Texture::Load(bool tryDataFolder)
{
    if (imageBytes)
        return D3DXCreateTextureFromFileInMemoryEx(graphics->GetDevice(), imageBytes, imageSize, D3DX_DEFAULT,
                                                   D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                                                   D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, nullptr, nullptr,
                                                   &texture);
    auto load = [this](const EngineString& path) {
        return D3DXCreateTextureFromFileExA(graphics->GetDevice(), path.Chars(), D3DX_DEFAULT, D3DX_DEFAULT,
                                            D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_LINEAR,
                                            D3DX_FILTER_LINEAR, 0, nullptr, nullptr, &texture);
    };
    HRESULT result = load(name);
    if (FAILED(result) && tryDataFolder) {
        EngineString prefixed = "./data/" + name;
        result = load(prefixed);
        if (SUCCEEDED(result))
            name = prefixed;
    }
    if (FAILED(result))
        texture = nullptr;
    return result;
}

void Texture::ReleaseTexture()
{
    ReleaseUnbound(texture, BindingCache::texture);
}

HRESULT Texture::Active(DWORD stage)
{
    TraceContext trace(this, "Active()");
    // One cache for every stage, deliberately: a texture bound on any stage
    // counts as bound (S_FALSE); only ClearTexture empties it.
    if (BindingCache::texture == texture)
        return S_FALSE;
    BindingCache::texture = texture;
    QL_TRY(trace, "IDirect3DDevice9::SetTexture() failed", graphics->GetDevice()->SetTexture(stage, texture));
    return S_OK;
}

void ReleaseModelResources(VB* vertices, IB* indices, Texture* const* textures, uint32_t textureCount)
{
    if (vertices)
        vertices->Release();
    if (indices)
        indices->Release();
    for (uint32_t i = 0; i < textureCount; i++)
        if (textures[i])
            textures[i]->Release();
}

HRESULT QLGraphics::CreateVB(DWORD fvf, uint32_t count, bool dynamic, VB** out)
{
    TraceContext trace(this, "CreateVB()");
    QL_REQUIRE_ARG(trace, out);
    QL_ASSERT(trace, device);
    Owned<VB> buffer = MakeOwned<VB>(this, fvf, count, dynamic);
    QL_REQUIRE_MEMORY(trace, buffer);
    // A byte size beyond 32 bits would wrap into a small buffer that every
    // write of count vertices overruns.
    QL_REQUIRE_ARG(trace, uint64_t(count) * buffer->Stride() <= 0xFFFFFFFFu);
    // Dynamic buffers wait for a lock that asks for positions: the shadow
    // buffer and the font's never do.
    if (!dynamic)
        QL_TRY(trace, "Not Enough Memory", buffer->AllocatePositions());
    QL_TRY(trace, "IDirect3DDevice9::CreateVertexBuffer() failed", buffer->CreateBuffer());
    // A shadow buffer that cannot grow now does not fail this buffer: it
    // stays as it was, and the volumes grow it when they need more.
    if (!creatingShadowVB && (!shadowVB || shadowVB->GetCount() < 6 * uint64_t(count)))
        GrowShadowBuffer(6 * uint64_t(count));
    QL_REQUIRE_MEMORY(trace, SUCCEEDED(vertexBuffers.Add(buffer.Get())));
    *out = buffer.Detach();
    return S_OK;
}

// The shared shadow buffer: six vertices per vertex of the largest buffer,
// or what a volume needs. The new buffer is made beside the old one, which
// stays when it cannot be made.
HRESULT QLGraphics::GrowShadowBuffer(uint64_t vertexCount)
{
    TraceContext trace(this, "CreateVB()");
    QL_REQUIRE_ARG(trace, vertexCount <= 0xFFFFFFFFu);
    Owned<VB> grown;
    creatingShadowVB = true;
    HRESULT result = CreateVB(D3DFVF_XYZ, (uint32_t)vertexCount, true, grown.Receive());
    creatingShadowVB = false;
    QL_TRY(trace, "-", result);
    shadowVB = std::move(grown);
    return S_OK;
}

HRESULT QLGraphics::CreateIB(uint32_t count, bool dynamic, IB** out)
{
    return MakeIB(count, dynamic, false, true, out);
}

HRESULT QLGraphics::CreateWideIB(uint32_t count, bool dynamic, bool drawn, IB** out)
{
    return MakeIB(count, dynamic, true, drawn, out);
}

HRESULT QLGraphics::MakeIB(uint32_t count, bool dynamic, bool wide, bool drawn, IB** out)
{
    TraceContext trace(this, "CreateIB()");
    QL_REQUIRE_ARG(trace, out);
    QL_ASSERT(trace, device);
    // A byte size beyond 32 bits would wrap.
    QL_REQUIRE_ARG(trace, uint64_t(count) * (wide ? 4 : 2) <= 0xFFFFFFFFu);
    Owned<IB> buffer = MakeOwned<IB>(this, count, dynamic, wide, drawn);
    QL_REQUIRE_MEMORY(trace, buffer);
    QL_TRY(trace, "Not Enough Memory", buffer->AllocateCopies());
    QL_TRY(trace, "IDirect3DDevice9::CreateIndexBuffer() failed", buffer->CreateBuffer());
    QL_REQUIRE_MEMORY(trace, SUCCEEDED(indexBuffers.Add(buffer.Get())));
    *out = buffer.Detach();
    return S_OK;
}

HRESULT QLGraphics::CreateTexture(const EngineString& name, Texture** out)
{
    TraceContext trace(this, "CreateTexture()");
    QL_REQUIRE_ARG(trace, out);
    QL_ASSERT(trace, device);
    Owned<Texture> texture = MakeOwned<Texture>(this, name);
    QL_REQUIRE_MEMORY(trace, texture);
    QL_TRY(trace, ("Texture '" + name + "' : loading failed").Chars(), texture->Load(true));
    QL_REQUIRE_MEMORY(trace, SUCCEEDED(textures.Add(texture.Get())));
    *out = texture.Detach();
    return S_OK;
}

HRESULT QLGraphics::CreateTextureFromMemory(const EngineString& name, const void* bytes, uint32_t size,
                                            Texture** out)
{
    TraceContext trace(this, "CreateTexture()");
    QL_REQUIRE_ARG(trace, out);
    QL_REQUIRE_ARG(trace, bytes && size);
    QL_ASSERT(trace, device);
    Owned<Texture> texture = MakeOwned<Texture>(this, name);
    QL_REQUIRE_MEMORY(trace, texture && texture->KeepImageBytes(bytes, size));
    QL_TRY(trace, ("Texture '" + name + "' : loading failed").Chars(), texture->Load(false));
    QL_REQUIRE_MEMORY(trace, SUCCEEDED(textures.Add(texture.Get())));
    *out = texture.Detach();
    return S_OK;
}

HRESULT QLGraphics::ClearTexture(DWORD stage)
{
    BindingCache::texture = nullptr;
    return device ? device->SetTexture(stage, nullptr) : S_OK;
}
