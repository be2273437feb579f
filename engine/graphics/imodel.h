// IModel: a geometry with a world matrix and shadow data, lit and shadowed.
#pragma once

#include "igeometry.h"

class VB;
class IB;

// The buffers a model's shadow volume is built from, owned by the model.
struct ShadowInfos {
    VB* vertices;  // kept model-space positions of every vertex
    IB* indices;   // kept 16-bit triangle list with its connectivity
};

struct IModel : IGeometry {
    virtual HRESULT AddAnimation(uint32_t animation, float weight) = 0;
    virtual bool IsAnimationActive(uint32_t animation) = 0;
    virtual HRESULT SetMatrix(D3DXMATRIX world) = 0;
    virtual HRESULT GetMatrix(D3DXMATRIX* world) = 0;
    // E_FAIL, silently, for a null out.
    virtual HRESULT GetShadowInfos(ShadowInfos* out) = 0;
};
