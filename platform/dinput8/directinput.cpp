// DirectInput8Create and IDirectInput8A: device creation and enumeration.
#include "dinput_internal.h"

#include "common/fault_injection.h"

#include <new>
#include <string.h>
#include <vector>

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_SysMouse = {0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};
const GUID IID_IDirectInputDevice8A = {0x54D41080, 0xDC15, 0x4833, {0xA4, 0x1B, 0x74, 0x8F, 0x73, 0xA3, 0x81, 0x79}};

// The predefined formats carry their sizes and axis modes; the devices
// recognise them whole, so no object list is needed.
const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0, nullptr};
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), 0, nullptr};
const DIDATAFORMAT c_dfDIJoystick = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
                                     sizeof(DIJOYSTATE), 0, nullptr};

namespace {

DIDEVICEINSTANCEA SystemInstance(REFGUID guid, DWORD type, const char* name)
{
    DIDEVICEINSTANCEA instance = {};
    instance.dwSize = sizeof instance;
    instance.guidInstance = guid;
    instance.guidProduct = guid;
    instance.dwDevType = type;
    strncpy(instance.tszInstanceName, name, MAX_PATH - 1);
    strncpy(instance.tszProductName, name, MAX_PATH - 1);
    return instance;
}

DIDEVICEINSTANCEA JoystickInstance(int index)
{
    const char* name = SDL_JoystickNameForIndex(index);
    DIDEVICEINSTANCEA instance = SystemInstance(QLDInput_JoystickGuid(SDL_JoystickGetDeviceInstanceID(index)),
                                                DI8DEVTYPE_JOYSTICK | (2 << 8), name ? name : "Game Controller");
    // DirectInput's product GUID: vendor and product ids, then "PIDVID".
    instance.guidProduct = GUID{(uint32_t)SDL_JoystickGetDeviceVendor(index) |
                                    ((uint32_t)SDL_JoystickGetDeviceProduct(index) << 16),
                                0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
    instance.wUsagePage = 1;  // generic desktop
    instance.wUsage = 4;      // joystick
    return instance;
}

class DirectInput final : public ComObject<IDirectInput8A> {
public:
    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override
    {
        if (!device)
            return E_POINTER;
        *device = nullptr;
        if (outer)
            return DIERR_NOAGGREGATION;
        if (HRESULT code = QLPlatform_InjectedCode("IDirectInput8::CreateDevice"))
            return code;
        DeviceKind kind;
        SDL_Joystick* joystick = nullptr;
        SDL_JoystickID id;
        if (guid == GUID_SysKeyboard) {
            kind = DeviceKind::Keyboard;
        } else if (guid == GUID_SysMouse) {
            kind = DeviceKind::Mouse;
        } else if (QLDInput_JoystickIdOf(guid, &id)) {
            kind = DeviceKind::Joystick;
            for (int i = 0, count = SDL_NumJoysticks(); i < count && !joystick; ++i)
                if (SDL_JoystickGetDeviceInstanceID(i) == id)
                    joystick = SDL_JoystickOpen(i);
            if (!joystick)
                return DIERR_DEVICENOTREG;
        } else {
            return DIERR_DEVICENOTREG;
        }
        InputDevice* created = new (std::nothrow) InputDevice(this, kind, joystick);
        if (!created) {
            if (joystick)
                SDL_JoystickClose(joystick);
            return DIERR_OUTOFMEMORY;
        }
        *device = created;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD deviceType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                          DWORD /*flags*/) override
    {
        if (HRESULT code = QLPlatform_InjectedCode("IDirectInput8::EnumDevices"))
            return code;
        if (!callback || deviceType > DI8DEVCLASS_GAMECTRL)
            return DIERR_INVALIDPARAM;
        // Every device listed is attached, so DIEDFL_ATTACHEDONLY changes nothing.
        std::vector<DIDEVICEINSTANCEA> devices;
        if (deviceType == DI8DEVCLASS_ALL || deviceType == DI8DEVCLASS_POINTER)
            devices.push_back(SystemInstance(GUID_SysMouse, DI8DEVTYPE_MOUSE | (1 << 8), "Mouse"));
        if (deviceType == DI8DEVCLASS_ALL || deviceType == DI8DEVCLASS_KEYBOARD)
            devices.push_back(SystemInstance(GUID_SysKeyboard, DI8DEVTYPE_KEYBOARD | (4 << 8), "Keyboard"));
        if (deviceType == DI8DEVCLASS_ALL || deviceType == DI8DEVCLASS_GAMECTRL) {
            SDL_JoystickUpdate();
            for (int i = 0, count = SDL_NumJoysticks(); i < count; ++i)
                devices.push_back(JoystickInstance(i));
        }
        // The list is taken first, so a callback may create devices freely.
        for (const DIDEVICEINSTANCEA& device : devices)
            if (callback(&device, context) == DIENUM_STOP)
                break;
        return DI_OK;
    }

private:
    bool Answers(REFIID riid) const override { return riid == kIidUnknown || riid == IID_IDirectInput8A; }
};

}  // namespace

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (HRESULT code = QLPlatform_InjectedCode("DirectInput8Create"))
        return code;
    if (!instance)
        return DIERR_INVALIDPARAM;
    if (version < 0x0800)
        return DIERR_OLDDIRECTINPUTVERSION;
    if (version > 0x0800)
        return DIERR_BETADIRECTINPUTVERSION;
    if (outer)
        return DIERR_NOAGGREGATION;
    if (riid != IID_IDirectInput8A)
        return DIERR_NOINTERFACE;
    if (!QLDInput_Init())
        return DIERR_GENERIC;
    DirectInput* created = new (std::nothrow) DirectInput;
    if (!created)
        return DIERR_OUTOFMEMORY;
    *out = static_cast<IDirectInput8A*>(created);
    return DI_OK;
}
