// Test hooks: input goes through SDL's own queue, and controllers are SDL
// virtual joysticks, so the tests take the path real devices take.
#include "dinput_internal.h"

#include <qlplatform_test.h>
#include "win32/window_internal.h"

#include <map>

namespace {

// The hooks' own handle on each virtual joystick, through which its values
// are set; DirectInput opens it separately.
std::map<int, SDL_Joystick*>& Attached()
{
    static std::map<int, SDL_Joystick*> attached;
    return attached;
}

SDL_Joystick* Find(int id)
{
    auto found = Attached().find(id);
    return found == Attached().end() ? nullptr : found->second;
}

bool EventsReady()
{
    return QLDInput_Init();
}

}  // namespace

void QLTest_InjectKey(BYTE dik, bool down)
{
    SDL_Scancode scancode = QLDInput_ScancodeFromKey(dik);
    if (!EventsReady() || scancode == SDL_SCANCODE_UNKNOWN)
        return;
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&event);
}

void QLTest_InjectMouseMotion(int dx, int dy)
{
    if (!EventsReady())
        return;
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    // The window under the mouse is the foreground window, at its centre.
    if (SDL_Window* window = QLWin32_SDLWindow(QLWin32_ForegroundWindow())) {
        event.motion.windowID = SDL_GetWindowID(window);
        SDL_GetWindowSize(window, &event.motion.x, &event.motion.y);
        event.motion.x /= 2;
        event.motion.y /= 2;
    }
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

void QLTest_InjectMouseButton(int button, bool down)
{
    static const Uint8 sdlButtons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    if (!EventsReady() || button < 0 || button > 3)
        return;
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = sdlButtons[button];
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    SDL_PushEvent(&event);
}

void QLTest_InjectMouseWheel(int notches)
{
    if (!EventsReady())
        return;
    SDL_Event event = {};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SDL_PushEvent(&event);
}

int QLTest_AttachJoystick(const char* name, int axes, int buttons, int hats)
{
    if (!EventsReady())
        return -1;
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = (Uint16)axes;
    desc.nbuttons = (Uint16)buttons;
    desc.nhats = (Uint16)hats;
    desc.name = name;
    int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0)
        return -1;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick)
        return -1;
    int id = (int)SDL_JoystickInstanceID(joystick);
    Attached()[id] = joystick;
    return id;
}

void QLTest_SetJoystickAxis(int id, int axis, int value)
{
    if (SDL_Joystick* joystick = Find(id))
        SDL_JoystickSetVirtualAxis(joystick, axis, (Sint16)SDL_clamp(value, -32768, 32767));
}

void QLTest_SetJoystickButton(int id, int button, bool down)
{
    if (SDL_Joystick* joystick = Find(id))
        SDL_JoystickSetVirtualButton(joystick, button, down ? SDL_PRESSED : SDL_RELEASED);
}

void QLTest_SetJoystickHat(int id, int hat, int bits)
{
    if (SDL_Joystick* joystick = Find(id))
        SDL_JoystickSetVirtualHat(joystick, hat, (Uint8)bits);
}

void QLTest_DetachJoystick(int id)
{
    SDL_Joystick* joystick = Find(id);
    if (!joystick)
        return;
    for (int i = 0, count = SDL_NumJoysticks(); i < count; ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
    SDL_JoystickClose(joystick);
    Attached().erase(id);
}
