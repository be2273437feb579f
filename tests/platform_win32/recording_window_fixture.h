// A shown test window and the messages one injected window event brings it.
#pragma once

#include "window_test_support.h"

#include <gtest/gtest.h>
#include <qlplatform_test.h>

#include <utility>
#include <vector>

// Messages with their wParam, to compare a whole sequence at once.
using MessageSequence = std::vector<std::pair<UINT, WPARAM>>;

inline MessageSequence Sequence(const std::vector<ReceivedMessage>& received)
{
    MessageSequence sequence;
    for (const ReceivedMessage& message : received)
        sequence.emplace_back(message.message, message.wParam);
    return sequence;
}

class RecordingWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = CreateTestWindow(640, 480);
        ASSERT_NE(window, nullptr);
        DrainMessages();
        ReceivedMessages().clear();
    }
    void TearDown() override
    {
        // A test may have closed the window itself.
        if (IsWindow(window))
            DestroyWindow(window);
        // Takes the WM_QUIT of the destruction, so no test sees another's.
        DrainMessages();
        ReceivedMessages().clear();
    }
    // What the window procedure received for the event, in order.
    std::vector<ReceivedMessage> After(QLTestWindowEvent event, int x = 0, int y = 0)
    {
        ReceivedMessages().clear();
        QLTest_InjectWindowEvent(window, event, x, y);
        DrainMessages();
        std::vector<ReceivedMessage> received;
        for (const ReceivedMessage& message : ReceivedMessages())
            if (!skipMinMaxInfo || message.message != WM_GETMINMAXINFO)
                received.push_back(message);
        return received;
    }
    HWND window = nullptr;
    // Set: the size queries a resize makes along the way are left out.
    bool skipMinMaxInfo = false;
};
