// IInput: immediate keyboard, mouse and joystick state through DirectInput 8.
#pragma once

#include "qlobject.h"

#include <dinput.h>
#include <windows.h>

#include <stdint.h>

struct ICore;

// Device bits of UseDevices.
enum : uint32_t { InputKeyboard = 2, InputMouse = 4, InputJoystick = 8 };

struct IInput : IEngineObject {
    // Always E_FAIL: there is one input manager.
    virtual HRESULT Clone(IInput** out) = 0;
    // Keeps exactly the devices in `bits`, creating the missing ones, then
    // acquires them. *created (optional) receives the bits this call created.
    virtual HRESULT UseDevices(uint32_t bits, int32_t* created) = 0;
    // 256 bytes, one per DIK_ code, high bit set while the key is down.
    virtual HRESULT GetKeyboardState(BYTE* buffer) = 0;
    // Movement since the last read and four buttons.
    virtual HRESULT GetMouseState(DIMOUSESTATE* state) = 0;
    // S_FALSE when no new state could be read (unplugged, re-acquired).
    virtual HRESULT GetJoystickState(DIJOYSTATE* state) = 0;
    virtual HRESULT Init(ICore* core, HINSTANCE instance, HWND window) = 0;
    virtual HRESULT AcquireDevices(bool acquire) = 0;
};

// A new input manager with a count of 0, or null; for the core's CreateInput.
IInput* NewInputManager();
