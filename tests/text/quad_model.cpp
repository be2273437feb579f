#include "quad_model.h"

#include <new>

namespace {

struct ColouredVertex {
    float x, y, z;
    D3DCOLOR colour;
};

}  // namespace

HRESULT QuadModel::Create(IGraphics* graphics, float left, float bottom, float right, float top, float depth,
                          D3DCOLOR colour, QuadModel** out)
{
    QuadModel* model = new (std::nothrow) QuadModel();
    if (!model)
        return E_OUTOFMEMORY;
    model->AddRef();
    HRESULT result = graphics->CreateVB(D3DFVF_XYZ | D3DFVF_DIFFUSE, 6, false, &model->vertices);
    void* data = nullptr;
    D3DXVECTOR3* positions = nullptr;
    if (SUCCEEDED(result))
        result = model->vertices->Lock(&data, &positions);
    if (FAILED(result)) {
        model->Release();
        return result;
    }
    const ColouredVertex corners[6] = {{left, bottom, depth, colour}, {left, top, depth, colour},
                                       {right, top, depth, colour},   {left, bottom, depth, colour},
                                       {right, top, depth, colour},   {right, bottom, depth, colour}};
    for (int i = 0; i < 6; ++i) {
        static_cast<ColouredVertex*>(data)[i] = corners[i];
        positions[i] = D3DXVECTOR3(corners[i].x, corners[i].y, corners[i].z);
    }
    model->vertices->Unlock();
    graphics->AddRef();
    model->graphics = graphics;
    graphics->AddGeometry(model);
    *out = model;
    return S_OK;
}

QuadModel::~QuadModel()
{
    if (vertices)
        vertices->Release();
    if (graphics) {
        graphics->RemoveGeometry(this);
        graphics->Release();
    }
}

HRESULT QuadModel::Render()
{
    IDirect3DDevice9* device = graphics->GetDevice();
    device->SetTransform(D3DTS_WORLD, &world);
    graphics->ClearTexture(0);
    // Only the vertex colour: whatever the font left on stage 0 is not ours.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    HRESULT result = vertices->Active(0);
    if (FAILED(result))
        return result;
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
}
