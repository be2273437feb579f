// Depth testing, stencil counting by face under each cull mode with
// Direct3D's wrap-around and saturating operations, and the blend modes.
#include "device_fixture.h"

#include <math.h>

namespace {

TEST_F(DeviceTest, DepthTestKeepsTheNearerSurfaceAndWritesItsDepth)
{
    Clear(0xFF000000);
    DrawRect(8, 8, 40, 40, 0xFFFF0000, 0.25f);
    DrawRect(24, 24, 56, 56, 0xFF00FF00, 0.75f);  // behind the red one where they overlap
    std::vector<uint32_t> frame = Frame();
    EXPECT_EQ(At(frame, 30, 30), 0xFF0000u);
    EXPECT_EQ(At(frame, 50, 50), 0x00FF00u);
    std::vector<float> depth;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(QLTest_ReadDepthBuffer(&depth, &w, &h));
    EXPECT_NEAR(depth[30 * w + 30], 0.25f, 1e-5);
    EXPECT_NEAR(depth[50 * w + 50], 0.75f, 1e-5);
    EXPECT_NEAR(depth[2 * w + 2], 1.0f, 1e-5);

    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    DrawRect(24, 24, 56, 56, 0xFF0000FF, 0.5f);
    frame = Frame();
    EXPECT_EQ(At(frame, 30, 30), 0x0000FFu);  // 0.5 > 0.25
    EXPECT_EQ(At(frame, 50, 50), 0x00FF00u);  // 0.5 < 0.75

    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    DrawRect(0, 0, 8, 8, 0xFFFFFFFF, 0.9f);
    EXPECT_EQ(At(Frame(), 4, 4), 0xFFFFFFu);
}

// A clockwise quad on the left, a counter-clockwise one on the right.
void DrawBothWindings(DeviceTest* test, std::vector<RhwVertex>* out)
{
    D3DCOLOR c = 0xFFFFFFFF;
    *out = {{4, 4, 0, 1, c}, {28, 4, 0, 1, c}, {4, 28, 0, 1, c}, {28, 4, 0, 1, c}, {28, 28, 0, 1, c}, {4, 28, 0, 1, c},
            {36, 4, 0, 1, c}, {36, 28, 0, 1, c}, {60, 4, 0, 1, c}, {60, 4, 0, 1, c}, {36, 28, 0, 1, c}, {60, 28, 0, 1, c}};
    (void)test;
}

struct StencilCase {
    DWORD cull;
    DWORD op;
    DWORD clearValue;
    int clockwise, counterClockwise;  // expected stencil values
};

class StencilTest : public DeviceTest, public ::testing::WithParamInterface<StencilCase> {};

TEST_P(StencilTest, CountsTheFacesTheCullModeKeeps)
{
    const StencilCase& c = GetParam();
    Clear(0xFF000000, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, c.clearValue);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILPASS, c.op);
    device->SetRenderState(D3DRS_CULLMODE, c.cull);
    std::vector<RhwVertex> quads;
    DrawBothWindings(this, &quads);
    DrawRhw(quads);
    std::vector<uint8_t> stencil = Stencil();
    EXPECT_EQ(stencil[16 * kSize + 16], c.clockwise);
    EXPECT_EQ(stencil[16 * kSize + 48], c.counterClockwise);
    EXPECT_EQ(stencil[40 * kSize + 16], (int)c.clearValue);
}

INSTANTIATE_TEST_SUITE_P(
    CullModes, StencilTest,
    ::testing::Values(StencilCase{D3DCULL_NONE, D3DSTENCILOP_INCR, 0, 1, 1},
                      StencilCase{D3DCULL_CCW, D3DSTENCILOP_INCR, 0, 1, 0},
                      StencilCase{D3DCULL_CW, D3DSTENCILOP_INCR, 0, 0, 1},
                      StencilCase{D3DCULL_NONE, D3DSTENCILOP_INCR, 255, 0, 0},       // wraps to 0
                      StencilCase{D3DCULL_NONE, D3DSTENCILOP_DECR, 0, 255, 255},     // wraps to 255
                      StencilCase{D3DCULL_CCW, D3DSTENCILOP_DECR, 5, 4, 5},
                      StencilCase{D3DCULL_NONE, D3DSTENCILOP_INCRSAT, 255, 255, 255},  // clamps
                      StencilCase{D3DCULL_NONE, D3DSTENCILOP_DECRSAT, 0, 0, 0}));

TEST_F(DeviceTest, StencilFunctionMasksTheLitPass)
{
    // The shadow frame's pattern: count into the stencil, then draw only
    // where it is still 0.
    Clear(0xFF000000);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    DrawRect(0, 0, 32, 64, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, 0);
    DrawRect(0, 0, 64, 64, 0xFF00FF00);
    std::vector<uint32_t> frame = Frame();
    EXPECT_EQ(At(frame, 10, 10), 0u);
    EXPECT_EQ(At(frame, 50, 10), 0x00FF00u);
}

struct BlendCase {
    const char* name;
    DWORD src, dst, op;
    D3DCOLOR source, destination;
};

float Channel(D3DCOLOR c, int shift) { return ((c >> shift) & 0xFF) / 255.0f; }

// src·SRCBLEND <op> dst·DESTBLEND per colour channel; the back buffer has no
// alpha, so destination alpha reads as 1.
float Blend(const BlendCase& c, int shift)
{
    float s = Channel(c.source, shift), d = Channel(c.destination, shift);
    float sa = Channel(c.source, 24), da = 1.0f;
    auto factor = [&](DWORD f) {
        switch (f) {
        case D3DBLEND_ZERO: return 0.0f;
        case D3DBLEND_ONE: return 1.0f;
        case D3DBLEND_SRCCOLOR: return s;
        case D3DBLEND_INVSRCCOLOR: return 1 - s;
        case D3DBLEND_SRCALPHA: return sa;
        case D3DBLEND_INVSRCALPHA: return 1 - sa;
        case D3DBLEND_DESTALPHA: return da;
        case D3DBLEND_INVDESTALPHA: return 1 - da;
        case D3DBLEND_DESTCOLOR: return d;
        case D3DBLEND_INVDESTCOLOR: return 1 - d;
        default: return 1.0f;
        }
    };
    float a = s * factor(c.src), b = d * factor(c.dst), r = 0;
    switch (c.op) {
    case D3DBLENDOP_SUBTRACT: r = a - b; break;
    case D3DBLENDOP_REVSUBTRACT: r = b - a; break;
    case D3DBLENDOP_MIN: r = fminf(s, d); break;
    case D3DBLENDOP_MAX: r = fmaxf(s, d); break;
    default: r = a + b; break;
    }
    return fminf(fmaxf(r, 0.0f), 1.0f);
}

class BlendTest : public DeviceTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(BlendTest, CombinesSourceAndDestinationAsDirect3DDoes)
{
    const BlendCase& c = GetParam();
    Clear(c.destination);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, c.src);
    device->SetRenderState(D3DRS_DESTBLEND, c.dst);
    device->SetRenderState(D3DRS_BLENDOP, c.op);
    DrawRect(0, 0, 64, 64, c.source);
    uint32_t pixel = At(Frame(), 20, 20);
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(Channel(pixel, shift), Blend(c, shift), 1.5f / 255) << "channel shift " << shift;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BlendTest,
    ::testing::Values(BlendCase{"Opaque", D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0x80336699, 0xFF804020},
                      BlendCase{"Additive", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xFF406080, 0xFF302010},
                      BlendCase{"AlphaOver", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 0x40FF8000,
                                0xFF0020FF},
                      BlendCase{"StencilPassOnly", D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLENDOP_ADD, 0xFFFFFFFF, 0xFF123456},
                      BlendCase{"Modulate", D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD, 0xFF8040C0, 0xFF80FF40},
                      BlendCase{"InverseSource", D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD, 0xFF2080E0,
                                0xFF604020},
                      BlendCase{"DestinationAlpha", D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA, D3DBLENDOP_ADD,
                                0xFF204060, 0xFFFFFFFF},
                      BlendCase{"Subtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_SUBTRACT, 0xFF808080, 0xFF204060},
                      BlendCase{"ReverseSubtract", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0xFF204060,
                                0xFF808080},
                      BlendCase{"Max", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX, 0xFF20A060, 0xFF808080}),
    [](const ::testing::TestParamInfo<BlendCase>& info) { return info.param.name; });

}  // namespace

// The scissor rectangle (render-target pixels, top-left origin, right and
// bottom excluded) bounds draws and clears while its test is on; off, it
// bounds nothing.
TEST_F(DeviceTest, ScissorRectBoundsDrawsAndClearsWhileItsTestIsOn)
{
    Clear(0xFF000000);
    const RECT rect = {8, 4, 24, 40};
    ASSERT_EQ(D3D_OK, device->SetScissorRect(&rect));
    RECT back = {};
    ASSERT_EQ(D3D_OK, device->GetScissorRect(&back));
    EXPECT_TRUE(back.left == 8 && back.top == 4 && back.right == 24 && back.bottom == 40);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetScissorRect(nullptr));
    // Set but not tested: the whole target.
    DrawRect(0, 0, 64, 64, 0xFF0000FF);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    DrawRect(0, 0, 64, 64, 0xFF00FF00);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    DrawRect(0, 0, 64, 64, 0xFF00FF00);
    std::vector<uint32_t> frame = Frame();
    for (int y = 0; y < 64; y += 3)
        for (int x = 0; x < 64; x += 3) {
            const bool inside = x >= 8 && x < 24 && y >= 4 && y < 40;
            EXPECT_EQ(inside ? 0x00FF00u : 0x0000FFu, At(frame, x, y)) << x << "," << y;
        }
    EXPECT_EQ(0x00FF00u, At(frame, 23, 39));
    EXPECT_EQ(0x0000FFu, At(frame, 24, 39));
    EXPECT_EQ(0x0000FFu, At(frame, 23, 40));
    std::vector<uint8_t> stencil = Stencil();
    EXPECT_EQ(1, stencil[size_t(10) * 64 + 10]);
    EXPECT_EQ(0, stencil[size_t(50) * 64 + 50]);

    // A clear inside the rectangle only, then none at all once the test is off.
    const RECT corner = {0, 0, 16, 16};
    device->SetScissorRect(&corner);
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFFFF0000, 1.0f, 7));
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    frame = Frame();
    stencil = Stencil();
    EXPECT_EQ(0xFF0000u, At(frame, 10, 10));
    EXPECT_EQ(7, stencil[size_t(10) * 64 + 10]);
    EXPECT_EQ(0x00FF00u, At(frame, 20, 20));
    EXPECT_EQ(1, stencil[size_t(20) * 64 + 20]);
    EXPECT_EQ(0x0000FFu, At(frame, 50, 50));
}
