// Reading a frame back the SDK's way: the back buffer, a system-memory
// surface and GetRenderTargetData, with Direct3D 9's rules for each.
#include "device_fixture.h"

namespace {

class SurfaceTest : public DeviceTest {
protected:
    void TearDown() override
    {
        if (copy)
            copy->Release();
        if (backBuffer)
            backBuffer->Release();
        DeviceTest::TearDown();
    }

    void TakeSurfaces(UINT width = kSize, UINT height = kSize, D3DFORMAT format = D3DFMT_X8R8G8B8)
    {
        ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer));
        ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SYSTEMMEM, &copy,
                                                              nullptr));
    }

    // The copied pixel (x, y) as 0xAARRGGBB.
    uint32_t CopiedPixel(int x, int y)
    {
        D3DLOCKED_RECT locked = {};
        EXPECT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, D3DLOCK_READONLY));
        if (!locked.pBits)
            return 0;
        uint32_t pixel = *reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                            (size_t)y * locked.Pitch + x * 4);
        copy->UnlockRect();
        return pixel;
    }

    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* copy = nullptr;
};

TEST_F(SurfaceTest, CopiesTheFrameTopRowFirstBeforeItIsPresented)
{
    TakeSurfaces();
    Clear(0xFF102030);
    // A red band over the top eight rows, green over the left eight columns below it.
    DrawRect(0, 0, 64, 8, 0xFFFF0000);
    DrawRect(0, 8, 8, 64, 0xFF00FF00);
    ASSERT_EQ(D3D_OK, device->GetRenderTargetData(backBuffer, copy));

    const struct {
        int x, y;
        uint32_t expected;
    } pixels[] = {{0, 0, 0xFFFF0000}, {63, 7, 0xFFFF0000}, {0, 8, 0xFF00FF00},
                  {7, 63, 0xFF00FF00}, {8, 8, 0xFF102030}, {63, 63, 0xFF102030}};
    for (const auto& p : pixels)
        EXPECT_EQ(p.expected, CopiedPixel(p.x, p.y)) << "at " << p.x << ", " << p.y;
}

TEST_F(SurfaceTest, DescribesBothSurfaces)
{
    TakeSurfaces();
    D3DSURFACE_DESC desc = {};
    ASSERT_EQ(D3D_OK, backBuffer->GetDesc(&desc));
    EXPECT_EQ(D3DFMT_X8R8G8B8, desc.Format);
    EXPECT_EQ((DWORD)D3DUSAGE_RENDERTARGET, desc.Usage);
    EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);
    EXPECT_EQ(kSize, desc.Width);
    EXPECT_EQ(kSize, desc.Height);
    ASSERT_EQ(D3D_OK, copy->GetDesc(&desc));
    EXPECT_EQ(D3DPOOL_SYSTEMMEM, desc.Pool);
    EXPECT_EQ(0u, desc.Usage);
    EXPECT_EQ(D3DRTYPE_SURFACE, copy->GetType());
}

TEST_F(SurfaceTest, RefusesCopiesThatDirect3DRefuses)
{
    TakeSurfaces();
    IDirect3DSurface9* small = nullptr;
    IDirect3DSurface9* otherFormat = nullptr;
    IDirect3DSurface9* defaultPool = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(32, 32, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &small, nullptr));
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                          &otherFormat, nullptr));
    ASSERT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                          &defaultPool, nullptr));
    const struct {
        const char* what;
        IDirect3DSurface9* source;
        IDirect3DSurface9* dest;
    } cases[] = {{"no source", nullptr, copy},          {"no destination", backBuffer, nullptr},
                 {"other size", backBuffer, small},     {"other format", backBuffer, otherFormat},
                 {"default pool", backBuffer, defaultPool}, {"plain source", copy, copy},
                 {"into the back buffer", copy, backBuffer}};
    for (const auto& c : cases)
        EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(c.source, c.dest)) << c.what;

    D3DLOCKED_RECT locked = {};
    ASSERT_EQ(D3D_OK, copy->LockRect(&locked, nullptr, 0));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetRenderTargetData(backBuffer, copy)) << "locked destination";
    EXPECT_EQ(D3DERR_INVALIDCALL, copy->LockRect(&locked, nullptr, 0)) << "second lock";
    EXPECT_EQ(D3D_OK, copy->UnlockRect());
    EXPECT_EQ(D3DERR_INVALIDCALL, copy->UnlockRect()) << "unlock without a lock";
    // Without D3DPRESENTFLAG_LOCKABLE_BACKBUFFER the back buffer does not lock.
    EXPECT_EQ(D3DERR_INVALIDCALL, backBuffer->LockRect(&locked, nullptr, 0));
    EXPECT_EQ(nullptr, locked.pBits);
    small->Release();
    otherFormat->Release();
    defaultPool->Release();
}

TEST_F(SurfaceTest, RefusesSurfacesItCannotMake)
{
    IDirect3DSurface9* surface = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &surface));
    EXPECT_EQ(nullptr, surface);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetBackBuffer(1, 0, D3DBACKBUFFER_TYPE_MONO, &surface));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED,
                                                                      &surface, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL,
              device->CreateOffscreenPlainSurface(0, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr));
    EXPECT_EQ(D3DERR_NOTAVAILABLE,
              device->CreateOffscreenPlainSurface(8, 8, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &surface, nullptr));
    EXPECT_EQ(nullptr, surface);
    // Render targets, depth surfaces, state blocks and queries it never has:
    // refused, and the caller's pointer is not left holding garbage.
    surface = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                              &surface, nullptr));
    EXPECT_EQ(nullptr, surface);
    surface = reinterpret_cast<IDirect3DSurface9*>(1);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->GetDepthStencilSurface(&surface));
    EXPECT_EQ(nullptr, surface);
    IDirect3DStateBlock9* block = reinterpret_cast<IDirect3DStateBlock9*>(1);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->EndStateBlock(&block));
    EXPECT_EQ(nullptr, block);
    IDirect3DQuery9* query = reinterpret_cast<IDirect3DQuery9*>(1);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->CreateQuery(D3DQUERYTYPE_EVENT, &query));
    EXPECT_EQ(nullptr, query);
    EXPECT_EQ(D3DERR_NOTAVAILABLE, device->CreateQuery(D3DQUERYTYPE_EVENT, nullptr));
}

TEST_F(SurfaceTest, LocksARectangleAtItsFirstPixel)
{
    TakeSurfaces();
    D3DLOCKED_RECT whole = {}, part = {};
    ASSERT_EQ(D3D_OK, copy->LockRect(&whole, nullptr, 0));
    copy->UnlockRect();
    RECT rect = {3, 5, 10, 9};
    ASSERT_EQ(D3D_OK, copy->LockRect(&part, &rect, 0));
    EXPECT_EQ(static_cast<uint8_t*>(whole.pBits) + 5 * whole.Pitch + 3 * 4, part.pBits);
    EXPECT_EQ(whole.Pitch, part.Pitch);
    copy->UnlockRect();
    RECT outside = {60, 60, 70, 64};
    EXPECT_EQ(D3DERR_INVALIDCALL, copy->LockRect(&part, &outside, 0));
}

TEST_F(SurfaceTest, AHeldBackBufferBlocksResetUntilReleased)
{
    TakeSurfaces();
    D3DPRESENT_PARAMETERS pp = params;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset(&pp));
    backBuffer->Release();
    backBuffer = nullptr;
    pp = params;
    // The system-memory copy may stay, as in Direct3D 9.
    EXPECT_EQ(D3D_OK, device->Reset(&pp));
}

}  // namespace
