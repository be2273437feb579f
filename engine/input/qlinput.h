// QLInput: the keyboard, the mouse and the first game controller.
#pragma once

#include "iinput.h"

#include "qlobject.h"

#include <dinput.h>

class QLInput final : public RefCounted<QLInput, IInput> {
public:
    explicit QLInput(IManagerOwner* owner) : owner(owner) {}
    ~QLInput();

    QL_TYPE_NAME("QLInput")
    HRESULT Clone(IInput** out) override;
    HRESULT UseDevices(uint32_t bits, int32_t* created) override;
    HRESULT GetKeyboardState(BYTE* buffer) override;
    HRESULT GetMouseState(DIMOUSESTATE* state) override;
    HRESULT GetJoystickState(DIJOYSTATE* state) override;
    HRESULT Init(ICore* core, HINSTANCE instance, HWND window) override;
    HRESULT AcquireDevices(bool acquire) override;

    // The DirectInput object (no reference added); null before Init.
    IDirectInput8A* DirectInput() const { return directInput; }

private:
    static BOOL CALLBACK CreateFirstJoystick(LPCDIDEVICEINSTANCEA device, LPVOID context);
    HRESULT CreateDevices(uint32_t bits, int32_t* created);

    IManagerOwner* owner;
    HWND window = nullptr;
    IDirectInput8A* directInput = nullptr;
    IDirectInputDevice8A* keyboard = nullptr;
    IDirectInputDevice8A* mouse = nullptr;
    IDirectInputDevice8A* joystick = nullptr;
};
