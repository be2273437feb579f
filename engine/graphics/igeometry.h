// IGeometry: everything the graphics manager draws. Models (IsModel true) are
// lit and shadowed in the model passes; the others are overlays drawn last.
#pragma once

#include "enginestring.h"
#include "qlobject.h"

#include <d3dx9.h>

#include <stdint.h>

struct IGeometry : IEngineObject {
    // A Font hands out itself with one more reference; models make a new
    // instance sharing the loaded data, registered with the graphics manager.
    virtual HRESULT Clone(IGeometry** out) = 0;
    // Once per frame, before the geometry's first Render of the frame.
    virtual HRESULT Update(float elapsedSeconds) = 0;
    // Draws under the pass's device state; sets only what is the geometry's
    // own (world transform, buffers, textures, material).
    virtual HRESULT Render() = 0;
    // Reserved for object-specific commands: S_FALSE.
    virtual HRESULT SendCommand(uint32_t command, uint32_t argument) = 0;
    // The type and command the factory was given.
    virtual HRESULT GetCreationParams(EngineString* type, EngineString* command) = 0;
    virtual HRESULT GetBoundingBox(D3DXVECTOR3* minimum, D3DXVECTOR3* maximum) = 0;
    // Must not change during a frame.
    virtual bool IsModel() = 0;
};
