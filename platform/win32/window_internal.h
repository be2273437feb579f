// What the rest of the stand-in (Direct3D 9, DirectInput 8) needs to know
// about a Win32 window: its SDL window and whether it is the foreground one.
#pragma once

#include <windows.h>

#include <stdint.h>

struct SDL_Window;
union SDL_Event;

// Null for a handle that is not one of our live windows (or the desktop).
SDL_Window* QLWin32_SDLWindow(HWND window);
// A Direct3D device draws through its window's SDL window and OpenGL context,
// and outlives the window on Windows. While kept, an SDL window survives
// DestroyWindow hidden; the last release destroys it.
void QLWin32_KeepSDLWindow(SDL_Window* window);
void QLWin32_ReleaseSDLWindow(SDL_Window* window);
// The window that has the keyboard focus, or null.
HWND QLWin32_ForegroundWindow();
// Pumps SDL events into the message queue without taking any message.
void QLWin32_PumpEvents();

// Counts every change of the foreground window, so that a device acquired
// under one serial knows it lost the focus in between, even if it came back.
uint32_t QLWin32_ForegroundSerial();

// DirectInput's view of the event stream: every SDL event the pump takes is
// shown to the input sink, and every change of the foreground window.
struct QLWin32_InputSink {
    void (*onEvent)(const SDL_Event& event);
    void (*onForegroundChanged)(HWND foreground);
};
void QLWin32_SetInputSink(const QLWin32_InputSink* sink);
