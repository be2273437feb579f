// SDL events become window messages here, and reach DirectInput's sink.
#include "window_internal.h"
#include "window_registry.h"

#include <SDL.h>

namespace {

const QLWin32_InputSink* inputSink = nullptr;

// A window system never hands a client a size below the smallest tracking
// size it was given; an injected event may ask for one.
void ClampToMinimum(const Win32Window* window, int* width, int* height)
{
    RECT frame = QLWin32_FrameOf(window->style, window->exStyle);
    *width = SDL_max(*width, (int)window->minTrackSize.x - (int)(frame.right - frame.left));
    *height = SDL_max(*height, (int)window->minTrackSize.y - (int)(frame.bottom - frame.top));
}

void Unminimize(Win32Window* window)
{
    window->minimized = false;
    QLWin32_UpdateForeground();
    QLWin32_Enqueue(window->handle, WM_SIZE, window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                    MAKELPARAM(window->clientWidth, window->clientHeight));
    QLWin32_GeometryReported(window);
}

// Windows asks the window under a moving mouse where the mouse is and
// which cursor to show, at once, before the move is queued.
void SendCursorQuery(const SDL_MouseMotionEvent& event)
{
    Win32Window* window = QLWin32_FindSDL(event.windowID);
    if (!window)
        return;
    HWND handle = window->handle;
    LRESULT hit = QLWin32_Send(handle, WM_NCHITTEST, 0, MAKELPARAM(event.x, event.y));
    QLWin32_Send(handle, WM_SETCURSOR, (WPARAM)handle, MAKELPARAM(hit, WM_MOUSEMOVE));
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    Win32Window* window = QLWin32_FindSDL(event.windowID);
    if (!window)
        return;
    HWND handle = window->handle;
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        QLWin32_Enqueue(handle, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        QLWin32_SetFocusWindow(handle);
        QLWin32_UpdateForeground();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (QLWin32_FocusWindow() == handle)
            QLWin32_SetFocusWindow(nullptr);
        QLWin32_UpdateForeground();
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!window->minimized) {
            window->minimized = true;
            QLWin32_Enqueue(handle, WM_SIZE, SIZE_MINIMIZED, 0);
            QLWin32_UpdateForeground();
        }
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        window->maximized = true;
        if (window->minimized)
            Unminimize(window);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        // Back from the task bar, or back from maximised.
        if (window->minimized)
            Unminimize(window);
        else
            window->maximized = false;
        break;
    case SDL_WINDOWEVENT_MOVED:
        window->clientX = event.data1;
        window->clientY = event.data2;
        // An injected move makes the SDL window follow, as a real one did.
        {
            int x, y;
            SDL_GetWindowPosition(window->sdl, &x, &y);
            if (x != event.data1 || y != event.data2)
                SDL_SetWindowPosition(window->sdl, event.data1, event.data2);
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
        if (event.data1 > 0 && event.data2 > 0) {
            int width = event.data1, height = event.data2;
            ClampToMinimum(window, &width, &height);
            window->clientWidth = width;
            window->clientHeight = height;
            int sdlWidth, sdlHeight;
            SDL_GetWindowSize(window->sdl, &sdlWidth, &sdlHeight);
            if (sdlWidth != width || sdlHeight != height)
                SDL_SetWindowSize(window->sdl, width, height);
        }
        break;
    default:
        break;
    }
}

// A test's mouse button on the frame: what changed while it was held is a
// user's move or resize, which its release ends.
void HoldFrame(const SDL_UserEvent& event)
{
    Win32Window* window = QLWin32_FindSDL(event.windowID);
    if (!window)
        return;
    bool held = event.code != 0;
    if (!held)
        QLWin32_ReportGeometry(window);
    window->frameHeldByTest = held;
    if (!held)
        QLWin32_ReportGeometry(window);
}

}  // namespace

void QLWin32_SetInputSink(const QLWin32_InputSink* sink)
{
    inputSink = sink;
}

const QLWin32_InputSink* QLWin32_InputSinkOf()
{
    return inputSink;
}

uint32_t QLWin32_FrameHoldEvent()
{
    static const uint32_t type = SDL_RegisterEvents(1);
    return type;
}

void QLWin32_TranslateQueuedEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        if (event.type == SDL_WINDOWEVENT)
            TranslateWindowEvent(event.window);
        else if (event.type == SDL_MOUSEMOTION)
            SendCursorQuery(event.motion);
        else if (event.type == QLWin32_FrameHoldEvent())
            HoldFrame(event.user);
        if (inputSink && inputSink->onEvent)
            inputSink->onEvent(event);
    }
    QLWin32_ReportAllGeometry();
}

void QLWin32_PumpEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_PumpEvents();
    QLWin32_TranslateQueuedEvents();
}
