#include "viewerorbit.h"

#include <math.h>

namespace {

D3DXVECTOR3 Turned(const D3DXVECTOR3& point, const D3DXVECTOR3& pivot, const D3DXMATRIX& rotation)
{
    D3DXVECTOR3 offset = point - pivot, turned;
    D3DXVec3TransformCoord(&turned, &offset, &rotation);
    return pivot + turned;
}

CameraView Turned(const CameraView& view, const D3DXVECTOR3& pivot, const D3DXMATRIX& rotation)
{
    return {Turned(view.eye, pivot, rotation), Turned(view.target, pivot, rotation)};
}

}  // namespace

CameraView Orbit(const CameraView& view, const D3DXVECTOR3& pivot, float yaw, float pitch)
{
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, yaw);
    CameraView turned = Turned(view, pivot, rotation);

    D3DXVECTOR3 offset = turned.eye - pivot;
    float across = sqrtf(offset.x * offset.x + offset.z * offset.z);
    if (across <= 0.0f || pitch == 0.0f)
        return turned;
    float elevation = atan2f(offset.y, across);
    float wanted = fmaxf(-kOrbitMostElevation, fminf(kOrbitMostElevation, elevation + pitch));
    // The horizontal axis at right angles to the eye's offset; turning about
    // it by a positive angle lifts the eye.
    D3DXVECTOR3 axis(-offset.z / across, 0.0f, offset.x / across);
    D3DXMatrixRotationAxis(&rotation, &axis, wanted - elevation);
    return Turned(turned, pivot, rotation);
}

CameraView Zoom(const CameraView& view, const D3DXVECTOR3& pivot, float notches, float nearest, float farthest)
{
    D3DXVECTOR3 offset = view.eye - pivot;
    float distance = D3DXVec3Length(&offset);
    if (distance <= 0.0f)
        return view;
    float wanted = distance * powf(1.0f - kZoomPerNotch, notches);
    wanted = fmaxf(nearest, fminf(farthest, wanted));
    D3DXVECTOR3 moved = pivot + offset * (wanted / distance);
    return {moved, view.target + (moved - view.eye)};
}

CameraView MouseCamera(const CameraView& view, const D3DXVECTOR3& pivot, bool leftButton, LONG motionX, LONG motionY,
                       LONG wheel, float nearest, float farthest)
{
    CameraView moved = view;
    if (leftButton && (motionX != 0 || motionY != 0))
        moved = Orbit(moved, pivot, motionX * kOrbitRadiansPerCount, motionY * kOrbitRadiansPerCount);
    if (wheel != 0)
        moved = Zoom(moved, pivot, wheel / kWheelCountsPerNotch, nearest, farthest);
    return moved;
}
