// A windowed 64 x 64 device with a depth-stencil buffer on a real (headless)
// window, and helpers to draw pretransformed geometry and read pixels.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>
#include <qlplatform_test.h>

#include <vector>

struct RhwVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
};
constexpr DWORD kRhwFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

struct RhwTexVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
constexpr DWORD kRhwTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

class DeviceTest : public ::testing::Test {
protected:
    static constexpr UINT kSize = 64;

    void SetUp() override;
    void TearDown() override;

    // A managed vertex buffer holding the bytes.
    IDirect3DVertexBuffer9* MakeBuffer(const void* data, UINT bytes, DWORD fvf);
    // Draws vertices (of the given format and stride) as one primitive list.
    void Draw(const void* vertices, UINT count, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type);
    void DrawRhw(const std::vector<RhwVertex>& vertices, D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST);
    // Two triangles covering [x0, x1) x [y0, y1), clockwise on screen.
    void DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color, float z = 0.0f);
    // Presents and reads the frame back.
    std::vector<uint32_t> Frame();
    void Clear(D3DCOLOR color, DWORD flags = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, DWORD stencil = 0);
    std::vector<uint8_t> Stencil();

    HWND window = nullptr;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS params = {};
};

inline uint32_t At(const std::vector<uint32_t>& frame, int x, int y)
{
    return frame[(size_t)y * 64 + x] & 0x00FFFFFF;
}
