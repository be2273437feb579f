// The frame's switches and their failures: lights, the lighting and shadow
// switches, bad times, deferred screen-mode updates, the 4/3 projection,
// overlays and the geometry reports at shutdown.
#include "scene_fixture.h"

namespace {

// The centre of the pixels that differ from the frame's background.
D3DXVECTOR2 CentreOfDrawn(const Picture& picture)
{
    const uint32_t background = picture.At(0, 0);
    double x = 0, y = 0, n = 0;
    for (uint32_t row = 0; row < picture.height; ++row)
        for (uint32_t column = 0; column < picture.width; ++column)
            if (ColourDistance(picture.At(int(column), int(row)), background) > 8)
                x += column, y += row, ++n;
    return n > 0 ? D3DXVECTOR2(float(x / n), float(y / n)) : D3DXVECTOR2(-1, -1);
}

}  // namespace

using FrameTest = SceneTest;

TEST_F(FrameTest, FifthLightNeedsAFreeSlot)
{
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0, 10, 0), kSceneLight);
    ASSERT_EQ(4, graphics->GetMaxActiveLights());
    for (int number : {3, 5, 7, 9})
        ASSERT_EQ(S_OK, graphics->SetLight(number, true, &light));
    EXPECT_EQ(E_FAIL, graphics->SetLight(11, true, &light));
    EXPECT_NE(std::string::npos, NewLog().find("Error : \"Can't active more than MAXACTIVELIGHTS lights\""));
    EXPECT_EQ(S_OK, graphics->SetLight(5, true, &light)) << "a number already in a slot finds it again";
    EXPECT_EQ(S_OK, graphics->SetLight(7, false, &light));
    EXPECT_EQ(S_OK, graphics->SetLight(11, true, &light)) << "the disabled slot is reused";
    EXPECT_EQ(E_FAIL, graphics->SetLight(7, true, &light)) << "7 lost its slot to 11";
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->SetLight(3, true, nullptr));
}

TEST_F(FrameTest, SetLightNeedsLighting)
{
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0, 10, 0), kSceneLight);
    ASSERT_EQ(S_OK, graphics->SetLightning(false, 0));
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->SetLight(0, true, &light));
    EXPECT_NE(std::string::npos, NewLog().find(ErrorRecord("QLGraphics::SetLight()", E_FAIL, "Assertion Failed")))
        << NewLog();
}

// Stencil shadows force lighting on (with a black ambient when it was off);
// lighting off forces stencil shadows off and frees the shadow buffer.
TEST_F(FrameTest, StencilShadowAndLightingSwitchEachOther)
{
    AddPlane();
    ASSERT_EQ(S_OK, graphics->SetLightning(false, 0x00FFFFFF));
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(false));
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(true));
    EXPECT_GE(Manager()->ShadowBufferCapacity(), 6u * 25u * 25u);
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0, 30, 0), kSceneLight);
    EXPECT_EQ(S_OK, graphics->SetLight(0, true, &light)) << "lighting came on";
    AmbientOnly = true;
    Picture dark = Frame();
    AmbientOnly = false;
    D3DXVECTOR2 middle = Project(D3DXVECTOR3(10, 0, 10), dark.width, dark.height);
    EXPECT_LE(ColourDistance(PixelAt(dark, middle), 0xFF000000), 2) << "a black global ambient";
    EXPECT_GT(Channel(PixelAt(Frame(), middle), 8), 40) << "the light itself shines";

    ASSERT_EQ(S_OK, graphics->SetLightning(false, 0x00FFFFFF));
    EXPECT_EQ(0u, Manager()->ShadowBufferCapacity());
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(false)) << "already off";
    // With lighting on while shadows are on, only the flags change.
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    ASSERT_EQ(S_OK, graphics->SetLightning(true, kAmbient));
    EXPECT_GT(Manager()->ShadowBufferCapacity(), 0u) << "shadows stay on";
    EXPECT_EQ(S_FALSE, graphics->SetStencilShadow(true));
}

TEST_F(FrameTest, BadTimeAndNoDeviceDrawNothing)
{
    CallLog calls;
    AddPlane();
    models[0]->calls = &calls;
    std::vector<uint32_t> before, after;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&before, &width, &height));
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->UpdateAndRender(-0.01f));
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->UpdateAndRender(nanf("")));
    EXPECT_EQ(2u,
              Occurrences(NewLog(), ErrorRecord("QLGraphics::UpdateAndRender()", E_INVALIDARG, "Invalid Call/Param")));
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&after, &width, &height));
    EXPECT_TRUE(before == after);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.0f)) << "no time at all is a frame";
}

TEST(FrameWithoutDevice, ReturnsSFalse)
{
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    ASSERT_EQ(S_OK, CreateCore(&core));
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    EXPECT_EQ(nullptr, graphics->GetDevice());
    EXPECT_EQ(S_FALSE, graphics->UpdateAndRender(0.02f));
    graphics->Release();
    EndCore(core);
}

// Only point lights cast shadows: another kind of light ends every
// stencil-shadow frame that has a model to shadow.
TEST_F(FrameTest, NonPointLightEndsShadowFrames)
{
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0, 30, 0), kSceneLight);
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = D3DVECTOR{0.0f, -1.0f, 0.0f};
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.02f)) << "nothing to shadow";
    AddPlane();
    for (int frame = 0; frame < 2; ++frame)
        EXPECT_EQ(E_FAIL, graphics->UpdateAndRender(0.02f));
    std::string log = NewLog();
    EXPECT_EQ(2u,
              Occurrences(log, ErrorRecord("QLGraphics::GenAndRenderShadVol()", E_INVALIDARG, "Invalid Call/Param")));
    EXPECT_EQ(2u, Occurrences(log, ErrorRecord("QLGraphics::UpdateAndRender()", QLE_SUBFUNCTION, "Rendering failed")))
        << log;
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(false));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.02f)) << "standard lighting takes any light";
}

// Overlays are drawn once, after every model pass, solid whatever the fill
// mode, and over shadows.
TEST_F(FrameTest, OverlaysComeLastAndSolid)
{
    CallLog calls;
    AddPlane();
    AddModel(MakeBox(D3DXVECTOR3(-5, 0, -5), D3DXVECTOR3(5, 10, 5)), "box");
    TestOverlay* overlay = nullptr;
    const RECT area = {400, 200, 500, 260};  // across the box's shadow
    const D3DCOLOR colour = 0xFFC08040;
    ASSERT_EQ(S_OK, TestOverlay::Create(graphics, area, colour, &overlay));
    models[0]->calls = models[1]->calls = overlay->calls = &calls;
    D3DLIGHT9 first = PointLight(D3DXVECTOR3(-25, 30, 0), kSceneLight);
    D3DLIGHT9 second = PointLight(D3DXVECTOR3(20, 35, 10), kSceneLight);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &first));
    ASSERT_EQ(S_OK, graphics->SetLight(1, true, &second));

    for (bool shadows : {true, false}) {
        SCOPED_TRACE(shadows ? "stencil shadows" : "standard lighting");
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(shadows));
        graphics->GetDevice()->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        calls.clear();
        Picture picture = Frame();
        CallLog expected = {"update plane", "render plane", "update box", "render box", "update overlay"};
        if (shadows)
            for (int light = 0; light < 2; ++light)
                expected.insert(expected.end(), {"render plane", "render box"});
        expected.push_back("render overlay");
        EXPECT_EQ(expected, calls);
        int wrong = 0;
        for (int y = area.top + 1; y < area.bottom - 1; ++y)
            for (int x = area.left + 1; x < area.right - 1; ++x)
                if (ColourDistance(picture.At(x, y), colour) > 2)
                    ++wrong;
        EXPECT_EQ(0, wrong);
        // The models themselves kept the wireframe fill: the plane near the
        // bottom of the picture shows mostly background between its lines.
        int background = 0, total = 0;
        for (uint32_t y = picture.height - 60; y < picture.height - 10; ++y)
            for (uint32_t x = 0; x < picture.width; ++x, ++total)
                if (picture.At(int(x), int(y)) == picture.At(0, 0))
                    ++background;
        EXPECT_GT(background, total / 2);
    }
    overlay->Release();
}

// Asked for during a frame (as the window procedure may), the screen-mode
// update returns S_FALSE and runs when the next frame begins.
TEST_F(FrameTest, ScreenModeUpdateInAFrameWaitsForTheNextFrame)
{
    AddPlane();
    ResizeClientArea(640, 480);
    models[0]->onUpdate = [](IGraphics* graphics) { return graphics->UpdateScreenMode(); };
    Picture during = Frame();
    EXPECT_EQ(S_FALSE, models[0]->lastUpdateHook);
    EXPECT_EQ(800u, during.width) << "nothing changed during the frame";
    Picture next = Frame();
    EXPECT_EQ(640u, next.width);
    EXPECT_EQ(480u, next.height);
    EXPECT_EQ(S_OK, graphics->UpdateScreenMode()) << "outside a frame it runs at once";
}

// The projection keeps 4/3 whatever the window's shape: a point lands on the
// same fraction of the back buffer at 800 x 600 and at 500 x 500.
TEST_F(FrameTest, ProjectionStaysFourThirdsAfterAResize)
{
    const D3DXVECTOR3 centre(25.0f, 0.0f, 10.0f);
    AddModel(MakeSphere(centre, 3.0f, 12, 8), "sphere");
    ASSERT_EQ(S_OK, graphics->SetLightning(true, 0x00FFFFFF));
    for (int size : {0, 500}) {
        SCOPED_TRACE(size);
        if (size)
            ResizeClientArea(size, size);
        ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
        Picture picture = Frame();
        if (size) {
            ASSERT_EQ(uint32_t(size), picture.width);
        }
        D3DXVECTOR2 drawn = CentreOfDrawn(picture);
        D3DXVECTOR2 expected = Project(centre, picture.width, picture.height);
        EXPECT_NEAR(expected.x / float(picture.width), drawn.x / float(picture.width), 0.01f);
        EXPECT_NEAR(expected.y / float(picture.height), drawn.y / float(picture.height), 0.01f);
    }
}

// A reset with lighting off keeps the projection, the camera and the light
// slots: the scene stays in place, and the light shines again once lighting
// is back on.
TEST_F(FrameTest, ResetWithLightingOffKeepsTheViewAndTheLights)
{
    const D3DXVECTOR3 centre(25.0f, 0.0f, 10.0f);
    AddModel(MakeSphere(centre, 3.0f, 12, 8), "sphere");
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(25.0f, 30.0f, 10.0f), kSceneLight);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    const Picture lit = Frame();
    ASSERT_EQ(S_OK, graphics->SetLightning(false, kAmbient));
    const Picture unlit = Frame();
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    const Picture afterReset = Frame();
    EXPECT_TRUE(afterReset.pixels == unlit.pixels) << "the sphere where it was";
    ASSERT_EQ(S_OK, graphics->SetLightning(true, kAmbient));
    EXPECT_TRUE(Frame().pixels == lit.pixels) << "the light back on";
}

// A degenerate camera (no up direction, or the eye on its target) is refused
// and the camera stays as it was, on the device too.
TEST_F(FrameTest, DegenerateCameraIsRefusedAndTheCameraStays)
{
    AddPlane();
    const Picture before = Frame();
    const D3DXVECTOR3 eye(1.0f, 2.0f, 3.0f), target(4.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f), none(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->SetCamera(&eye, &target, &none));
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->SetCamera(&eye, &eye, &up));
    EXPECT_EQ(2u, Occurrences(NewLog(), ErrorRecord("QLGraphics::SetCamera()", E_INVALIDARG, "Invalid Call/Param")));
    D3DXVECTOR3 keptEye, keptAt, keptUp;
    ASSERT_EQ(S_OK, graphics->GetCamera(&keptEye, &keptAt, &keptUp));
    EXPECT_TRUE(keptEye == cameraEye && keptAt == cameraAt && keptUp == up);
    EXPECT_TRUE(Frame().pixels == before.pixels);
}

// The registry keeps the order of registration through removals. A geometry
// registered twice is drawn twice, and its one RemoveGeometry (as its
// destructor makes) takes every entry, so no frame reaches it once it is
// gone; removing what is not registered is reported.
TEST_F(FrameTest, RegistryKeepsItsOrderAndRemovesEveryEntryOfAGeometry)
{
    CallLog calls;
    AddPlane();
    TestModel* box = AddModel(MakeBox(D3DXVECTOR3(-5, 0, -5), D3DXVECTOR3(5, 10, 5)), "box");
    AddModel(MakeSphere(D3DXVECTOR3(20, 5, 0), 4.0f, 12, 8), "sphere");
    ASSERT_EQ(3u, models.size());
    for (TestModel* model : models)
        model->calls = &calls;
    ASSERT_EQ(S_OK, graphics->AddGeometry(box));
    Frame();
    EXPECT_EQ((CallLog{"update plane", "render plane", "update box", "render box", "update sphere", "render sphere",
                       "update box", "render box"}),
              calls);

    ASSERT_EQ(S_OK, graphics->RemoveGeometry(box));
    box->removeOnDestroy = false;
    calls.clear();
    Frame();
    EXPECT_EQ((CallLog{"update plane", "render plane", "update sphere", "render sphere"}), calls);
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->RemoveGeometry(box));
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLGraphics::RemoveGeometry()", E_FAIL, "GeometryToRemove not found")));
}

// A geometry left registered is released until destroyed at shutdown; one
// that does not unregister itself earns the second warning.
TEST_F(FrameTest, GeometriesLeftAliveAreReportedAtShutdown)
{
    for (bool unregisters : {true, false}) {
        SCOPED_TRACE(unregisters ? "unregisters itself" : "forgets RemoveGeometry");
        TearDown();
        SetUp();
        AddPlane();
        TestModel* leaked = models[0];
        models.clear();
        leaked->AddRef();  // a second reference the application forgot
        bool destroyed = false;
        leaked->destroyed = &destroyed;
        leaked->removeOnDestroy = unregisters;
        ReleaseUntilDestroyed(graphics);
        graphics = nullptr;
        EXPECT_TRUE(destroyed);
        std::string log = NewLog();
        EXPECT_NE(std::string::npos,
                  log.find("Warning : \"1 geometrie(s) still alive (or dead but not removed => Access Violation) !\""))
            << log;
        EXPECT_EQ(unregisters ? 0u : 1u, Occurrences(log, "Warning : \"1 geometrie(s) don't call RemoveGeometry() in their destructor !\""));
        EXPECT_EQ(std::string::npos, log.find("Graphics Engine correctly shutdown"));
    }
}
