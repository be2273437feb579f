// Shared inside the DirectInput 8 stand-in: the key map, the input state the
// event pump keeps, and the device objects.
#pragma once

#include <dinput.h>

#include "common/com_object.h"

#include <SDL.h>

class InputDevice;

// Starts SDL's joystick subsystem and hands DirectInput's sink to the pump.
bool QLDInput_Init();

// SDL scancodes are USB usages; DirectInput's keys are set-1 scan codes.
BYTE QLDInput_KeyFromScancode(SDL_Scancode scancode);
SDL_Scancode QLDInput_ScancodeFromKey(BYTE key);

// The system keyboard and mouse buttons as the pumped events left them.
const BYTE* QLDInput_KeyState();
const BYTE* QLDInput_MouseButtons();

// Mouse devices that collect the motion of the events pumped while acquired.
void QLDInput_AddMouse(InputDevice* mouse);
void QLDInput_RemoveMouse(InputDevice* mouse);

// The instance GUID of an SDL joystick, and back (false if not one of ours).
GUID QLDInput_JoystickGuid(SDL_JoystickID id);
bool QLDInput_JoystickIdOf(REFGUID guid, SDL_JoystickID* id);

enum class DeviceKind { Keyboard, Mouse, Joystick };

// One IDirectInputDevice8A: a keyboard, a mouse or an opened SDL joystick.
// Holds a reference on the DirectInput object that made it, as on Windows.
class InputDevice final : public ComObject<IDirectInputDevice8A> {
public:
    InputDevice(IDirectInput8A* owner, DeviceKind kind, SDL_Joystick* joystick);
    ~InputDevice() override;

    HRESULT STDMETHODCALLTYPE Acquire() override;
    HRESULT STDMETHODCALLTYPE Unacquire() override;
    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Poll() override;

    // Called by the event sink for every mouse event pumped.
    void AddMotion(LONG dx, LONG dy, LONG dz);

private:
    bool Answers(REFIID riid) const override { return riid == kIidUnknown || riid == IID_IDirectInputDevice8A; }
    bool Unplugged() const;
    // Whether the state may be read now; turns a focus loss into a lost device.
    HRESULT CheckReadable();
    void ReadJoystick(DIJOYSTATE* state) const;
    void DropExclusive();

    IDirectInput8A* owner;
    DeviceKind kind;
    SDL_Joystick* joystick;
    const DIDATAFORMAT* format = nullptr;
    HWND window = nullptr;
    DWORD level = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired = false;
    uint32_t acquiredSerial = 0;
    LONG motion[3] = {0, 0, 0};
};
