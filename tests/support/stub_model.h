// Stand-ins for the engine's geometry interfaces: every slot has a harmless
// default (nothing to clone, draw or report), so a test double overrides only
// what it is about. A model's matrix is kept, identity at first.
#pragma once

#include "graphics/imodel.h"

#include "foundation/qlobject.h"

template <typename Self, typename Interface = IGeometry>
class StubGeometry : public RefCounted<Self, Interface> {
public:
    HRESULT Clone(IGeometry**) override { return E_FAIL; }
    HRESULT Update(float) override { return S_OK; }
    HRESULT Render() override { return S_OK; }
    HRESULT SendCommand(uint32_t, uint32_t) override { return S_FALSE; }
    HRESULT GetCreationParams(EngineString*, EngineString*) override { return E_FAIL; }
    HRESULT GetBoundingBox(D3DXVECTOR3*, D3DXVECTOR3*) override { return E_FAIL; }
    bool IsModel() override { return false; }
};

template <typename Self>
class StubModel : public StubGeometry<Self, IModel> {
public:
    StubModel() { D3DXMatrixIdentity(&world); }

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
        if (!matrix)
            return E_INVALIDARG;
        *matrix = world;
        return S_OK;
    }
    HRESULT GetShadowInfos(ShadowInfos*) override { return E_FAIL; }
    HRESULT RenderParts(const bool*) override { return this->Render(); }

protected:
    D3DXMATRIX world;
};
