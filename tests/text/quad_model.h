// A model for the font suites: one flat, unlit, single-coloured square in the
// plane z = depth, drawn in the model pass so 3D text can be tested against it.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "graphics/qlgraphres.h"

class QuadModel final : public RefCounted<QuadModel, IModel> {
public:
    // Registers itself with `graphics` and holds a reference to it.
    static HRESULT Create(IGraphics* graphics, float left, float bottom, float right, float top, float depth,
                          D3DCOLOR colour, QuadModel** out);
    ~QuadModel();

    QL_TYPE_NAME("QuadModel")
    HRESULT Clone(IGeometry**) override { return E_FAIL; }
    HRESULT Update(float) override { return S_OK; }
    HRESULT Render() override;
    HRESULT SendCommand(uint32_t, uint32_t) override { return S_FALSE; }
    HRESULT GetCreationParams(EngineString*, EngineString*) override { return E_FAIL; }
    HRESULT GetBoundingBox(D3DXVECTOR3*, D3DXVECTOR3*) override { return E_FAIL; }
    bool IsModel() override { return true; }
    HRESULT AddAnimation(uint32_t, float) override { return E_FAIL; }
    bool IsAnimationActive(uint32_t) override { return false; }
    HRESULT SetMatrix(D3DXMATRIX matrix) override
    {
        world = matrix;
        return S_OK;
    }
    HRESULT GetMatrix(D3DXMATRIX* matrix) override
    {
        *matrix = world;
        return S_OK;
    }
    HRESULT GetShadowInfos(ShadowInfos*) override { return E_FAIL; }

private:
    QuadModel() = default;

    IGraphics* graphics = nullptr;
    VB* vertices = nullptr;
    D3DXMATRIX world;
};
