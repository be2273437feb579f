// The sample's process-wide state: the camera and the display switches that
// the controls change and the main loop reads.
#pragma once

#include "foundation/enginestring.h"

#include <d3dx9.h>

struct SampleState {
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
    D3DXVECTOR3 up;
    bool stencilShadow;
    bool lightMoving;
    bool help;
    bool wireframe;
    // Rebuilt every frame: "Controls :" and the lines the controls append.
    EngineString helpText;
    float lightAngle;  // radians
    double lastLightStep;
};

extern SampleState Sample;

// The values a run starts with; also the engine's debug switches.
void ResetSampleState();

// Seconds, from Timer() unless a test replaces it. The sample keeps these
// times in double: a float of the machine's uptime loses the 25 ms step
// after a few days of uptime.
extern double (*SampleClock)();

// The start-up camera: from (0, 300, -400) looking at (0, 50, 0), with the
// target one unit from the eye.
D3DXVECTOR3 StartEye();
D3DXVECTOR3 StartTarget();
