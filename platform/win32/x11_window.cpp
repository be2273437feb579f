// Xlib is reached through the library SDL's X11 driver has loaded already,
// so the stand-in needs no link to it and runs where it is absent.
#include "x11_window.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)

struct Xlib {
    Bool (*queryPointer)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned int*);
    Atom (*internAtom)(Display*, const char*, Bool);
    int (*changeProperty)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
    int (*flush)(Display*);
};

const Xlib* LoadXlib()
{
    static Xlib xlib = {};
    static bool tried = false;
    if (!tried) {
        tried = true;
        void* library = SDL_LoadObject("libX11.so.6");
        if (library) {
            xlib.queryPointer = (decltype(xlib.queryPointer))SDL_LoadFunction(library, "XQueryPointer");
            xlib.internAtom = (decltype(xlib.internAtom))SDL_LoadFunction(library, "XInternAtom");
            xlib.changeProperty = (decltype(xlib.changeProperty))SDL_LoadFunction(library, "XChangeProperty");
            xlib.flush = (decltype(xlib.flush))SDL_LoadFunction(library, "XFlush");
        }
        if (!xlib.queryPointer || !xlib.internAtom || !xlib.changeProperty || !xlib.flush)
            xlib = Xlib{};
    }
    return xlib.queryPointer ? &xlib : nullptr;
}

bool X11Window(SDL_Window* window, Display** display, Window* handle)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    *display = info.info.x11.display;
    *handle = info.info.x11.window;
    return true;
}

#endif

}  // namespace

bool QLWin32_X11ButtonHeld(SDL_Window* window)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display;
    Window handle;
    const Xlib* xlib = LoadXlib();
    if (!xlib || !X11Window(window, &display, &handle))
        return false;
    Window root, child;
    int rootX, rootY, x, y;
    unsigned int mask = 0;
    if (!xlib->queryPointer(display, handle, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    return (mask & (Button1Mask | Button2Mask | Button3Mask)) != 0;
#else
    (void)window;
    return false;
#endif
}

void QLWin32_X11OfferFunctions(SDL_Window* window, bool resize, bool minimize, bool maximize)
{
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display;
    Window handle;
    const Xlib* xlib = LoadXlib();
    if (!xlib || !X11Window(window, &display, &handle))
        return;
    // The Motif window manager hints, which most window managers read: the
    // functions offered and the decorations drawn for them.
    enum : unsigned long {
        kFunctions = 1, kDecorations = 2,
        kFuncResize = 2, kFuncMove = 4, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32,
        kDecorBorder = 2, kDecorResizeHandle = 4, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32,
        kDecorMaximize = 64,
    };
    unsigned long hints[5] = {kFunctions | kDecorations, kFuncMove | kFuncClose, kDecorBorder | kDecorTitle | kDecorMenu,
                              0, 0};
    if (resize) {
        hints[1] |= kFuncResize;
        hints[2] |= kDecorResizeHandle;
    }
    if (minimize) {
        hints[1] |= kFuncMinimize;
        hints[2] |= kDecorMinimize;
    }
    if (maximize) {
        hints[1] |= kFuncMaximize;
        hints[2] |= kDecorMaximize;
    }
    Atom property = xlib->internAtom(display, "_MOTIF_WM_HINTS", False);
    xlib->changeProperty(display, handle, property, property, 32, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(hints), 5);
    xlib->flush(display);
#else
    (void)window;
    (void)resize;
    (void)minimize;
    (void)maximize;
#endif
}
