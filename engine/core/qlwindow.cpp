// The window procedure and the clock. The procedure keeps the active and
// running flags and tells the managers when the window changes state.
#include "core/qlcore.h"

#include "graphics/igraphics.h"
#include "input/iinput.h"

namespace {

IGraphics* CurrentGraphics()
{
    return CoreState::current ? CoreState::current->Graphics() : nullptr;
}

IInput* CurrentInput()
{
    return CoreState::current ? CoreState::current->Input() : nullptr;
}

bool FullScreen()
{
    IGraphics* graphics = CurrentGraphics();
    return graphics && !graphics->IsWindowed();
}

void AcquireInput(bool acquire)
{
    if (IInput* input = CurrentInput())
        input->AcquireDevices(acquire);
}

// The window moved or was sized: re-apply the screen mode and the devices.
void FinishSizeMove()
{
    if (CoreState::current)
        CoreState::current->StoreWindowRect();
    CoreState::active = true;
    if (IGraphics* graphics = CurrentGraphics())
        if (FAILED(graphics->UpdateScreenMode()))
            CoreState::running = false;
    if (IInput* input = CurrentInput())
        if (FAILED(input->AcquireDevices(CoreState::active)))
            CoreState::running = false;
}

}  // namespace

LRESULT CALLBACK CoreWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUIT:
        CoreState::running = false;
        PostQuitMessage(0);
        break;
    case WM_SIZE:
        CoreState::active = wParam != SIZE_MINIMIZED && wParam != SIZE_MAXHIDE;
        AcquireInput(CoreState::active);
        break;
    case WM_ENTERSIZEMOVE:
        CoreState::active = false;
        AcquireInput(false);
        break;
    case WM_EXITSIZEMOVE:
        FinishSizeMove();
        break;
    case WM_ACTIVATEAPP:
        if (CoreState::active != (wParam != 0)) {
            // Windows sends this message: a pump blocked in GetMessage needs a
            // posted one to wake and see the change. An empty one: the state
            // it carried may be stale by the time it is taken.
            PostMessageA(window, WM_NULL, 0, 0);
            CoreState::active = wParam != 0;
            AcquireInput(CoreState::active);
        }
        break;
    case WM_ENTERMENULOOP:
        CoreState::active = false;
        break;
    case WM_EXITMENULOOP:
        CoreState::active = true;
        break;
    case WM_SETCURSOR:
        if (FullScreen()) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_NCHITTEST:
        if (FullScreen())
            return HTCLIENT;
        break;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MAXIMIZE:
        case SC_KEYMENU:
        case SC_MONITORPOWER:
            if (FullScreen())
                return 1;
            break;
        }
        break;
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = 328;
        info->ptMinTrackSize.y = 267;
        break;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

double Timer()
{
    static const double frequency = [] {
        LARGE_INTEGER value;
        // Without a performance counter the clock stands still rather than
        // dividing by zero.
        return QueryPerformanceFrequency(&value) && value.QuadPart > 0 ? (double)value.QuadPart : 0.0;
    }();
    LARGE_INTEGER now;
    if (frequency == 0.0 || !QueryPerformanceCounter(&now))
        return 0.0;
    return (double)now.QuadPart / frequency;
}
