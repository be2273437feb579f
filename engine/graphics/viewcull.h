// What a frame may leave out: the view frustum, boxes and the volumes they
// cast against it, a point light's reach and the screen rectangle it can
// light. Pure functions over plain data, conservative: a test says "cannot"
// only when that holds whatever the rounding of the drawing.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

// The frustum of the frame's projection (shadowreach.h) with no far plane,
// made kViewMargin times as wide and as high for the rasteriser's rounding:
// four sides through the eye and the near plane. Each plane (n, d) has a
// unit n and n . p + d >= 0 inside.
const float kViewMargin = 1.01f;
struct ViewFrustum {
    D3DXVECTOR4 planes[5];
};
ViewFrustum ViewFrustumOf(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up);

// The world-space corners of the model-space box [low, high] placed by world.
struct PlacedBox {
    D3DXVECTOR3 corners[8];
};
PlacedBox PlaceBox(const D3DXMATRIX& world, const D3DXVECTOR3& low, const D3DXVECTOR3& high);

// False only when the whole box lies outside one plane of the frustum.
bool BoxMayBeVisible(const ViewFrustum& frustum, const PlacedBox& box);

// Whether the box swept away from a point light to infinity (the room every
// shadow volume of what is inside the box takes) may reach the frustum:
// false only when one plane has every corner outside and no corner's ray
// from the light turning inwards.
bool ShadowMayReachView(const ViewFrustum& frustum, const D3DXVECTOR3& light, const PlacedBox& box);

// The distance from the light to the nearest point of the box's world-space
// bounds (0 when the light is inside them): never more than the distance to
// the box itself.
float DistanceToBox(const D3DXVECTOR3& light, const PlacedBox& box);

// How much longer a length of model space gets at most in world space: the
// longest row of world's upper 3 x 3.
float LargestScale(const D3DXMATRIX& world);

// A region of world space bounded by an axis-aligned box; empty while
// low > high.
struct WorldBounds {
    D3DXVECTOR3 low{1e38f, 1e38f, 1e38f}, high{-1e38f, -1e38f, -1e38f};
    bool Empty() const { return low.x > high.x || low.y > high.y || low.z > high.z; }
    void Add(const WorldBounds& other);
};

// The part of the box's bounds within reach of centre, along every axis.
WorldBounds ClipToCube(const PlacedBox& box, const D3DXVECTOR3& centre, float reach);

// The pixels of a width x height render target that bounds may cover, seen
// from the camera (eye, at, up) through the frame's projection, widened by a
// pixel for rounding and clipped to the target; the whole target when the
// bounds reach the eye's side of the near plane. False when they cover none.
bool ScreenRectOf(const WorldBounds& bounds, const D3DXVECTOR3& eye, const D3DXVECTOR3& at,
                  const D3DXVECTOR3& up, UINT width, UINT height, RECT* rect);
