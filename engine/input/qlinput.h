// QLInput: the keyboard, the mouse and the first game controller.
#pragma once

#include "input/iinput.h"

#include "foundation/owned.h"
#include "foundation/qlobject.h"

#include <dinput.h>

class TraceContext;

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
    IDirectInput8A* DirectInput() const { return directInput.Get(); }

private:
    static BOOL CALLBACK CreateFirstJoystick(LPCDIDEVICEINSTANCEA device, LPVOID context);
    HRESULT CreateDevices(uint32_t bits, int32_t* created);
    // Makes the keyboard or the mouse into `slot` and sets it up, shared
    // with other programs while this one is in the foreground.
    HRESULT CreateSharedDevice(const TraceContext& trace, REFGUID guid, const char* failure,
                               const DIDATAFORMAT* format, Owned<IDirectInputDevice8A>& slot);

    IManagerOwner* owner;
    HWND window = nullptr;
    Owned<IDirectInput8A> directInput;
    Owned<IDirectInputDevice8A> keyboard;
    Owned<IDirectInputDevice8A> mouse;
    Owned<IDirectInputDevice8A> joystick;
};
