// Moves and resizes as Windows reports them: a user's drag of the frame is
// one WM_ENTERSIZEMOVE ... WM_EXITSIZEMOVE loop, anything else (another
// program, maximise, restore) only WM_MOVE and WM_SIZE. Then the engine's
// side: only the end of a drag gives the back buffer the client size.
#include "recording_window_fixture.h"

#include "support/graphics_fixture.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

namespace {

class ResizeTest : public RecordingWindowTest {
protected:
    ResizeTest() { skipMinMaxInfo = true; }
    static std::vector<UINT> Kinds(const std::vector<ReceivedMessage>& messages)
    {
        std::vector<UINT> kinds;
        for (const ReceivedMessage& message : messages)
            kinds.push_back(message.message);
        return kinds;
    }
};

TEST_F(ResizeTest, LongDragIsOneLoopThatEndsWhenTheButtonIsReleased)
{
    EXPECT_TRUE(After(QLTestWindowEvent::FrameGrabbed).empty()) << "a press alone changes nothing";
    std::vector<ReceivedMessage> first = After(QLTestWindowEvent::Resized, 500, 400);
    ASSERT_EQ(Kinds(first), (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_SIZE}));
    EXPECT_EQ(first[1].lParam, MAKELPARAM(500, 400));
    std::vector<ReceivedMessage> second = After(QLTestWindowEvent::Moved, 120, 80);
    ASSERT_EQ(Kinds(second), (std::vector<UINT>{WM_MOVE}));
    EXPECT_EQ(second[0].lParam, MAKELPARAM(120, 80));
    EXPECT_EQ(Kinds(After(QLTestWindowEvent::Resized, 520, 410)), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(Kinds(After(QLTestWindowEvent::FrameReleased)), (std::vector<UINT>{WM_EXITSIZEMOVE}));
    EXPECT_TRUE(After(QLTestWindowEvent::FrameReleased).empty()) << "one loop, one end";

    // A press and release that moved nothing is no loop at all.
    After(QLTestWindowEvent::FrameGrabbed);
    EXPECT_TRUE(After(QLTestWindowEvent::FrameReleased).empty());
}

TEST_F(ResizeTest, ChangesNobodyDraggedComeWithoutTheLoop)
{
    std::vector<ReceivedMessage> moved = After(QLTestWindowEvent::MovedByProgram, 150, 90);
    ASSERT_EQ(Kinds(moved), (std::vector<UINT>{WM_MOVE}));
    EXPECT_EQ(moved[0].lParam, MAKELPARAM(150, 90));
    std::vector<ReceivedMessage> resized = After(QLTestWindowEvent::ResizedByProgram, 900, 700);
    ASSERT_EQ(Kinds(resized), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(resized[0].wParam, (WPARAM)SIZE_RESTORED);
    EXPECT_EQ(resized[0].lParam, MAKELPARAM(900, 700));
    EXPECT_TRUE(After(QLTestWindowEvent::ResizedByProgram, 900, 700).empty()) << "nothing new, nothing told";
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 900);
    EXPECT_EQ(client.bottom, 700);
}

TEST_F(ResizeTest, MaximiseAndRestoreSayWhichSizeTheyAre)
{
    std::vector<ReceivedMessage> maximised = After(QLTestWindowEvent::Maximized, 1000, 720);
    ASSERT_EQ(Kinds(maximised), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(maximised[0].wParam, (WPARAM)SIZE_MAXIMIZED);
    EXPECT_EQ(maximised[0].lParam, MAKELPARAM(1000, 720));
    std::vector<ReceivedMessage> restored = After(QLTestWindowEvent::Restored, 640, 480);
    ASSERT_EQ(Kinds(restored), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(restored[0].wParam, (WPARAM)SIZE_RESTORED);
    EXPECT_EQ(restored[0].lParam, MAKELPARAM(640, 480));

    // Minimised while maximised, it comes back maximised.
    After(QLTestWindowEvent::Maximized, 1000, 720);
    After(QLTestWindowEvent::Minimized);
    std::vector<ReceivedMessage> back = After(QLTestWindowEvent::Maximized);
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(back.back().message, (UINT)WM_SIZE);
    EXPECT_EQ(back.back().wParam, (WPARAM)SIZE_MAXIMIZED);
}

TEST_F(ResizeTest, NoResizeGoesBelowTheSmallestTrackingSize)
{
    RECT frame = {0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX, FALSE,
                       WS_EX_WINDOWEDGE);
    const int smallestWidth = 328 - (frame.right - frame.left), smallestHeight = 267 - (frame.bottom - frame.top);
    std::vector<ReceivedMessage> dragged = After(QLTestWindowEvent::Resized, 100, 80);
    ASSERT_EQ(Kinds(dragged), (std::vector<UINT>{WM_ENTERSIZEMOVE, WM_SIZE, WM_EXITSIZEMOVE}));
    EXPECT_EQ(dragged[1].lParam, MAKELPARAM(smallestWidth, smallestHeight));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 328);
    EXPECT_EQ(outer.bottom - outer.top, 267);

    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 640, 480, 0);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 10, 10, 0);
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.right - outer.left, 328);
    EXPECT_EQ(outer.bottom - outer.top, 267);
}

// The engine's window and device: the back buffer takes the client size when
// a user's drag ends (and at full screen and back), and keeps its size
// through every other resize, which Present stretches.
class EngineResizeTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        cursorCount = ShowCursor(TRUE) - 1;
        ShowCursor(FALSE);
        ASSERT_NO_FATAL_FAILURE(GraphicsTest::SetUp());
        ASSERT_EQ(S_OK, StartDevice());
        ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
        ASSERT_EQ(S_OK, core->Update());
    }
    void TearDown() override
    {
        GraphicsTest::TearDown();
        // Every screen-mode update shows the cursor once more: leave the
        // process's display counter as it was for the suites after this one.
        int count = ShowCursor(TRUE);
        while (count > cursorCount)
            count = ShowCursor(FALSE);
    }
    ScreenMode Mode()
    {
        ScreenMode mode = {};
        graphics->GetScreenMode(&mode);
        return mode;
    }
    void Inject(QLTestWindowEvent event, int x = 0, int y = 0)
    {
        QLTest_InjectWindowEvent(Window(), event, x, y);
        ASSERT_EQ(S_OK, core->Update());
    }

    int cursorCount = 0;
};

TEST_F(EngineResizeTest, OnlyTheEndOfADragResizesTheBackBuffer)
{
    Inject(QLTestWindowEvent::ResizedByProgram, 1000, 700);
    EXPECT_EQ(800, Mode().width) << "a resize nobody dragged keeps the back buffer";
    Inject(QLTestWindowEvent::Maximized, 1100, 760);
    EXPECT_EQ(800, Mode().width);
    Inject(QLTestWindowEvent::Restored, 1000, 700);
    EXPECT_TRUE(core->IsActive());

    Inject(QLTestWindowEvent::FrameGrabbed);
    Inject(QLTestWindowEvent::Resized, 560, 420);
    EXPECT_EQ(800, Mode().width) << "the loop is not over yet";
    Inject(QLTestWindowEvent::FrameReleased);
    EXPECT_TRUE(core->IsActive());
    EXPECT_EQ(560, Mode().width);
    EXPECT_EQ(420, Mode().height);
    EXPECT_TRUE(core->IsRunning());
}

TEST_F(EngineResizeTest, FullScreenAndBackAfterADragKeepsTheDraggedSize)
{
    Inject(QLTestWindowEvent::Resized, 900, 640);
    ASSERT_EQ(900, Mode().width);
    ScreenMode full = {0, 800, 600, 16, 24, 8};
    ASSERT_EQ(S_OK, graphics->SetScreenMode(&full));
    EXPECT_EQ(0, Mode().windowed);
    EXPECT_EQ(800, Mode().width);
    ScreenMode windowed = {1, 800, 600, 16, 24, 8};
    ASSERT_EQ(S_OK, graphics->SetScreenMode(&windowed));
    ASSERT_EQ(S_OK, core->Update());
    EXPECT_EQ(1, Mode().windowed);
    EXPECT_EQ(900, Mode().width);
    EXPECT_EQ(640, Mode().height);
    RECT client;
    GetClientRect(Window(), &client);
    EXPECT_EQ(900, client.right);
    EXPECT_EQ(640, client.bottom);
}

}  // namespace
