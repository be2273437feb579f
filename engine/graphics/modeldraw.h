// How every model draws itself: the world transform, its buffers, then one
// indexed draw per material that has triangles.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/qlgraphres.h"

#include "foundation/qltrace.h"

#include <d3d9.h>

#include <stdint.h>

// One material's draw. The range is what DrawIndexedPrimitive takes.
struct MaterialDraw {
    const D3DMATERIAL9* material;
    Texture* texture;  // null: the stage is cleared
    UINT minVertex;
    UINT vertexCount;
    UINT startIndex;
    UINT indexCount;  // 0: not drawn at all
};

// Validates the device if `pending` (the drawing class's own flag, cleared
// here) is set: a failed validation is reported and drawing goes on; a device
// that needs more than one pass is warned about. Records name `spot`.
inline void ValidateDeviceOnce(const TraceContext& trace, SourceSpot spot, IDirect3DDevice9* device, bool& pending)
{
    if (!pending)
        return;
    pending = false;
    DWORD passes = 0;
    CheckResult(trace, "IDirect3DDevice9::ValidateDevice() failed", spot.file, spot.line,
                device->ValidateDevice(&passes));
    if (passes != 1)
        WriteLog(trace, TraceWarning,
                 EngineString("This device seem to require ") + (uint32_t)passes + " passes for this model's rendering",
                 spot.file, spot.line);
}

// `describe(i)` gives material i's MaterialDraw; the first material drawn
// validates the device if validationPending is set. A failure ends the draw
// at that material; records name `spot`, the model's Render.
template <typename Describe>
HRESULT DrawModel(const TraceContext& trace, SourceSpot spot, IGraphics* graphics, const D3DXMATRIX& world,
                  VB* vertices, IB* indices, uint32_t materialCount, bool& validationPending, Describe describe)
{
    auto failed = [&](const char* message, HRESULT code) {
        return FAILED(CheckResult(trace, message, spot.file, spot.line, code));
    };
    IDirect3DDevice9* device = graphics ? graphics->GetDevice() : nullptr;
    if (failed("IGraphics return NULL d3dDev", device ? S_OK : E_FAIL) ||
        failed("Assertion Failed", vertices && indices ? S_OK : E_FAIL))
        return QLE_SUBFUNCTION;
    device->SetTransform(D3DTS_WORLD, &world);
    if (failed("-", vertices->Active(0)) || failed("-", indices->Active()))
        return QLE_SUBFUNCTION;
    for (uint32_t i = 0; i < materialCount; i++) {
        const MaterialDraw draw = describe(i);
        if (draw.indexCount == 0)
            continue;
        device->SetMaterial(draw.material);
        if (draw.texture) {
            if (failed("-", draw.texture->Active(0)))
                return QLE_SUBFUNCTION;
        } else {
            graphics->ClearTexture(0);
        }
        ValidateDeviceOnce(trace, spot, device, validationPending);
        if (failed("IDirect3DDevice9::DrawIndexedPrimitive() failed",
                   device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, draw.minVertex, draw.vertexCount,
                                                draw.startIndex, draw.indexCount / 3)))
            return QLE_SUBFUNCTION;
    }
    return S_OK;
}
