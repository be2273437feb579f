// What every skinned loader (Cal3D, MD5, glTF) makes through the graphics
// manager once its data is read. Each step writes its failure's records at
// `spot`, the loader's own check, and gives QLE_SUBFUNCTION; whatever it made
// stays in the meta, for the meta's destructor to release.
#pragma once

#include "models/skinned/modelskel.h"

#include "foundation/enginearray.h"
#include "graphics/igraphics.h"
#include "foundation/qltrace.h"

#include <d3dx9.h>
#include <stdint.h>

// The base matrix of data that is z-up and right-handed, as Cal3D's and
// MD5's are: stood up into the engine's y-up frame, then scaled.
void StandZUpData(float scale, D3DXMATRIX* base);

// `*out`, a static 16-bit index buffer, with `indices` written to the device
// and to the buffer's kept copy; creation, lock and unlock are each checked.
HRESULT MakeSkelIndexBuffer(const TraceContext& trace, SourceSpot spot, IGraphics* graphics,
                            const EngineArray<uint16_t>& indices, IB** out);

// The skin packed for the vector skinning paths, and the dynamic vertex
// buffer the first Update writes the skinned pose into.
HRESULT MakeSkelSkin(const TraceContext& trace, SourceSpot spot, IGraphics* graphics, ModelSkelMeta* meta);

// One texture per material whose map is a file (null for the others); the
// map's name is dropped once its texture exists.
HRESULT MakeSkelTextures(const TraceContext& trace, SourceSpot spot, IGraphics* graphics, ModelSkelMeta* meta);
