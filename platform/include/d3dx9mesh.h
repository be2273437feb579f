// D3DX 9 vertex-format helpers for builds without the Windows SDK.
#pragma once

#include <d3d9.h>

// Bytes per vertex of a flexible vertex format: position (and blend
// weights), normal, point size, diffuse, specular, then each texture
// coordinate set at its declared size.
UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF);
