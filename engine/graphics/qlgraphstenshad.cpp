// The graphics manager's side of the stencil shadow volumes: connectivity
// when an index buffer is filled, and per light and model the volume built on
// the processor and drawn into the stencil buffer. A volume the eye may be
// inside is closed with caps and counted where it lies behind the scene
// (z-fail); every other one counts its sides in front of the scene
// (depth-pass), which needs no caps.
#include "qlgraphics.h"

#include "imodel.h"
#include "shadowvolume.h"
#include "shadowreach.h"
#include "viewcull.h"

#include "qltrace.h"

#include <math.h>

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

    // Built straight into the buffer, depth-pass sides first, then the
    // capped parts' sides and their caps; a volume that does not fit (more
    // extruded edges than the buffer was sized for) grows it and is built
    // again, so nothing is ever written past the buffer.
    uint64_t passSides = 0, sides = 0, total = 0;
    uint32_t cast = 0, capped = 0;
    auto build = [&](D3DXVECTOR3* out, uint32_t capacity) {
        uint64_t n = 0;
        auto room = [&](uint32_t* rest) {
            *rest = n < capacity ? uint32_t(capacity - n) : 0;
            return *rest ? out + n : nullptr;
        };
        uint32_t rest = 0;
        cast = 0;
        for (uint8_t plan = 1; plan <= 2; ++plan) {
            for (uint32_t p = 0; p < view.count; ++p) {
                if (partPlans[p] != plan)
                    continue;
                const ShadowMesh part = view.boxed ? PartOf(mesh, view.parts[p].firstTriangle,
                                                            view.parts[p].triangleCount)
                                                   : mesh;
                D3DXVECTOR3* into = room(&rest);
                n += BuildShadowVolume(part, light, into, rest, plan == 2 ? partStarts[p] : 1.0f, partReaches[p]);
                ++cast;
            }
            if (plan == 1) {
                passSides = n;
                capped = cast;
            }
        }
        sides = n;
        for (uint32_t p = 0; p < view.count; ++p) {
            if (partPlans[p] != 2)
                continue;
            const ShadowMesh part = PartOf(mesh, view.parts[p].firstTriangle, view.parts[p].triangleCount);
            D3DXVECTOR3* into = room(&rest);
            n += BuildShadowCaps(part, light, into, rest, partStarts[p], partReaches[p]);
        }
        total = n;
    };
    void* data = nullptr;
    if (shadowVB) {
        if (FAILED(shadowVB->Lock(&data, nullptr)))
            return S_OK;
        build(static_cast<D3DXVECTOR3*>(data), shadowVB->GetCount());
        if (total > shadowVB->GetCount())
            shadowVB->Unlock();
    } else {
        build(nullptr, 0);
    }
    if (!shadowVB || total > shadowVB->GetCount()) {
        QL_TRY(trace, "-", GrowShadowBuffer(total > 0 ? total : kShadowVerticesPerEdge));
        if (FAILED(shadowVB->Lock(&data, nullptr)))
            return S_OK;
        build(static_cast<D3DXVECTOR3*>(data), shadowVB->GetCount());
    }
    shadowVB->Unlock();
    shadowVB->Active(0);
    statistics.volumesDrawn += cast;
    statistics.volumesCapped += cast - capped;

    QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawVolumeIntoStencil(0, UINT(passSides / 3), false));
    QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed",
           DrawVolumeIntoStencil(UINT(passSides), UINT((total - passSides) / 3), true));
    if (DrawPossibleSilhouette)
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawSilhouetteLines(UINT(sides / 3)));
    return S_OK;
}

// Clockwise faces are the volume's faces turned to the eye: they count one
// up in front of the scene (depth-pass) and one down behind it (z-fail);
// counter-clockwise ones the other way. Stencil arithmetic wraps, so the
// order of the draws does not matter.
HRESULT QLGraphics::DrawVolumeIntoStencil(UINT firstVertex, UINT triangles, bool capped)
{
    if (triangles == 0)
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
        return device->DrawPrimitive(D3DPT_TRIANGLELIST, firstVertex, triangles);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    HRESULT result = device->DrawPrimitive(D3DPT_TRIANGLELIST, firstVertex, triangles);
    if (FAILED(result))
        return result;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(counted, counterClockwise);
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, firstVertex, triangles);
}

// Each side quad's first two vertices are the edge, the next two a side:
// every extruded edge shows as two white lines, added to the frame.
HRESULT QLGraphics::DrawSilhouetteLines(UINT sideTriangles)
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
    for (UINT q = 0; q < sideTriangles && SUCCEEDED(result); ++q)
        result = device->DrawPrimitive(D3DPT_LINELIST, 3 * q, 1);
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
