// Windowed Present shows the whole back buffer over the whole client area:
// stretched linearly when the sizes differ, copied pixel for pixel when
// they match, as Direct3D 9 does.
#include "device_fixture.h"

#include "support/present_parameters.h"

namespace {

struct Shown {
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    uint32_t At(uint32_t x, uint32_t y) const { return pixels[(size_t)y * width + x] & 0x00FFFFFF; }
};

// Presents a 64 x 64 back buffer, red on its left half and blue on its
// right but for a green top-left quarter, into a caption-less window of the given client size.
Shown PresentHalves(int clientWidth, int clientHeight)
{
    Shown shown;
    HWND window = CreateWindowExA(0, "D3D9TestWindow", "Present test", WS_POPUP, 0, 0, clientWidth, clientHeight,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    IDirect3D9* d3d = Direct3DCreate9(31);
    D3DPRESENT_PARAMETERS params = WindowedPresentParameters(window, 64, 64, false);
    IDirect3DDevice9* device = nullptr;
    EXPECT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &params, &device),
              D3D_OK);
    if (device) {
        const D3DRECT left = {0, 0, 32, 64}, right = {32, 0, 64, 64};
        device->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        device->Clear(1, &right, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
        const D3DRECT topLeft = {0, 0, 32, 32};
        device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_TRUE(QLTest_ReadWindowFrame(&shown.pixels, &shown.width, &shown.height));
        device->Release();
    }
    d3d->Release();
    DestroyWindow(window);
    return shown;
}

}  // namespace

// The fixture registers the window class the windows here use.
TEST_F(DeviceTest, PresentStretchesTheWholeBackBufferOverTheClientArea)
{
    Shown shown = PresentHalves(160, 100);
    ASSERT_EQ(shown.width, 160u);
    ASSERT_EQ(shown.height, 100u);
    // Every corner shows the back buffer's: nothing cropped, nothing undrawn.
    EXPECT_EQ(shown.At(0, 0), 0x00FF00u) << "the top row stays on top";
    EXPECT_EQ(shown.At(0, 99), 0xFF0000u);
    EXPECT_EQ(shown.At(159, 0), 0x0000FFu);
    EXPECT_EQ(shown.At(159, 99), 0x0000FFu);
    EXPECT_EQ(shown.At(70, 75), 0xFF0000u) << "the left half spans half the window";
    EXPECT_EQ(shown.At(90, 75), 0x0000FFu);
    // Stretched linearly: the seam is a blend of both colours.
    bool blended = false;
    for (uint32_t x = 76; x < 84; ++x) {
        uint32_t pixel = shown.At(x, 75);
        blended |= (pixel >> 16) > 0x20 && (pixel & 0xFF) > 0x20;
    }
    EXPECT_TRUE(blended);
}

TEST_F(DeviceTest, PresentCopiesPixelForPixelWhenTheSizesMatch)
{
    Shown shown = PresentHalves(64, 64);
    ASSERT_EQ(shown.width, 64u);
    for (uint32_t x = 0; x < 64; ++x)
        EXPECT_EQ(shown.At(x, 48), x < 32 ? 0xFF0000u : 0x0000FFu) << x;
}
