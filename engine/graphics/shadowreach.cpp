#include "graphics/shadowreach.h"

#include <float.h>
#include <math.h>

void InfiniteProjection(D3DXMATRIX* out)
{
    D3DXMatrixPerspectiveFovLH(out, kFieldOfView, kAspectRatio, kNearPlane, 10000.0f);
    out->_33 = 1.0f - kFarSliver;
    out->_43 = -kNearPlane * (1.0f - kFarSliver);
}

NearPlane NearPlaneOf(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up)
{
    // The axes D3DXMatrixLookAtLH gives the view.
    D3DXVECTOR3 forward = at - eye, right, top;
    D3DXVec3Normalize(&forward, &forward);
    D3DXVec3Cross(&right, &up, &forward);
    D3DXVec3Normalize(&right, &right);
    D3DXVec3Cross(&top, &forward, &right);
    const float halfHeight = kNearPlane * tanf(kFieldOfView / 2.0f) * kNearPlaneMargin;
    const float halfWidth = halfHeight * kAspectRatio;
    const D3DXVECTOR3 centre = eye + forward * kNearPlane;
    NearPlane plane;
    plane.corners[0] = centre - right * halfWidth - top * halfHeight;
    plane.corners[1] = centre + right * halfWidth - top * halfHeight;
    plane.corners[2] = centre + right * halfWidth + top * halfHeight;
    plane.corners[3] = centre - right * halfWidth + top * halfHeight;
    return plane;
}

namespace {

// A plane through point with the given normal; the inside is where
// inside lies. False when the normal is too short to trust.
bool OrientedPlane(const D3DXVECTOR3& point, D3DXVECTOR3 normal, const D3DXVECTOR3& inside, D3DXVECTOR4* plane)
{
    const float length = D3DXVec3Length(&normal);
    if (!(length > 1e-12f))
        return false;
    normal /= length;
    float d = -D3DXVec3Dot(&normal, &point);
    const float side = D3DXVec3Dot(&normal, &inside) + d;
    if (fabsf(side) < 1e-6f)
        return false;
    if (side > 0.0f) {
        normal = -normal;
        d = -d;
    }
    // Positive outside.
    *plane = D3DXVECTOR4(normal.x, normal.y, normal.z, d);
    return true;
}

}  // namespace

bool VolumeMayReachNearPlane(const NearPlane& nearPlane, const D3DXVECTOR3& light, const D3DXMATRIX& world,
                             const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    D3DXVECTOR3 corners[8];
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z);
        D3DXVec3TransformCoord(&corners[i], &corner, &world);
    }
    const D3DXVECTOR3* rect = nearPlane.corners;
    const D3DXVECTOR3 middle = (rect[0] + rect[1] + rect[2] + rect[3]) * 0.25f;
    // Inside the pyramid: between its apex and its base.
    const D3DXVECTOR3 inside = (middle * 3.0f + light) * 0.25f;
    D3DXVECTOR4 planes[5];
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        D3DXVECTOR3 normal, a = rect[i] - light, b = rect[(i + 1) % 4] - light;
        D3DXVec3Cross(&normal, &a, &b);
        count += OrientedPlane(light, normal, inside, &planes[count]) ? 1 : 0;
    }
    D3DXVECTOR3 baseNormal, u = rect[1] - rect[0], v = rect[3] - rect[0];
    D3DXVec3Cross(&baseNormal, &u, &v);
    count += OrientedPlane(rect[0], baseNormal, inside, &planes[count]) ? 1 : 0;

    for (int p = 0; p < count; ++p) {
        const D3DXVECTOR4& plane = planes[p];
        // A margin against rounding: near the plane counts as inside.
        const float margin = 1e-3f * (1.0f + fabsf(plane.w));
        bool allOutside = true;
        for (const D3DXVECTOR3& c : corners)
            allOutside = allOutside && plane.x * c.x + plane.y * c.y + plane.z * c.z + plane.w > margin;
        if (allOutside)
            return false;
    }
    return true;
}

float CappedVolumeStart(const D3DXVECTOR3& light, const D3DXVECTOR3& eye, const D3DXMATRIX& world,
                        const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    float fromLight = 0.0f, fromEye = 0.0f;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z);
        D3DXVECTOR3 placed;
        D3DXVec3TransformCoord(&placed, &corner, &world);
        const D3DXVECTOR3 toLight = placed - light, toEye = placed - eye;
        fromLight = fmaxf(fromLight, D3DXVec3Length(&toLight));
        fromEye = fmaxf(fromEye, D3DXVec3Length(&toEye));
    }
    if (!(fromLight > fromEye))
        return kCappedVolumeStart;
    // A few steps of rounding at least, so the start stays past the mesh.
    return 1.0f + fmaxf((kCappedVolumeStart - 1.0f) * fromEye / fromLight, 4.0f * FLT_EPSILON);
}

float ExtrusionToFloor(const D3DXVECTOR3& light, const PlacedBox& box, float floor, float minimum)
{
    float top = box.corners[0].y;
    for (const D3DXVECTOR3& corner : box.corners)
        top = fmaxf(top, corner.y);
    const float drop = light.y - top;
    if (!(light.y > floor) || !(drop > 0.0f))
        return kShadowExtrusion;
    const float reach = (light.y - floor) / drop;
    return reach < kShadowExtrusion ? fmaxf(reach, minimum) : kShadowExtrusion;
}

float FloorUnder(float lowest, const D3DXVECTOR3& light)
{
    return lowest - 0.01f * fabsf(light.y - lowest) - 1e-3f;
}
