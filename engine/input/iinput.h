// IInput: immediate keyboard, mouse and joystick state through DirectInput 8.
// Records name the source file "qlinput" and the operation in quotes below.
#pragma once

#include "foundation/managerowner.h"
#include "foundation/qlobject.h"

#include <dinput.h>
#include <windows.h>

#include <stdint.h>

struct ICore;

// Device bits of UseDevices.
enum : uint32_t { InputKeyboard = 2, InputMouse = 4, InputJoystick = 8 };

struct IInput : IEngineObject {
    // Always E_FAIL, nothing logged: there is one input manager.
    virtual HRESULT Clone(IInput** out) = 0;
    // Keeps exactly the devices in `bits`, creating the missing ones (the
    // joystick is the first game controller attached, if any), then
    // acquires them. *created (optional) receives the bits this call
    // created. Logs ("UseDevices()"): "Assertion Failed" without a
    // DirectInput object, "IDirectInput8::CreateDevice() failed for the
    // Keyboard !" (Mouse, Joystick), "-" for a refused data format or
    // cooperative level.
    virtual HRESULT UseDevices(uint32_t bits, int32_t* created) = 0;
    // 256 bytes, one per DIK_ code, high bit set while the key is down. A
    // failed read re-acquires and reads again; the buffer is written only
    // after a good read. "Invalid Call/Param" ("GetKeyboardState()") for a
    // null buffer or no keyboard, "-" for a failed retry; E_FAIL, silently,
    // while another application holds the keyboard (E_ACCESSDENIED).
    virtual HRESULT GetKeyboardState(BYTE* buffer) = 0;
    // Movement since the last read and four buttons; a failed read
    // re-acquires and reads again. "Invalid Call/Param" ("GetMouseState()")
    // for a null state or no mouse, "-" for a failed retry.
    virtual HRESULT GetMouseState(DIMOUSESTATE* state) = 0;
    // S_FALSE when no new state could be read (unplugged, re-acquired).
    // "Invalid Call/Param" ("GetJoystickState()") for a null state or no
    // joystick, "-" for a failed poll or acquire.
    virtual HRESULT GetJoystickState(DIJOYSTATE* state) = 0;
    // Called by the core's CreateInput: makes the DirectInput object.
    // "Invalid Call/Param" for a null core, "DirectInput8Create() failed !" ("Init()").
    virtual HRESULT Init(ICore* core, HINSTANCE instance, HWND window) = 0;
    // Acquires (true) or unacquires every device that exists; their results
    // are ignored: a device that cannot be acquired now is acquired again by
    // its next read. Always S_OK, nothing logged.
    virtual HRESULT AcquireDevices(bool acquire) = 0;
};

// A new input manager with a count of 0, or null; for the core's CreateInput.
// `owner` is told when the manager goes.
// Its destructor logs "Input Engine correctly shutdown", or the Warning
// "QLInput: DirectInput8 Interface (count = <n> ) !" when references remain.
IInput* NewInputManager(IManagerOwner* owner);
