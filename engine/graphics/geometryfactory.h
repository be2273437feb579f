// What every geometry factory of the core does around its class's Init.
#pragma once

#include "graphics/igeometry.h"

#include "foundation/owned.h"
#include "foundation/qltrace.h"

// Checks the out-parameter and the type, makes a Geometry holding its first
// reference and runs `init` on it. A refused type leaves *out as it was. On
// success *out holds that reference; on any later failure *out is null, the half-built geometry is destroyed after
// the failure is reported, and the graphics reference the core gave for it
// stays the caller's. Records name `spot`, the factory that calls this.
template <typename Geometry, typename Init>
HRESULT CreateGeometry(const TraceContext& trace, SourceSpot spot, bool knownType, IGeometry** out, Init init)
{
    auto check = [&](const char* message, HRESULT code) {
        return FAILED(CheckResult(trace, message, spot.file, spot.line, code));
    };
    if (check("Invalid Call/Param", out ? S_OK : E_INVALIDARG))
        return QLE_SUBFUNCTION;
    if (check("Unsupported Type", knownType ? S_OK : E_FAIL))
        return QLE_SUBFUNCTION;
    *out = nullptr;
    Owned<Geometry> geometry = MakeOwned<Geometry>();
    if (check("Not Enough Memory", geometry ? S_OK : E_OUTOFMEMORY))
        return QLE_SUBFUNCTION;
    HRESULT result = init(*geometry);
    if (FAILED(result))
        return result;
    *out = geometry.Detach();
    return S_OK;
}
