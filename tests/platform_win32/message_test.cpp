// The message queue: the close sequence, posted messages and blocking.
#include "recording_window_fixture.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

namespace {

using MessageTest = RecordingWindowTest;

TEST_F(MessageTest, ClosingDestroysTheWindowAndEndsTheLoop)
{
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Close);
    MSG msg;
    std::vector<UINT> taken;
    int result;
    while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        taken.push_back(msg.message);
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(ReceivedKinds(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT comes once";
}

TEST_F(MessageTest, QuitComesOnceAfterEveryOtherMessage)
{
    PostQuitMessage(3);
    PostQuitMessage(7);
    PostMessageA(window, WM_USER, 1, 2);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, (WPARAM)1);
    EXPECT_EQ(msg.lParam, (LPARAM)2);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, (WPARAM)7);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, PeekWithoutRemoveLeavesTheMessage)
{
    PostMessageA(window, WM_USER + 5, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER + 5);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, FiltersSelectByWindowAndRange)
{
    PostMessageA(nullptr, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    PostMessageA(window, WM_USER + 3, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER + 2) << "a window filter skips thread messages";
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER + 3);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER + 1);
    EXPECT_EQ(msg.hwnd, nullptr);
}

TEST_F(MessageTest, PeekNeverBlocksOnAnEmptyQueue)
{
    MSG msg;
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, PostedMessagesAndEventsKeepTheirOrder)
{
    PostMessageA(window, WM_USER + 1, 0, 0);
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Close);
    PostMessageA(window, WM_USER + 2, 0, 0);
    MSG msg;
    std::vector<UINT> order;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        order.push_back(msg.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_CLOSE, WM_USER + 2}));
}

TEST_F(MessageTest, GetMessageWakesOnAnInjectedEvent)
{
    // The waiting call must return on the event alone, with nothing posted.
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Close);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, (UINT)WM_CLOSE);
    EXPECT_EQ(msg.hwnd, window);
}

TEST_F(MessageTest, MessagesOfADestroyedWindowAreDropped)
{
    PostMessageA(window, WM_USER, 0, 0);
    DestroyWindow(window);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT) << "only the quit posted by WM_DESTROY is left";
}

TEST_F(MessageTest, DispatchReachesTheProcedureOfTheMessageWindow)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = WM_USER + 9;
    msg.wParam = 42;
    DispatchMessageA(&msg);
    ASSERT_EQ(ReceivedMessages().size(), 1u);
    EXPECT_EQ(ReceivedMessages()[0].message, (UINT)WM_USER + 9);
    EXPECT_EQ(ReceivedMessages()[0].wParam, (WPARAM)42);
    msg.hwnd = nullptr;
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(ReceivedMessages().size(), 1u);
}

}  // namespace
