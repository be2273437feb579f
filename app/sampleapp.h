// The shell of the programs on the engine: start-up, one frame of the main
// loop and shutdown, in pieces that the programs' mains and the frame-time
// harnesses share. Its defaults are the sample's.
#pragma once

#include "core/icore.h"
#include "graphics/igeometry.h"
#include "graphics/igraphics.h"
#include "graphics/imodel.h"
#include "input/iinput.h"

#include <d3d9.h>

#include "controls.h"
#include "samplesettings.h"

#include <stdint.h>

class Font;
struct SampleEngine;

// What a program built on the sample changes; the defaults are the sample's own.
struct SampleProgram {
    const char* title = "Quarlight Sample";
    // The line shown under the help text.
    const char* banner = "Quarlight Engine - stencil shadow sample";
    // Lines appended to the controls' help, every frame.
    const char* extraHelp = nullptr;
    // The program's own state, handed back to each of the functions below;
    // the program owns it, and it outlives the run.
    void* user = nullptr;
    // Creates the program's own geometries after the park and before the
    // font, and may hand the controls a model through `engine.model`. A
    // failure, reported by the function, ends the start-up.
    HRESULT (*createModels)(SampleEngine& engine, void* user) = nullptr;
    // Runs every frame before it is drawn, with the scene time the frame will
    // advance (for models the program animates itself).
    void (*animateModels)(SampleEngine& engine, void* user, float elapsedSeconds) = nullptr;
    // Releases what createModels made beyond `engine.model`, before the
    // graphics manager goes.
    void (*releaseModels)(SampleEngine& engine, void* user) = nullptr;
    // Runs before each frame is drawn; a failure, reported by the function,
    // ends the loop.
    HRESULT (*beforeFrame)(SampleEngine& engine, void* user) = nullptr;

    uint32_t width = SampleSettings::windowWidth;
    uint32_t height = SampleSettings::windowHeight;
    // The 3DS scene made at start-up; null for none.
    const char* sceneFile = SampleSettings::parkFile;
    const char* fontFile = SampleSettings::fontFile;
    // The light circles at this height, this far from the vertical axis.
    float lightHeight = 150.0f;
    float lightRadius = 150.0f;
    // Where on its circle the light starts, in radians from the side facing
    // the camera's back; with lightStill it stays there, as after L on the
    // first frame, for checks that need its shadows in one known place.
    float lightStartAngle = 0.0f;
    bool lightStill = false;
    // The translucent "x" over the middle of the window, where the park's
    // fountain is; a program whose middle is its model leaves it out.
    bool centreMarker = true;
    // Keys and mouse as the controls take them.
    ControlsLayout controls;
    // The sample's park has every map it names; a viewer of users' files
    // shows a model whose map files are missing, those materials untextured.
    bool missingTexturesAllowed = false;

    // The run ends after this many frames; 0: when the user ends it.
    uint32_t frameLimit = 0;
    // Set: the frame after the first few is saved there as a PNG and the
    // run ends; RunSample returns 1 when it could not be saved.
    const char* screenshotFile = nullptr;
};

struct SampleEngine {
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    IInput* input = nullptr;
    IGeometry* scene = nullptr;
    // The skinned model the controls animate; one reference, released with the scene.
    IModel* model = nullptr;
    Font* font = nullptr;
    D3DLIGHT9 light = {};
    const SampleProgram* program = nullptr;  // set by StartSample; not owned
};

// Gives back the reference `object` holds, if any, and forgets it.
template <typename Object>
void ReleaseHeld(Object*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// The sample's own settings, for callers that change none.
const SampleProgram& DefaultSampleProgram();

// Frame counters of the main loop; times in seconds from SampleClock.
struct FrameCounters {
    uint32_t framesSinceRate = 0;
    float frameRate = 0.0f;
    uint32_t framesRendered = 0;
    double startTime = 0.0;
    double lastRateUpdate = 0.0;
    double previousFrame = 0.0;
    // The rate as the last frame showed it: "FPS=" and the rate with two decimals.
    EngineString rateText;
    // The help's line on what the graphics manager drew in the frame before.
    EngineString statisticsText;
};

// The step of the loop that failed and its code, for the shutdown report.
struct LoopFailure {
    HRESULT code = S_OK;
    uint32_t line = 0;
};

// Creates the core, window, managers, park scene, the program's models and
// the font and sets the camera and lighting. A failed step is reported as
// "Initialisation of Quarlight failed" and its code returned; what was made
// stays in `engine` for ReleaseSample. `program` must outlive the run.
HRESULT StartSample(SampleEngine& engine, const SampleProgram& program = DefaultSampleProgram());

// Starts the counters at the current time.
void StartFrameCounters(FrameCounters& counters);

// Everything of one frame after the controls: the texts, the light's step,
// the fill mode and the frame itself at 0.8 of real time. A failure of
// SetLight or UpdateAndRender is returned with its line in `failure`.
HRESULT DrawSampleFrame(SampleEngine& engine, FrameCounters& counters, LoopFailure* failure);

// Releases scene, model, font, graphics and input managers (each if it
// exists), then the core until it is destroyed.
void ReleaseSample(SampleEngine& engine);

// The whole program: 0 after a run, -1 after a failed start-up. F12 saves
// the next frame as a numbered PNG beside log.txt.
int RunSample(const SampleProgram& program = DefaultSampleProgram());
