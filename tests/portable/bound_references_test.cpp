// What Direct3D 9 does with the resources bound to a device: SetTexture,
// SetStreamSource and SetIndices keep them alive for the device, while the
// application's Release counts leave those references out. Checked the same
// way on the stand-in and on Windows (or Wine).
#include "portable_fixture.h"

#include <d3d9.h>

#include <string.h>

namespace {

struct TexturedVertex {
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD kTexturedFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
constexpr UINT kSize = 64;

// The count an object holds now, without changing it.
ULONG CountOf(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class BoundReferences : public PortableTest {
protected:
    void SetUp() override
    {
        PortableTest::SetUp();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(nullptr, d3d);
        D3DPRESENT_PARAMETERS params = {};
        params.BackBufferWidth = params.BackBufferHeight = kSize;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.hDeviceWindow = Window();
        params.Windowed = TRUE;
        ASSERT_EQ(D3D_OK, d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, Window(),
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    }

    void TearDown() override
    {
        if (device) {
            EXPECT_EQ(0u, device->Release());
        }
        if (d3d)
            d3d->Release();
        PortableTest::TearDown();
    }

    // A one-texel managed texture of the given colour.
    IDirect3DTexture9* SolidTexture(D3DCOLOR color)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(1, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
        D3DLOCKED_RECT locked = {};
        if (texture && texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
            *static_cast<D3DCOLOR*>(locked.pBits) = color;
            texture->UnlockRect(0);
        }
        return texture;
    }

    // A vertex buffer holding one quad over the whole back buffer as a
    // triangle strip.
    IDirect3DVertexBuffer9* Quad()
    {
        const float edge = (float)kSize;
        const TexturedVertex quad[4] = {
            {0, 0, 0.5f, 1, 0, 0}, {edge, 0, 0.5f, 1, 1, 0}, {0, edge, 0.5f, 1, 0, 1}, {edge, edge, 0.5f, 1, 1, 1}};
        IDirect3DVertexBuffer9* buffer = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateVertexBuffer(sizeof quad, 0, kTexturedFvf, D3DPOOL_MANAGED, &buffer, nullptr));
        void* data = nullptr;
        if (buffer && buffer->Lock(0, 0, &data, 0) == D3D_OK) {
            memcpy(data, quad, sizeof quad);
            buffer->Unlock();
        }
        return buffer;
    }

    IDirect3DIndexBuffer9* Indices()
    {
        const WORD strip[4] = {0, 1, 2, 3};
        IDirect3DIndexBuffer9* buffer = nullptr;
        EXPECT_EQ(D3D_OK,
                  device->CreateIndexBuffer(sizeof strip, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer, nullptr));
        void* data = nullptr;
        if (buffer && buffer->Lock(0, 0, &data, 0) == D3D_OK) {
            memcpy(data, strip, sizeof strip);
            buffer->Unlock();
        }
        return buffer;
    }

    // The back buffer's centre pixel after the draw, read back the way an
    // application reads a frame: 0xXXRRGGBB, the X byte masked off.
    D3DCOLOR DrawAndReadCentre(bool indexed)
    {
        EXPECT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0));
        EXPECT_EQ(D3D_OK, device->BeginScene());
        device->SetFVF(kTexturedFvf);
        EXPECT_EQ(D3D_OK, indexed ? device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 4, 0, 2)
                                  : device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
        EXPECT_EQ(D3D_OK, device->EndScene());
        IDirect3DSurface9* back = nullptr;
        IDirect3DSurface9* copy = nullptr;
        D3DCOLOR centre = 0xDEADBEEF;
        EXPECT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
        EXPECT_EQ(D3D_OK, device->CreateOffscreenPlainSurface(kSize, kSize, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                              &copy, nullptr));
        D3DLOCKED_RECT locked = {};
        if (back && copy && device->GetRenderTargetData(back, copy) == D3D_OK &&
            copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + (kSize / 2) * locked.Pitch;
            centre = reinterpret_cast<const D3DCOLOR*>(row)[kSize / 2] & 0x00FFFFFF;
            copy->UnlockRect();
        }
        if (copy)
            copy->Release();
        if (back)
            back->Release();
        return centre;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

}  // namespace

TEST_F(BoundReferences, BindingAndUnbindingLeaveTheReleaseCountsAlone)
{
    IDirect3DTexture9* texture = SolidTexture(0x00FF0000);
    IDirect3DVertexBuffer9* vertices = Quad();
    IDirect3DIndexBuffer9* indices = Indices();
    ASSERT_TRUE(texture && vertices && indices);
    ULONG deviceCount = CountOf(device);

    ASSERT_EQ(D3D_OK, device->SetTexture(0, texture));
    ASSERT_EQ(D3D_OK, device->SetTexture(1, texture));
    ASSERT_EQ(D3D_OK, device->SetStreamSource(0, vertices, 0, sizeof(TexturedVertex)));
    ASSERT_EQ(D3D_OK, device->SetIndices(indices));
    EXPECT_EQ(1u, CountOf(texture));
    EXPECT_EQ(1u, CountOf(vertices));
    EXPECT_EQ(1u, CountOf(indices));
    EXPECT_EQ(deviceCount, CountOf(device));

    // Get* hands out a reference of the application's own.
    IDirect3DBaseTexture9* got = nullptr;
    ASSERT_EQ(D3D_OK, device->GetTexture(1, &got));
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), got);
    EXPECT_EQ(1u, got->Release());

    device->SetTexture(0, nullptr);
    device->SetTexture(1, nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    EXPECT_EQ(0u, texture->Release());
    EXPECT_EQ(0u, vertices->Release());
    EXPECT_EQ(0u, indices->Release());
    EXPECT_EQ(deviceCount - 3, CountOf(device));
}

TEST_F(BoundReferences, ResourcesReleasedWhileBoundStillDraw)
{
    ULONG deviceCount = CountOf(device);
    IDirect3DTexture9* texture = SolidTexture(0x00FF0000);
    IDirect3DVertexBuffer9* vertices = Quad();
    IDirect3DIndexBuffer9* indices = Indices();
    ASSERT_TRUE(texture && vertices && indices);
    device->SetTexture(0, texture);
    device->SetStreamSource(0, vertices, 0, sizeof(TexturedVertex));
    device->SetIndices(indices);

    // The application's references go, and with them the ones they held on
    // the device; the device's own references keep the resources drawable.
    EXPECT_EQ(0u, texture->Release());
    EXPECT_EQ(0u, vertices->Release());
    EXPECT_EQ(0u, indices->Release());
    EXPECT_EQ(deviceCount, CountOf(device));
    EXPECT_EQ(0x00FF0000u, DrawAndReadCentre(false));
    EXPECT_EQ(0x00FF0000u, DrawAndReadCentre(true));

    // Asked for again, the texture is the application's once more, device
    // reference included.
    IDirect3DBaseTexture9* again = nullptr;
    ASSERT_EQ(D3D_OK, device->GetTexture(0, &again));
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(deviceCount + 1, CountOf(device));
    EXPECT_EQ(0u, again->Release());
    EXPECT_EQ(deviceCount, CountOf(device));
}
