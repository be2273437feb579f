// What the rest of the stand-in (Direct3D 9, DirectInput 8) needs to know
// about a Win32 window: its SDL window and whether it is the foreground one.
#pragma once

#include <windows.h>

struct SDL_Window;

// Null for a handle that is not one of our live windows (or the desktop).
SDL_Window* QLWin32_SDLWindow(HWND window);
// The window that has the keyboard focus, or null.
HWND QLWin32_ForegroundWindow();
// Pumps SDL events into the message queue without taking any message.
void QLWin32_PumpEvents();
