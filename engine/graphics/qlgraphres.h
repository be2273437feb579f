// Graphic resources made and kept by the graphics manager. Besides its
// Direct3D buffer, a VB keeps the model-space position of every vertex and an
// IB a copy of its indices (16-bit, or 32-bit for a wide buffer) with
// triangle connectivity: shadow volumes are built from these copies on the
// processor.
#pragma once

#include "graphics/shadowvolume.h"

#include "foundation/enginearray.h"
#include "foundation/enginestring.h"
#include "foundation/qlobject.h"

#include <d3d9.h>
#include <d3dx9.h>

#include <stdint.h>

class QLGraphics;

// What a VB and an IB share: the manager that made the buffer (told when it
// dies), its element count, whether it is dynamic, and the Direct3D buffer
// it fronts, made by CreateBuffer and released before a device reset.
template <typename Self, typename Direct3DBuffer>
class GraphicBuffer : public IEngineObject {
public:
    virtual HRESULT Clone(Self** out)  // always E_FAIL
    {
        (void)out;
        return E_FAIL;
    }

    bool IsDynamic() const { return dynamic; }
    Direct3DBuffer* Buffer() const { return buffer; }
    // The binding cache forgets the buffer, so a later one at its address is
    // never taken for bound.
    void ReleaseBuffer();

protected:
    GraphicBuffer(QLGraphics* owner, uint32_t elementCount, bool isDynamic)
        : graphics(owner), count(elementCount), dynamic(isDynamic)
    {
    }
    ~GraphicBuffer() = default;

    DWORD Usage() const { return dynamic ? D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY : D3DUSAGE_WRITEONLY; }
    // The whole buffer (or its first bytes), discarded when dynamic.
    HRESULT LockWhole(uint32_t bytes, void** data) { return buffer->Lock(0, bytes, data, dynamic ? D3DLOCK_DISCARD : 0); }
    HRESULT UnlockBuffer() { return buffer ? buffer->Unlock() : S_OK; }

    QLGraphics* graphics;
    uint32_t count;
    bool dynamic;
    Direct3DBuffer* buffer = nullptr;
};

class VB final : public RefCounted<VB, GraphicBuffer<VB, IDirect3DVertexBuffer9>> {
public:
    QL_TYPE_NAME("VB")
    // Binds as the stream source (and FVF); S_FALSE when already bound.
    virtual HRESULT Active(uint32_t stream);
    // Locks the whole buffer (discarding when dynamic). *positions, when
    // asked for, is this buffer's kept position array (count entries) that
    // the caller fills alongside. A dynamic buffer allocates it at the first
    // lock that asks; if that allocation fails the lock fails and nothing
    // stays locked.
    virtual HRESULT Lock(void** data, D3DXVECTOR3** positions);
    virtual HRESULT Unlock();
    virtual uint32_t GetCount() { return count; }

    // The manager's side.
    VB(QLGraphics* graphics, DWORD fvf, uint32_t count, bool dynamic);
    ~VB();
    // Null for a dynamic buffer never locked for positions.
    const D3DXVECTOR3* Positions() const { return positions.Data(); }
    // Locks only the first `vertices` (1 to count) of a buffer whose tail is
    // not needed, discarding when dynamic: what the device is sent is what
    // is written, not the whole buffer.
    HRESULT LockFirst(uint32_t vertices, void** data);
    // The box around the kept positions as last written; false without any.
    bool PositionBounds(D3DXVECTOR3* low, D3DXVECTOR3* high);
    // Changes, to a value no buffer had before, whenever positions may have
    // been written.
    uint64_t PositionsStamp() const { return positionsStamp; }
    DWORD Fvf() const { return fvf; }
    uint32_t Stride() const { return stride; }
    HRESULT CreateBuffer();
    HRESULT AllocatePositions();

private:
    DWORD fvf;
    uint32_t stride;
    // Model-space positions for the shadow volumes. Processor memory: it
    // survives a device reset, so the buffer's shadow stays its own.
    EngineArray<D3DXVECTOR3> positions;
    bool boundsKnown = false;  // cleared by every lock that hands out positions
    uint64_t positionsStamp;
    D3DXVECTOR3 boundsLow, boundsHigh;
};

class IB final : public RefCounted<IB, GraphicBuffer<IB, IDirect3DIndexBuffer9>> {
public:
    QL_TYPE_NAME("IB")
    virtual HRESULT Active();
    // Both out pointers are required; fill *indices with what goes to *data.
    // The index width must be the buffer's: "Assertion Failed" otherwise.
    virtual HRESULT Lock(void** data, WORD** indices);
    HRESULT Lock(void** data, uint32_t** indices);
    // Rebuilds the connectivity from the kept indices, unless the buffer is
    // only drawn (DrawnOnly).
    virtual HRESULT Unlock();
    virtual uint32_t GetCount() { return count; }

    // A buffer not `drawn` has no device side (see IGraphics::CreateWideIB):
    // its Lock hands out the kept copy as the data too.
    IB(QLGraphics* graphics, uint32_t count, bool dynamic, bool wide = false, bool drawn = true);
    ~IB();
    // The kept indices: Indices() for a 16-bit buffer, WideIndices() for a
    // 32-bit one; the other is null.
    const WORD* Indices() const { return indices.Data(); }
    const uint32_t* WideIndices() const { return wideIndices.Data(); }
    bool IsWide() const { return wide; }
    FaceInfo* FaceInfos() { return faceInfos.Data(); }
    // What the volume builder reads for these triangles over the kept
    // positions of vertices: the edge list made at Unlock, and the planes,
    // made again whenever the positions or the indices changed.
    ShadowMesh ShadowView(VB* vertices);
    void SetShadowEdgeCount(uint32_t count) { shadowEdgeCount = count; }
    ShadowEdge* ShadowEdges() { return shadowEdges.Data(); }
    uint8_t* Facing() { return facing.Data(); }
    HRESULT AllocateCopies();
    HRESULT CreateBuffer();
    HRESULT RefillBuffer();
    // For a buffer of a model that casts its shadows through another one:
    // its unlocks build no connectivity, which nothing would read.
    void DrawnOnly() { connected = false; }

private:
    HRESULT LockBuffer(void** data);
    uint32_t IndexBytes() const { return count * (wide ? 4 : 2); }

    bool wide;
    bool drawn;
    bool connected = true;
    EngineArray<WORD> indices;
    EngineArray<uint32_t> wideIndices;
    EngineArray<FaceInfo> faceInfos;
    EngineArray<ShadowEdge> shadowEdges;  // 3 per triangle at most
    uint32_t shadowEdgeCount = 0;
    EngineArray<uint8_t> facing;  // one byte per triangle
    EngineArray<D3DXVECTOR4> planes;  // one per triangle
    uint64_t planesStamp = 0;  // the positions stamp the planes were made from; 0: none
};

class Texture final : public RefCounted<Texture, IEngineObject> {
public:
    QL_TYPE_NAME("Texture")
    virtual HRESULT Clone(Texture** out);  // always E_FAIL
    // S_FALSE when this texture is the current one, whatever the stage.
    virtual HRESULT Active(DWORD stage);

    Texture(QLGraphics* graphics, const EngineString& name);
    ~Texture();
    const EngineString& Name() const { return name; }
    IDirect3DTexture9* Direct3DTexture() const { return texture; }
    // Keeps a copy of an image file's bytes to load from instead of `name`;
    // false when memory runs out.
    bool KeepImageBytes(const void* bytes, uint32_t size);
    // Loads the kept bytes, or else `name`, then "./data/" + name; records
    // the path that loaded.
    HRESULT Load(bool tryDataFolder);
    void ReleaseTexture();

private:
    EngineString name;
    QLGraphics* graphics;
    IDirect3DTexture9* texture = nullptr;
    uint8_t* imageBytes = nullptr;  // owned; null for a texture read from its file
    uint32_t imageSize = 0;
};

// Releases what a model's shared data holds: its two buffers and one texture
// per material, any of them null where there is none.
void ReleaseModelResources(VB* vertices, IB* indices, Texture* const* textures, uint32_t textureCount);

// Locks a VB or IB, lets `fill(data, kept)` write the device data and the
// kept copy beside it (positions or indices), and unlocks it.
template <typename Kept, typename Buffer, typename Fill>
HRESULT Refill(Buffer* buffer, Fill fill)
{
    void* data = nullptr;
    Kept* kept = nullptr;
    HRESULT result = buffer->Lock(&data, &kept);
    if (FAILED(result))
        return result;
    fill(data, kept);
    return buffer->Unlock();
}
