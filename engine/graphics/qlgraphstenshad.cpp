// The graphics manager's side of the stencil shadow volumes: connectivity
// when an index buffer is filled, and per light and model the volume built on
// the processor and drawn into the stencil buffer. A volume the eye may be
// inside is closed with caps and counted where it lies behind the scene
// (z-fail); every other one counts its sides in front of the scene
// (depth-pass), which needs no caps.
#include "graphics/qlgraphics.h"

#include "graphics/imodel.h"
#include "graphics/shadowvolume.h"
#include "graphics/shadowreach.h"
#include "graphics/viewcull.h"

#include "foundation/qltrace.h"

#include <math.h>
#include <string.h>

namespace {

template <typename Index>
uint32_t Connect(IB* buffer, const Index* indices)
{
    GenConnectivity(indices, buffer->GetCount(), buffer->FaceInfos());
    return ListShadowEdges(indices, buffer->FaceInfos(), buffer->GetCount() / 3, buffer->ShadowEdges(),
                           buffer->Facing());
}

}  // namespace

HRESULT QLGraphics::GenConnectivityInfos(IB* buffer)
{
    TraceContext trace(this, "GenConnectivityInfos()");
    QL_REQUIRE_ARG(trace, buffer);
    buffer->SetShadowEdgeCount(buffer->IsWide() ? Connect(buffer, buffer->WideIndices())
                                                : Connect(buffer, buffer->Indices()));
    return S_OK;
}

HRESULT QLGraphics::GenAndRenderShadVol(const LightSlot& slot, IGeometry* geometry)
{
    TraceContext trace(this, "GenAndRenderShadVol()");
    QL_REQUIRE_ARG(trace, geometry && geometry->IsModel() && slot.light.Type == D3DLIGHT_POINT);
    const HRESULT result = BuildAndDrawVolume(trace, slot, static_cast<IModel*>(geometry));
    // Whatever the model had to show, the next pass finds the same states.
    LeaveShadowVolumeStates();
    return result;
}

void QLGraphics::SetShadowVolumeOptions(const ShadowVolumeOptions& options)
{
    shadowOptions = options;
}

bool QLGraphics::UsesTwoSidedStencil() const
{
    return shadowOptions.twoSidedStencil && (caps.StencilCaps & D3DSTENCILCAPS_TWOSIDED) != 0;
}

HRESULT QLGraphics::BuildAndDrawVolume(TraceContext& trace, const LightSlot& slot, IModel* model)
{
    PartsView view;
    ViewParts(model, &view);
    const ShadowInfos& infos = view.infos;
    if (!infos.vertices || !infos.indices)
        return S_OK;
    const D3DXMATRIX& world = view.world;
    device->SetTransform(D3DTS_WORLD, &world);

    // The volume is built in model space, so the light must be brought there.
    const D3DXVECTOR3 worldLight(slot.light.Position.x, slot.light.Position.y, slot.light.Position.z);
    D3DXVECTOR3 light;
    if (!LightToModelSpace(world, worldLight, &light))
        return S_OK;
    const D3DXVECTOR3* positions = infos.vertices->Positions();
    const ShadowMesh mesh = infos.indices->ShadowView(infos.vertices);
    if (!positions || !mesh.HasIndices() || !mesh.facing || mesh.triangleCount == 0 || !GrowPartScratch(view.count))
        return S_OK;

    // Each part on its own: left out when its volume cannot fall on what the
    // light lights on screen, capped and counted behind the scene when it
    // may reach the eye, counted in front otherwise.
    const NearPlane nearPlane = NearPlaneOf(eye, at, up);
    D3DXVECTOR3 low, high;
    const bool wholeCapped = !shadowOptions.capsPerObject && shadowOptions.capsWhereNeeded &&
                             infos.vertices->PositionBounds(&low, &high) &&
                             VolumeMayReachNearPlane(nearPlane, worldLight, world, low, high);
    const float wholeStart = wholeCapped ? CappedVolumeStart(worldLight, eye, world, low, high) : 1.0f;
    // Nothing is drawn under the scene's lowest point, so a volume need not
    // reach past it when the eye is above.
    const float floor = FloorUnder(lowest, worldLight);
    const bool toFloor = shadowOptions.volumesToFloor && lowestKnown && eye.y > floor;
    for (uint32_t p = 0; p < view.count; ++p) {
        const ShadowPart& part = view.parts[p];
        partPlans[p] = wholeCapped ? 2 : 1;
        partStarts[p] = wholeStart;
        partReaches[p] = kShadowExtrusion;
        if (!view.boxed)
            continue;
        const PlacedBox box = PlaceBox(world, part.low, part.high);
        if (toFloor)
            partReaches[p] = ExtrusionToFloor(worldLight, box, floor, 2.0f);
        if (culling && (!ShadowMayReachView(frustum, worldLight, box) ||
                        (reach.limited && DistanceToBox(worldLight, box) > reach.castReach))) {
            partPlans[p] = 0;
            continue;
        }
        if (shadowOptions.capsPerObject && shadowOptions.capsWhereNeeded &&
            VolumeMayReachNearPlane(nearPlane, worldLight, world, part.low, part.high)) {
            partPlans[p] = 2;
            partStarts[p] = CappedVolumeStart(worldLight, eye, world, part.low, part.high);
        }
        // The far end stays well beyond the start of a capped volume.
        partReaches[p] = fmaxf(partReaches[p], 2.0f * partStarts[p]);
    }

    // A capped part is drawn indexed over two copies of the vertices it
    // uses, when the device's indices reach them all; otherwise (and without
    // an index buffer) its sides and caps are written vertex by vertex.
    uint64_t extent = 0;
    for (uint32_t p = 0; p < view.count; ++p) {
        if (partPlans[p] != 2)
            continue;
        const ShadowPart& part = view.parts[p];
        partSpans[p] = part.firstTriangle == 0 && part.triangleCount >= mesh.triangleCount
                           ? CappedVertexSpan{0, mesh.vertexCount}
                           : CappedVertexRange(PartOf(mesh, part.firstTriangle, part.triangleCount));
        extent += 2 * uint64_t(partSpans[p].count);
    }
    const bool wideIndices = extent > 0x10000;
    bool indexed = extent > 0 && extent - 1 <= caps.MaxVertexIndex && (!wideIndices || caps.MaxVertexIndex > 0xFFFF);

    // Built straight into the buffers, depth-pass sides first, then the
    // capped parts' vertices, sides and caps; a volume that does not fit
    // (more extruded edges than the buffer was sized for) grows the buffer
    // and is built again, so nothing is ever written past a buffer.
    uint64_t passSides = 0, sides = 0, total = 0, sideIndices = 0, indices = 0;
    uint32_t cast = 0, capped = 0;
    auto partMesh = [&](uint32_t p) {
        return view.boxed ? PartOf(mesh, view.parts[p].firstTriangle, view.parts[p].triangleCount) : mesh;
    };
    auto build = [&](D3DXVECTOR3* out, uint32_t capacity, void* indexOut, uint32_t indexCapacity) {
        uint64_t n = 0;
        auto room = [&](uint32_t* rest) {
            *rest = n < capacity ? uint32_t(capacity - n) : 0;
            return *rest ? out + n : nullptr;
        };
        uint32_t rest = 0;
        cast = 0;
        for (uint32_t p = 0; p < view.count; ++p) {
            if (partPlans[p] != 1)
                continue;
            D3DXVECTOR3* into = room(&rest);
            n += BuildShadowVolume(partMesh(p), light, into, rest, 1.0f, partReaches[p]);
            ++cast;
        }
        passSides = n;
        capped = cast;
        uint64_t k = 0;
        auto indicesRoom = [&](uint32_t* left) {
            *left = k < indexCapacity ? uint32_t(indexCapacity - k) : 0;
            return *left ? k : 0;
        };
        if (indexed) {
            for (uint32_t p = 0; p < view.count; ++p)
                if (partPlans[p] == 2) {
                    if (n + 2 * uint64_t(partSpans[p].count) <= capacity)
                        BuildCappedVertices(partMesh(p), partSpans[p], light, partStarts[p], partReaches[p], out + n);
                    n += 2 * uint64_t(partSpans[p].count);
                    ++cast;
                }
            // Indices count from the first copy, where the indexed draw's base is.
            for (int pass = 0; pass < 2; ++pass) {
                uint32_t base = 0;
                for (uint32_t p = 0; p < view.count; ++p) {
                    if (partPlans[p] != 2)
                        continue;
                    const ShadowMesh part = partMesh(p);
                    uint32_t left = 0;
                    const uint64_t at = indicesRoom(&left);
                    if (wideIndices) {
                        uint32_t* into = left ? static_cast<uint32_t*>(indexOut) + at : nullptr;
                        k += pass == 0 ? BuildCappedSides(part, partSpans[p], light, base, into, left)
                                       : BuildCappedCaps(part, partSpans[p], base, into, left);
                    } else {
                        WORD* into = left ? static_cast<WORD*>(indexOut) + at : nullptr;
                        k += pass == 0 ? BuildCappedSides(part, partSpans[p], light, base, into, left)
                                       : BuildCappedCaps(part, partSpans[p], base, into, left);
                    }
                    base += 2 * partSpans[p].count;
                }
                if (pass == 0)
                    sideIndices = k;
            }
            sides = passSides;
        } else {
            for (uint32_t p = 0; p < view.count; ++p)
                if (partPlans[p] == 2) {
                    D3DXVECTOR3* into = room(&rest);
                    n += BuildShadowVolume(partMesh(p), light, into, rest, partStarts[p], partReaches[p]);
                    ++cast;
                }
            sides = n;
            for (uint32_t p = 0; p < view.count; ++p) {
                if (partPlans[p] != 2)
                    continue;
                const ShadowMesh part = PartOf(mesh, view.parts[p].firstTriangle, view.parts[p].triangleCount);
                D3DXVECTOR3* into = room(&rest);
                n += BuildShadowCaps(part, light, into, rest, partStarts[p], partReaches[p]);
            }
        }
        total = n;
        indices = k;
    };
    // The first build into the buffers as they are tells what they must
    // hold; a buffer too small is grown and the volume built again. Without
    // its index buffer the volume is built unindexed, which may need a
    // larger vertex buffer once more.
    if (!shadowVB)
        build(nullptr, 0, nullptr, 0);
    // The vertices are built into a scratch array of the buffer's size and
    // only those written are sent: a frame's volumes are a small part of a
    // buffer sized for the largest model.
    bool built = false;
    void* indexData = nullptr;
    for (int attempt = 0; attempt < 3 && !built; ++attempt) {
        if (!shadowVB || total > shadowVB->GetCount())
            QL_TRY(trace, "-", GrowShadowBuffer(total > 0 ? total : kShadowVerticesPerEdge));
        if (shadowScratch.Count() != shadowVB->GetCount())
            QL_TRY(trace, "Not Enough Memory", shadowScratch.Allocate(shadowVB->GetCount()) ? S_OK : E_OUTOFMEMORY);
        if (indexed && (!shadowIndices || shadowIndicesWide != wideIndices || indices > shadowIndexCapacity))
            indexed = MakeShadowIndices(indices, wideIndices);
        indexData = nullptr;
        if (indexed && FAILED(shadowIndices->Lock(0, 0, &indexData, D3DLOCK_DISCARD)))
            indexed = false;
        build(shadowScratch.Data(), shadowScratch.Count(), indexed ? indexData : nullptr,
              indexed ? shadowIndexCapacity : 0);
        built = total <= shadowVB->GetCount() && (!indexed || indices <= shadowIndexCapacity);
        if (indexed)
            shadowIndices->Unlock();
    }
    if (!built || total == 0)
        return S_OK;
    void* data = nullptr;
    if (FAILED(shadowVB->LockFirst(uint32_t(total), &data)))
        return S_OK;
    memcpy(data, shadowScratch.Data(), size_t(total) * sizeof(D3DXVECTOR3));
    shadowVB->Unlock();
    shadowVB->Active(0);
    statistics.volumesDrawn += cast;
    statistics.volumesCapped += cast - capped;

    VolumeDraw depthPass, cappedDraw, lines;
    depthPass.triangles = UINT(passSides / 3);
    cappedDraw.firstVertex = UINT(passSides);
    cappedDraw.triangles = UINT((total - passSides) / 3);
    lines.triangles = UINT(sides / 3);
    if (indexed) {
        cappedDraw.triangles = 0;
        cappedDraw.baseVertex = lines.baseVertex = UINT(passSides);
        cappedDraw.vertexCount = lines.vertexCount = UINT(total - passSides);
        cappedDraw.indexedTriangles = UINT(indices / 3);
        lines.indexedTriangles = UINT(sideIndices / 3);
    }
    QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawVolumeIntoStencil(depthPass, false));
    QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawVolumeIntoStencil(cappedDraw, true));
    if (DrawPossibleSilhouette)
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawSilhouetteLines(lines));
    return S_OK;
}

bool QLGraphics::MakeShadowIndices(uint64_t count, bool wide)
{
    ReleaseShadowIndices();
    // Never below 64 Ki indices, so that small volumes do not grow it often.
    const uint64_t capacity = count > 0x10000 ? count : 0x10000;
    if (capacity * (wide ? 4 : 2) > 0xFFFFFFFFu ||
        FAILED(device->CreateIndexBuffer(UINT(capacity * (wide ? 4 : 2)), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                         wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16, D3DPOOL_DEFAULT, &shadowIndices,
                                         nullptr))) {
        shadowIndices = nullptr;
        return false;
    }
    shadowIndexCapacity = uint32_t(capacity);
    shadowIndicesWide = wide;
    return true;
}

void QLGraphics::ReleaseShadowIndices()
{
    if (!shadowIndices)
        return;
    if (BindingCache::indexBuffer == shadowIndices)
        BindingCache::indexBuffer = nullptr;
    shadowIndices->Release();
    shadowIndices = nullptr;
    shadowIndexCapacity = 0;
}

// Clockwise faces are the volume's faces turned to the eye: they count one
// up in front of the scene (depth-pass) and one down behind it (z-fail);
// counter-clockwise ones the other way. Stencil arithmetic wraps, so the
// order of the draws does not matter.
HRESULT QLGraphics::DrawVolumeIntoStencil(const VolumeDraw& draw, bool capped)
{
    if (draw.triangles == 0 && draw.indexedTriangles == 0)
        return S_OK;
    const D3DRENDERSTATETYPE counted = capped ? D3DRS_STENCILZFAIL : D3DRS_STENCILPASS;
    const D3DRENDERSTATETYPE uncounted = capped ? D3DRS_STENCILPASS : D3DRS_STENCILZFAIL;
    const DWORD clockwise = capped ? D3DSTENCILOP_DECR : D3DSTENCILOP_INCR;
    const DWORD counterClockwise = capped ? D3DSTENCILOP_INCR : D3DSTENCILOP_DECR;
    device->SetRenderState(uncounted, D3DSTENCILOP_KEEP);
    device->SetRenderState(counted, clockwise);
    if (UsesTwoSidedStencil()) {
        device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, TRUE);
        device->SetRenderState(D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS);
        device->SetRenderState(D3DRS_CCW_STENCILFAIL, D3DSTENCILOP_KEEP);
        device->SetRenderState(capped ? D3DRS_CCW_STENCILPASS : D3DRS_CCW_STENCILZFAIL, D3DSTENCILOP_KEEP);
        device->SetRenderState(capped ? D3DRS_CCW_STENCILZFAIL : D3DRS_CCW_STENCILPASS, counterClockwise);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        return DrawVolumeTriangles(draw);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    HRESULT result = DrawVolumeTriangles(draw);
    if (FAILED(result))
        return result;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(counted, counterClockwise);
    return DrawVolumeTriangles(draw);
}

HRESULT QLGraphics::DrawVolumeTriangles(const VolumeDraw& draw)
{
    if (draw.triangles) {
        const HRESULT result = device->DrawPrimitive(D3DPT_TRIANGLELIST, draw.firstVertex, draw.triangles);
        if (FAILED(result))
            return result;
    }
    if (!draw.indexedTriangles)
        return S_OK;
    if (BindingCache::indexBuffer != shadowIndices) {
        BindingCache::indexBuffer = shadowIndices;
        device->SetIndices(shadowIndices);
    }
    return device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, INT(draw.baseVertex), 0, draw.vertexCount, 0,
                                        draw.indexedTriangles);
}

// Each side quad's first two vertices (or indices) are the edge, the next
// two a side: every extruded edge shows as two white lines, added to the
// frame.
HRESULT QLGraphics::DrawSilhouetteLines(const VolumeDraw& sides)
{
    D3DMATERIAL9 white = {};
    white.Diffuse = white.Ambient = white.Specular = white.Emissive = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    white.Power = 1.0f;
    device->SetMaterial(&white);
    if (!DrawShadowVolume)
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, FALSE);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    HRESULT result = S_OK;
    for (UINT q = 0; q < sides.triangles && SUCCEEDED(result); ++q)
        result = device->DrawPrimitive(D3DPT_LINELIST, 3 * q, 1);
    for (UINT q = 0; q < sides.indexedTriangles && SUCCEEDED(result); ++q)
        result = device->DrawIndexedPrimitive(D3DPT_LINELIST, INT(sides.baseVertex), 0, sides.vertexCount, 3 * q, 1);
    if (!DrawShadowVolume)
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    return result;
}

// What the shadow pass leaves for the lit pass after every model, drawn or
// not: one-sided stencil, the cull mode
// clockwise, and the stencil-pass operation that the last draw of a
// depth-pass volume (or of the silhouette lines) uses.
void QLGraphics::LeaveShadowVolumeStates()
{
    if (caps.StencilCaps & D3DSTENCILCAPS_TWOSIDED)
        device->SetRenderState(D3DRS_TWOSIDEDSTENCILMODE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILPASS, DrawPossibleSilhouette ? D3DSTENCILOP_KEEP : D3DSTENCILOP_DECR);
}
