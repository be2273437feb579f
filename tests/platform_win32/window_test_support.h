// A window whose procedure records what it receives, for the Win32 suites.
#pragma once

#include <windows.h>

#include <vector>

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The messages every test window's procedure saw, in order.
std::vector<ReceivedMessage>& ReceivedMessages();
// Creates a window of the engine's style with the given client size, shown
// when `show` is set, registering the recording class on first use.
HWND CreateTestWindow(int clientWidth, int clientHeight, bool show = true);
// The message values the procedure received, WM_GETMINMAXINFO left out.
std::vector<UINT> ReceivedKinds();
// Takes and dispatches every queued message without blocking.
void DrainMessages();
