// The sample's controls step, run once per rendered frame: at most 40 times a
// second it reads the keyboard and the mouse, toggles the display switches
// and moves the camera; every frame it appends the help lines to the
// sample's help text.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "input/iinput.h"

// What a program built on the sample changes in the controls; the defaults
// are the sample's own.
struct ControlsLayout {
    BYTE wireframeKey = DIK_F;
    const char* wireframeLead = "\n'F' for ";  // its help line up to the switch's state
    // Replaces the left button's turning of the camera where it stands: called
    // with every reading, it may move Sample's eye and target itself.
    void (*mouseCamera)(const BYTE* keys, const DIMOUSESTATE& mouse) = nullptr;
    // The help's camera lines, after the fill mode's line.
    const char* cameraHelp = "\nFor the camera : Use the arrow keys\n and the Mouse (press the left button)";
};

// Kept until set again; RunSample sets its program's.
void SetControlsLayout(const ControlsLayout& layout);

// `model` is an optional skinned model whose animations Space and the
// Shift/Control keys start. S_FALSE when the step was skipped or a device
// could not be read, E_FAIL while Escape is down (the run ends), otherwise
// the result of the graphics manager's SetCamera.
HRESULT InputProcess(IInput* input, IGraphics* graphics, IModel* model);

// Forgets the step time, the key locks and the camera axis, as at start-up.
void ResetControls();
