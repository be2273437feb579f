// What the rest of the stand-in (D3DX) may use of the Direct3D 9 objects
// beyond their interfaces: the diagnostics and filling a texture level.
#pragma once

#include <d3d9.h>

// The stand-in's diagnostics: quiet unless QL_D3D9_DEBUG is set.
void D3D9Debug(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Fills a whole level from 0xAARRGGBB pixels, whatever the texture's pool:
// the texture loader's way into default-pool textures. D3DERR_INVALIDCALL
// for a level the texture lacks.
HRESULT QLD3D9_FillTextureLevel(IDirect3DTexture9* texture, UINT level, const void* pixels);
