// Textures through D3DXCreateTextureFromFileExA and the stage-0 MODULATE of
// texture and diffuse colour, checked on rendered pixels.
#include "device_fixture.h"

#include "support/file_bytes.h"

#include <d3dx9.h>

#include <stdio.h>

#include <stb_image_write.h>

#include <string>

namespace {

// A 4 x 4 image, 0xAARRGGBB, top row first.
const uint32_t kImage[16] = {
    0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF800000, 0xFF008000, 0xFF000080, 0xFF808080,
    0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF, 0xFF404040, 0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0,
};

void Bgra(uint32_t argb, uint8_t out[4])
{
    out[0] = argb & 0xFF;
    out[1] = (argb >> 8) & 0xFF;
    out[2] = (argb >> 16) & 0xFF;
    out[3] = argb >> 24;
}

// Uncompressed or run-length TGA, 32-bit, with either origin.
void WriteTga(const std::string& path, bool topLeft, bool rle)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    uint8_t header[18] = {0, 0, (uint8_t)(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 4, 0, 32,
                          (uint8_t)(8 | (topLeft ? 0x20 : 0))};
    fwrite(header, 1, sizeof header, f);
    for (int row = 0; row < 4; ++row) {
        int y = topLeft ? row : 3 - row;
        if (rle) {
            // One raw packet per row: header 0x03 = 4 pixels.
            fputc(0x03, f);
        }
        for (int x = 0; x < 4; ++x) {
            uint8_t px[4];
            Bgra(kImage[y * 4 + x], px);
            fwrite(px, 1, 4, f);
        }
    }
    fclose(f);
}

void WritePng(const std::string& path)
{
    uint8_t rgba[16 * 4];
    for (int i = 0; i < 16; ++i) {
        rgba[4 * i] = (kImage[i] >> 16) & 0xFF;
        rgba[4 * i + 1] = (kImage[i] >> 8) & 0xFF;
        rgba[4 * i + 2] = kImage[i] & 0xFF;
        rgba[4 * i + 3] = 0xFF;
    }
    ASSERT_NE(stbi_write_png(path.c_str(), 4, 4, 4, rgba, 16), 0);
}

class TextureTest : public DeviceTest {
protected:
    HRESULT Load(const std::string& path, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info = nullptr)
    {
        return D3DXCreateTextureFromFileExA(device, path.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                            D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR,
                                            0, info, nullptr, texture);
    }

    // Draws the texture 1:1 at the top-left corner, texels sampled at their
    // centres, modulated with `diffuse`.
    std::vector<uint32_t> DrawTexture(IDirect3DTexture9* texture, D3DCOLOR diffuse, float size = 4)
    {
        device->SetTexture(0, texture);
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        RhwTexVertex v[6] = {{0, 0, 0, 1, diffuse, 0, 0},    {size, 0, 0, 1, diffuse, 1, 0},
                             {0, size, 0, 1, diffuse, 0, 1}, {size, 0, 0, 1, diffuse, 1, 0},
                             {size, size, 0, 1, diffuse, 1, 1}, {0, size, 0, 1, diffuse, 0, 1}};
        Clear(0xFF000000);
        Draw(v, 6, sizeof(RhwTexVertex), kRhwTexFvf, D3DPT_TRIANGLELIST);
        device->SetTexture(0, nullptr);
        return Frame();
    }

    void ExpectImage(const std::vector<uint32_t>& frame)
    {
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(At(frame, x, y), kImage[y * 4 + x] & 0xFFFFFF) << x << ", " << y;
    }
};

TEST_F(TextureTest, TgaOfEitherOriginAndEncodingLoadsTopRowFirst)
{
    const struct {
        const char* name;
        bool topLeft, rle;
    } cases[] = {{"top.tga", true, false}, {"bottom.tga", false, false}, {"rle.tga", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteTga(c.name, c.topLeft, c.rle);
        IDirect3DTexture9* texture = nullptr;
        D3DXIMAGE_INFO info = {};
        ASSERT_EQ(Load(c.name, &texture, &info), D3D_OK);
        EXPECT_EQ(info.Width, 4u);
        EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
        EXPECT_EQ(texture->GetLevelCount(), 3u);  // 4x4, 2x2, 1x1
        ExpectImage(DrawTexture(texture, 0xFFFFFFFF));
        texture->Release();
    }
}

TEST_F(TextureTest, PngLoadsAndModulatesWithTheDiffuseColour)
{
    WritePng("image.png");
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load("image.png", &texture), D3D_OK);
    ExpectImage(DrawTexture(texture, 0xFFFFFFFF));
    std::vector<uint32_t> frame = DrawTexture(texture, 0xFF808040);
    for (int i = 0; i < 16; ++i) {
        uint32_t texel = kImage[i], pixel = At(frame, i % 4, i / 4);
        const int diffuse[3] = {0x80, 0x80, 0x40};
        for (int c = 0; c < 3; ++c) {
            int shift = 16 - 8 * c;
            int expected = (int)(((texel >> shift) & 0xFF) * diffuse[c] / 255.0 + 0.5);
            EXPECT_NEAR((int)((pixel >> shift) & 0xFF), expected, 1) << i;
        }
    }
    texture->Release();
}

TEST_F(TextureTest, SizesRoundUpToPowersOfTwoWithAFullMipChain)
{
    uint8_t rgb[3 * 5 * 3] = {};
    ASSERT_NE(stbi_write_bmp("odd.bmp", 3, 5, 3, rgb), 0);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load("odd.bmp", &texture), D3D_OK);
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 8u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    texture->Release();
}

TEST_F(TextureTest, MissingOrUnreadableFilesFailWithANegativeCode)
{
    const char garbage[] = "not an image at all";
    ASSERT_TRUE(WriteFileBytes("garbage.tga", garbage, sizeof garbage - 1));
    for (const char* path : {"no/such/file.tga", "garbage.tga"}) {
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        HRESULT hr = Load(path, &texture);
        EXPECT_EQ(hr, D3DXERR_INVALIDDATA) << path;
        EXPECT_LT(hr, 0);
        EXPECT_EQ(texture, nullptr);
    }
    WriteTga("fine.tga", true, false);
    QLTest_FailCall("IDirect3DDevice9::CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(Load("fine.tga", &texture), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
}

// An image embedded in a model file: the same texels as from the file, the
// format from the bytes' magic, and bytes that are no image refused.
TEST_F(TextureTest, ImageBytesInMemoryLoadLikeTheirFile)
{
    WritePng("memory.png");
    std::vector<uint8_t> png;
    ASSERT_TRUE(ReadFileBytes("memory.png", &png));
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info = {};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, png.data(), (UINT)png.size(), D3DX_DEFAULT, D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                                                  D3DX_FILTER_LINEAR, D3DX_FILTER_LINEAR, 0, &info, nullptr,
                                                  &texture),
              D3D_OK);
    EXPECT_EQ(info.Width, 4u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    ExpectImage(DrawTexture(texture, 0xFFFFFFFF));
    texture->Release();

    const char garbage[] = "not an image at all";
    texture = reinterpret_cast<IDirect3DTexture9*>(1);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, garbage, sizeof garbage - 1, &texture), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
    // Only the bytes given are read: a PNG cut short is refused.
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, png.data(), (UINT)png.size() / 2, &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, nullptr, 4, &texture), D3DERR_INVALIDCALL);
}

TEST_F(TextureTest, StageWithoutTextureKeepsTheVertexColour)
{
    // Default stage states (MODULATE texture, SELECTARG1 texture) with no
    // texture bound: the plain diffuse colour.
    Clear(0xFF000000);
    DrawRect(0, 0, 16, 16, 0xFF4080C0);
    EXPECT_EQ(At(Frame(), 8, 8), 0x4080C0u);
}

TEST_F(TextureTest, DefaultPoolTextureBlocksResetUntilReleased)
{
    WriteTga("fine.tga", true, false);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load("fine.tga", &texture), D3D_OK);
    D3DPRESENT_PARAMETERS pp = params;
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    texture->Release();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
}

}  // namespace
