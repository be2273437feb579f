// The IDirect3DDevice9 calls this engine never makes: render-target surfaces, shaders,
// state blocks, patches, palettes and queries. They fail cleanly (null out
// parameters, D3DERR_INVALIDCALL or D3DERR_NOTAVAILABLE) instead of
// pretending to work.
#include "device.h"

namespace {

// What a call that would make or hand out an object this device does not
// have returns: the out parameter nulled, when there is one, and code.
template <typename Interface>
HRESULT Refuse(Interface** out, HRESULT code = D3DERR_NOTAVAILABLE)
{
    if (out)
        *out = nullptr;
    return code;
}

}  // namespace

HRESULT Device::SetCursorProperties(UINT, UINT, IDirect3DSurface9*) { return D3DERR_INVALIDCALL; }
void Device::SetCursorPosition(int, int, DWORD) {}
HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain9** chain)
{
    return Refuse(chain);
}
HRESULT Device::GetSwapChain(UINT, IDirect3DSwapChain9** chain)
{
    return Refuse(chain);
}
HRESULT Device::GetRasterStatus(UINT, D3DRASTER_STATUS*) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetDialogBoxMode(BOOL) { return D3DERR_INVALIDCALL; }
void Device::SetGammaRamp(UINT, DWORD, const D3DGAMMARAMP*) {}
void Device::GetGammaRamp(UINT, D3DGAMMARAMP* ramp)
{
    if (!ramp)
        return;
    for (int i = 0; i < 256; ++i)
        ramp->red[i] = ramp->green[i] = ramp->blue[i] = (WORD)(i * 257);
}
HRESULT Device::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                    IDirect3DVolumeTexture9** texture, HANDLE*)
{
    return Refuse(texture);
}
HRESULT Device::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9** texture, HANDLE*)
{
    return Refuse(texture);
}
HRESULT Device::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                   IDirect3DSurface9** surface, HANDLE*)
{
    return Refuse(surface);
}
HRESULT Device::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                          IDirect3DSurface9** surface, HANDLE*)
{
    return Refuse(surface);
}
HRESULT Device::UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const POINT*)
{
    return D3DERR_INVALIDCALL;
}
HRESULT Device::UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetFrontBufferData(UINT, IDirect3DSurface9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*, D3DTEXTUREFILTERTYPE)
{
    return D3DERR_INVALIDCALL;
}
HRESULT Device::ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetRenderTarget(DWORD, IDirect3DSurface9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetRenderTarget(DWORD, IDirect3DSurface9** surface)
{
    return Refuse(surface);
}
HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    return Refuse(surface);
}
HRESULT Device::SetClipPlane(DWORD, const float*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetClipPlane(DWORD, float*) { return D3DERR_INVALIDCALL; }
HRESULT Device::CreateStateBlock(D3DSTATEBLOCKTYPE, IDirect3DStateBlock9** block)
{
    return Refuse(block);
}
HRESULT Device::BeginStateBlock() { return D3DERR_NOTAVAILABLE; }
HRESULT Device::EndStateBlock(IDirect3DStateBlock9** block)
{
    return Refuse(block, D3DERR_INVALIDCALL);
}
HRESULT Device::SetClipStatus(const D3DCLIPSTATUS9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetClipStatus(D3DCLIPSTATUS9*) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPaletteEntries(UINT, const PALETTEENTRY*) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPaletteEntries(UINT, PALETTEENTRY*) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetCurrentTexturePalette(UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetCurrentTexturePalette(UINT*) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetSoftwareVertexProcessing(BOOL) { return D3D_OK; }
BOOL Device::GetSoftwareVertexProcessing()
{
    return (creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
}
HRESULT Device::SetNPatchMode(float) { return D3DERR_INVALIDCALL; }
float Device::GetNPatchMode() { return 0.0f; }
HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                       UINT)
{
    return D3DERR_INVALIDCALL;
}
HRESULT Device::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer9*, IDirect3DVertexDeclaration9*, DWORD)
{
    return D3DERR_INVALIDCALL;
}
HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9*, IDirect3DVertexDeclaration9** declaration)
{
    return Refuse(declaration);
}
HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    return declaration ? D3DERR_INVALIDCALL : D3D_OK;
}
HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** declaration)
{
    return HandOutNothing(declaration);
}
HRESULT Device::CreateVertexShader(const DWORD*, IDirect3DVertexShader9** shader)
{
    return Refuse(shader);
}
HRESULT Device::SetVertexShaderConstantF(UINT, const float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantF(UINT, float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetVertexShaderConstantI(UINT, const int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantI(UINT, int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetVertexShaderConstantB(UINT, const BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetVertexShaderConstantB(UINT, BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetStreamSourceFreq(UINT, UINT setting) { return setting == 1 ? D3D_OK : D3DERR_INVALIDCALL; }
HRESULT Device::GetStreamSourceFreq(UINT, UINT* setting)
{
    if (!setting)
        return D3DERR_INVALIDCALL;
    *setting = 1;
    return D3D_OK;
}
HRESULT Device::CreatePixelShader(const DWORD*, IDirect3DPixelShader9** shader)
{
    return Refuse(shader);
}
HRESULT Device::SetPixelShaderConstantF(UINT, const float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantF(UINT, float*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPixelShaderConstantI(UINT, const int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantI(UINT, int*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::SetPixelShaderConstantB(UINT, const BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::GetPixelShaderConstantB(UINT, BOOL*, UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) { return D3DERR_INVALIDCALL; }
HRESULT Device::DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) { return D3DERR_INVALIDCALL; }
HRESULT Device::DeletePatch(UINT) { return D3DERR_INVALIDCALL; }
HRESULT Device::CreateQuery(D3DQUERYTYPE, IDirect3DQuery9** query)
{
    return Refuse(query);
}
