#include "support/present_parameters.h"

D3DPRESENT_PARAMETERS WindowedPresentParameters(HWND window, UINT width, UINT height, bool depthStencil)
{
    D3DPRESENT_PARAMETERS params = {};
    params.BackBufferWidth = width;
    params.BackBufferHeight = height;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = window;
    params.Windowed = TRUE;
    params.EnableAutoDepthStencil = depthStencil ? TRUE : FALSE;
    params.AutoDepthStencilFormat = depthStencil ? D3DFMT_D24S8 : D3DFMT_UNKNOWN;
    params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return params;
}
