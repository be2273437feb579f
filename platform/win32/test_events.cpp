// Test hooks: window events go through SDL's own queue, so they take the
// same path as the window system's.
#include "window_registry.h"

#include <qlplatform_test.h>

#include <SDL.h>

#include <set>

namespace {

// The windows a test holds the frame of, so that a drag step inside a
// longer drag is not made a whole drag of its own.
std::set<HWND>& HeldFrames()
{
    static std::set<HWND> held;
    return held;
}

void PushWindowEvent(const Win32Window* window, Uint8 kind, int data1 = 0, int data2 = 0)
{
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.timestamp = SDL_GetTicks();
    event.window.windowID = window->sdlId;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

// A restore or maximise, with the new client size when one is given, as a
// window system reports both.
void PushStateChange(const Win32Window* window, Uint8 kind, int width, int height)
{
    PushWindowEvent(window, kind);
    if (width > 0 && height > 0)
        PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, width, height);
}

void PushFrameHold(const Win32Window* window, bool held)
{
    if (held)
        HeldFrames().insert(window->handle);
    else
        HeldFrames().erase(window->handle);
    SDL_Event event = {};
    event.type = QLWin32_FrameHoldEvent();
    event.user.timestamp = SDL_GetTicks();
    event.user.windowID = window->sdlId;
    event.user.code = held ? 1 : 0;
    SDL_PushEvent(&event);
}

// A user's drag step, made a whole drag unless the frame is held already.
void PushDrag(const Win32Window* window, Uint8 kind, int data1, int data2)
{
    bool whole = !HeldFrames().count(window->handle);
    if (whole)
        PushFrameHold(window, true);
    PushWindowEvent(window, kind, data1, data2);
    if (whole)
        PushFrameHold(window, false);
}

}  // namespace

void QLTest_InjectWindowEvent(HWND handle, QLTestWindowEvent kind, int x, int y)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return;
    switch (kind) {
    case QLTestWindowEvent::Close:
        PushWindowEvent(window, SDL_WINDOWEVENT_CLOSE);
        break;
    case QLTestWindowEvent::FocusGained:
        PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
        break;
    case QLTestWindowEvent::FocusLost:
        PushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
        break;
    case QLTestWindowEvent::Minimized:
        PushWindowEvent(window, SDL_WINDOWEVENT_MINIMIZED);
        break;
    case QLTestWindowEvent::Restored:
        PushStateChange(window, SDL_WINDOWEVENT_RESTORED, x, y);
        break;
    case QLTestWindowEvent::Maximized:
        PushStateChange(window, SDL_WINDOWEVENT_MAXIMIZED, x, y);
        break;
    case QLTestWindowEvent::Moved:
        PushDrag(window, SDL_WINDOWEVENT_MOVED, x, y);
        break;
    case QLTestWindowEvent::Resized:
        PushDrag(window, SDL_WINDOWEVENT_RESIZED, x, y);
        break;
    case QLTestWindowEvent::FrameGrabbed:
        PushFrameHold(window, true);
        break;
    case QLTestWindowEvent::FrameReleased:
        PushFrameHold(window, false);
        break;
    case QLTestWindowEvent::MovedByProgram:
        PushWindowEvent(window, SDL_WINDOWEVENT_MOVED, x, y);
        break;
    case QLTestWindowEvent::ResizedByProgram:
        PushWindowEvent(window, SDL_WINDOWEVENT_RESIZED, x, y);
        break;
    }
}
