// Device creation and its fallbacks, reference counts, and the lost /
// not-reset / reset cycle of Direct3D 9.
#include "device_fixture.h"

#include <d3dx9.h>

namespace {

void DrawScene(DeviceTest* test, IDirect3DDevice9* device);

TEST_F(DeviceTest, ReferenceDeviceIsNotAvailable)
{
    IDirect3DDevice9* ref = reinterpret_cast<IDirect3DDevice9*>(1);
    D3DPRESENT_PARAMETERS pp = params;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &ref),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(ref, nullptr);
}

TEST_F(DeviceTest, CreationFaultsNameTheDeviceTypeAndBehaviour)
{
    device->Release();
    device = nullptr;
    QLTest_FailCall("IDirect3D9::CreateDevice(HAL,HARDWARE_VERTEXPROCESSING|PUREDEVICE)", D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS pp = params;
    IDirect3DDevice9* created = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE,
                                &pp, &created),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(created, nullptr);
    // The engine's next choice is unaffected.
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device), D3D_OK);
    QLTest_FailCall("IDirect3D9::CreateDevice", E_OUTOFMEMORY);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &created),
              E_OUTOFMEMORY);
    EXPECT_EQ(created, nullptr);
}

TEST_F(DeviceTest, CreateNeedsExactlyOneVertexProcessingMode)
{
    D3DPRESENT_PARAMETERS pp = params;
    IDirect3DDevice9* created = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_PUREDEVICE, &pp, &created), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window,
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &created),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(created, nullptr);
}

TEST(Direct3DCreate9, AcceptsTheSdkVersionsOnly)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DDISPLAYMODE mode = {};
    EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
    EXPECT_GT(mode.Width, 0u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d->Release(), 0u);
    EXPECT_EQ(Direct3DCreate9(12), nullptr);
    QLTest_FailCall("Direct3DCreate9", E_FAIL);
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
}

TEST_F(DeviceTest, ResourcesHoldTheirDeviceAndGettersAddReferences)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    EXPECT_EQ(device->AddRef(), 3u);  // ours, the buffer's, this one
    EXPECT_EQ(device->Release(), 2u);
    IDirect3DDevice9* owner = nullptr;
    ASSERT_EQ(buffer->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    EXPECT_EQ(owner->Release(), 2u);
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
}

TEST_F(DeviceTest, CapsReportTheEngineLimits)
{
    D3DCAPS9 caps = {};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_GE(caps.MaxStreams, 1u);
    EXPECT_GE(caps.MaxSimultaneousTextures, 1u);
    EXPECT_GE(caps.MaxActiveLights, 4u);
    EXPECT_TRUE(caps.StencilCaps & D3DSTENCILCAPS_INCR);
    DWORD passes = 0;
    EXPECT_EQ(device->ValidateDevice(&passes), D3D_OK);
    EXPECT_EQ(passes, 1u);
}

TEST_F(DeviceTest, PresentInsideASceneIsInvalid)
{
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

void DrawScene(DeviceTest* test, IDirect3DDevice9* device)
{
    (void)test;
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000050, 1.0f, 0);
}

TEST_F(DeviceTest, LostAndResetCycleRendersTheSameFrameAgain)
{
    DrawScene(this, device);
    DrawRect(5, 5, 40, 30, 0xFFFF8000);
    std::vector<uint32_t> before = Frame();

    QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS pp = params;
    EXPECT_EQ(device->Reset(&pp), D3DERR_DEVICELOST);

    QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    // A live default-pool buffer blocks the reset; a managed one does not.
    IDirect3DVertexBuffer9* dynamic = nullptr;
    IDirect3DIndexBuffer9* managed = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(256, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                         &dynamic, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(64, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    dynamic->Release();
    QLTest_FailCall("IDirect3DDevice9::Reset", D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->Reset(&pp), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    managed->Release();

    // Reset restored the default state; the engine sets its own again.
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, (DWORD)D3DCULL_CCW);
    DrawScene(this, device);
    DrawRect(5, 5, 40, 30, 0xFFFF8000);
    EXPECT_EQ(Frame(), before);
}

TEST_F(DeviceTest, DynamicBufferRefilledWithDiscardEveryFrameDrawsTheNewContents)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * sizeof(RhwVertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRhwFvf,
                                         D3DPOOL_DEFAULT, &buffer, nullptr),
              D3D_OK);
    device->SetFVF(kRhwFvf);
    device->SetStreamSource(0, buffer, 0, sizeof(RhwVertex));
    for (int frame = 0; frame < 3; ++frame) {
        float x = 10.0f * frame;
        D3DCOLOR c = 0xFF000000 | (0x40 << (8 * frame));
        RhwVertex quad[6] = {{x, 0, 0, 1, c}, {x + 10, 0, 0, 1, c}, {x, 10, 0, 1, c},
                             {x + 10, 0, 0, 1, c}, {x + 10, 10, 0, 1, c}, {x, 10, 0, 1, c}};
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
        memcpy(data, quad, sizeof quad);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
        Clear(0xFF000000);
        device->BeginScene();
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        device->EndScene();
        std::vector<uint32_t> pixels = Frame();
        EXPECT_EQ(At(pixels, (int)x + 5, 5), c & 0xFFFFFF) << frame;
        EXPECT_EQ(At(pixels, (int)x + 15, 5), 0u) << frame;
    }
    // A draw past the end of the buffer is refused rather than read out of bounds.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 2), D3DERR_INVALIDCALL);
    QLTest_FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL);
    void* data = reinterpret_cast<void*>(1);
    EXPECT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    buffer->Release();
}

TEST_F(DeviceTest, IndexedDrawUsesStartIndexAndBaseVertex)
{
    RhwVertex vertices[8] = {};
    for (int i = 0; i < 4; ++i) {
        float x = i % 2 ? 30.0f : 10.0f, y = i / 2 ? 30.0f : 10.0f;
        vertices[4 + i] = {x, y, 0, 1, 0xFF00FFFF};
    }
    IDirect3DVertexBuffer9* vb = MakeBuffer(vertices, sizeof vertices, kRhwFvf);
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(12 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    WORD indices[12] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 1, 3, 2};
    void* data = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);
    memcpy(data, indices, sizeof indices);
    ASSERT_EQ(ib->Unlock(), D3D_OK);
    device->SetFVF(kRhwFvf);
    device->SetStreamSource(0, vb, 0, sizeof(RhwVertex));
    device->SetIndices(ib);
    Clear(0xFF000000);
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 6, 2), D3D_OK);
    device->EndScene();
    std::vector<uint32_t> frame = Frame();
    EXPECT_EQ(At(frame, 20, 20), 0x00FFFFu);
    EXPECT_EQ(At(frame, 35, 20), 0u);
    device->SetIndices(nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 6, 2), D3DERR_INVALIDCALL);
    ib->Release();
    vb->Release();
}

// A device limited to 16-bit indices (MaxVertexIndex 0xFFFF) draws 16-bit
// buffers as any other, and refuses 32-bit ones, which it may still create.
TEST_F(DeviceTest, ALoweredMaxVertexIndexRefusesThirtyTwoBitDraws)
{
    D3DCAPS9 caps = {};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.MaxVertexIndex, 0xFFFFFFu);
    QLTest_SetMaxVertexIndex(0xFFFF);
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.MaxVertexIndex, 0xFFFFu);

    RhwVertex vertices[4] = {{10, 10, 0, 1, 0xFFFFFFFF}, {30, 10, 0, 1, 0xFFFFFFFF}, {10, 30, 0, 1, 0xFFFFFFFF}};
    IDirect3DVertexBuffer9* vb = MakeBuffer(vertices, sizeof vertices, kRhwFvf);
    IDirect3DIndexBuffer9* narrow = nullptr;
    IDirect3DIndexBuffer9* wide = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &narrow, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_DEFAULT, &wide, nullptr),
              D3D_OK);
    device->SetFVF(kRhwFvf);
    device->SetStreamSource(0, vb, 0, sizeof(RhwVertex));
    device->BeginScene();
    device->SetIndices(narrow);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    device->SetIndices(wide);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    QLTest_SetMaxVertexIndex(0);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
    device->EndScene();
    device->SetIndices(nullptr);
    narrow->Release();
    wide->Release();
    vb->Release();
}

}  // namespace

TEST_F(DeviceTest, DeviceAndResourcesOutliveTheirWindow)
{
    // The user's close button destroys the window before the application
    // releases its device, as on Windows; the release must still work.
    const RhwVertex triangle[] = {{0, 0, 0, 1, 0xFFFFFFFF}, {8, 0, 0, 1, 0xFFFFFFFF}, {0, 8, 0, 1, 0xFFFFFFFF}};
    IDirect3DVertexBuffer9* buffer = MakeBuffer(triangle, sizeof triangle, kRhwFvf);
    ASSERT_TRUE(DestroyWindow(window));
    window = nullptr;
    EXPECT_FALSE(IsWindow(params.hDeviceWindow));
    void* data = nullptr;
    EXPECT_EQ(D3D_OK, buffer->Lock(0, 0, &data, 0));
    EXPECT_EQ(D3D_OK, buffer->Unlock());
    EXPECT_EQ(0u, buffer->Release());
}
