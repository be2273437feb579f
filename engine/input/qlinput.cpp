#include "input/qlinput.h"

#include "foundation/qltrace.h"

#include <initializer_list>
#include <new>

namespace {

constexpr DWORD sharedForeground = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
constexpr DWORD exclusiveForeground = DISCL_EXCLUSIVE | DISCL_FOREGROUND;

void Drop(Owned<IDirectInputDevice8A>& device, bool unacquire)
{
    if (device && unacquire)
        device->Unacquire();
    device.Reset();
}

// What every device needs once made: the layout its state is read in and
// how it shares the hardware with other programs.
HRESULT Configure(const TraceContext& trace, IDirectInputDevice8A* device, const DIDATAFORMAT* format, HWND window,
                  DWORD level)
{
    QL_TRY(trace, "-", device->SetDataFormat(format));
    QL_TRY(trace, "-", device->SetCooperativeLevel(window, level));
    return S_OK;
}

}  // namespace

IInput* NewInputManager(IManagerOwner* owner)
{
    return new (std::nothrow) QLInput(owner);
}

QLInput::~QLInput()
{
    TraceContext trace(this, "Destructor()");
    if (directInput) {
        Drop(keyboard, true);
        Drop(joystick, true);
        Drop(mouse, true);
        // Released by hand: what the last Release returns is the report.
        IDirectInput8A* last = directInput.Detach();
        LONG count = (LONG)last->Release();
        if (count <= 0) {
            QL_LOG(trace, TraceInfo, "Input Engine correctly shutdown");
        } else {
            QL_LOG(trace, TraceWarning, EngineString("QLInput: DirectInput8 Interface (count = ") + (int32_t)count + " ) !");
            while (count-- > 0)
                last->Release();
        }
    }
    if (owner)
        owner->ManagerGone(this);
}

HRESULT QLInput::Clone(IInput**)
{
    return E_FAIL;
}

HRESULT QLInput::Init(ICore* core, HINSTANCE instance, HWND windowHandle)
{
    TraceContext trace(this, "Init()");
    QL_REQUIRE_ARG(trace, core);
    window = windowHandle;
    QL_TRY(trace, "DirectInput8Create() failed !",
           DirectInput8Create(instance, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(directInput.Receive()),
                              nullptr));
    return S_OK;
}

HRESULT QLInput::UseDevices(uint32_t bits, int32_t* created)
{
    if (!(bits & InputKeyboard))
        Drop(keyboard, false);
    if (!(bits & InputMouse))
        Drop(mouse, false);
    if (!(bits & InputJoystick))
        Drop(joystick, false);
    HRESULT result = CreateDevices(bits, created);
    if (FAILED(result))
        return result;
    return AcquireDevices(true);
}

HRESULT QLInput::CreateDevices(uint32_t bits, int32_t* created)
{
    TraceContext trace(this, "UseDevices()");
    // No DirectInput object (Init failed or never ran) cannot make devices.
    QL_ASSERT(trace, directInput);
    int32_t made = 0;
    if ((bits & InputKeyboard) && !keyboard) {
        if (FAILED(CreateSharedDevice(trace, GUID_SysKeyboard, "IDirectInput8::CreateDevice() failed for the Keyboard !",
                                      &c_dfDIKeyboard, keyboard)))
            return QLE_SUBFUNCTION;
        made |= InputKeyboard;
    }
    if ((bits & InputMouse) && !mouse) {
        if (FAILED(CreateSharedDevice(trace, GUID_SysMouse, "IDirectInput8::CreateDevice() failed for the Mouse !",
                                      &c_dfDIMouse, mouse)))
            return QLE_SUBFUNCTION;
        made |= InputMouse;
    }
    if ((bits & InputJoystick) && !joystick) {
        QL_TRY(trace, "IDirectInput8::CreateDevice() failed for the Joystick !",
               directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, CreateFirstJoystick, this, DIEDFL_ATTACHEDONLY));
        if (joystick) {
            made |= InputJoystick;
            if (FAILED(Configure(trace, joystick.Get(), &c_dfDIJoystick, window, exclusiveForeground)))
                return QLE_SUBFUNCTION;
        }
    }
    if (created)
        *created = made;
    return S_OK;
}

HRESULT QLInput::CreateSharedDevice(const TraceContext& trace, REFGUID guid, const char* failure,
                                    const DIDATAFORMAT* format, Owned<IDirectInputDevice8A>& slot)
{
    QL_TRY(trace, failure, directInput->CreateDevice(guid, slot.Receive(), nullptr));
    return Configure(trace, slot.Get(), format, window, sharedForeground);
}

BOOL CALLBACK QLInput::CreateFirstJoystick(LPCDIDEVICEINSTANCEA device, LPVOID context)
{
    QLInput* manager = static_cast<QLInput*>(context);
    // Not DIENUM_CONTINUE, so the enumeration stops: there is no manager to give a joystick.
    if (!manager)
        return (BOOL)E_FAIL;
    if (SUCCEEDED(manager->directInput->CreateDevice(device->guidInstance, manager->joystick.Receive(), nullptr)))
        return DIENUM_STOP;
    // A refused creation hands out nothing to release.
    manager->joystick.Detach();
    return DIENUM_CONTINUE;
}

HRESULT QLInput::AcquireDevices(bool acquire)
{
    // Results ignored by design: a device not acquired now is acquired again by its next read.
    for (IDirectInputDevice8A* device : {keyboard.Get(), joystick.Get(), mouse.Get()}) {
        if (!device)
            continue;
        if (acquire)
            device->Acquire();
        else
            device->Unacquire();
    }
    return S_OK;
}

HRESULT QLInput::GetKeyboardState(BYTE* buffer)
{
    TraceContext trace(this, "GetKeyboardState()");
    QL_REQUIRE_ARG(trace, buffer);
    QL_REQUIRE_ARG(trace, keyboard);
    // Read into our own copy so a failed read leaves the caller's buffer alone.
    BYTE keys[256];
    if (FAILED(keyboard->GetDeviceState(sizeof keys, keys))) {
        HRESULT acquired = keyboard->Acquire();
        // Deliberately silent, unlike the mouse: another application holding
        // the keyboard is no failure of this program's.
        if (acquired == E_ACCESSDENIED)
            return E_FAIL;
        QL_TRY(trace, "-", acquired);
        QL_TRY(trace, "-", keyboard->GetDeviceState(sizeof keys, keys));
    }
    memcpy(buffer, keys, sizeof keys);
    return S_OK;
}

HRESULT QLInput::GetMouseState(DIMOUSESTATE* state)
{
    TraceContext trace(this, "GetMouseState()");
    QL_REQUIRE_ARG(trace, state);
    QL_REQUIRE_ARG(trace, mouse);
    DIMOUSESTATE read;
    if (FAILED(mouse->GetDeviceState(sizeof read, &read))) {
        QL_TRY(trace, "-", mouse->Acquire());
        QL_TRY(trace, "-", mouse->GetDeviceState(sizeof read, &read));
    }
    *state = read;
    return S_OK;
}

HRESULT QLInput::GetJoystickState(DIJOYSTATE* state)
{
    TraceContext trace(this, "GetJoystickState()");
    QL_REQUIRE_ARG(trace, state);
    QL_REQUIRE_ARG(trace, joystick);
    HRESULT polled = joystick->Poll();
    if (polled == DIERR_INPUTLOST || polled == DIERR_NOTACQUIRED) {
        QL_TRY(trace, "-", joystick->Acquire());
        QL_TRY(trace, "-", joystick->Poll());
    } else if (polled == static_cast<HRESULT>(DIERR_UNPLUGGED)) {  // an unsigned literal in the SDK
        return S_FALSE;
    } else {
        QL_TRY(trace, "-", polled);
    }
    if (SUCCEEDED(joystick->GetDeviceState(sizeof *state, state)))
        return S_OK;
    QL_TRY(trace, "-", joystick->Acquire());
    return S_FALSE;
}
