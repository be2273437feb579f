// The foreground window: the focused window while it is shown and not
// minimised. Its changes are the application's activation changes.
#include "window_internal.h"
#include "window_registry.h"

namespace {

HWND focusWindow = nullptr;
HWND foregroundWindow = nullptr;
uint32_t foregroundSerial = 0;

}  // namespace

void QLWin32_SetFocusWindow(HWND window)
{
    focusWindow = window;
}

HWND QLWin32_FocusWindow()
{
    return focusWindow;
}

void QLWin32_UpdateForeground()
{
    Win32Window* window = QLWin32_Find(focusWindow);
    HWND now = window && window->visible && !window->minimized && !window->destroying ? focusWindow : nullptr;
    if (now == foregroundWindow)
        return;
    HWND previous = foregroundWindow;
    foregroundWindow = now;
    ++foregroundSerial;
    const QLWin32_InputSink* sink = QLWin32_InputSinkOf();
    if (sink && sink->onForegroundChanged)
        sink->onForegroundChanged(now);
    // Every window is this application's: only a change from or to no
    // foreground window at all activates or deactivates the application.
    if (!previous)
        QLWin32_Enqueue(now, WM_ACTIVATEAPP, TRUE, 0);
    else if (!now && QLWin32_Find(previous))
        QLWin32_Enqueue(previous, WM_ACTIVATEAPP, FALSE, 0);
}

HWND WINAPI GetForegroundWindow()
{
    return foregroundWindow;
}

HWND QLWin32_ForegroundWindow()
{
    return foregroundWindow;
}

uint32_t QLWin32_ForegroundSerial()
{
    return foregroundSerial;
}
