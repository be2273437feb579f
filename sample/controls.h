// The sample's controls step, run once per rendered frame: at most 40 times a
// second it reads the keyboard and the mouse, toggles the display switches
// and moves the camera; every frame it appends the help lines to the
// sample's help text.
#pragma once

#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "input/iinput.h"

// `model` is an optional skinned model whose animations Space and the
// Shift/Control keys start. S_FALSE when the step was skipped or a device
// could not be read, E_FAIL while Escape is down (the run ends), otherwise
// the result of the graphics manager's SetCamera.
HRESULT InputProcess(IInput* input, IGraphics* graphics, IModel* model);

// Forgets the step time, the key locks and the camera axis, as at start-up.
void ResetControls();
