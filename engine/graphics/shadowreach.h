// Where shadow volumes reach: the camera's near plane, the test that tells
// which volumes may cover part of it, and the projection that never clips a
// volume's far end. Pure functions over plain data.
#pragma once

#include "graphics/shadowvolume.h"
#include "graphics/viewcull.h"

#include <d3dx9.h>

// The frame's projection: vertical field of view, aspect (4/3 whatever the
// back buffer's shape: the picture stretches with the window) and near plane.
const float kFieldOfView = 0.7853982f;
const float kAspectRatio = 1.3333334f;
const float kNearPlane = 5.0f;

// The perspective projection with its far plane at infinity, less a sliver:
// depth tends to 1 - kFarSliver, so points any distance away, such as the far
// ends of shadow volumes, are never clipped, whatever the rounding of the
// clip coordinates.
const float kFarSliver = 1.0e-6f;
void InfiniteProjection(D3DXMATRIX* out);

// The corners of the near-plane rectangle in world space, for a camera
// looking from eye to at: the screen's rectangle made kNearPlaneMargin times
// as wide and as high, for the rasteriser's rounding.
const float kNearPlaneMargin = 1.01f;
struct NearPlane {
    D3DXVECTOR3 corners[4];  // around the rectangle
};
NearPlane NearPlaneOf(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up);

// Whether a model whose positions lie in the model-space box [low, high],
// placed by world, may stand between the light and some point of the near
// plane, i.e. whether its shadow volume may contain part of the near plane.
// Conservative: false only when the box's corners all lie outside one face
// of the pyramid from the light to the rectangle.
bool VolumeMayReachNearPlane(const NearPlane& nearPlane, const D3DXVECTOR3& light, const D3DXMATRIX& world,
                             const D3DXVECTOR3& low, const D3DXVECTOR3& high);

// Where a capped volume starts (BuildShadowVolume's start) for a model whose
// positions lie in the model-space box [low, high], placed by world: a hair
// past the mesh, kCappedVolumeStart of the way from the light, but never
// farther past the mesh than that fraction of the eye's distance to it. A
// start relative to the light's distance alone would put the caps of a light
// thousands of units away as many units past the mesh, and the shadow next
// to the caster would fall outside its volume.
float CappedVolumeStart(const D3DXVECTOR3& light, const D3DXVECTOR3& eye, const D3DXMATRIX& world,
                        const D3DXVECTOR3& low, const D3DXVECTOR3& high);

// How far the volume of what lies in box (placed in world space) must reach
// when nothing is drawn at or below the height floor and the eye is above
// it: the factor that carries the box's highest corner down to floor along
// the light's rays, carrying every lower point further. Below the floor no
// side is seen in front of the scene and no far cap behind it, so the volume
// counts as one reaching kShadowExtrusion times as far, while covering far
// less of the screen. kShadowExtrusion when the box is not wholly under the
// light, or the factor would be larger; never under minimum.
float ExtrusionToFloor(const D3DXVECTOR3& light, const PlacedBox& box, float floor, float minimum);

// The height a scene's lowest point at lowest leaves below it for
// ExtrusionToFloor, lit from light: a margin for the rounding of the
// extruded points, which lie far from the light.
float FloorUnder(float lowest, const D3DXVECTOR3& light);
