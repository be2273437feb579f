#include "support/graphics_fixture.h"

#include "foundation/owned.h"
#include "graphics/qlgraphres.h"

#include "support/allocation_failure.h"
#include "support/file_bytes.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

bool AllBlack(const std::vector<uint32_t>& pixels)
{
    for (uint32_t pixel : pixels)
        if ((pixel & 0x00FFFFFF) != 0)
            return false;
    return !pixels.empty();
}

// Writes the same indices to the device's copy and the kept copy.
void FillIndices(IB* buffer, const WORD* values, size_t count)
{
    void* data = nullptr;
    WORD* kept = nullptr;
    ASSERT_EQ(S_OK, buffer->Lock(&data, &kept));
    memcpy(data, values, count * sizeof(WORD));
    memcpy(kept, values, count * sizeof(WORD));
    ASSERT_EQ(S_OK, buffer->Unlock());
}

// A 4 x 2 uncompressed 32-bit TGA of one colour, under data/.
void WriteDataTexture(const char* name)
{
    mkdir("data", 0755);
    const unsigned char tga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 2, 0, 32, 8,
                                 1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255,
                                 1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255, 1, 2, 3, 255};
    ASSERT_TRUE(WriteFileBytes((std::string("data/") + name).c_str(), tga, sizeof tga));
}

}  // namespace

TEST_F(GraphicsTest, PureHardwareRefusedFallsBackSilently)
{
    QLTest_FailCall("IDirect3D9::CreateDevice(HAL,HARDWARE_VERTEXPROCESSING|PUREDEVICE)", D3DERR_NOTAVAILABLE, -1);
    ASSERT_EQ(S_OK, StartDevice());
    EXPECT_NE(nullptr, graphics->GetDevice());
    std::string log = NewLog();
    EXPECT_EQ(std::string::npos, log.find("Error")) << log;
    EXPECT_EQ(std::string::npos, log.find("Warning")) << log;
}

TEST_F(GraphicsTest, EveryDeviceRefusedReportsTheReferencePath)
{
    QLTest_FailCall("IDirect3D9::CreateDevice", D3DERR_NOTAVAILABLE, -1);
    EXPECT_EQ(QLE_SUBFUNCTION, StartDevice());
    EXPECT_EQ(nullptr, graphics->GetDevice());
    std::string log = NewLog();
    EXPECT_NE(std::string::npos,
              log.find(CallFailure(D3DERR_NOTAVAILABLE, "IDirect3DDevice9::CreateDevice() failed !")))
        << log;
    EXPECT_EQ(std::string::npos, log.find("Mode REF"));
}

TEST_F(GraphicsTest, FirstFrameIsBlackAndCapabilitiesAreLogged)
{
    ASSERT_EQ(S_OK, StartDevice());
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&pixels, &width, &height));
    EXPECT_TRUE(AllBlack(pixels));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("[QLGraphics::SetScreenMode()] MaxStreams=="));
    EXPECT_NE(std::string::npos, log.find(" MaxPrimitiveCount=="));
    EXPECT_NE(std::string::npos, log.find("[QLGraphics::SetScreenMode()] MaxSimultaneousTextures=="));
}

TEST_F(GraphicsTest, WindowedBackBufferFollowsTheClientArea)
{
    ASSERT_EQ(S_OK, StartDevice());
    ScreenMode mode = {};
    ASSERT_EQ(S_OK, graphics->GetScreenMode(&mode));
    EXPECT_EQ(1, mode.windowed);
    EXPECT_EQ(800, mode.width) << "the first windowed device takes the client area, not the 640 x 480 of Init";
    EXPECT_EQ(600, mode.height);
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&pixels, &width, &height));
    EXPECT_EQ(800u, width) << "the device's back buffer itself";
    ResizeClientArea(500, 400);
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    ASSERT_EQ(S_OK, graphics->GetScreenMode(&mode));
    EXPECT_EQ(500, mode.width);
    EXPECT_EQ(400, mode.height);
}

TEST_F(GraphicsTest, RenderModeNeedsADevice)
{
    EXPECT_EQ(S_FALSE, Manager()->SetRenderMode());
    EXPECT_EQ(S_FALSE, graphics->UpdateAndRender(0.01f));
}

TEST_F(GraphicsTest, ResourceBindingIsCached)
{
    ASSERT_EQ(S_OK, StartDevice());
    Owned<VB> first, second;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, false, first.Receive()));
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, false, second.Receive()));
    EXPECT_EQ(S_OK, first->Active(0));
    EXPECT_EQ(S_FALSE, first->Active(0));
    EXPECT_EQ(S_OK, second->Active(0));
    EXPECT_EQ(S_OK, first->Active(0));
    EXPECT_EQ(QLE_SUBFUNCTION, first->Active(1));
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Multi-Stream use in FixedPipeline'"));

    Owned<IB> indices;
    ASSERT_EQ(S_OK, graphics->CreateIB(3, false, indices.Receive()));
    EXPECT_EQ(S_OK, indices->Active());
    EXPECT_EQ(S_FALSE, indices->Active());
}

// The allocator hands a freed block of a size to the next object of that
// size, so the second buffer usually takes the first one's address; the
// binding cache must not take it for the first one, which it last bound.
TEST_F(GraphicsTest, ABufferAtAReleasedBuffersAddressIsBoundAfresh)
{
    ASSERT_EQ(S_OK, StartDevice());
    IDirect3DDevice9* device = graphics->GetDevice();
    Owned<VB> first;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, false, first.Receive()));
    ASSERT_EQ(S_OK, first->Active(0));
    const void* firstAddress = first->Buffer();
    // Unbound behind the engine, so releasing the resource frees its buffer.
    ASSERT_EQ(D3D_OK, device->SetStreamSource(0, nullptr, 0, 0));
    first.Reset();

    Owned<VB> second;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, false, second.Receive()));
    EXPECT_EQ(S_OK, second->Active(0));
    IDirect3DVertexBuffer9* bound = nullptr;
    UINT offset = 0, stride = 0;
    ASSERT_EQ(D3D_OK, device->GetStreamSource(0, &bound, &offset, &stride));
    EXPECT_EQ(second->Buffer(), bound);
    if (bound)
        bound->Release();
    if (second->Buffer() != firstAddress)
        printf("note: the second buffer took another address; the cache was not put to the test\n");
}

TEST_F(GraphicsTest, TextureFoundUnderDataAndCachedAcrossStages)
{
    ASSERT_EQ(S_OK, StartDevice());
    mkdir("data", 0755);
    // A 2 x 2 uncompressed 32-bit TGA.
    const unsigned char tga[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8,
                                 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    ASSERT_TRUE(WriteFileBytes("data/only_in_data.tga", tga, sizeof tga));
    Owned<Texture> texture;
    ASSERT_EQ(S_OK, graphics->CreateTexture("only_in_data.tga", texture.Receive()));
    EXPECT_STREQ("./data/only_in_data.tga", texture->Name().Chars());
    EXPECT_EQ(S_OK, texture->Active(0));
    EXPECT_EQ(S_FALSE, texture->Active(1));
    graphics->ClearTexture(0);
    EXPECT_EQ(S_OK, texture->Active(0));
    texture.Reset();

    Texture* missing = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->CreateTexture("nowhere.tga", &missing));
    EXPECT_EQ(nullptr, missing);
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Texture 'nowhere.tga' : loading failed'"));
}

TEST_F(GraphicsTest, ShadowBufferHoldsSixVerticesPerVertex)
{
    ASSERT_EQ(S_OK, StartDevice());
    Owned<VB> buffer;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ | D3DFVF_NORMAL, 1000, false, buffer.Receive()));
    EXPECT_GE(Manager()->ShadowBufferCapacity(), 6000u);
}

TEST_F(GraphicsTest, ConnectivityFollowsTheLastUnlock)
{
    ASSERT_EQ(S_OK, StartDevice());
    Owned<IB> buffer;
    ASSERT_EQ(S_OK, graphics->CreateIB(6, false, buffer.Receive()));
    const WORD sharing[6] = {0, 1, 2, 2, 1, 3};  // share the edge 1-2
    ASSERT_NO_FATAL_FAILURE(FillIndices(buffer.Get(), sharing, 6));
    EXPECT_EQ(1, buffer->FaceInfos()[0].edges[1].neighbourFace);
    const WORD apart[6] = {0, 1, 2, 3, 4, 5};
    ASSERT_NO_FATAL_FAILURE(FillIndices(buffer.Get(), apart, 6));
    EXPECT_EQ(-1, buffer->FaceInfos()[0].edges[1].neighbourFace);
}

TEST_F(GraphicsTest, LostDeviceSkipsFramesThenResetKeepsResources)
{
    ASSERT_EQ(S_OK, StartDevice());
    Owned<IB> buffer;
    ASSERT_EQ(S_OK, graphics->CreateIB(3, true, buffer.Receive()));
    const WORD values[3] = {7, 8, 9};
    ASSERT_NO_FATAL_FAILURE(FillIndices(buffer.Get(), values, 3));

    QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
    EXPECT_EQ(S_FALSE, graphics->UpdateAndRender(0.01f));
    EXPECT_NE(std::string::npos, NewLog().find("Warning : \"Device Lost\""));
    QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    EXPECT_NE(std::string::npos, NewLog().find("Warning : \"Device To Reset\""));
    EXPECT_EQ(0, memcmp(values, buffer->Indices(), sizeof values));
    ASSERT_NE(nullptr, buffer->Buffer()) << "re-created after the reset";
    void* refilled = nullptr;
    ASSERT_EQ(S_OK, buffer->Buffer()->Lock(0, 0, &refilled, D3DLOCK_READONLY));
    EXPECT_EQ(0, memcmp(values, refilled, sizeof values)) << "the new buffer holds the kept indices";
    buffer->Buffer()->Unlock();
}

TEST_F(GraphicsTest, ResetReloadsTexturesFromTheirPaths)
{
    ASSERT_EQ(S_OK, StartDevice());
    ASSERT_NO_FATAL_FAILURE(WriteDataTexture("reset_me.tga"));
    Owned<Texture> texture;
    ASSERT_EQ(S_OK, graphics->CreateTexture("reset_me.tga", texture.Receive()));
    QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    EXPECT_STREQ("./data/reset_me.tga", texture->Name().Chars());
    ASSERT_NE(nullptr, texture->Direct3DTexture());
    D3DSURFACE_DESC level;
    ASSERT_EQ(S_OK, texture->Direct3DTexture()->GetLevelDesc(0, &level));
    EXPECT_EQ(4u, level.Width);
    EXPECT_EQ(2u, level.Height);
    // A file gone since the first load fails the reset with its record.
    remove("data/reset_me.tga");
    QLTest_ForceDeviceState(QLTEST_DEVICE_NOTRESET);
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->UpdateAndRender(0.01f));
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Texture './data/reset_me.tga' : loading failed'"));
}

// A mode change the device refuses is reported, and the next frame makes it.
TEST_F(GraphicsTest, RefusedModeChangeIsReportedAndMadeByTheNextFrame)
{
    ASSERT_EQ(S_OK, StartDevice());
    ResizeClientArea(500, 400);
    QLTest_FailCall("IDirect3DDevice9::Reset", D3DERR_INVALIDCALL);
    EXPECT_EQ(QLE_SUBFUNCTION, StartDevice());
    EXPECT_NE(std::string::npos, NewLog().find(CallFailure(D3DERR_INVALIDCALL, "IDirect3DDevice9::Reset() failed !")));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&pixels, &width, &height));
    EXPECT_EQ(500u, width);
    EXPECT_EQ(400u, height);
}

// A state the device refuses while the mode changes fails the change too,
// and the next frame makes it again: the projection is back on the device.
TEST_F(GraphicsTest, StateRefusedDuringAModeChangeFailsItAndTheNextFrameSetsIt)
{
    ASSERT_EQ(S_OK, StartDevice());
    IDirect3DDevice9* device = graphics->GetDevice();
    D3DMATRIX projection, cleared = {};
    ASSERT_EQ(S_OK, device->GetTransform(D3DTS_PROJECTION, &projection));
    ASSERT_EQ(S_OK, device->SetTransform(D3DTS_PROJECTION, &cleared));
    // The world, view and projection matrices, in the order the change sets them.
    QLTest_FailCall("IDirect3DDevice9::SetTransform", D3DERR_INVALIDCALL, 3);
    EXPECT_EQ(QLE_SUBFUNCTION, StartDevice());
    EXPECT_NE(std::string::npos,
              NewLog().find(CallFailure(D3DERR_INVALIDCALL, "IDirect3DDevice9::SetTransform() failed !")));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    D3DMATRIX restored;
    ASSERT_EQ(S_OK, device->GetTransform(D3DTS_PROJECTION, &restored));
    EXPECT_EQ(0, memcmp(&projection, &restored, sizeof projection));
}

// A resource the device would not make again after a good reset fails the
// mode change, is never taken for bound meanwhile, and is made again by the
// next frame, though the device itself needs no reset.
TEST_F(GraphicsTest, ResourceNotRemadeAfterAResetFailsTheModeChangeAndIsRemadeNextFrame)
{
    ASSERT_EQ(S_OK, StartDevice());
    ASSERT_NO_FATAL_FAILURE(WriteDataTexture("remade.tga"));
    Owned<VB> vertices;
    Owned<IB> indices;
    Owned<Texture> texture;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, true, vertices.Receive()));
    ASSERT_EQ(S_OK, graphics->CreateIB(3, false, indices.Receive()));
    ASSERT_EQ(S_OK, graphics->CreateTexture("remade.tga", texture.Receive()));
    const WORD values[3] = {4, 5, 6};
    ASSERT_NO_FATAL_FAILURE(FillIndices(indices.Get(), values, 3));
    const struct {
        const char* call;
        const char* record;
    } refusals[] = {{"IDirect3DDevice9::CreateVertexBuffer", "IDirect3DDevice9::CreateVertexBuffer() failed"},
                    {"IDirect3DDevice9::CreateIndexBuffer", "IDirect3DDevice9::CreateIndexBuffer() failed"},
                    {"IDirect3DDevice9::CreateTexture", "Texture './data/remade.tga' : loading failed"}};
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.call);
        QLTest_FailCall(refusal.call, E_OUTOFMEMORY);
        EXPECT_EQ(QLE_SUBFUNCTION, StartDevice());
        EXPECT_NE(std::string::npos, NewLog().find(CallFailure(E_OUTOFMEMORY, refusal.record)));
        if (!vertices->Buffer()) {
            EXPECT_EQ(QLE_SUBFUNCTION, vertices->Active(0)) << "no buffer to bind";
        }
        if (!indices->Buffer()) {
            EXPECT_EQ(QLE_SUBFUNCTION, indices->Active()) << "no buffer to bind";
        }
        EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
        EXPECT_NE(nullptr, vertices->Buffer());
        EXPECT_NE(nullptr, indices->Buffer());
        EXPECT_NE(nullptr, texture->Direct3DTexture());
        EXPECT_EQ(S_OK, indices->Active());
    }
}

// The shared shadow buffer grows with the largest vertex buffer; when it
// cannot, it stays as it was, and the buffer asked for is made all the same.
TEST_F(GraphicsTest, ShadowBufferThatCannotGrowStaysAndTheBufferIsMade)
{
    ASSERT_EQ(S_OK, StartDevice());
    Owned<VB> small;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 10, false, small.Receive()));
    ASSERT_EQ(60u, Manager()->ShadowBufferCapacity());
    // The new buffer's creation goes through, the shadow buffer's fails.
    QLTest_FailCallAfter("IDirect3DDevice9::CreateVertexBuffer", 1, E_OUTOFMEMORY);
    Owned<VB> large;
    EXPECT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 100, false, large.Receive()));
    ASSERT_TRUE(large);
    EXPECT_NE(nullptr, large->Buffer());
    EXPECT_EQ(60u, Manager()->ShadowBufferCapacity());
}

// Byte sizes that do not fit in 32 bits are refused before anything is made:
// wrapped, they would give small buffers that the positions, the indices and
// the volumes written through them overrun. Allocations of a gigabyte or more
// are refused meanwhile, so a size that got through fails on memory instead.
TEST_F(GraphicsTest, BufferSizesBeyondFourGigabytesAreRefused)
{
    ASSERT_EQ(S_OK, StartDevice());
    FailNothrowAllocations(1000, size_t(1) << 30);
    const uint32_t wrappingVertices = 0x15555556u;  // x 12 bytes = 4 GB + 8
    for (bool dynamic : {true, false}) {
        SCOPED_TRACE(dynamic ? "dynamic" : "static");
        VB* vertices = nullptr;
        EXPECT_EQ(QLE_SUBFUNCTION, graphics->CreateVB(D3DFVF_XYZ, wrappingVertices, dynamic, &vertices));
        EXPECT_EQ(nullptr, vertices);
        if (vertices)
            vertices->Release();
    }
    IB* indices = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->CreateIB(0x80000001u, false, &indices));  // x 2 bytes = 4 GB + 2
    EXPECT_EQ(nullptr, indices);
    if (indices)
        indices->Release();
    EXPECT_EQ(0, RefusedAllocations()) << "refused for their size, not for the memory";
    FailNothrowAllocations(0, 0);
    const std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find(ErrorRecord("QLGraphics::CreateVB()", E_INVALIDARG, "Invalid Call/Param")));
    EXPECT_NE(std::string::npos, log.find(ErrorRecord("QLGraphics::CreateIB()", E_INVALIDARG, "Invalid Call/Param")));
    EXPECT_EQ(0u, Manager()->ShadowBufferCapacity()) << "no shadow buffer for a refused buffer";
}

TEST_F(GraphicsTest, ShutdownReportsLeftoverResources)
{
    ASSERT_EQ(S_OK, StartDevice());
    VB* leakedVB = nullptr;
    IB* leakedIB = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 4, false, &leakedVB));
    ASSERT_EQ(S_OK, graphics->CreateIB(3, false, &leakedIB));
    graphics->Release();
    graphics = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Warning : \"1 VB(s) not released !\"")) << log;
    EXPECT_NE(std::string::npos, log.find("Warning : \"1 IB(s) not released !\""));
    EXPECT_EQ(std::string::npos, log.find("Graphics Engine correctly shutdown"));
}

// A device reference the application kept is reported, and the device ends
// all the same: the test hooks find no live device afterwards.
TEST_F(GraphicsTest, ShutdownReportsAndEndsADeviceReferenceLeftBehind)
{
    ASSERT_EQ(S_OK, StartDevice());
    std::vector<float> depth;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadDepthBuffer(&depth, &width, &height)) << "the hooks see the live device";
    graphics->GetDevice()->AddRef();
    graphics->Release();
    graphics = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Warning : \"d3dDevice9 Interface (count==1) !\"")) << log;
    EXPECT_EQ(std::string::npos, log.find("Graphics Engine correctly shutdown"));
    EXPECT_FALSE(QLTest_ReadDepthBuffer(&depth, &width, &height)) << "the device outlived its manager";
}

TEST_F(GraphicsTest, CleanShutdownSaysSoOnce)
{
    ASSERT_EQ(S_OK, StartDevice());
    graphics->Release();
    graphics = nullptr;
    std::string log = NewLog();
    const std::string record = "[QLGraphics::Destructor()] Graphics Engine correctly shutdown\n";
    size_t first = log.find(record);
    ASSERT_NE(std::string::npos, first) << log;
    EXPECT_EQ(std::string::npos, log.find("correctly shutdown", first + record.size()));
    EXPECT_EQ(std::string::npos, log.find("Warning"));
}

// A move or size that ends while the window is minimised updates the screen
// mode with no client area: the back buffer keeps its size.
TEST_F(GraphicsTest, ModeUpdateWhileMinimisedKeepsTheBackBufferSize)
{
    ASSERT_EQ(S_OK, StartDevice());
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    ScreenMode before = {};
    ASSERT_EQ(S_OK, graphics->GetScreenMode(&before));
    ASSERT_GT(before.height, 0);
    HWND window = Window();
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Minimized);
    PumpMessages();
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    ASSERT_EQ(0, client.bottom) << "minimised";

    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    ScreenMode after = {};
    ASSERT_EQ(S_OK, graphics->GetScreenMode(&after));
    EXPECT_EQ(before.width, after.width);
    EXPECT_EQ(before.height, after.height);
}
