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

#include "qltrace.h"

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
    ShadowInfos infos = {nullptr, nullptr};
    if (FAILED(model->GetShadowInfos(&infos)) || !infos.vertices || !infos.indices)
        return S_OK;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    model->GetMatrix(&world);
    device->SetTransform(D3DTS_WORLD, &world);

    // The volume is built in model space, so the light must be brought there.
    const D3DXVECTOR3 worldLight(slot.light.Position.x, slot.light.Position.y, slot.light.Position.z);
    D3DXVECTOR3 light;
    if (!LightToModelSpace(world, worldLight, &light))
        return S_OK;
    const D3DXVECTOR3* positions = infos.vertices->Positions();
    const ShadowMesh mesh = infos.indices->ShadowView(infos.vertices);
    if (!positions || !mesh.HasIndices() || !mesh.facing || mesh.triangleCount == 0)
        return S_OK;

    D3DXVECTOR3 low, high;
    const bool capped = shadowOptions.capsWhereNeeded && infos.vertices->PositionBounds(&low, &high) &&
                        VolumeMayReachNearPlane(NearPlaneOf(eye, at, up), worldLight, world, low, high);
    const float start = capped ? CappedVolumeStart(worldLight, eye, world, low, high) : 1.0f;

    // Built straight into the buffer; a volume that does not fit (more
    // extruded edges than the buffer was sized for) grows it and is built
    // again, so nothing is ever written past the buffer.
    uint64_t sides = 0, total = 0;
    auto build = [&](D3DXVECTOR3* out, uint32_t capacity) {
        sides = BuildShadowVolume(mesh, light, out, capacity, start);
        const uint32_t rest = sides < capacity ? uint32_t(capacity - sides) : 0;
        total = sides + (capped ? BuildShadowCaps(mesh, light, rest ? out + sides : nullptr, rest, start) : 0);
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

    QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawVolumeIntoStencil(UINT(total / 3), capped));
    if (DrawPossibleSilhouette)
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", DrawSilhouetteLines(UINT(sides / 3)));
    return S_OK;
}

// Clockwise faces are the volume's faces turned to the eye: they count one
// up in front of the scene (depth-pass) and one down behind it (z-fail);
// counter-clockwise ones the other way. Stencil arithmetic wraps, so the
// order of the draws does not matter.
HRESULT QLGraphics::DrawVolumeIntoStencil(UINT triangles, bool capped)
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
        return device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    }
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    HRESULT result = device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
    if (FAILED(result))
        return result;
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(counted, counterClockwise);
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles);
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
