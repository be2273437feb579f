// The engine's start-up, frames and shutdown through whichever SDK the build
// has: what the sample relies on, checked on the real Direct3D 9 too.
#include "portable_fixture.h"

#include "graphics/igraphics.h"
#include "graphics/qlgraphres.h"
#include "input/iinput.h"

#include "support/lit_view.h"

#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <thread>

namespace {

bool Has(const std::string& log, const std::string& text)
{
    return log.find(text) != std::string::npos;
}

std::string SourcePath(const char* relative)
{
    const char* root = getenv("QL_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}

class EngineOnSdk : public PortableTest {
protected:
    void StartGraphics()
    {
        ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
        ScreenMode mode = {1, 800, 600, 16, 24, 8};
        ASSERT_EQ(S_OK, graphics->SetScreenMode(&mode));
        ASSERT_NE(nullptr, graphics->GetDevice());
    }

    void TearDown() override
    {
        if (graphics)
            graphics->Release();
        PortableTest::TearDown();
    }

    IGraphics* graphics = nullptr;
};

}  // namespace

TEST_F(EngineOnSdk, WindowHasTheAskedClientArea)
{
    RECT client = {};
    ASSERT_TRUE(GetClientRect(Window(), &client));
    EXPECT_EQ(800, client.right - client.left);
    EXPECT_EQ(600, client.bottom - client.top);
    EXPECT_EQ(S_OK, core->Update());
    EXPECT_TRUE(core->IsRunning());
}

TEST_F(EngineOnSdk, TimerAdvances)
{
    double start = Timer();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    double elapsed = Timer() - start;
    EXPECT_GE(elapsed, 0.015);
    EXPECT_LT(elapsed, 5.0);
}

TEST_F(EngineOnSdk, DeviceStartsAndLogsItsCapabilities)
{
    StartGraphics();
    std::string log = NewLog();
    EXPECT_TRUE(Has(log, "[QLGraphics::SetScreenMode()] MaxStreams==")) << log;
    EXPECT_TRUE(Has(log, "[QLGraphics::SetScreenMode()] MaxSimultaneousTextures==")) << log;
    EXPECT_FALSE(Has(log, "Error")) << log;
}

TEST_F(EngineOnSdk, FramesRenderInBothLayouts)
{
    StartGraphics();
    ASSERT_NO_FATAL_FAILURE(LightView(graphics, D3DXVECTOR3(0, 5, -10), D3DXVECTOR3(0, 0, 0),
                                      D3DCOLOR_XRGB(40, 40, 40), D3DXVECTOR3(0, 10, 0), 100.0f));
    for (bool stencil : {false, true}) {
        SCOPED_TRACE(stencil ? "stencil shadows" : "standard lighting");
        ASSERT_TRUE(SUCCEEDED(graphics->SetStencilShadow(stencil)));
        for (int frame = 0; frame < 3; frame++)
            EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.016f));
    }
    EXPECT_FALSE(Has(NewLog(), "Error")) << NewLog();
}

TEST_F(EngineOnSdk, BuffersKeepWhatWasWritten)
{
    StartGraphics();
    VB* vertices = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateVB(D3DFVF_XYZ, 3, false, &vertices));
    void* data = nullptr;
    D3DXVECTOR3* positions = nullptr;
    ASSERT_EQ(S_OK, vertices->Lock(&data, &positions));
    const D3DXVECTOR3 triangle[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    memcpy(data, triangle, sizeof triangle);
    memcpy(positions, triangle, sizeof triangle);
    EXPECT_EQ(S_OK, vertices->Unlock());
    EXPECT_EQ(S_OK, vertices->Lock(&data, nullptr));
    EXPECT_EQ(0, memcmp(data, triangle, sizeof triangle)) << "a static buffer keeps its contents";
    EXPECT_EQ(S_OK, vertices->Unlock());

    IB* indices = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateIB(3, false, &indices));
    WORD* kept = nullptr;
    ASSERT_EQ(S_OK, indices->Lock(&data, &kept));
    const WORD face[3] = {0, 1, 2};
    memcpy(data, face, sizeof face);
    memcpy(kept, face, sizeof face);
    EXPECT_EQ(S_OK, indices->Unlock());
    EXPECT_EQ(S_OK, vertices->Active(0));
    EXPECT_EQ(S_OK, indices->Active());
    indices->Release();
    vertices->Release();
}

TEST_F(EngineOnSdk, FontTextureLoadsAndMissingFilesFail)
{
    StartGraphics();
    Texture* font = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateTexture(SourcePath("data/dejavu_sans_mono_512.tga").c_str(), &font));
    IDirect3DTexture9* texture = font->Direct3DTexture();
    ASSERT_NE(nullptr, texture);
    D3DSURFACE_DESC level = {};
    ASSERT_EQ(S_OK, texture->GetLevelDesc(0, &level));
    EXPECT_EQ(512u, level.Width);
    EXPECT_EQ(512u, level.Height);
    EXPECT_EQ(S_OK, font->Active(0));
    font->Release();

    Texture* missing = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->CreateTexture("nowhere.tga", &missing));
    EXPECT_EQ(nullptr, missing);
    EXPECT_TRUE(Has(NewLog(), "Msg : 'Texture 'nowhere.tga' : loading failed'"));
}

TEST_F(EngineOnSdk, KeyboardAndMouseReadIdleStates)
{
    IInput* input = nullptr;
    ASSERT_EQ(S_OK, core->CreateInput(&input));
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, nullptr));
    BYTE keys[256];
    memset(keys, 0xAA, sizeof keys);
    EXPECT_EQ(S_OK, input->GetKeyboardState(keys));
    int down = 0;
    for (BYTE key : keys)
        down += (key & 0x80) != 0;
    EXPECT_EQ(0, down) << "no key is pressed";
    DIMOUSESTATE mouse;
    EXPECT_EQ(S_OK, input->GetMouseState(&mouse));
    input->Release();
    EXPECT_TRUE(Has(NewLog(), "[QLInput::Destructor()] Input Engine correctly shutdown\n")) << NewLog();
}

TEST_F(EngineOnSdk, ShutdownIsClean)
{
    StartGraphics();
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.016f));
    graphics->Release();
    graphics = nullptr;
    ShutDown();
    std::string log = NewLog();
    EXPECT_TRUE(Has(log, "[QLGraphics::Destructor()] Graphics Engine correctly shutdown\n")) << log;
    EXPECT_TRUE(Has(log, "[QLCore::Destructor()] Quarlight Engine correctly shutdown\n")) << log;
    EXPECT_FALSE(Has(log, "Warning")) << log;
}
