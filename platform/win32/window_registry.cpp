// The table of live windows and the SDL video set-up they share.
#include "window_registry.h"

#include <SDL.h>

#include <map>
#include <string.h>

namespace {

std::map<uintptr_t, Win32Window>& Windows()
{
    static std::map<uintptr_t, Win32Window> windows;
    return windows;
}

// Handles are never reused, so a stale handle is simply unknown.
uintptr_t nextHandle = 0x20004;

}  // namespace

bool QLWin32_InitVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    // Ctrl+C ends a console program on Windows; SDL would turn it into an event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // Keeps the GL driver loaded for the whole run: SDL would otherwise load
    // and unload it with every OpenGL window. A failure only means windows
    // without OpenGL.
    SDL_GL_LoadLibrary(nullptr);
    return true;
}

bool QLWin32_Headless()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

Win32Window* QLWin32_Find(HWND window)
{
    auto found = Windows().find((uintptr_t)window);
    return found == Windows().end() ? nullptr : &found->second;
}

Win32Window* QLWin32_FindSDL(uint32_t sdlWindowId)
{
    for (auto& entry : Windows())
        if (entry.second.sdlId == sdlWindowId)
            return &entry.second;
    return nullptr;
}

HWND QLWin32_Register(const Win32Window& window)
{
    uintptr_t handle = nextHandle;
    nextHandle += 4;
    Win32Window& stored = Windows()[handle];
    stored = window;
    stored.handle = (HWND)handle;
    return stored.handle;
}

void QLWin32_Unregister(HWND window)
{
    Windows().erase((uintptr_t)window);
}

void QLWin32_ReportAllGeometry()
{
    // Reporting only queues messages: the table stays as it is meanwhile.
    for (auto& entry : Windows())
        QLWin32_ReportGeometry(&entry.second);
}

RECT QLWin32_FrameOf(DWORD style, DWORD exStyle)
{
    // Windows 10 metrics at 96 dpi: a sizing frame of 8 pixels (4 plus the
    // padded border), a fixed dialog frame of 3, a thin border of 1, and a
    // caption of 23 above the client area.
    LONG border = 0;
    if (style & WS_THICKFRAME)
        border = 8;
    else if (style & WS_DLGFRAME)
        border = 3;
    else if (style & WS_BORDER)
        border = 1;
    if (exStyle & WS_EX_CLIENTEDGE)
        border += 2;
    RECT frame = {-border, -border, border, border};
    if ((style & WS_CAPTION) == WS_CAPTION)
        frame.top -= 23;
    return frame;
}
