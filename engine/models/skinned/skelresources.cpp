#include "models/skinned/skelresources.h"

#include "graphics/qlgraphres.h"

#include <string.h>

namespace {

// CheckResult at the loader's spot; true when `code` failed.
struct SpotCheck {
    const TraceContext& trace;
    SourceSpot spot;
    bool Failed(const char* message, HRESULT code) const
    {
        return FAILED(CheckResult(trace, message, spot.file, spot.line, code));
    }
};

}  // namespace

void StandZUpData(float scale, D3DXMATRIX* base)
{
    D3DXMATRIX rotationX, rotationY, scaling;
    D3DXMatrixRotationX(&rotationX, -1.5707964f);
    D3DXMatrixRotationY(&rotationY, 3.1415927f);
    D3DXMatrixScaling(&scaling, scale, scale, scale);
    D3DXMatrixMultiply(base, &rotationX, &rotationY);
    D3DXMatrixMultiply(base, base, &scaling);
}

HRESULT MakeSkelIndexBuffer(const TraceContext& trace, SourceSpot spot, IGraphics* graphics,
                            const EngineArray<uint16_t>& indices, IB** out)
{
    SpotCheck check{trace, spot};
    if (check.Failed("-", graphics->CreateIB(indices.Count(), false, out)))
        return QLE_SUBFUNCTION;
    void* device = nullptr;
    WORD* kept = nullptr;
    // The lock reports itself; the unlock does not.
    if (check.Failed("-", (*out)->Lock(&device, &kept)))
        return QLE_SUBFUNCTION;
    memcpy(device, indices.Data(), sizeof(uint16_t) * indices.Count());
    memcpy(kept, indices.Data(), sizeof(uint16_t) * indices.Count());
    if (check.Failed("IDirect3DIndexBuffer9::Unlock() failed", (*out)->Unlock()))
        return QLE_SUBFUNCTION;
    return S_OK;
}

HRESULT MakeSkelSkin(const TraceContext& trace, SourceSpot spot, IGraphics* graphics, ModelSkelMeta* meta)
{
    SpotCheck check{trace, spot};
    const ModelSkelData& data = meta->data;
    if (check.Failed("Not Enough Memory", meta->skin.Build(data.vertices, data.influences) ? S_OK : E_OUTOFMEMORY))
        return QLE_SUBFUNCTION;
    if (check.Failed("-", graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, data.vertices.Count(), true,
                                             &meta->vertexBuffer)))
        return QLE_SUBFUNCTION;
    return S_OK;
}

HRESULT MakeSkelTextures(const TraceContext& trace, SourceSpot spot, IGraphics* graphics, ModelSkelMeta* meta)
{
    SpotCheck check{trace, spot};
    EngineArray<SkelMaterial>& materials = meta->data.materials;
    if (check.Failed("Not Enough Memory", meta->textures.Allocate(materials.Count()) ? S_OK : E_OUTOFMEMORY))
        return QLE_SUBFUNCTION;
    for (uint32_t m = 0; m < materials.Count(); ++m) {
        SkelMaterial& material = materials[m];
        if (!material.hasTexture)
            continue;
        if (check.Failed("-", graphics->CreateTexture(material.textureName, &meta->textures[m])))
            return QLE_SUBFUNCTION;
        material.textureName = EngineString();
    }
    return S_OK;
}
