// D3DXGetFVFVertexSize: the byte size of one vertex of a flexible format.
#include <d3dx9.h>

UINT WINAPI D3DXGetFVFVertexSize(DWORD FVF)
{
    UINT size = 0;
    switch (FVF & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: size = 12; break;
    case D3DFVF_XYZRHW: size = 16; break;
    case D3DFVF_XYZW: size = 16; break;
    case D3DFVF_XYZB1: size = 16; break;
    case D3DFVF_XYZB2: size = 20; break;
    case D3DFVF_XYZB3: size = 24; break;
    case D3DFVF_XYZB4: size = 28; break;
    case D3DFVF_XYZB5: size = 32; break;
    default: break;
    }
    if (FVF & D3DFVF_NORMAL)
        size += 12;
    if (FVF & D3DFVF_PSIZE)
        size += 4;
    if (FVF & D3DFVF_DIFFUSE)
        size += 4;
    if (FVF & D3DFVF_SPECULAR)
        size += 4;
    UINT sets = (FVF & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (sets > 8)
        sets = 8;
    static const UINT floatsPerFormat[4] = {2, 3, 4, 1};
    for (UINT i = 0; i < sets; ++i)
        size += 4 * floatsPerFormat[(FVF >> (16 + 2 * i)) & 3];
    return size;
}
