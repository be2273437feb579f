// What SDL does not offer for a window on X11: the mouse buttons as the
// server sees them while a window manager drags the window's frame, and the
// hints that say which functions the frame offers. Elsewhere (headless,
// Wayland) the buttons read as released and the hints are not set.
#pragma once

struct SDL_Window;

// True while any mouse button is down, wherever the pointer is: a window
// manager that moves or sizes a window holds the pointer itself, so the
// window's own events never see that button.
bool QLWin32_X11ButtonHeld(SDL_Window* window);

// Asks the window manager to offer only these functions and their buttons
// (moving and closing are always offered).
void QLWin32_X11OfferFunctions(SDL_Window* window, bool resize, bool minimize, bool maximize);
