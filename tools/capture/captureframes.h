// The fixed list of frames the capture program renders: the park from three
// cameras under fixed light angles in every display mode of the frame, the
// font's texts, and the demo creature at fixed animation times.
#pragma once

#include "captureprobe.h"

#include "sampleapp.h"

#include <stdint.h>

// TwoCreatures: a second creature, loaded separately and posed by another
// animation, beside the first. BigPark: the densely planted park under four
// lamp lights in place of the view's light.
enum class CaptureScene { Park, BigPark, Creature, TwoCreatures };

inline bool IsCreatureScene(CaptureScene scene)
{
    return scene == CaptureScene::Creature || scene == CaptureScene::TwoCreatures;
}

// The display switches of a view, or-ed together.
enum CaptureSwitch : uint32_t {
    ShowStencilShadow = 1,  // else standard lighting
    ShowAmbientOnly = 2,
    ShowWireframe = 4,
    ShowShadowVolume = 8,
    ShowSilhouette = 16,
    ShowTexts = 32,  // all the font's kinds of text, beside the light's marker
};

struct CaptureView {
    const char* name;
    CaptureScene scene;
    int camera;           // Park: 0 to 3 (3: in the fountain's shadow); BigPark: 4, 5; Creature: ignored, framed from its bounds
    float lightAngle;     // radians about the vertical axis through the scene
    uint32_t switches;    // CaptureSwitch values
    float animationTime;  // Creature: seconds of animation before the frame
    // The client size a user's drag gave the window before the frame; 0 x 0
    // is the sample's own size.
    int clientWidth = 0;
    int clientHeight = 0;
};

inline bool Shows(const CaptureView& view, CaptureSwitch which) { return (view.switches & which) != 0; }

// The list, in rendering order: the park views first, then the big park's,
// then the creature's in increasing animation time.
const CaptureView* CaptureViews(uint32_t* count);

struct CaptureEngine {
    // The sample's engine: core, managers, the park (`scene`, until the
    // creature replaces it), the creature (`model`) and the font.
    SampleEngine sample;
    IGeometry* secondCreature = nullptr;
    CaptureProbe* probe = nullptr;
    bool bigParkLoaded = false;
    float animationTime = 0.0f;
    D3DXVECTOR3 creatureLow, creatureHigh;  // its bounds when loaded
};

// The sample's start-up (window, device, input, the park and the font from
// ./data/) under the capture's title, then the probe. Failures are traced in
// the log and returned.
HRESULT StartCapture(CaptureEngine& engine);
// Renders `view` once into `image` (and, for the creature, the animation
// steps before it). Loads the big park, then the creature, in place of the
// park when the views reach them.
HRESULT CaptureFrame(CaptureEngine& engine, const CaptureView& view, CapturedImage* image);
// Renders `view` again `frames` times with no animation time and returns
// the mean seconds per frame.
HRESULT TimeFrame(CaptureEngine& engine, const CaptureView& view, uint32_t frames, double* seconds);
void ReleaseCapture(CaptureEngine& engine);
