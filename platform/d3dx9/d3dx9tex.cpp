// D3DXCreateTextureFromFileExA over stb_image: TGA (either origin, RLE or
// not), PNG, BMP and JPEG, scaled to the requested size and given its whole
// mip chain.
#include <d3dx9.h>

#include "d3d9/d3dx_interface.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_FAILURE_USERMSG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

namespace {

UINT NextPowerOfTwo(UINT n)
{
    UINT p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

D3DXIMAGE_FILEFORMAT FormatOfMagic(const unsigned char* magic)
{
    if (magic[0] == 0x89 && magic[1] == 'P')
        return D3DXIFF_PNG;
    if (magic[0] == 0xFF && magic[1] == 0xD8)
        return D3DXIFF_JPG;
    if (magic[0] == 'B' && magic[1] == 'M')
        return D3DXIFF_BMP;
    return D3DXIFF_TGA;
}

D3DXIMAGE_FILEFORMAT FileFormat(const char* path)
{
    unsigned char magic[4] = {};
    FILE* file = fopen(path, "rb");
    if (file) {
        size_t got = fread(magic, 1, sizeof magic, file);
        (void)got;
        fclose(file);
    }
    return FormatOfMagic(magic);
}

// Samples the source at the centre of each destination texel: the nearest
// texel for point filtering, bilinear weights otherwise.
void Scale(const std::vector<uint32_t>& src, UINT sw, UINT sh, std::vector<uint32_t>* dst, UINT dw, UINT dh,
           bool point)
{
    dst->resize((size_t)dw * dh);
    if (sw == dw && sh == dh) {
        *dst = src;
        return;
    }
    for (UINT y = 0; y < dh; ++y) {
        for (UINT x = 0; x < dw; ++x) {
            float fx = (x + 0.5f) * sw / dw - 0.5f, fy = (y + 0.5f) * sh / dh - 0.5f;
            if (point) {
                UINT ix = (UINT)((x + 0.5f) * sw / dw), iy = (UINT)((y + 0.5f) * sh / dh);
                (*dst)[(size_t)y * dw + x] = src[(size_t)(iy < sh ? iy : sh - 1) * sw + (ix < sw ? ix : sw - 1)];
                continue;
            }
            int x0 = fx < 0 ? 0 : (int)fx, y0 = fy < 0 ? 0 : (int)fy;
            int x1 = x0 + 1 < (int)sw ? x0 + 1 : x0, y1 = y0 + 1 < (int)sh ? y0 + 1 : y0;
            float ax = fx - x0 < 0 ? 0 : fx - x0, ay = fy - y0 < 0 ? 0 : fy - y0;
            uint32_t p00 = src[(size_t)y0 * sw + x0], p10 = src[(size_t)y0 * sw + x1];
            uint32_t p01 = src[(size_t)y1 * sw + x0], p11 = src[(size_t)y1 * sw + x1];
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                float top = ((p00 >> shift) & 0xFF) * (1 - ax) + ((p10 >> shift) & 0xFF) * ax;
                float bottom = ((p01 >> shift) & 0xFF) * (1 - ax) + ((p11 >> shift) & 0xFF) * ax;
                out |= (uint32_t)(top * (1 - ay) + bottom * ay + 0.5f) << shift;
            }
            (*dst)[(size_t)y * dw + x] = out;
        }
    }
}

// The next mip level: each texel averages the 2x2 (or 2x1) block above it.
void Halve(const std::vector<uint32_t>& src, UINT sw, UINT sh, std::vector<uint32_t>* dst, UINT* dw, UINT* dh,
           bool point)
{
    *dw = sw > 1 ? sw / 2 : 1;
    *dh = sh > 1 ? sh / 2 : 1;
    dst->resize((size_t)*dw * *dh);
    for (UINT y = 0; y < *dh; ++y) {
        for (UINT x = 0; x < *dw; ++x) {
            UINT x0 = sw > 1 ? 2 * x : 0, y0 = sh > 1 ? 2 * y : 0;
            UINT x1 = sw > 1 ? x0 + 1 : x0, y1 = sh > 1 ? y0 + 1 : y0;
            uint32_t a = src[(size_t)y0 * sw + x0];
            if (point) {
                (*dst)[(size_t)y * *dw + x] = a;
                continue;
            }
            uint32_t b = src[(size_t)y0 * sw + x1], c = src[(size_t)y1 * sw + x0], d = src[(size_t)y1 * sw + x1];
            uint32_t out = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF);
                out |= ((sum + 2) / 4) << shift;
            }
            (*dst)[(size_t)y * *dw + x] = out;
        }
    }
}

bool PointFilter(DWORD filter)
{
    DWORD kind = filter & 0xFF;
    return filter != D3DX_DEFAULT && (kind == D3DX_FILTER_NONE || kind == D3DX_FILTER_POINT);
}

}  // namespace

namespace {

// The texture of a decoded RGBA image, sized, formatted and mip-mapped as the
// Ex loaders' arguments say; the decoded pixels are freed here.
HRESULT TextureOfImage(IDirect3DDevice9* pDevice, stbi_uc* rgba, int fileW, int fileH, int channels, UINT Width,
                       UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                       DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_FILEFORMAT fileFormat,
                       D3DXIMAGE_INFO* pSrcInfo, IDirect3DTexture9** ppTexture)
{
    bool alpha = channels == 2 || channels == 4;
    // 0xAARRGGBB per texel; a colour-keyed texel becomes transparent black.
    std::vector<uint32_t> image((size_t)fileW * fileH);
    for (size_t i = 0; i < image.size(); ++i) {
        const stbi_uc* p = rgba + 4 * i;
        uint32_t argb = ((uint32_t)p[3] << 24) | ((uint32_t)p[0] << 16) | ((uint32_t)p[1] << 8) | p[2];
        image[i] = (ColorKey != 0 && argb == ColorKey) ? 0u : argb;
    }
    stbi_image_free(rgba);
    if (ColorKey != 0)
        alpha = true;

    UINT width = Width, height = Height;
    if (width == 0 || width == D3DX_DEFAULT)
        width = NextPowerOfTwo(fileW);
    else if (width == D3DX_DEFAULT_NONPOW2 || width == D3DX_FROM_FILE)
        width = fileW;
    if (height == 0 || height == D3DX_DEFAULT)
        height = NextPowerOfTwo(fileH);
    else if (height == D3DX_DEFAULT_NONPOW2 || height == D3DX_FROM_FILE)
        height = fileH;
    if (Format == D3DFMT_UNKNOWN || Format == D3DFMT_FROM_FILE ||
        (Format != D3DFMT_A8R8G8B8 && Format != D3DFMT_X8R8G8B8))
        Format = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    UINT levels = MipLevels;
    if (levels == D3DX_FROM_FILE)
        levels = 1;
    else if (levels == D3DX_DEFAULT)
        levels = 0;

    IDirect3DTexture9* texture = nullptr;
    HRESULT hr = pDevice->CreateTexture(width, height, levels, Usage, Format, Pool, &texture, nullptr);
    if (FAILED(hr))
        return hr;
    std::vector<uint32_t> level, next;
    Scale(image, fileW, fileH, &level, width, height, PointFilter(Filter));
    UINT w = width, h = height;
    for (UINT i = 0; i < texture->GetLevelCount(); ++i) {
        if (i > 0) {
            Halve(level, w, h, &next, &w, &h, PointFilter(MipFilter));
            level.swap(next);
        }
        QLD3D9_FillTextureLevel(texture, i, level.data());
    }
    if (pSrcInfo)
        *pSrcInfo = D3DXIMAGE_INFO{(UINT)fileW, (UINT)fileH, 1, 1, alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                                   D3DRTYPE_TEXTURE, fileFormat};
    *ppTexture = texture;
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                            DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            IDirect3DTexture9** ppTexture)
{
    (void)pPalette;
    if (ppTexture)
        *ppTexture = nullptr;
    if (!pDevice || !pSrcFile || !ppTexture)
        return D3DERR_INVALIDCALL;
    int fileW = 0, fileH = 0, channels = 0;
    stbi_uc* rgba = stbi_load(pSrcFile, &fileW, &fileH, &channels, 4);
    if (!rgba) {
        D3D9Debug("cannot load '%s': %s", pSrcFile, stbi_failure_reason());
        return D3DXERR_INVALIDDATA;
    }
    return TextureOfImage(pDevice, rgba, fileW, fileH, channels, Width, Height, MipLevels, Usage, Format, Pool, Filter,
                          MipFilter, ColorKey, FileFormat(pSrcFile), pSrcInfo, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture)
{
    (void)pPalette;
    if (ppTexture)
        *ppTexture = nullptr;
    if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture)
        return D3DERR_INVALIDCALL;
    // stb takes an int length; no image the stand-in reads comes near 2 GiB.
    if (SrcDataSize > 0x7FFFFFFFu)
        return D3DXERR_INVALIDDATA;
    const stbi_uc* bytes = static_cast<const stbi_uc*>(pSrcData);
    int fileW = 0, fileH = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(bytes, (int)SrcDataSize, &fileW, &fileH, &channels, 4);
    if (!rgba) {
        D3D9Debug("cannot load an image of %u bytes from memory: %s", SrcDataSize, stbi_failure_reason());
        return D3DXERR_INVALIDDATA;
    }
    unsigned char magic[4] = {};
    memcpy(magic, bytes, SrcDataSize < 4 ? SrcDataSize : 4);
    return TextureOfImage(pDevice, rgba, fileW, fileH, channels, Width, Height, MipLevels, Usage, Format, Pool, Filter,
                          MipFilter, ColorKey, FormatOfMagic(magic), pSrcInfo, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                 IDirect3DTexture9** ppTexture)
{
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                               D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, IDirect3DTexture9** ppTexture)
{
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, ppTexture);
}
