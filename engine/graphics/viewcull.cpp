#include "graphics/viewcull.h"

#include "graphics/shadowreach.h"

#include <math.h>

namespace {

struct ViewAxes {
    D3DXVECTOR3 forward, right, top;
};

// The axes D3DXMatrixLookAtLH gives the view.
ViewAxes AxesOf(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up)
{
    ViewAxes axes;
    axes.forward = at - eye;
    D3DXVec3Normalize(&axes.forward, &axes.forward);
    D3DXVec3Cross(&axes.right, &up, &axes.forward);
    D3DXVec3Normalize(&axes.right, &axes.right);
    D3DXVec3Cross(&axes.top, &axes.forward, &axes.right);
    return axes;
}

// The plane through point spanned by a and b, facing towards inside.
D3DXVECTOR4 PlaneFacing(const D3DXVECTOR3& point, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                        const D3DXVECTOR3& inside)
{
    D3DXVECTOR3 normal;
    D3DXVec3Cross(&normal, &a, &b);
    D3DXVec3Normalize(&normal, &normal);
    if (D3DXVec3Dot(&normal, &inside) < 0.0f)
        normal = -normal;
    return D3DXVECTOR4(normal.x, normal.y, normal.z, -D3DXVec3Dot(&normal, &point));
}

float Side(const D3DXVECTOR4& plane, const D3DXVECTOR3& p)
{
    return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w;
}

// Near the plane counts as inside.
float Tolerance(const D3DXVECTOR4& plane)
{
    return 1e-4f * (1.0f + fabsf(plane.w));
}

}  // namespace

ViewFrustum ViewFrustumOf(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up)
{
    const ViewAxes axes = AxesOf(eye, at, up);
    const float tanY = tanf(kFieldOfView / 2.0f) * kViewMargin, tanX = tanY * kAspectRatio;
    const D3DXVECTOR3 &f = axes.forward, &r = axes.right, &t = axes.top;
    ViewFrustum frustum;
    frustum.planes[0] = PlaneFacing(eye, t, f - r * tanX, r);
    frustum.planes[1] = PlaneFacing(eye, t, f + r * tanX, -r);
    frustum.planes[2] = PlaneFacing(eye, r, f - t * tanY, t);
    frustum.planes[3] = PlaneFacing(eye, r, f + t * tanY, -t);
    const D3DXVECTOR3 nearPoint = eye + f * (kNearPlane / kViewMargin);
    frustum.planes[4] = D3DXVECTOR4(f.x, f.y, f.z, -D3DXVec3Dot(&f, &nearPoint));
    return frustum;
}

PlacedBox PlaceBox(const D3DXMATRIX& world, const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    PlacedBox box;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner(i & 1 ? high.x : low.x, i & 2 ? high.y : low.y, i & 4 ? high.z : low.z);
        D3DXVec3TransformCoord(&box.corners[i], &corner, &world);
    }
    return box;
}

bool BoxMayBeVisible(const ViewFrustum& frustum, const PlacedBox& box)
{
    for (const D3DXVECTOR4& plane : frustum.planes) {
        bool allOutside = true;
        for (const D3DXVECTOR3& c : box.corners)
            allOutside = allOutside && Side(plane, c) < -Tolerance(plane);
        if (allOutside)
            return false;
    }
    return true;
}

bool ShadowMayReachView(const ViewFrustum& frustum, const D3DXVECTOR3& light, const PlacedBox& box)
{
    for (const D3DXVECTOR4& plane : frustum.planes) {
        const D3DXVECTOR3 normal(plane.x, plane.y, plane.z);
        bool separated = true;
        for (const D3DXVECTOR3& c : box.corners) {
            const D3DXVECTOR3 away = c - light;
            separated = separated && Side(plane, c) < -Tolerance(plane) && D3DXVec3Dot(&normal, &away) <= 0.0f;
        }
        if (separated)
            return false;
    }
    return true;
}

float DistanceToBox(const D3DXVECTOR3& light, const PlacedBox& box)
{
    WorldBounds bounds = ClipToCube(box, light, 1e38f);
    const float dx = fmaxf(fmaxf(bounds.low.x - light.x, light.x - bounds.high.x), 0.0f);
    const float dy = fmaxf(fmaxf(bounds.low.y - light.y, light.y - bounds.high.y), 0.0f);
    const float dz = fmaxf(fmaxf(bounds.low.z - light.z, light.z - bounds.high.z), 0.0f);
    return sqrtf(dx * dx + dy * dy + dz * dz);
}

float LargestScale(const D3DXMATRIX& world)
{
    float largest = 0.0f;
    for (int row = 0; row < 3; ++row)
        largest = fmaxf(largest, sqrtf(world.m[row][0] * world.m[row][0] + world.m[row][1] * world.m[row][1] +
                                       world.m[row][2] * world.m[row][2]));
    return largest;
}

void WorldBounds::Add(const WorldBounds& other)
{
    if (other.Empty())
        return;
    low = D3DXVECTOR3(fminf(low.x, other.low.x), fminf(low.y, other.low.y), fminf(low.z, other.low.z));
    high = D3DXVECTOR3(fmaxf(high.x, other.high.x), fmaxf(high.y, other.high.y), fmaxf(high.z, other.high.z));
}

WorldBounds ClipToCube(const PlacedBox& box, const D3DXVECTOR3& centre, float reach)
{
    WorldBounds bounds;
    for (const D3DXVECTOR3& c : box.corners) {
        bounds.low = D3DXVECTOR3(fminf(bounds.low.x, c.x), fminf(bounds.low.y, c.y), fminf(bounds.low.z, c.z));
        bounds.high = D3DXVECTOR3(fmaxf(bounds.high.x, c.x), fmaxf(bounds.high.y, c.y), fmaxf(bounds.high.z, c.z));
    }
    bounds.low = D3DXVECTOR3(fmaxf(bounds.low.x, centre.x - reach), fmaxf(bounds.low.y, centre.y - reach),
                             fmaxf(bounds.low.z, centre.z - reach));
    bounds.high = D3DXVECTOR3(fminf(bounds.high.x, centre.x + reach), fminf(bounds.high.y, centre.y + reach),
                              fminf(bounds.high.z, centre.z + reach));
    return bounds;
}

bool ScreenRectOf(const WorldBounds& bounds, const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up,
                  UINT width, UINT height, RECT* rect)
{
    *rect = RECT{0, 0, LONG(width), LONG(height)};
    if (bounds.Empty())
        return false;
    const ViewAxes axes = AxesOf(eye, at, up);
    const float scaleY = 1.0f / tanf(kFieldOfView / 2.0f), scaleX = scaleY / kAspectRatio;
    float left = 1e38f, right = -1e38f, top = -1e38f, bottom = 1e38f;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner(i & 1 ? bounds.high.x : bounds.low.x, i & 2 ? bounds.high.y : bounds.low.y,
                                 i & 4 ? bounds.high.z : bounds.low.z);
        const D3DXVECTOR3 v = corner - eye;
        const float z = D3DXVec3Dot(&v, &axes.forward);
        // Across the near plane the projection wraps: keep the whole target.
        if (!(z > kNearPlane / kViewMargin))
            return true;
        const float x = D3DXVec3Dot(&v, &axes.right) * scaleX / z, y = D3DXVec3Dot(&v, &axes.top) * scaleY / z;
        left = fminf(left, x);
        right = fmaxf(right, x);
        bottom = fminf(bottom, y);
        top = fmaxf(top, y);
    }
    const float w = float(width), h = float(height);
    const float x0 = floorf((left + 1.0f) * 0.5f * w) - 1.0f, x1 = ceilf((right + 1.0f) * 0.5f * w) + 1.0f;
    const float y0 = floorf((1.0f - top) * 0.5f * h) - 1.0f, y1 = ceilf((1.0f - bottom) * 0.5f * h) + 1.0f;
    rect->left = LONG(fminf(fmaxf(x0, 0.0f), w));
    rect->top = LONG(fminf(fmaxf(y0, 0.0f), h));
    rect->right = LONG(fminf(fmaxf(x1, 0.0f), w));
    rect->bottom = LONG(fminf(fmaxf(y1, 0.0f), h));
    return rect->left < rect->right && rect->top < rect->bottom;
}
