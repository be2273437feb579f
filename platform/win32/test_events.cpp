// Test hooks: window events go through SDL's own queue, so they take the
// same path as the window system's.
#include "window_registry.h"

#include <qlplatform_test.h>

#include <SDL.h>

void QLTest_InjectWindowEvent(HWND handle, QLTestWindowEvent kind, int x, int y)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return;
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = window->sdlId;
    switch (kind) {
    case QLTestWindowEvent::Close:
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        break;
    case QLTestWindowEvent::FocusGained:
        event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        break;
    case QLTestWindowEvent::FocusLost:
        event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        break;
    case QLTestWindowEvent::Minimized:
        event.window.event = SDL_WINDOWEVENT_MINIMIZED;
        break;
    case QLTestWindowEvent::Restored:
        event.window.event = SDL_WINDOWEVENT_RESTORED;
        break;
    case QLTestWindowEvent::Moved:
        event.window.event = SDL_WINDOWEVENT_MOVED;
        break;
    case QLTestWindowEvent::Resized:
        event.window.event = SDL_WINDOWEVENT_RESIZED;
        break;
    }
    event.window.data1 = x;
    event.window.data2 = y;
    SDL_PushEvent(&event);
}
