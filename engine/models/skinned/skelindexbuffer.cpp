#include "skelindexbuffer.h"

#include "graphics/qlgraphres.h"

#include <string.h>

HRESULT MakeSkelIndexBuffer(const TraceContext& trace, SourceSpot spot, IGraphics* graphics,
                            const EngineArray<uint16_t>& indices, IB** out)
{
    auto failed = [&](const char* message, HRESULT code) {
        return FAILED(CheckResult(trace, message, spot.file, spot.line, code));
    };
    if (failed("-", graphics->CreateIB(indices.Count(), false, out)))
        return QLE_SUBFUNCTION;
    void* device = nullptr;
    WORD* kept = nullptr;
    // The lock reports itself; the unlock does not.
    if (failed("-", (*out)->Lock(&device, &kept)))
        return QLE_SUBFUNCTION;
    memcpy(device, indices.Data(), sizeof(uint16_t) * indices.Count());
    memcpy(kept, indices.Data(), sizeof(uint16_t) * indices.Count());
    if (failed("IDirect3DIndexBuffer9::Unlock() failed", (*out)->Unlock()))
        return QLE_SUBFUNCTION;
    return S_OK;
}
