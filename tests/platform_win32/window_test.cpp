// Window classes, window creation and the window's rectangles.
#include "window_test_support.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

namespace {

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSEXA PlainClass(LPCSTR name)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.lpszClassName = name;
    return windowClass;
}

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        QLTest_ClearFailures();
        if (IsWindow(window) && window != GetDesktopWindow())
            DestroyWindow(window);
        DrainMessages();
        ReceivedMessages().clear();
    }
    HWND window = nullptr;
};

TEST_F(WindowTest, ClassNameRegistersOnceWhateverItsCase)
{
    WNDCLASSEXA first = PlainClass("OnceOnly");
    EXPECT_NE(RegisterClassExA(&first), 0);
    WNDCLASSEXA again = PlainClass("ONCEONLY");
    EXPECT_EQ(RegisterClassExA(&again), 0);
}

TEST_F(WindowTest, RegistrationRejectsIncompleteClasses)
{
    WNDCLASSEXA noProcedure = PlainClass("NoProcedure");
    noProcedure.lpfnWndProc = nullptr;
    WNDCLASSEXA wrongSize = PlainClass("WrongSize");
    wrongSize.cbSize = 4;
    WNDCLASSEXA noName = PlainClass(nullptr);
    for (const WNDCLASSEXA* windowClass : {&noProcedure, &wrongSize, &noName})
        EXPECT_EQ(RegisterClassExA(windowClass), 0);
    EXPECT_EQ(RegisterClassExA(nullptr), 0);
}

TEST_F(WindowTest, InjectedFailuresFailRegistrationAndCreation)
{
    QLTest_FailCall("RegisterClassExA", E_FAIL);
    WNDCLASSEXA windowClass = PlainClass("FailsOnce");
    EXPECT_EQ(RegisterClassExA(&windowClass), 0);
    EXPECT_NE(RegisterClassExA(&windowClass), 0) << "the failure was meant for one call";

    QLTest_FailCall("CreateWindowExA", E_FAIL);
    EXPECT_EQ(CreateTestWindow(320, 240), nullptr);
    window = CreateTestWindow(320, 240);
    EXPECT_NE(window, nullptr);
}

TEST_F(WindowTest, UnknownClassCreatesNoWindow)
{
    EXPECT_EQ(CreateWindowExA(0, "NeverRegistered", "x", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
}

TEST_F(WindowTest, ClientAreaIsTheOuterSizeLessTheFrame)
{
    window = CreateTestWindow(800, 600);
    ASSERT_NE(window, nullptr);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);

    RECT expected = {100, 50, 900, 650};
    AdjustWindowRectEx(&expected, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, FALSE,
                       WS_EX_WINDOWEDGE);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, expected.left);
    EXPECT_EQ(outer.top, expected.top);
    EXPECT_EQ(outer.right, expected.right);
    EXPECT_EQ(outer.bottom, expected.bottom);
}

TEST_F(WindowTest, FrameGrowsTheRectangleOnEverySide)
{
    RECT rect = {0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRectEx(&rect, 0x90CE0000, FALSE, WS_EX_WINDOWEDGE));
    EXPECT_LT(rect.left, 0);
    EXPECT_LT(rect.top, rect.left) << "the caption sits above the client area";
    EXPECT_GT(rect.right, 640);
    EXPECT_GT(rect.bottom, 480);
    EXPECT_EQ(-rect.left, rect.right - 640) << "side frames are equal";

    RECT borderless = {10, 20, 30, 40};
    AdjustWindowRectEx(&borderless, WS_POPUP, FALSE, 0);
    EXPECT_EQ(borderless.left, 10);
    EXPECT_EQ(borderless.bottom, 40);
}

TEST_F(WindowTest, SetWindowPosMovesAndSizesTheOuterRectangle)
{
    window = CreateTestWindow(640, 480);
    ASSERT_NE(window, nullptr);
    DrainMessages();
    ReceivedMessages().clear();
    ASSERT_TRUE(SetWindowPos(window, HWND_NOTOPMOST, 30, 40, 500, 400, SWP_SHOWWINDOW));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 30);
    EXPECT_EQ(outer.top, 40);
    EXPECT_EQ(outer.right, 530);
    EXPECT_EQ(outer.bottom, 440);
    RECT client;
    GetClientRect(window, &client);
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, FALSE,
                       WS_EX_WINDOWEDGE);
    EXPECT_EQ(client.right, 500 - (frame.right - frame.left));
    EXPECT_EQ(client.bottom, 400 - (frame.bottom - frame.top));

    // A programmatic move and resize is no user's: WM_MOVE then WM_SIZE, as
    // Windows sends them, and the SDL events it causes add nothing.
    DrainMessages();
    ASSERT_EQ(ReceivedKinds(), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
    // WM_MOVE carries the client area's screen position, x low and y high;
    // WM_SIZE its width and height.
    const ReceivedMessage& move = ReceivedMessages()[0];
    EXPECT_EQ(30 - frame.left, (LONG)(short)LOWORD(move.lParam));
    EXPECT_EQ(40 - frame.top, (LONG)(short)HIWORD(move.lParam));
    const ReceivedMessage& size = ReceivedMessages()[1];
    EXPECT_EQ(client.right, (LONG)LOWORD(size.lParam));
    EXPECT_EQ(client.bottom, (LONG)HIWORD(size.lParam));
}

TEST_F(WindowTest, DesktopHasTheScreenSize)
{
    window = GetDesktopWindow();
    RECT desktop;
    ASSERT_TRUE(GetClientRect(window, &desktop));
    EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
    EXPECT_EQ(desktop.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(desktop.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(WindowTest, WindowProcedureSetsTheMinimumTrackingSizeAtCreation)
{
    window = CreateTestWindow(640, 480, false);
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(ReceivedMessages().empty());
    EXPECT_EQ(ReceivedMessages()[0].message, (UINT)WM_GETMINMAXINFO);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 100, 100, 0);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 328);
    EXPECT_EQ(outer.bottom - outer.top, 267);
}

TEST_F(WindowTest, DestroyedHandleIsDeadEverywhere)
{
    window = CreateTestWindow(320, 240);
    ASSERT_TRUE(DestroyWindow(window));
    RECT rect;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(GetClientRect(window, &rect));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(window));
}

}  // namespace
