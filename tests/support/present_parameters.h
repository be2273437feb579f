// Present parameters of a windowed device with one back buffer of its own
// size, presented immediately, with or without a 24-bit depth, 8-bit stencil buffer.
#pragma once

#include <d3d9.h>

D3DPRESENT_PARAMETERS WindowedPresentParameters(HWND window, UINT width, UINT height, bool depthStencil);
