// The controls belong to the sample's main unit: their records name it.
#define QL_SOURCE_FILE "main"

#include "controls.h"

#include "samplestate.h"

#include "foundation/qltrace.h"

namespace {

constexpr double stepSeconds = 0.025;  // 40 steps a second at most
constexpr double toggleLockSeconds = 0.5;
constexpr float moveStep = 10.0f;
constexpr float turnStep = 0.07f;  // radians

bool Down(BYTE state)
{
    return (state & 0x80) != 0;
}

// A key that flips a switch, and the help line that says what the next press does.
struct ToggleKey {
    BYTE key;
    bool* flag;
    const char* lead;
    const char* whenSet;
    const char* whenClear;
    const char* tail;
};

const ToggleKey toggleKeys[] = {
    {DIK_S, &Sample.stencilShadow, "\n'S' for ", "Standard lightning", "Stencil Shadow lightning", ""},
    {DIK_L, &Sample.lightMoving, "\n'L' to ", "", "un", "freeze the light's movement"},
    {DIK_X, &AmbientOnly, "\n'X' to ", "not ", "", "render Models with Ambient light only"},
    {DIK_V, &DrawShadowVolume, "\n'V' to ", "not ", "", "draw the Shadow Volume"},
    {DIK_P, &DrawPossibleSilhouette, "\n'P' to ", "not ", "", "draw the Possible Silhouette"},
    // Key, lead and tail from the layout.
    {DIK_F, &Sample.wireframe, "\n'F' for ", "Solid filling", "Wireframe filling", ""},
    {DIK_F1, &Sample.help, "\n'F1' for ", "not ", "", "showing this help"},
};
constexpr int toggleCount = sizeof toggleKeys / sizeof toggleKeys[0];

struct KeyLock {
    double until;
    bool set;
};

struct ControlsState {
    D3DXVECTOR3 axis;  // the camera turns about it; pitching tilts it
    double lastStep;
    KeyLock locks[toggleCount];
};

ControlsState controls = {D3DXVECTOR3(0.0f, 1.0f, 0.0f), 0.0, {}};
ControlsLayout layout;

BYTE KeyOf(const ToggleKey& toggle)
{
    return toggle.flag == &Sample.wireframe ? layout.wireframeKey : toggle.key;
}

void ApplyToggles(const BYTE* keys, double now, IGraphics* graphics)
{
    for (int i = 0; i < toggleCount; ++i) {
        const ToggleKey& toggle = toggleKeys[i];
        KeyLock& lock = controls.locks[i];
        if (Down(keys[KeyOf(toggle)])) {
            // The first press only arms the lock: a fresh reading is never
            // before `now`, so nothing flips in the step it is first seen.
            if (!lock.set) {
                lock.until = SampleClock();
                lock.set = true;
            }
            if (lock.until < now) {
                *toggle.flag = !*toggle.flag;
                lock.until = now + toggleLockSeconds;
                // Result ignored on purpose: S_FALSE is no failure, and the manager reports its own.
                if (toggle.flag == &Sample.stencilShadow)
                    graphics->SetStencilShadow(Sample.stencilShadow);
            }
        }
    }
}

// The switches' lines as the next press would change them.
void AppendHelpLines()
{
    for (const ToggleKey& toggle : toggleKeys) {
        bool fill = toggle.flag == &Sample.wireframe;
        Sample.helpText += fill ? layout.wireframeLead : toggle.lead;
        Sample.helpText += *toggle.flag ? toggle.whenSet : toggle.whenClear;
        Sample.helpText += fill ? layout.cameraHelp : toggle.tail;
    }
}

void StartAnimations(const BYTE* keys, IModel* model)
{
    if (!model)
        return;
    // Results ignored on purpose: a held key asks again every step, and a
    // refusal costs only that animation.
    if (Down(keys[DIK_SPACE]))
        model->AddAnimation(6, 6.0f);
    if (Down(keys[DIK_LSHIFT]) || Down(keys[DIK_LCONTROL]) || Down(keys[DIK_RSHIFT]) || Down(keys[DIK_RCONTROL]))
        model->AddAnimation(4, 10.0f);
}

// Pressed alone, `positive` gives +1 and `negative` -1; both or neither give 0.
float Axis(BYTE positive, BYTE negative)
{
    if (Down(positive) == Down(negative))
        return 0.0f;
    return Down(positive) ? 1.0f : -1.0f;
}

void MoveCamera(const BYTE* keys, const DIMOUSESTATE& mouse)
{
    // The target stays one unit from the eye, so d is the unit view direction.
    D3DXVECTOR3 d = Sample.target - Sample.eye;

    D3DXVECTOR3 forward = d * (moveStep * Axis(keys[DIK_UP], keys[DIK_DOWN]));
    Sample.eye += forward;
    Sample.target += forward;

    float sideways = moveStep * Axis(keys[DIK_RIGHT], keys[DIK_LEFT]);
    if (sideways != 0.0f) {
        // Not normalised: the step shrinks as the view tilts towards the axis.
        D3DXVECTOR3 side;
        D3DXVec3Cross(&side, &controls.axis, &d);
        Sample.target += side * sideways;
        Sample.eye += side * sideways;
    }

    if (layout.mouseCamera) {
        layout.mouseCamera(keys, mouse);
    } else if (Down(mouse.rgbButtons[0])) {
        D3DXMATRIX rotation;
        if (mouse.lX != 0) {
            D3DXMatrixRotationAxis(&rotation, &controls.axis, mouse.lX > 0 ? turnStep : -turnStep);
            D3DXVec3TransformNormal(&d, &d, &rotation);
            Sample.target = Sample.eye + d;
        }
        if (mouse.lY != 0) {
            // Page Up forces an upward pitch whatever way the mouse moves: deliberate.
            bool pitchUp = Down(keys[DIK_PRIOR]) || mouse.lY < 0;
            D3DXVECTOR3 pitchAxis;
            D3DXVec3Cross(&pitchAxis, &d, &controls.axis);
            D3DXMatrixRotationAxis(&rotation, &pitchAxis, pitchUp ? turnStep : -turnStep);
            D3DXVec3TransformNormal(&d, &d, &rotation);
            D3DXVec3TransformNormal(&controls.axis, &controls.axis, &rotation);
            Sample.target = Sample.eye + d;
        }
    }

    bool reset = Down(mouse.rgbButtons[1]) || Down(mouse.rgbButtons[2]) || Down(mouse.rgbButtons[3]) ||
                 Down(keys[DIK_RETURN]) || Down(keys[DIK_NUMPADENTER]);
    if (reset) {
        controls.axis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
        Sample.eye = StartEye();
        Sample.target = StartTarget();
    }
}

HRESULT ProcessStep(IInput* input, IGraphics* graphics, IModel* model)
{
    double now = SampleClock();
    if (controls.lastStep + stepSeconds > now)
        return S_FALSE;
    controls.lastStep = now;

    BYTE keys[256];
    DIMOUSESTATE mouse;
    if (FAILED(input->GetKeyboardState(keys)) || FAILED(input->GetMouseState(&mouse)))
        return S_FALSE;
    if (Down(keys[DIK_ESCAPE]))
        return E_FAIL;

    ApplyToggles(keys, now, graphics);
    StartAnimations(keys, model);
    MoveCamera(keys, mouse);

    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    return graphics->SetCamera(&Sample.eye, &Sample.target, &up);
}

}  // namespace

void SetControlsLayout(const ControlsLayout& chosen)
{
    layout = chosen;
}

void ResetControls()
{
    controls = ControlsState{D3DXVECTOR3(0.0f, 1.0f, 0.0f), 0.0, {}};
}

HRESULT InputProcess(IInput* input, IGraphics* graphics, IModel* model)
{
    TraceContext trace("InputProcess()");
    QL_REQUIRE_ARG(trace, input && graphics);
    HRESULT result = ProcessStep(input, graphics, model);
    // Every frame, stepped or not: the help is drawn each frame.
    AppendHelpLines();
    return result;
}
