// Window classes and windows over SDL windows. The SDL window is the client
// area; the frame exists only in the rectangles, as AdjustWindowRectEx gives it.
#include "common/fault_injection.h"
#include "window_internal.h"
#include "window_registry.h"
#include "x11_window.h"

#include <SDL.h>

#include <ctype.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct WindowClass {
    WNDPROC procedure;
    HCURSOR cursor;
    ATOM atom;
};

// Class names compare without case, as on Windows.
std::string ClassKey(LPCSTR name)
{
    std::string key(name);
    for (char& c : key)
        c = (char)tolower((unsigned char)c);
    return key;
}

std::map<std::string, WindowClass>& Classes()
{
    static std::map<std::string, WindowClass> classes;
    return classes;
}

ATOM nextAtom = 0xC000;
HWND const desktopWindow = (HWND)(uintptr_t)0x10010;

void ScreenSize(int* width, int* height)
{
    SDL_DisplayMode mode;
    if (QLWin32_InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
    } else {
        *width = *height = 0;
    }
}

void Show(Win32Window* window, bool activate)
{
    if (!window->visible) {
        SDL_ShowWindow(window->sdl);
        window->visible = true;
    }
    if (!activate)
        return;
    // No window system hands out the focus headless: a shown window takes it.
    if (QLWin32_Headless()) {
        QLWin32_SetFocusWindow(window->handle);
        return;
    }
    // Windows activates a shown window at once; a window manager grants the
    // focus a moment later, so wait a little for it (not forever: without a
    // window manager it never comes).
    SDL_RaiseWindow(window->sdl);
    HWND handle = window->handle;
    Uint32 start = SDL_GetTicks();
    while (QLWin32_FocusWindow() != handle && SDL_GetTicks() - start < 250) {
        QLWin32_PumpEvents();
        if (QLWin32_FocusWindow() != handle)
            SDL_Delay(5);
    }
}

void SetMinimized(Win32Window* window, bool minimized)
{
    if (window->minimized == minimized)
        return;
    window->minimized = minimized;
    HWND handle = window->handle;
    if (minimized) {
        SDL_MinimizeWindow(window->sdl);
        QLWin32_UpdateForeground();
        QLWin32_Send(handle, WM_SIZE, SIZE_MINIMIZED, 0);
    } else {
        SDL_RestoreWindow(window->sdl);
        QLWin32_UpdateForeground();
        QLWin32_GeometryReported(window);
        QLWin32_Send(handle, WM_SIZE, window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(window->clientWidth, window->clientHeight));
    }
}

}  // namespace

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass)
{
    HRESULT code;
    if (QLPlatform_InjectedFailure("RegisterClassExA", &code))
        return 0;
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || !windowClass->lpszClassName[0])
        return 0;
    std::string key = ClassKey(windowClass->lpszClassName);
    if (Classes().count(key))
        return 0;  // ERROR_CLASS_ALREADY_EXISTS on Windows
    WindowClass& stored = Classes()[key];
    stored.procedure = windowClass->lpfnWndProc;
    stored.cursor = windowClass->hCursor;
    stored.atom = nextAtom++;
    return stored.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/)
{
    // Windows refuses while a window of the class exists; our windows keep
    // their procedure, so forgetting the class is safe either way.
    return className && Classes().erase(ClassKey(className)) ? TRUE : FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                            LPVOID /*param*/)
{
    HRESULT code;
    if (QLPlatform_InjectedFailure("CreateWindowExA", &code))
        return nullptr;
    if (!className)
        return nullptr;
    auto found = Classes().find(ClassKey(className));
    if (found == Classes().end() || !QLWin32_InitVideo())
        return nullptr;

    RECT frame = QLWin32_FrameOf(style, exStyle);
    Win32Window window = {};
    window.procedure = found->second.procedure;
    window.classCursor = found->second.cursor;
    window.style = style;
    window.exStyle = exStyle;
    window.clientX = x - frame.left;
    window.clientY = y - frame.top;
    window.clientWidth = SDL_max(1, width - (frame.right - frame.left));
    window.clientHeight = SDL_max(1, height - (frame.bottom - frame.top));

    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    if ((style & WS_CAPTION) != WS_CAPTION)
        flags |= SDL_WINDOW_BORDERLESS;
    const char* title = windowName ? windowName : "";
    // OpenGL so that Direct3D 9 can render into it; without a GL driver the
    // window still works for everything but rendering.
    window.sdl = SDL_CreateWindow(title, window.clientX, window.clientY, window.clientWidth, window.clientHeight,
                                  flags | SDL_WINDOW_OPENGL);
    if (!window.sdl)
        window.sdl = SDL_CreateWindow(title, window.clientX, window.clientY, window.clientWidth,
                                      window.clientHeight, flags);
    if (!window.sdl)
        return nullptr;
    window.sdlId = SDL_GetWindowID(window.sdl);
    SDL_GetWindowSize(window.sdl, &window.clientWidth, &window.clientHeight);
    QLWin32_GeometryReported(&window);
    // Only the buttons of the style: SDL alone would offer maximising too.
    if ((style & WS_CAPTION) == WS_CAPTION)
        QLWin32_X11OfferFunctions(window.sdl, (style & WS_THICKFRAME) != 0, (style & WS_MINIMIZEBOX) != 0,
                                  (style & WS_MAXIMIZEBOX) != 0);
    HWND handle = QLWin32_Register(window);

    // The procedure may set the smallest tracking size (an outer size).
    MINMAXINFO limits = {};
    ScreenSize((int*)&limits.ptMaxSize.x, (int*)&limits.ptMaxSize.y);
    limits.ptMaxTrackSize = limits.ptMaxSize;
    limits.ptMinTrackSize.x = frame.right - frame.left;
    limits.ptMinTrackSize.y = frame.bottom - frame.top;
    QLWin32_Send(handle, WM_GETMINMAXINFO, 0, (LPARAM)&limits);
    Win32Window* created = QLWin32_Find(handle);
    if (!created)
        return nullptr;  // the procedure destroyed it
    created->minTrackSize = limits.ptMinTrackSize;
    SDL_SetWindowMinimumSize(created->sdl, SDL_max(1, (int)limits.ptMinTrackSize.x - (frame.right - frame.left)),
                             SDL_max(1, (int)limits.ptMinTrackSize.y - (frame.bottom - frame.top)));

    if (style & WS_VISIBLE) {
        Show(created, true);
        QLWin32_UpdateForeground();
    }
    return handle;
}

namespace {

// SDL windows kept by devices, with their keep counts and whether the
// Win32 window above them is already gone.
struct KeptWindow {
    SDL_Window* sdl;
    int keeps;
    bool orphaned;
};
std::vector<KeptWindow>& KeptWindows()
{
    static std::vector<KeptWindow> kept;
    return kept;
}

KeptWindow* FindKept(SDL_Window* sdl)
{
    for (KeptWindow& kept : KeptWindows())
        if (kept.sdl == sdl)
            return &kept;
    return nullptr;
}

void DestroySDLWindowUnlessKept(SDL_Window* sdl)
{
    if (KeptWindow* kept = FindKept(sdl)) {
        SDL_HideWindow(sdl);
        kept->orphaned = true;
        return;
    }
    SDL_DestroyWindow(sdl);
}

}  // namespace

void QLWin32_KeepSDLWindow(SDL_Window* sdl)
{
    if (KeptWindow* kept = FindKept(sdl))
        ++kept->keeps;
    else
        KeptWindows().push_back({sdl, 1, false});
}

void QLWin32_ReleaseSDLWindow(SDL_Window* sdl)
{
    KeptWindow* kept = FindKept(sdl);
    if (!kept || --kept->keeps > 0)
        return;
    bool orphaned = kept->orphaned;
    KeptWindows().erase(KeptWindows().begin() + (kept - KeptWindows().data()));
    if (orphaned)
        SDL_DestroyWindow(sdl);
}

BOOL WINAPI DestroyWindow(HWND handle)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window || window->destroying)
        return FALSE;
    window->destroying = true;
    QLWin32_Send(handle, WM_DESTROY, 0, 0);
    window = QLWin32_Find(handle);
    DestroySDLWindowUnlessKept(window->sdl);
    QLWin32_Unregister(handle);
    QLWin32_DropMessages(handle);
    if (QLWin32_FocusWindow() == handle)
        QLWin32_SetFocusWindow(nullptr);
    QLWin32_UpdateForeground();
    return TRUE;
}

BOOL WINAPI IsWindow(HWND handle)
{
    return handle == desktopWindow || QLWin32_Find(handle) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND handle, int command)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return FALSE;
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE:
        if (window->visible) {
            SDL_HideWindow(window->sdl);
            window->visible = false;
            if (QLWin32_FocusWindow() == handle)
                QLWin32_SetFocusWindow(nullptr);
        }
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        Show(window, false);
        SetMinimized(window, true);
        break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
        Show(window, false);
        break;
    default:  // SW_SHOWNORMAL, SW_SHOW, SW_RESTORE, SW_SHOWDEFAULT, SW_SHOWMAXIMIZED
        Show(window, true);
        if (command != SW_SHOW)
            SetMinimized(window, false);
        break;
    }
    QLWin32_UpdateForeground();
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND handle)
{
    // Nothing is painted by the system: the client area belongs to Direct3D.
    return QLWin32_Find(handle) ? TRUE : FALSE;
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_SETCURSOR: {
        Win32Window* window = QLWin32_Find(handle);
        if (window && LOWORD(lParam) == HTCLIENT && window->classCursor) {
            SetCursor(window->classCursor);
            return TRUE;
        }
        return FALSE;
    }
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            QLWin32_Send(handle, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(handle, SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(handle, SW_RESTORE);
            break;
        }
        return 0;
    default:
        return 0;
    }
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect)
{
    if (!rect)
        return FALSE;
    if (handle == desktopWindow) {
        int width, height;
        ScreenSize(&width, &height);
        *rect = RECT{0, 0, width, height};
        return TRUE;
    }
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return FALSE;
    // A minimised window has no client area on Windows.
    if (window->minimized)
        *rect = RECT{0, 0, 0, 0};
    else
        *rect = RECT{0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect)
{
    if (!rect)
        return FALSE;
    if (handle == desktopWindow)
        return GetClientRect(handle, rect);
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return FALSE;
    RECT frame = QLWin32_FrameOf(window->style, window->exStyle);
    rect->left = window->clientX + frame.left;
    rect->top = window->clientY + frame.top;
    rect->right = window->clientX + window->clientWidth + frame.right;
    rect->bottom = window->clientY + window->clientHeight + frame.bottom;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND handle, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags)
{
    Win32Window* window = QLWin32_Find(handle);
    if (!window)
        return FALSE;
    RECT frame = QLWin32_FrameOf(window->style, window->exStyle);
    // A window manager may place the window a little off what was asked; an
    // unchanged request is not passed on, so restoring the rectangle just
    // stored cannot start a drift of moves.
    bool moved = false;
    if (!(flags & SWP_NOMOVE) && (x - frame.left != window->clientX || y - frame.top != window->clientY)) {
        moved = true;
        window->clientX = x - frame.left;
        window->clientY = y - frame.top;
        SDL_SetWindowPosition(window->sdl, window->clientX, window->clientY);
    }
    bool resized = false;
    if (!(flags & SWP_NOSIZE)) {
        // As DefWindowProc does for WM_WINDOWPOSCHANGING: never below the minimum.
        cx = SDL_max(cx, (int)window->minTrackSize.x);
        cy = SDL_max(cy, (int)window->minTrackSize.y);
        int width = SDL_max(1, cx - (frame.right - frame.left));
        int height = SDL_max(1, cy - (frame.bottom - frame.top));
        resized = width != window->clientWidth || height != window->clientHeight;
        if (resized) {
            SDL_SetWindowSize(window->sdl, width, height);
            window->clientWidth = width;
            window->clientHeight = height;
        }
    }
    // Told here, the geometry coming back from the window system is no news.
    QLWin32_GeometryReported(window);
    if (flags & SWP_SHOWWINDOW)
        Show(window, !(flags & SWP_NOACTIVATE));
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(handle, SW_HIDE);
    QLWin32_UpdateForeground();
    // Windows reports a programmatic move and resize with WM_MOVE and
    // WM_SIZE, but without the WM_ENTERSIZEMOVE/WM_EXITSIZEMOVE pair of a
    // user's; the procedure may destroy the window in between.
    window = QLWin32_Find(handle);
    if (moved && window && !window->minimized)
        QLWin32_Send(handle, WM_MOVE, 0, MAKELPARAM(window->clientX, window->clientY));
    window = QLWin32_Find(handle);
    if (resized && window && !window->minimized)
        QLWin32_Send(handle, WM_SIZE, window->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(window->clientWidth, window->clientHeight));
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!rect)
        return FALSE;
    RECT frame = QLWin32_FrameOf(style, exStyle);
    rect->left += frame.left;
    rect->top += frame.top - (menu ? 20 : 0);
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

HWND WINAPI GetDesktopWindow()
{
    return desktopWindow;
}

int WINAPI GetSystemMetrics(int index)
{
    int width, height;
    switch (index) {
    case SM_CXSCREEN:
        ScreenSize(&width, &height);
        return width;
    case SM_CYSCREEN:
        ScreenSize(&width, &height);
        return height;
    default:
        return 0;
    }
}

SDL_Window* QLWin32_SDLWindow(HWND handle)
{
    Win32Window* window = QLWin32_Find(handle);
    return window ? window->sdl : nullptr;
}
