// A window's moves and resizes as its procedure hears of them: what the
// window system changed is compared with what the procedure was last told.
#include "window_registry.h"
#include "window_internal.h"
#include "x11_window.h"

namespace {

bool FrameHeld(const Win32Window* window)
{
    return window->frameHeldByTest || QLWin32_X11ButtonHeld(window->sdl);
}

}  // namespace

void QLWin32_GeometryReported(Win32Window* window)
{
    window->reportedX = window->clientX;
    window->reportedY = window->clientY;
    window->reportedWidth = window->clientWidth;
    window->reportedHeight = window->clientHeight;
    window->reportedMaximized = window->maximized;
}

void QLWin32_ReportGeometry(Win32Window* window)
{
    // A minimised window has no client area to report; restoring it does.
    if (window->minimized || window->destroying)
        return;
    bool moved = window->clientX != window->reportedX || window->clientY != window->reportedY;
    bool sized = window->clientWidth != window->reportedWidth || window->clientHeight != window->reportedHeight ||
                 window->maximized != window->reportedMaximized;
    if (!moved && !sized && !window->inSizeMove)
        return;
    // Asking the server costs a round trip: only while something changes.
    bool held = FrameHeld(window);
    HWND handle = window->handle;
    if ((moved || sized) && held && !window->inSizeMove) {
        window->inSizeMove = true;
        QLWin32_Enqueue(handle, WM_ENTERSIZEMOVE, 0, 0);
    }
    if (moved)
        QLWin32_Enqueue(handle, WM_MOVE, 0, MAKELPARAM(window->clientX, window->clientY));
    if (sized)
        QLWin32_Enqueue(handle, WM_SIZE, window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                        MAKELPARAM(window->clientWidth, window->clientHeight));
    QLWin32_GeometryReported(window);
    if (window->inSizeMove && !held) {
        window->inSizeMove = false;
        QLWin32_Enqueue(handle, WM_EXITSIZEMOVE, 0, 0);
    }
}
