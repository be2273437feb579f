// The graphics manager's side of the stencil shadow volumes: connectivity
// when an index buffer is filled, and per light and model the volume built on
// the processor and drawn into the stencil buffer.
#include "qlgraphics.h"

#include "imodel.h"
#include "shadowvolume.h"

#include <qltrace.h>

HRESULT QLGraphics::GenConnectivityInfos(IB* buffer)
{
    TraceContext trace(this, "GenConnectivityInfos()");
    QL_REQUIRE_ARG(trace, buffer);
    GenConnectivity(buffer->Indices(), buffer->GetCount(), buffer->FaceInfos());
    return S_OK;
}

HRESULT QLGraphics::GenAndRenderShadVol(const LightSlot& slot, IGeometry* geometry)
{
    TraceContext trace(this, "GenAndRenderShadVol()");
    QL_REQUIRE_ARG(trace, geometry && geometry->IsModel() && slot.light.Type == D3DLIGHT_POINT);
    IModel* model = static_cast<IModel*>(geometry);

    ShadowInfos infos = {nullptr, nullptr};
    if (FAILED(model->GetShadowInfos(&infos)) || !infos.vertices || !infos.indices)
        return S_OK;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    model->GetMatrix(&world);
    device->SetTransform(D3DTS_WORLD, &world);

    // The volume is built in model space, so the light must be brought there.
    D3DXVECTOR3 light(slot.light.Position.x, slot.light.Position.y, slot.light.Position.z);
    if (!LightToModelSpace(world, light, &light))
        return S_OK;

    ShadowMesh mesh;
    mesh.positions = infos.vertices->Positions();
    mesh.vertexCount = infos.vertices->GetCount();
    mesh.indices = infos.indices->Indices();
    mesh.faces = infos.indices->FaceInfos();
    mesh.triangleCount = infos.indices->GetCount() / 3;
    if (!mesh.positions || !mesh.indices || !mesh.faces)
        return S_OK;

    // Built straight into the buffer; a volume that does not fit (more
    // extruded edges than the buffer was sized for) grows it and is built
    // again, so nothing is ever written past the buffer.
    uint64_t needed = 0;
    void* data = nullptr;
    if (shadowVB) {
        if (FAILED(shadowVB->Lock(&data, nullptr)))
            return S_OK;
        needed = BuildShadowVolume(mesh, light, static_cast<D3DXVECTOR3*>(data), shadowVB->GetCount());
        if (needed > shadowVB->GetCount())
            shadowVB->Unlock();
    } else {
        needed = BuildShadowVolume(mesh, light, nullptr, 0);
    }
    if (!shadowVB || needed > shadowVB->GetCount()) {
        QL_ASSERT(trace, needed <= 0xFFFFFFFFu / 2);
        QL_TRY(trace, "-", GrowShadowBuffer((uint32_t)needed > 0 ? (uint32_t)needed : kShadowVerticesPerEdge));
        if (FAILED(shadowVB->Lock(&data, nullptr)))
            return S_OK;
        needed = BuildShadowVolume(mesh, light, static_cast<D3DXVECTOR3*>(data), shadowVB->GetCount());
    }
    const uint32_t written = (uint32_t)needed;
    shadowVB->Unlock();
    shadowVB->Active(0);
    UINT triangles = written / 3;

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    if (triangles > 0)
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_DECR);
    if (triangles > 0)
        QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles));

    if (DrawPossibleSilhouette) {
        D3DMATERIAL9 white = {};
        white.Diffuse = white.Ambient = white.Specular = white.Emissive = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
        white.Power = 1.0f;
        device->SetMaterial(&white);
        if (!DrawShadowVolume)
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
        // Each quad's first two vertices are the edge, the next two a side.
        for (UINT q = 0; q < triangles; ++q)
            QL_TRY(trace, "IDirect3DDevice9::DrawPrimitive() failed", device->DrawPrimitive(D3DPT_LINELIST, 3 * q, 1));
        if (!DrawShadowVolume)
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    }
    return S_OK;
}
