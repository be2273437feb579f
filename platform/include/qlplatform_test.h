// Test hooks of the Linux platform stand-in: drive real failure paths and
// observe what the platform received. Not part of the Windows SDK.
#pragma once

#include <windows.h>

#include <string>

// Debugger output: while capturing, every OutputDebugStringA text is kept.
void QLTest_CaptureDebugOutput(bool enable);
std::string QLTest_TakeDebugOutput();

// Fault injection: the next `count` calls of the named platform call fail
// with `code` (count < 0: every call until cleared). Names are the API's own,
// "IDirect3D9::CreateDevice", "IDirect3DDevice9::Present", "RegisterClassExA",
// "IDirectInputDevice8::Acquire", "GetMessageA" (returns -1), ...
void QLTest_FailCall(const char* name, HRESULT code, int count = 1);
// The same after the next `skip` calls of it have gone through: fails one
// step of an operation that makes the same call several times.
void QLTest_FailCallAfter(const char* name, int skip, HRESULT code, int count = 1);
void QLTest_ClearFailures();

// Window events, pushed into SDL's event queue as the window system would
// queue them: they become messages when the queue is next pumped.
// Moved and Resized are a user's drag of the window's frame: on their own a
// whole drag (button pressed, the change, button released); between
// FrameGrabbed and FrameReleased one step of a longer drag. The ...ByProgram
// changes are made by another program or the window manager, with no drag.
enum class QLTestWindowEvent {
    Close,        // the user's close button
    FocusGained,  // another application gave the focus back
    FocusLost,    // another application took the focus
    Minimized,
    Restored,     // from minimised, or from maximised (x, y: the size it returns to, 0: unchanged)
    Moved,        // x, y: the client area's new screen position
    Resized,      // x, y: the client area's new width and height
    FrameGrabbed,   // a mouse button pressed on the frame
    FrameReleased,  // and released
    MovedByProgram,    // x, y as for Moved
    ResizedByProgram,  // x, y as for Resized
    Maximized,    // x, y: the client area's maximised width and height
};
void QLTest_InjectWindowEvent(HWND window, QLTestWindowEvent event, int x = 0, int y = 0);

// Input, pushed into SDL's event queue; DirectInput sees it when the queue is
// next pumped (any state read pumps it). Keys are DirectInput DIK_ codes;
// mouse buttons are DirectInput's: 0 left, 1 right, 2 middle, 3 the first extra.
void QLTest_InjectKey(BYTE dik, bool down);
void QLTest_InjectMouseMotion(int dx, int dy);
void QLTest_InjectMouseButton(int button, bool down);
void QLTest_InjectMouseWheel(int notches);

// Game controllers: SDL virtual joysticks. Attach returns an id for the other
// calls, or -1. Axis values are SDL's, -32768..32767; hats take the SDL_HAT_
// bit masks (1 up, 2 right, 4 down, 8 left; 0 centred).
int QLTest_AttachJoystick(const char* name, int axes, int buttons, int hats);
void QLTest_SetJoystickAxis(int id, int axis, int value);
void QLTest_SetJoystickButton(int id, int button, bool down);
void QLTest_SetJoystickHat(int id, int hat, int bits);
void QLTest_DetachJoystick(int id);

// Direct3D 9 test hooks. They act on the most recently created device that
// is still alive; without one they return false or do nothing.
//
// Fault names of the Direct3D side:
//   "Direct3DCreate9" (returns null; the code is ignored),
//   "IDirect3D9::GetAdapterDisplayMode",
//   "IDirect3D9::CreateDevice" fails every creation; a narrower name fails
//   only one device type and behaviour: "IDirect3D9::CreateDevice(HAL)",
//   "IDirect3D9::CreateDevice(HAL,HARDWARE_VERTEXPROCESSING|PUREDEVICE)",
//   "IDirect3D9::CreateDevice(HAL,SOFTWARE_VERTEXPROCESSING)" (type HAL, REF,
//   SW or NULLREF; then HARDWARE_, SOFTWARE_ or MIXED_VERTEXPROCESSING, then
//   "|PUREDEVICE" when that flag is set; other flags do not appear),
//   "IDirect3DDevice9::CreateVertexBuffer", "IDirect3DDevice9::CreateIndexBuffer",
//   "IDirect3DDevice9::CreateTexture" (also reached by
//   D3DXCreateTextureFromFileExA), "IDirect3DVertexBuffer9::Lock",
//   "IDirect3DIndexBuffer9::Lock", "IDirect3DVertexBuffer9::Unlock" and
//   "IDirect3DIndexBuffer9::Unlock" (the buffer is unlocked, its contents not
//   sent), "IDirect3DDevice9::Present",
//   "IDirect3DDevice9::Reset", "IDirect3DDevice9::Clear",
//   "IDirect3DDevice9::BeginScene", "IDirect3DDevice9::DrawPrimitive",
//   "IDirect3DDevice9::DrawIndexedPrimitive", "IDirect3DDevice9::ValidateDevice",
//   "IDirect3DDevice9::GetDeviceCaps".
// A failing Reset leaves the device not-reset, as Direct3D 9 does.
#include <stdint.h>
#include <vector>

// The last frame Present showed, at back-buffer size, top row first, one
// 0xAARRGGBB value per pixel.
bool QLTest_ReadPresentedFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height);
// What the last Present put into the window, at the window's drawable size,
// top row first. Only the offscreen driver keeps it after the swap.
bool QLTest_ReadWindowFrame(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height);
// The back buffer's depth (0..1) and stencil values as they are now, top row
// first, at back-buffer size.
bool QLTest_ReadDepthBuffer(std::vector<float>* depth, uint32_t* width, uint32_t* height);
bool QLTest_ReadStencilBuffer(std::vector<uint8_t>* stencil, uint32_t* width, uint32_t* height);

// Forces the cooperative level the device reports, in windowed mode too:
// LOST until told otherwise, NOTRESET until the next successful Reset, OK
// clears a forced state.
enum QLTestDeviceState { QLTEST_DEVICE_OK, QLTEST_DEVICE_LOST, QLTEST_DEVICE_NOTRESET };
void QLTest_ForceDeviceState(QLTestDeviceState state);

// The D3DCAPS9::MaxVertexIndex every device reports from now on, as a device
// limited to 16-bit indices reports 0xFFFF; 0 gives back the default
// 0xFFFFFF. Indexed draws follow it: an index buffer of 32-bit indices, or a
// vertex range reaching past it, is D3DERR_INVALIDCALL.
void QLTest_SetMaxVertexIndex(DWORD maxVertexIndex);
