// The index buffer every skinned loader (Cal3D, MD5, glTF) makes from its
// packed 16-bit indices.
#pragma once

#include "enginearray.h"
#include "graphics/igraphics.h"
#include "qltrace.h"

#include <stdint.h>

// Makes `*out`, a static 16-bit index buffer, and writes `indices` to the
// device and to the buffer's kept copy. A failing creation, lock or unlock
// writes its record at `spot`, the loader's check, and gives
// QLE_SUBFUNCTION; `*out` then holds whatever buffer was made, for the
// loader's owner to release.
HRESULT MakeSkelIndexBuffer(const TraceContext& trace, SourceSpot spot, IGraphics* graphics,
                            const EngineArray<uint16_t>& indices, IB** out);
