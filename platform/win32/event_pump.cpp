// SDL events become window messages here, and reach DirectInput's sink.
#include "window_internal.h"
#include "window_registry.h"

#include <SDL.h>

namespace {

const QLWin32_InputSink* inputSink = nullptr;

// A user's move or resize: Windows runs a modal loop framed by these two.
// While the window manager settles our own placement, a new size is only
// reported, as SetWindowPos reports it.
void PostSizeMove(Win32Window* window, bool resized)
{
    HWND handle = window->handle;
    if (QLWin32_Settling(window)) {
        if (resized)
            QLWin32_Enqueue(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->clientWidth, window->clientHeight));
        return;
    }
    QLWin32_Enqueue(handle, WM_ENTERSIZEMOVE, 0, 0);
    QLWin32_Enqueue(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->clientWidth, window->clientHeight));
    QLWin32_Enqueue(handle, WM_EXITSIZEMOVE, 0, 0);
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
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        if (window->minimized) {
            window->minimized = false;
            QLWin32_UpdateForeground();
            QLWin32_Enqueue(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->clientWidth, window->clientHeight));
        }
        break;
    case SDL_WINDOWEVENT_MOVED:
        // Geometry we set ourselves comes back as an event: it is no user move.
        if (event.data1 != window->clientX || event.data2 != window->clientY) {
            window->clientX = event.data1;
            window->clientY = event.data2;
            int x, y;
            SDL_GetWindowPosition(window->sdl, &x, &y);
            if (x != event.data1 || y != event.data2)
                SDL_SetWindowPosition(window->sdl, event.data1, event.data2);
            PostSizeMove(window, false);
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
        if (event.data1 > 0 && event.data2 > 0 &&
            (event.data1 != window->clientWidth || event.data2 != window->clientHeight)) {
            window->clientWidth = event.data1;
            window->clientHeight = event.data2;
            // An injected resize makes the SDL window follow, as a real one did.
            int width, height;
            SDL_GetWindowSize(window->sdl, &width, &height);
            if (width != event.data1 || height != event.data2)
                SDL_SetWindowSize(window->sdl, event.data1, event.data2);
            PostSizeMove(window, true);
        }
        break;
    default:
        break;
    }
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
        if (inputSink && inputSink->onEvent)
            inputSink->onEvent(event);
    }
}

void QLWin32_PumpEvents()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_PumpEvents();
    QLWin32_TranslateQueuedEvents();
}
