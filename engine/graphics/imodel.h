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
    // Plays `animation` once with `weight` in the blend; a skinned model's
    // request for an animation already playing is kept for its next cycle
    // (S_FALSE). A skinned model reports "Too big id of Anim" or "Null or
    // Negative Weight" ("AddAnimation()"); a scene model has no animations: E_FAIL, silently.
    virtual HRESULT AddAnimation(uint32_t animation, float weight) = 0;
    // Whether `animation` is playing now; false for an unknown one.
    virtual bool IsAnimationActive(uint32_t animation) = 0;
    // The world matrix Render and the shadow pass use; S_OK.
    virtual HRESULT SetMatrix(D3DXMATRIX world) = 0;
    // "Invalid Call/Param" ("GetMatrix()") for a null out.
    virtual HRESULT GetMatrix(D3DXMATRIX* world) = 0;
    // E_FAIL, silently, for a null out. No references are added.
    virtual HRESULT GetShadowInfos(ShadowInfos* out) = 0;
};
