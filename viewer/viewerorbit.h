// The viewer's mouse camera: the left button orbits the eye around the
// model, the wheel moves it nearer or farther. Pure functions of the camera
// (eye and target; the target stays one unit ahead of the eye, as the
// sample's camera keeps it) and the point orbited, for the tests.
#pragma once

#include <d3dx9.h>

struct CameraView {
    D3DXVECTOR3 eye;
    D3DXVECTOR3 target;
};

// Radians per mouse count: a drag across a 800-pixel window turns the view
// about two thirds of the way round.
constexpr float kOrbitRadiansPerCount = 0.005f;
// The highest and lowest the eye goes, as an angle above or below the
// pivot's horizontal plane: short of straight overhead, where the camera's
// up direction would be lost.
constexpr float kOrbitMostElevation = 1.48f;  // about 85 degrees
// One wheel notch brings the eye this fraction of the way nearer.
constexpr float kZoomPerNotch = 0.15f;
constexpr float kWheelCountsPerNotch = 120.0f;

// Turns eye and target together about `pivot`: by `yaw` about the world's
// vertical axis (positive: the eye goes round to its left), then by `pitch`
// about the camera's horizontal axis (positive: the eye rises), the
// elevation held within kOrbitMostElevation. An eye on the pivot's
// vertical only yaws.
CameraView Orbit(const CameraView& view, const D3DXVECTOR3& pivot, float yaw, float pitch);

// Moves the eye along the line from the pivot by `notches` (positive:
// nearer, each notch kZoomPerNotch of the distance), to no nearer than
// `nearest` and no farther than `farthest`; the view direction is kept. An
// eye on the pivot stays.
CameraView Zoom(const CameraView& view, const D3DXVECTOR3& pivot, float notches, float nearest, float farthest);

// One reading of the mouse: left button held, its motion orbits (dragging
// right takes the eye left round the model, dragging down raises it); the
// wheel's motion zooms.
CameraView MouseCamera(const CameraView& view, const D3DXVECTOR3& pivot, bool leftButton, LONG motionX, LONG motionY,
                       LONG wheel, float nearest, float farthest);
