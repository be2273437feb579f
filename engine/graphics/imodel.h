// IModel: a geometry with a world matrix and shadow data, lit and shadowed.
#pragma once

#include "graphics/igeometry.h"

class VB;
class IB;

// One object of a model, culled and shadowed on its own: a run of the
// shadow index buffer's triangles that shares no vertex with the other
// parts, and the model-space box around the positions they name. longestEdge
// bounds how far a triangle reaches from any of its corners.
struct ShadowPart {
    uint32_t firstTriangle;
    uint32_t triangleCount;
    D3DXVECTOR3 low, high;
    float longestEdge;
};

// The buffers a model's shadow volume is built from, owned by the model.
struct ShadowInfos {
    VB* vertices;  // kept model-space positions of every vertex
    IB* indices;   // kept triangle list (16- or 32-bit) with its connectivity
    // The model's objects, in triangle order; null: the whole mesh is one
    // part, boxed by the kept positions (a skinned model's last pose).
    const ShadowPart* parts = nullptr;
    uint32_t partCount = 0;
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
    // Render with only the parts of GetShadowInfos whose flag is set drawn
    // (null: all of them); a model of one part draws it whole.
    virtual HRESULT RenderParts(const bool* visible) = 0;
};
