#include "device_fixture.h"

#include "support/present_parameters.h"

namespace {

HWND CreateTestWindow()
{
    static ATOM registered = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "D3D9TestWindow";
        return RegisterClassExA(&windowClass);
    }();
    if (!registered)
        return nullptr;
    HWND window = CreateWindowExA(0, "D3D9TestWindow", "Direct3D 9 test", WS_POPUP | WS_CAPTION, 0, 0, 64, 64,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window)
        ShowWindow(window, SW_SHOW);
    return window;
}

}  // namespace

void DeviceTest::SetUp()
{
    window = CreateTestWindow();
    ASSERT_NE(window, nullptr);
    d3d = Direct3DCreate9(31);
    ASSERT_NE(d3d, nullptr);
    params = WindowedPresentParameters(window, kSize, kSize, true);
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE, &params, &device),
              D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void DeviceTest::TearDown()
{
    QLTest_ClearFailures();
    if (device) {
        EXPECT_EQ(device->Release(), 0u);
    }
    if (d3d) {
        EXPECT_EQ(d3d->Release(), 0u);
    }
    if (window)
        DestroyWindow(window);
}

IDirect3DVertexBuffer9* DeviceTest::MakeBuffer(const void* data, UINT bytes, DWORD fvf)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    void* target = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &target, 0), D3D_OK);
    memcpy(target, data, bytes);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    return buffer;
}

void DeviceTest::Draw(const void* vertices, UINT count, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type)
{
    IDirect3DVertexBuffer9* buffer = MakeBuffer(vertices, count * stride, fvf);
    device->SetFVF(fvf);
    device->SetStreamSource(0, buffer, 0, stride);
    UINT primitives = type == D3DPT_LINELIST ? count / 2 : count / 3;
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(type, 0, primitives), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    device->SetStreamSource(0, nullptr, 0, 0);
    buffer->Release();
}

void DeviceTest::DrawRhw(const std::vector<RhwVertex>& vertices, D3DPRIMITIVETYPE type)
{
    Draw(vertices.data(), (UINT)vertices.size(), sizeof(RhwVertex), kRhwFvf, type);
}

void DeviceTest::DrawRect(float x0, float y0, float x1, float y1, D3DCOLOR color, float z)
{
    DrawRhw({{x0, y0, z, 1, color}, {x1, y0, z, 1, color}, {x0, y1, z, 1, color},
             {x1, y0, z, 1, color}, {x1, y1, z, 1, color}, {x0, y1, z, 1, color}});
}

std::vector<uint32_t> DeviceTest::Frame()
{
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    EXPECT_TRUE(QLTest_ReadPresentedFrame(&pixels, &w, &h));
    EXPECT_EQ(w, kSize);
    EXPECT_EQ(h, kSize);
    return pixels;
}

void DeviceTest::Clear(D3DCOLOR color, DWORD flags, DWORD stencil)
{
    ASSERT_EQ(device->Clear(0, nullptr, flags, color, 1.0f, stencil), D3D_OK);
}

std::vector<uint8_t> DeviceTest::Stencil()
{
    std::vector<uint8_t> values;
    uint32_t w = 0, h = 0;
    EXPECT_TRUE(QLTest_ReadStencilBuffer(&values, &w, &h));
    return values;
}
