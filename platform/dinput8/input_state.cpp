// The keyboard and mouse state DirectInput reads, kept from the events the
// Win32 pump takes: injected events and real ones take the same path.
#include "dinput_internal.h"

#include "win32/window_internal.h"

#include <algorithm>
#include <string.h>
#include <vector>

namespace {

BYTE keyState[256];
BYTE mouseButtons[4];

std::vector<InputDevice*>& Mice()
{
    static std::vector<InputDevice*> mice;
    return mice;
}

int DirectInputButton(Uint8 sdlButton)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return 0;
    case SDL_BUTTON_RIGHT:
        return 1;
    case SDL_BUTTON_MIDDLE:
        return 2;
    case SDL_BUTTON_X1:
        return 3;
    default:
        return -1;
    }
}

void OnEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (BYTE key = QLDInput_KeyFromScancode(event.key.keysym.scancode))
            keyState[key] = event.type == SDL_KEYDOWN ? 0x80 : 0;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int button = DirectInputButton(event.button.button);
        if (button >= 0)
            mouseButtons[button] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0;
        break;
    }
    case SDL_MOUSEMOTION:
        for (InputDevice* mouse : Mice())
            mouse->AddMotion(event.motion.xrel, event.motion.yrel, 0);
        break;
    case SDL_MOUSEWHEEL: {
        // One notch is WHEEL_DELTA (120), positive away from the user.
        LONG notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        for (InputDevice* mouse : Mice())
            mouse->AddMotion(0, 0, notches * 120);
        break;
    }
    default:
        break;
    }
}

void OnForegroundChanged(HWND foreground)
{
    // Keys held when the focus went away are released elsewhere, unseen.
    if (!foreground) {
        memset(keyState, 0, sizeof keyState);
        memset(mouseButtons, 0, sizeof mouseButtons);
    }
}

const QLWin32_InputSink sink = {OnEvent, OnForegroundChanged};

const uint8_t joystickGuidTail[8] = {'Q', 'L', 'J', 'O', 'Y', 'S', 'D', 'L'};

}  // namespace

bool QLDInput_Init()
{
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // DirectInput applies its own foreground rules; SDL must not drop
        // controller input while no SDL window has the keyboard focus.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
            return false;
    }
    QLWin32_SetInputSink(&sink);
    return true;
}

const BYTE* QLDInput_KeyState()
{
    return keyState;
}

const BYTE* QLDInput_MouseButtons()
{
    return mouseButtons;
}

void QLDInput_AddMouse(InputDevice* mouse)
{
    Mice().push_back(mouse);
}

void QLDInput_RemoveMouse(InputDevice* mouse)
{
    auto& mice = Mice();
    mice.erase(std::remove(mice.begin(), mice.end(), mouse), mice.end());
}

GUID QLDInput_JoystickGuid(SDL_JoystickID id)
{
    GUID guid = {};
    guid.Data1 = (uint32_t)id;
    memcpy(guid.Data4, joystickGuidTail, sizeof guid.Data4);
    return guid;
}

bool QLDInput_JoystickIdOf(REFGUID guid, SDL_JoystickID* id)
{
    if (guid.Data2 != 0 || guid.Data3 != 0 || memcmp(guid.Data4, joystickGuidTail, sizeof guid.Data4) != 0)
        return false;
    *id = (SDL_JoystickID)guid.Data1;
    return true;
}
