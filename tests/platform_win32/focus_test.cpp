// Window events as the engine's window procedure expects them: activation,
// minimise and restore, and a user's move or resize.
#include "recording_window_fixture.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>

namespace {

class FocusTest : public RecordingWindowTest {};

TEST_F(FocusTest, ShownWindowIsTheForegroundWindowWithoutADisplay)
{
    EXPECT_EQ(GetForegroundWindow(), window);
    HWND hidden = CreateTestWindow(320, 240, false);
    EXPECT_EQ(GetForegroundWindow(), window) << "a hidden window takes no focus";
    ShowWindow(hidden, SW_SHOWDEFAULT);
    EXPECT_EQ(GetForegroundWindow(), hidden);
    DestroyWindow(hidden);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(FocusTest, FocusLossAndGainArriveAsActivateApp)
{
    EXPECT_EQ(Sequence(After(QLTestWindowEvent::FocusLost)), (MessageSequence{{WM_ACTIVATEAPP, FALSE}}));
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_TRUE(After(QLTestWindowEvent::FocusLost).empty()) << "no second deactivation";

    EXPECT_EQ(Sequence(After(QLTestWindowEvent::FocusGained)), (MessageSequence{{WM_ACTIVATEAPP, TRUE}}));
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(FocusTest, MinimiseAndRestoreArriveAsSizeAndActivation)
{
    EXPECT_EQ(Sequence(After(QLTestWindowEvent::Minimized)),
              (MessageSequence{{WM_SIZE, SIZE_MINIMIZED}, {WM_ACTIVATEAPP, FALSE}}));
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 0) << "a minimised window has no client area";

    std::vector<ReceivedMessage> restored = After(QLTestWindowEvent::Restored);
    ASSERT_EQ(Sequence(restored), (MessageSequence{{WM_ACTIVATEAPP, TRUE}, {WM_SIZE, SIZE_RESTORED}}));
    EXPECT_EQ(LOWORD(restored[1].lParam), 640);
    EXPECT_EQ(HIWORD(restored[1].lParam), 480);
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(FocusTest, UserResizeIsFramedBySizeMoveMessages)
{
    std::vector<ReceivedMessage> resized = After(QLTestWindowEvent::Resized, 500, 400);
    ASSERT_EQ(resized.size(), 3u);
    EXPECT_EQ(resized[0].message, (UINT)WM_ENTERSIZEMOVE);
    EXPECT_EQ(resized[1].message, (UINT)WM_SIZE);
    EXPECT_EQ(resized[1].wParam, (WPARAM)SIZE_RESTORED);
    EXPECT_EQ(resized[1].lParam, MAKELPARAM(500, 400));
    EXPECT_EQ(resized[2].message, (UINT)WM_EXITSIZEMOVE);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 500);
    EXPECT_EQ(client.bottom, 400);
    EXPECT_TRUE(After(QLTestWindowEvent::Resized, 500, 400).empty()) << "an unchanged size is no resize";
}

TEST_F(FocusTest, UserMoveMovesTheWindowRectangle)
{
    RECT before;
    GetWindowRect(window, &before);
    std::vector<ReceivedMessage> moved = After(QLTestWindowEvent::Moved, 300, 200);
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[0].message, (UINT)WM_ENTERSIZEMOVE);
    EXPECT_EQ(moved[2].message, (UINT)WM_EXITSIZEMOVE);
    RECT after;
    GetWindowRect(window, &after);
    // The event gives the client area's position; the frame lies around it.
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, FALSE,
                       WS_EX_WINDOWEDGE);
    EXPECT_EQ(after.left, 300 + frame.left);
    EXPECT_EQ(after.top, 200 + frame.top);
    EXPECT_EQ(after.right - after.left, before.right - before.left);

    // A move along one axis is a move too; the same place is none.
    for (auto [x, y] : {std::pair{420, 200}, std::pair{420, 260}}) {
        std::vector<ReceivedMessage> along = After(QLTestWindowEvent::Moved, x, y);
        ASSERT_EQ(along.size(), 3u) << x << ", " << y;
        EXPECT_EQ(along[0].message, (UINT)WM_ENTERSIZEMOVE);
        GetWindowRect(window, &after);
        EXPECT_EQ(after.left, x + frame.left);
        EXPECT_EQ(after.top, y + frame.top);
    }
    EXPECT_TRUE(After(QLTestWindowEvent::Moved, 420, 260).empty()) << "an unchanged position is no move";
}

TEST_F(FocusTest, HidingTheForegroundWindowDeactivates)
{
    ShowWindow(window, SW_HIDE);
    DrainMessages();
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    ASSERT_FALSE(ReceivedMessages().empty());
    EXPECT_EQ(ReceivedMessages().back().message, (UINT)WM_ACTIVATEAPP);
    EXPECT_EQ(ReceivedMessages().back().wParam, (WPARAM)FALSE);
}

TEST_F(FocusTest, MouseOverTheWindowAsksForTheCursor)
{
    QLTest_InjectMouseMotion(3, 4);
    DrainMessages();
    std::vector<ReceivedMessage>& received = ReceivedMessages();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, (UINT)WM_NCHITTEST);
    EXPECT_EQ(received[1].message, (UINT)WM_SETCURSOR);
    EXPECT_EQ(received[1].wParam, (WPARAM)window);
    EXPECT_EQ(LOWORD(received[1].lParam), HTCLIENT);
    EXPECT_EQ(HIWORD(received[1].lParam), WM_MOUSEMOVE);
    // The default handling shows the class cursor, the arrow.
    EXPECT_EQ(SetCursor(nullptr), LoadCursor(nullptr, IDC_ARROW));
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

// The engine's pump: drain while active, wait while inactive.
TEST_F(FocusTest, WaitingPumpWakesWhenTheWindowIsRestored)
{
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Minimized);
    DrainMessages();
    ASSERT_EQ(GetForegroundWindow(), nullptr);
    ReceivedMessages().clear();
    std::thread restorer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QLTest_InjectWindowEvent(window, QLTestWindowEvent::Restored);
    });
    bool active = false;
    MSG msg;
    for (;;) {
        if (active ? !PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) : GetMessageA(&msg, nullptr, 0, 0) <= 0)
            break;
        if (msg.message == WM_SIZE)
            active = msg.wParam != SIZE_MINIMIZED;
        DispatchMessageA(&msg);
    }
    restorer.join();
    EXPECT_TRUE(active);
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(ReceivedKinds(), (std::vector<UINT>{WM_ACTIVATEAPP, WM_SIZE}));
}

}  // namespace
