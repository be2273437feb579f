// IGeometry: everything the graphics manager draws. Models (IsModel true) are
// lit and shadowed in the model passes; the others are overlays drawn last.
// The engine's geometries are Font (text/font.h), ModelScene ("3ds", "d3map")
// and ModelSkel ("cal3d", "md5"); their records name their own source file
// ("font", "modelscene", "modelskel") and the operation in quotes below.
#pragma once

#include "foundation/enginestring.h"
#include "foundation/qlobject.h"

#include <d3dx9.h>

#include <stdint.h>

struct IGeometry : IEngineObject {
    // A Font hands out itself with one more reference; models make a new
    // instance sharing the loaded data, registered with the graphics manager.
    // "Invalid Call/Param" ("Clone()") for a null out; a model's "Not Enough
    // Memory" or failed registration ("-") leaves *out null.
    virtual HRESULT Clone(IGeometry** out) = 0;
    // Once per frame, before the geometry's first Render of the frame, with
    // the scene time the frame advances: a skinned model plays and blends
    // its animations and skins its vertices ("-" when the skinning fails);
    // the others do nothing and return S_OK.
    virtual HRESULT Update(float elapsedSeconds) = 0;
    // Draws under the pass's device state; sets only what is the geometry's
    // own (world transform, buffers, textures, material). "IGraphics return
    // NULL d3dDev" ("Render()") without a device; a failed draw or bind is
    // reported and ends the frame (the graphics manager adds "Rendering failed").
    virtual HRESULT Render() = 0;
    // Reserved for object-specific commands: S_FALSE, arguments ignored.
    virtual HRESULT SendCommand(uint32_t command, uint32_t argument) = 0;
    // The type and command the factory was given; "Invalid Call/Param"
    // ("GetCreationParams()") for a null argument.
    virtual HRESULT GetCreationParams(EngineString* type, EngineString* command) = 0;
    // Model space: a scene's loaded vertices, a skinned model's last skinned
    // pose, a font's whole space (+-1e38). "Invalid Call/Param"
    // ("GetBoundingBox()") for a null argument, and neither corner is written.
    virtual HRESULT GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) = 0;
    // Must not change during a frame.
    virtual bool IsModel() = 0;
};
