// The stand-in's record of its Win32 windows, shared by window creation, the
// message queue and the focus rules. Not visible outside platform/win32.
#pragma once

#include <windows.h>

#include <stdint.h>

struct SDL_Window;
union SDL_Event;
struct QLWin32_InputSink;

struct Win32Window {
    HWND handle;
    SDL_Window* sdl;
    uint32_t sdlId;
    WNDPROC procedure;
    HCURSOR classCursor;
    DWORD style;
    DWORD exStyle;
    bool visible;
    bool minimized;
    bool maximized;
    bool destroying;  // inside DestroyWindow: WM_DESTROY is sent once
    // The client area in screen coordinates as last set or seen.
    int clientX, clientY, clientWidth, clientHeight;
    // What the procedure was last told with WM_MOVE and WM_SIZE, so that an
    // event that repeats a known geometry produces no message.
    int reportedX, reportedY, reportedWidth, reportedHeight;
    bool reportedMaximized;
    // A user's move or resize is under way: WM_ENTERSIZEMOVE went out and
    // WM_EXITSIZEMOVE follows once the mouse button is released.
    bool inSizeMove;
    // A test holds the mouse button on the frame (QLTest_InjectWindowEvent).
    bool frameHeldByTest;
    // The smallest outer size, from WM_GETMINMAXINFO at creation.
    POINT minTrackSize;
};

// Starts SDL's video and event subsystems once; false when no video driver works.
bool QLWin32_InitVideo();
// True under SDL's offscreen or dummy driver, where no window system grants focus.
bool QLWin32_Headless();

Win32Window* QLWin32_Find(HWND window);
Win32Window* QLWin32_FindSDL(uint32_t sdlWindowId);
// Takes ownership of the record and hands out its new handle.
HWND QLWin32_Register(const Win32Window& window);
// Forgets the window; its handle stays invalid for the rest of the run.
void QLWin32_Unregister(HWND window);

// Marks the window's current geometry as told to its procedure.
void QLWin32_GeometryReported(Win32Window* window);
// Tells the procedure what changed since it was last told, as Windows does:
// WM_MOVE, then WM_SIZE; a change made while a mouse button holds the frame
// is a user's move or resize, framed by WM_ENTERSIZEMOVE and, once the
// button is released, WM_EXITSIZEMOVE.
void QLWin32_ReportGeometry(Win32Window* window);
// The same for every window (the pump calls it after each batch of events).
void QLWin32_ReportAllGeometry();

// The SDL user event a test pushes for a mouse button pressed (code 1) or
// released (code 0) on a window's frame.
uint32_t QLWin32_FrameHoldEvent();

// What AdjustWindowRectEx adds on each side for a style (left and top negative).
RECT QLWin32_FrameOf(DWORD style, DWORD exStyle);

// Calls the window procedure at once, as Windows' SendMessage does on its own thread.
LRESULT QLWin32_Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends to the message queue without the checks of PostMessageA.
void QLWin32_Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the queued messages of a destroyed window.
void QLWin32_DropMessages(HWND window);

// Focus: which window the window system (or, headless, ShowWindow) gave the
// keyboard focus. The foreground window is that one while it is shown and
// not minimised; its changes post WM_ACTIVATEAPP.
void QLWin32_SetFocusWindow(HWND window);
HWND QLWin32_FocusWindow();
void QLWin32_UpdateForeground();

// Translates the SDL events already queued, without asking the window system
// for new ones: posting after it keeps SDL events and posted messages in order.
void QLWin32_TranslateQueuedEvents();
// The input sink set by DirectInput, or null.
const QLWin32_InputSink* QLWin32_InputSinkOf();
