#include "core/icore.h"
#include "core/qlcore.h"
#include "graphics/igraphics.h"
#include "input/iinput.h"

#include "support/core_fixture.h"
#include "support/error_record.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class CoreTest : public CoreFixture {
protected:
    // A started core whose graphics manager has a windowed device.
    void StartWithDevice(IGraphics** graphics)
    {
        ASSERT_NO_FATAL_FAILURE(StartCore());
        ASSERT_EQ(S_OK, core->CreateGraphics(graphics));
        ScreenMode mode = {1, 320, 240, 16, 24, 8};
        ASSERT_EQ(S_OK, (*graphics)->SetScreenMode(&mode));
    }
};

}  // namespace

TEST(CreateCore, NullOutIsRefused)
{
    EXPECT_EQ(QLE_SUBFUNCTION, CreateCore(nullptr));
    EXPECT_NE(std::string::npos,
              ReadLog().find(ErrorRecord("CreateCore()", E_INVALIDARG, "Invalid Call/Param") + "\nAt "));
}

TEST_F(CoreTest, CountsAndCloneFollowTheObjectModel)
{
    EXPECT_EQ(2, core->AddRef());
    EXPECT_EQ(1, core->Release());
    ICore* copy = nullptr;
    EXPECT_EQ(E_FAIL, core->Clone(&copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_STREQ("QLCore", core->GetType().Chars());
    EXPECT_TRUE(core->IsRunning());
    EXPECT_TRUE(core->IsActive());
}

TEST_F(CoreTest, ShutdownWithNoManagerSaysSo)
{
    core->Release();
    core = nullptr;
    EXPECT_EQ("[QLCore::Destructor()] Quarlight Engine correctly shutdown\n", NewLog());
}

TEST_F(CoreTest, ForgottenManagerIsReportedAndDestroyed)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
    IGraphics* graphics = nullptr;
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    EXPECT_EQ(2, core->AddRef() - 1) << "the manager holds the core";
    core->Release();
    core->Release();  // the application's reference: the manager's keeps it alive
    std::string log = NewLog();
    EXPECT_EQ(std::string::npos, log.find("correctly shutdown"));
    // The manager is still held by the application: the core goes with the
    // manager's own reference, when the last Release of the core runs.
    core = nullptr;
    graphics->Release();
    log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Graphics Engine correctly shutdown"));
    EXPECT_NE(std::string::npos, log.find("Quarlight Engine correctly shutdown"));
}

TEST_F(CoreTest, ReleasingTheCoreFirstReportsTheManager)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
    IGraphics* graphics = nullptr;
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    // Drop the manager's hold on the core so the core dies first.
    core->Release();
    core->Release();
    core = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Error : \"IGraphics not detached ! nRef=1\"")) << log;
    size_t shutdown = log.find("Quarlight Engine correctly shutdown");
    EXPECT_NE(std::string::npos, shutdown);
    EXPECT_LT(log.find("IGraphics not detached"), shutdown);
}

// A manager the application lets go leaves the core free for a new one and
// gives back the reference to the core it was made with.
TEST_F(CoreTest, ReleasedManagersAreDetachedAndGiveTheCoreBack)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    IGraphics* graphics = nullptr;
    IInput* input = nullptr;
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    ASSERT_EQ(S_OK, core->CreateInput(&input));
    QLCore* owner = static_cast<QLCore*>(core);
    EXPECT_EQ(3, core->AddRef() - 1);
    core->Release();
    input->Release();
    EXPECT_EQ(nullptr, owner->Input());
    EXPECT_EQ(graphics, owner->Graphics());
    graphics->Release();
    EXPECT_EQ(nullptr, owner->Graphics());
    EXPECT_EQ(1, core->AddRef() - 1);
    core->Release();
    EXPECT_EQ(std::string::npos, NewLog().find("Error"));

    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics)) << "the slot is free again";
    graphics->Release();
}

// A windowed screen-mode update has the core put the window back where it
// was stored before the back buffer takes its client size.
TEST_F(CoreTest, WindowedScreenModeRestoresTheStoredWindow)
{
    IGraphics* graphics = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithDevice(&graphics));
    RECT stored;
    ASSERT_TRUE(GetWindowRect(Window(), &stored));
    ASSERT_EQ(0, core->StoreWindowRect());
    SetWindowPos(Window(), HWND_NOTOPMOST, stored.left + 30, stored.top + 20, 400, 300, SWP_SHOWWINDOW);
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    RECT after;
    ASSERT_TRUE(GetWindowRect(Window(), &after));
    EXPECT_EQ(stored.left, after.left);
    EXPECT_EQ(stored.top, after.top);
    EXPECT_EQ(stored.right - stored.left, after.right - after.left);
    graphics->Release();
}

TEST_F(CoreTest, ManagersAreCreatedOnce)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
    IGraphics* graphics = nullptr;
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    IGraphics* second = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateGraphics(&second));
    EXPECT_EQ(nullptr, second);
    EXPECT_EQ(graphics, static_cast<QLCore*>(core)->Graphics());
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Assertion Failed'"));
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateGraphics(nullptr));
    graphics->Release();
}

TEST_F(CoreTest, CreateObjectNeedsTheGraphicsManager)
{
    IGeometry* geometry = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("font", "x.tga", &geometry));
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLCore::CreateObject()", E_FAIL, "Assertion Failed")));
    EXPECT_EQ(nullptr, geometry);
}

TEST_F(CoreTest, UnknownTypesAreRefusedAndGiveBackTheReference)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
    IGraphics* graphics = nullptr;
    ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
    for (const char* type : {"Font", "", "stl"}) {
        IGeometry* geometry = nullptr;
        LONG before = graphics->AddRef() - 1;
        graphics->Release();
        EXPECT_EQ(E_INVALIDARG, core->CreateObject(type, "./data/thing", &geometry)) << type;
        EXPECT_EQ(before, graphics->AddRef() - 1);
        graphics->Release();
        EXPECT_NE(std::string::npos,
                  NewLog().find(std::string("Error : \"Type : '") + type + "'; Command : './data/thing'\""));
    }
    graphics->Release();
}

TEST_F(CoreTest, DetachingAnUnknownObjectNamesIt)
{
    EXPECT_EQ(E_FAIL, core->DetachManager(core));
    EXPECT_NE(std::string::npos, NewLog().find("Error : \"Unknow manager : QLCore\""));
    EXPECT_EQ(QLE_SUBFUNCTION, core->DetachManager(nullptr));
}

TEST_F(CoreTest, InitCentresAWindowOfAtLeastTheSmallestSize)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 200, 100));
    RECT client;
    ASSERT_TRUE(GetClientRect(Window(), &client));
    EXPECT_EQ(640, client.right - client.left);
    EXPECT_EQ(480, client.bottom - client.top);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(Window(), &outer));
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // The client area is centred; the frame grows around it.
    RECT expected = {(screenWidth - 640) / 2, (screenHeight - 480) / 2, 0, 0};
    expected.right = expected.left + 640;
    expected.bottom = expected.top + 480;
    AdjustWindowRectEx(&expected, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                       FALSE, WS_EX_WINDOWEDGE);
    EXPECT_EQ(expected.left, outer.left);
    EXPECT_EQ(expected.top, outer.top);
    EXPECT_NE(std::string::npos, NewLog().find("[QLCore::Init()] The "));
}

TEST_F(CoreTest, ClosingTheWindowEndsTheRun)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    EXPECT_TRUE(core->IsRunning());
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Close);
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_FALSE(core->IsRunning());
}

TEST_F(CoreTest, MinimisingDeactivatesAndRestoringReactivates)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    ASSERT_TRUE(core->IsActive());
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Minimized);
    // Restore queued behind it, so the pump that blocks on the minimised
    // window wakes up again.
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Restored);
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_TRUE(core->IsActive());
}

// The focus lost and regained before the pump runs: each change wakes the
// pump once, and nothing it leaves in the queue changes the state again.
TEST_F(CoreTest, FocusLostAndRegainedSettleActive)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    for (int round = 0; round < 3; ++round) {
        QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::FocusLost);
        QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::FocusGained);
        int taken = PumpMessages(100);
        EXPECT_LT(taken, 100) << "the queue never empties";
        EXPECT_TRUE(core->IsActive()) << "round " << round;
    }
    ASSERT_EQ(S_OK, core->Update()) << "returns: the pump is not blocked";
    EXPECT_TRUE(core->IsActive());
}

TEST_F(CoreTest, FailedGetMessageEndsTheBlockingPump)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    // Hidden, the window is inactive and the pump blocks in GetMessage.
    ShowWindow(Window(), SW_HIDE);
    PostMessageA(Window(), WM_CLOSE, 0, 0);
    QLTest_FailCall("GetMessageA", E_FAIL);
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_TRUE(core->IsRunning()) << "the pump went on past the failure";
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_FALSE(core->IsRunning()) << "the queued close waited for the next update";
}

TEST_F(CoreTest, WindowKeepsItsSmallestTrackingSizeAndRestoresTheStoredRect)
{
    ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 640, 480));
    RECT before;
    ASSERT_TRUE(GetWindowRect(Window(), &before));
    // A user's resize below the smallest size stops at 328 x 267.
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Resized, 150, 100);
    ASSERT_EQ(S_OK, core->Update());
    RECT small;
    ASSERT_TRUE(GetWindowRect(Window(), &small));
    EXPECT_EQ(328, small.right - small.left);
    EXPECT_EQ(267, small.bottom - small.top);
    // The resize's end stored the small rectangle; a move back restores it.
    SetWindowPos(Window(), HWND_NOTOPMOST, before.left, before.top, before.right - before.left,
                 before.bottom - before.top, SWP_SHOWWINDOW);
    EXPECT_EQ(0, core->RestoreWindowRect());
    RECT after;
    ASSERT_TRUE(GetWindowRect(Window(), &after));
    EXPECT_EQ(328, after.right - after.left);
}

TEST_F(CoreTest, ManagerWhoseInitFailsStaysAttachedAndIsReported)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    QLTest_FailCall("DirectInput8Create", DIERR_OUTOFMEMORY);
    IInput* input = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateInput(&input));
    EXPECT_EQ(nullptr, input);
    EXPECT_NE(nullptr, static_cast<QLCore*>(core)->Input()) << "still attached";
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLCore::CreateInput()", QLE_SUBFUNCTION, "Input manager initialisation failed !")));
    QLTest_FailCall("Direct3DCreate9", E_FAIL);
    IGraphics* graphics = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateGraphics(&graphics));
    EXPECT_EQ(nullptr, graphics);
    EXPECT_NE(nullptr, static_cast<QLCore*>(core)->Graphics());
    EXPECT_NE(std::string::npos, NewLog().find(ErrorRecord("QLCore::CreateGraphics()", QLE_SUBFUNCTION,
                                                           "Graphic manager initialisation failed !")));
    // Each manager holds the core; the core's own reference is the last.
    HWND window = Window();
    ASSERT_EQ(3, core->AddRef() - 1);
    ReleaseUntilDestroyed(core);
    core = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Error : \"IGraphics not detached ! nRef=1\"")) << log;
    EXPECT_NE(std::string::npos, log.find("Error : \"IInput not detached ! nRef=1\"")) << log;
    EndCore(nullptr, window);
}

TEST_F(CoreTest, FailedScreenModeUpdateAfterAMoveEndsTheRun)
{
    IGraphics* graphics = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithDevice(&graphics));
    // A move the device follows runs on.
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Moved, 40, 50);
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_TRUE(core->IsRunning());
    // A lost device only skips frames; any other refusal ends the run.
    QLTest_FailCall("IDirect3DDevice9::Reset", D3DERR_INVALIDCALL);
    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Moved, 60, 70);
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_FALSE(core->IsRunning());
    EXPECT_NE(std::string::npos, NewLog().find(ErrorRecord("QLGraphics::UpdateScreenMode()", D3DERR_INVALIDCALL,
                                                            "IDirect3DDevice9::Reset() failed !")));
    graphics->Release();
}

TEST_F(CoreTest, MinimisingLetsGoOfTheInputDevices)
{
    ASSERT_NO_FATAL_FAILURE(StartCore());
    int pad = QLTest_AttachJoystick("pad", 2, 4, 0);
    ASSERT_GE(pad, 0);
    IInput* input = nullptr;
    ASSERT_EQ(S_OK, core->CreateInput(&input));
    int32_t created = 0;
    ASSERT_EQ(S_OK, input->UseDevices(InputJoystick, &created));
    ASSERT_EQ(InputJoystick, (uint32_t)created);

    // A second handle on the controller, wanting it exclusively: it gets it
    // only once the manager's joystick has been unacquired.
    IDirectInput8A* directInput = nullptr;
    ASSERT_EQ(DI_OK, DirectInput8Create(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A,
                                        reinterpret_cast<void**>(&directInput), nullptr));
    GUID controller = {};
    directInput->EnumDevices(
        DI8DEVCLASS_GAMECTRL,
        [](LPCDIDEVICEINSTANCEA device, LPVOID context) -> BOOL {
            *static_cast<GUID*>(context) = device->guidInstance;
            return DIENUM_STOP;
        },
        &controller, DIEDFL_ATTACHEDONLY);
    IDirectInputDevice8A* other = nullptr;
    ASSERT_EQ(DI_OK, directInput->CreateDevice(controller, &other, nullptr));
    ASSERT_EQ(DI_OK, other->SetDataFormat(&c_dfDIJoystick));
    ASSERT_EQ(DI_OK, other->SetCooperativeLevel(Window(), DISCL_EXCLUSIVE | DISCL_BACKGROUND));
    EXPECT_EQ(DIERR_OTHERAPPHASPRIO, other->Acquire()) << "the manager holds it";

    QLTest_InjectWindowEvent(Window(), QLTestWindowEvent::Minimized);
    PumpMessages(100);
    EXPECT_FALSE(core->IsActive());
    EXPECT_EQ(DI_OK, other->Acquire());

    other->Release();
    directInput->Release();
    input->Release();
    QLTest_DetachJoystick(pad);
}

TEST(Timer, RunsForwardInSeconds)
{
    double first = Timer();
    double second = Timer();
    EXPECT_GT(first, 0.0);
    EXPECT_GE(second, first);
    EXPECT_LT(second - first, 1.0);
}
