// IDirectInputDevice8A with DirectInput's acquire rules: a foreground device
// is acquired only while its window is the foreground window, and a focus
// change in between makes an acquired device lost.
#include "dinput_internal.h"

#include "common/fault_injection.h"
#include "win32/window_internal.h"

#include <map>
#include <string.h>

namespace {

// Exclusive access per physical device: one holder at a time.
std::map<int, InputDevice*>& ExclusiveHolders()
{
    static std::map<int, InputDevice*> holders;
    return holders;
}

const DIDATAFORMAT* FormatOf(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Keyboard:
        return &c_dfDIKeyboard;
    case DeviceKind::Mouse:
        return &c_dfDIMouse;
    default:
        return &c_dfDIJoystick;
    }
}

DWORD PointOfView(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return 0xFFFFFFFF;  // centred
    }
}

}  // namespace

InputDevice::InputDevice(IDirectInput8A* owner, DeviceKind kind, SDL_Joystick* joystick)
    : owner(owner), kind(kind), joystick(joystick)
{
    owner->AddRef();
    if (kind == DeviceKind::Mouse)
        QLDInput_AddMouse(this);
}

InputDevice::~InputDevice()
{
    DropExclusive();
    if (kind == DeviceKind::Mouse)
        QLDInput_RemoveMouse(this);
    if (joystick)
        SDL_JoystickClose(joystick);
    owner->Release();
}

bool InputDevice::Unplugged() const
{
    return kind == DeviceKind::Joystick && !SDL_JoystickGetAttached(joystick);
}

void InputDevice::DropExclusive()
{
    auto& holders = ExclusiveHolders();
    for (auto it = holders.begin(); it != holders.end();)
        it = it->second == this ? holders.erase(it) : std::next(it);
}

HRESULT STDMETHODCALLTYPE InputDevice::Acquire()
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirectInputDevice8::Acquire"))
        return code;
    if (!format)
        return DIERR_INVALIDPARAM;
    QLWin32_PumpEvents();
    if (Unplugged()) {
        acquired = false;
        return DIERR_UNPLUGGED;
    }
    bool foregroundOnly = (level & DISCL_FOREGROUND) != 0;
    if (acquired && (!foregroundOnly || acquiredSerial == QLWin32_ForegroundSerial()))
        return S_FALSE;
    acquired = false;
    if (foregroundOnly && QLWin32_ForegroundWindow() != window)
        return DIERR_OTHERAPPHASPRIO;
    if (level & DISCL_EXCLUSIVE) {
        int physical = joystick ? (int)SDL_JoystickInstanceID(joystick) : -1 - (int)kind;
        InputDevice*& holder = ExclusiveHolders()[physical];
        if (holder && holder != this)
            return DIERR_OTHERAPPHASPRIO;
        holder = this;
    }
    acquired = true;
    acquiredSerial = QLWin32_ForegroundSerial();
    memset(motion, 0, sizeof motion);
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE InputDevice::Unacquire()
{
    DropExclusive();
    if (!acquired)
        return DI_NOEFFECT;
    acquired = false;
    return DI_OK;
}

HRESULT InputDevice::CheckReadable()
{
    QLWin32_PumpEvents();
    if (Unplugged()) {
        acquired = false;
        DropExclusive();
        return DIERR_UNPLUGGED;
    }
    if (!acquired)
        return DIERR_NOTACQUIRED;
    if ((level & DISCL_FOREGROUND) && acquiredSerial != QLWin32_ForegroundSerial()) {
        // Lost once; from then on simply not acquired, until Acquire.
        acquired = false;
        DropExclusive();
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}

void InputDevice::AddMotion(LONG dx, LONG dy, LONG dz)
{
    if (!acquired)
        return;
    motion[0] += dx;
    motion[1] += dy;
    motion[2] += dz;
}

void InputDevice::ReadJoystick(DIJOYSTATE* state) const
{
    memset(state, 0, sizeof *state);
    LONG* axes[] = {&state->lX,  &state->lY,  &state->lZ,           &state->lRx,
                    &state->lRy, &state->lRz, &state->rglSlider[0], &state->rglSlider[1]};
    int axisCount = SDL_min(SDL_JoystickNumAxes(joystick), 8);
    // DirectInput's default range, 0..65535, centred at 32768.
    for (int i = 0; i < axisCount; ++i)
        *axes[i] = (LONG)SDL_JoystickGetAxis(joystick, i) + 32768;
    int hatCount = SDL_JoystickNumHats(joystick);
    for (int i = 0; i < 4; ++i)
        state->rgdwPOV[i] = i < hatCount ? PointOfView(SDL_JoystickGetHat(joystick, i)) : 0xFFFFFFFF;
    int buttonCount = SDL_min(SDL_JoystickNumButtons(joystick), 32);
    for (int i = 0; i < buttonCount; ++i)
        state->rgbButtons[i] = SDL_JoystickGetButton(joystick, i) ? 0x80 : 0;
}

HRESULT STDMETHODCALLTYPE InputDevice::GetDeviceState(DWORD size, LPVOID data)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirectInputDevice8::GetDeviceState"))
        return code;
    if (!data || !format || size != format->dwDataSize)
        return DIERR_INVALIDPARAM;
    HRESULT readable = CheckReadable();
    if (FAILED(readable))
        return readable;
    switch (kind) {
    case DeviceKind::Keyboard:
        memcpy(data, QLDInput_KeyState(), 256);
        break;
    case DeviceKind::Mouse: {
        DIMOUSESTATE* state = (DIMOUSESTATE*)data;
        state->lX = motion[0];
        state->lY = motion[1];
        state->lZ = motion[2];
        memcpy(state->rgbButtons, QLDInput_MouseButtons(), 4);
        // Relative axes: each read takes the movement since the last one.
        memset(motion, 0, sizeof motion);
        break;
    }
    case DeviceKind::Joystick:
        ReadJoystick((DIJOYSTATE*)data);
        break;
    }
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE InputDevice::SetDataFormat(LPCDIDATAFORMAT requested)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirectInputDevice8::SetDataFormat"))
        return code;
    if (!requested)
        return DIERR_INVALIDPARAM;
    if (acquired)
        return DIERR_ACQUIRED;
    // Only the predefined format of the device's own kind is supported.
    const DIDATAFORMAT* own = FormatOf(kind);
    if (requested != own && memcmp(requested, own, sizeof *own) != 0)
        return DIERR_INVALIDPARAM;
    format = own;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE InputDevice::SetCooperativeLevel(HWND target, DWORD flags)
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirectInputDevice8::SetCooperativeLevel"))
        return code;
    bool exclusive = (flags & DISCL_EXCLUSIVE) != 0;
    bool foreground = (flags & DISCL_FOREGROUND) != 0;
    if (exclusive == ((flags & DISCL_NONEXCLUSIVE) != 0) || foreground == ((flags & DISCL_BACKGROUND) != 0))
        return DIERR_INVALIDPARAM;
    // A foreground or exclusive level needs a real window to follow.
    if ((exclusive || foreground) && (!target || !QLWin32_SDLWindow(target)))
        return E_HANDLE;
    if (target && !QLWin32_SDLWindow(target) && target != GetDesktopWindow())
        return E_HANDLE;
    // Windows keeps the system keyboard from being held in the background.
    if (kind == DeviceKind::Keyboard && exclusive && !foreground)
        return DIERR_UNSUPPORTED;
    window = target;
    level = flags;
    return DI_OK;
}

HRESULT STDMETHODCALLTYPE InputDevice::Poll()
{
    if (HRESULT code = QLPlatform_InjectedCode("IDirectInputDevice8::Poll"))
        return code;
    HRESULT readable = CheckReadable();
    if (FAILED(readable))
        return readable;
    // Keyboard and mouse deliver their data without polling.
    return kind == DeviceKind::Joystick ? DI_OK : DI_NOEFFECT;
}
