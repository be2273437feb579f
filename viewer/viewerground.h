// The viewer's ground: a flat box under the model, so that a model without a
// ground of its own still shows its shadow. It is made as a 3D Studio scene
// through the core's "3ds" type, so it is lit and shadowed like any model.
#pragma once

#include "core/icore.h"
#include "graphics/igraphics.h"
#include "graphics/imodel.h"

#include <d3dx9.h>

#include <stdint.h>
#include <vector>

struct GroundBox {
    D3DXVECTOR3 low;
    D3DXVECTOR3 high;
};

// A slab whose top lies just below the bottom of the model's world box
// [modelLow, modelHigh], centred under it, `reach` from its middle to each
// side.
GroundBox GroundUnder(const D3DXVECTOR3& modelLow, const D3DXVECTOR3& modelHigh, float reach);

// The slab as the bytes of a 3D Studio file: one grey material, one mesh
// whose faces each have their own corners, so every side is lit flat.
std::vector<uint8_t> GroundScene(const GroundBox& box);

struct Ground {
    IModel* model = nullptr;  // one reference; null: there is no ground
    bool shown = false;
};

// Loads the slab through `core` from a temporary file, removed again, and
// shows it. A failure is reported in the log and leaves no ground.
HRESULT CreateGround(ICore* core, const GroundBox& box, Ground& ground);
// Adds the ground to the frame or takes it out.
void ShowGround(IGraphics* graphics, Ground& ground, bool shown);
// Puts a hidden ground back first: a model leaves the frame when it goes.
void ReleaseGround(IGraphics* graphics, Ground& ground);
