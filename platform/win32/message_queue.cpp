// The one message queue of the program's thread: posted messages and the
// messages made from SDL events, in the order they happened.
#include "common/fault_injection.h"
#include "window_internal.h"
#include "window_registry.h"

#include <SDL.h>

#include <deque>

namespace {

std::deque<MSG>& Queue()
{
    static std::deque<MSG> queue;
    return queue;
}

// WM_QUIT is a flag, not a queued message: Windows hands it out once the
// queue holds nothing else, however often PostQuitMessage was called.
bool quitPending = false;
int quitCode = 0;

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax)
{
    if (window && msg.hwnd != window)
        return false;
    if (filterMin == 0 && filterMax == 0)
        return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool TakeMessage(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, bool remove)
{
    auto& queue = Queue();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax))
            continue;
        *msg = *it;
        if (remove)
            queue.erase(it);
        return true;
    }
    // Filters never hold back WM_QUIT.
    if (quitPending) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = (WPARAM)quitCode;
        msg->time = SDL_GetTicks();
        if (remove)
            quitPending = false;
        return true;
    }
    return false;
}

}  // namespace

void QLWin32_Enqueue(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = SDL_GetTicks();
    Queue().push_back(msg);
}

void QLWin32_DropMessages(HWND window)
{
    auto& queue = Queue();
    for (auto it = queue.begin(); it != queue.end();)
        it = it->hwnd == window ? queue.erase(it) : it + 1;
}

LRESULT QLWin32_Send(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window || !window->procedure)
        return 0;
    return window->procedure(handle, message, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg)
        return FALSE;
    QLWin32_PumpEvents();
    return TakeMessage(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax)
{
    HRESULT code;
    if (!msg || (window && !QLWin32_Find(window)) || QLPlatform_InjectedFailure("GetMessageA", &code))
        return -1;
    QLWin32_InitVideo();
    for (;;) {
        QLWin32_PumpEvents();
        if (TakeMessage(msg, window, filterMin, filterMax, true))
            return msg->message == WM_QUIT ? 0 : 1;
        // Sleeps in SDL until the window system or an injection queues an
        // event; the timeout only bounds a wait that SDL cannot wake.
        SDL_WaitEventTimeout(nullptr, 100);
    }
}

BOOL WINAPI TranslateMessage(const MSG* /*msg*/)
{
    // No WM_KEYDOWN is queued, so there is never a character to make.
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    return QLWin32_Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window && !QLWin32_Find(window))
        return FALSE;
    QLWin32_TranslateQueuedEvents();
    QLWin32_Enqueue(window, message, wParam, lParam);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode)
{
    quitPending = true;
    quitCode = exitCode;
}
