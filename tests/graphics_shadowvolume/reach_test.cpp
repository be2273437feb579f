// Where shadow volumes reach: the frame's projection keeps far ends short of
// its far plane, the near-plane rectangle is the screen's with its margin,
// and the reach test tells apart the volumes that may cover part of it.
#include "graphics/shadowreach.h"
#include "graphics/viewcull.h"

#include <gtest/gtest.h>

namespace {

D3DXVECTOR3 Vec(float x, float y, float z)
{
    return D3DXVECTOR3(x, y, z);
}

D3DXMATRIX ViewProjection(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up)
{
    D3DXMATRIX view, projection, both;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    InfiniteProjection(&projection);
    D3DXMatrixMultiply(&both, &view, &projection);
    return both;
}

D3DXMATRIX Translation(const D3DXVECTOR3& offset)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, offset.x, offset.y, offset.z);
    return m;
}

// A camera looking down +z from 100 units before the origin, and a light far
// behind it, a little to the right.
const D3DXVECTOR3 kEye = Vec(0, 0, -100), kAt = Vec(0, 0, 0), kUp = Vec(0, 1, 0);
const D3DXVECTOR3 kLight = Vec(6, 0, -200);

}  // namespace

TEST(InfiniteProjection, NearPlaneAtDepthZeroAndNothingReachesDepthOne)
{
    D3DXMATRIX projection;
    InfiniteProjection(&projection);
    D3DXVECTOR3 projected;
    const D3DXVECTOR3 nearPoint = Vec(0, 0, kNearPlane);
    D3DXVec3TransformCoord(&projected, &nearPoint, &projection);
    EXPECT_NEAR(0.0f, projected.z, 1e-6f);
    for (float distance : {1.0e4f, 1.0e7f, 1.0e9f}) {
        SCOPED_TRACE(distance);
        const D3DXVECTOR3 ahead = Vec(0, 0, distance);
        D3DXVec3TransformCoord(&projected, &ahead, &projection);
        EXPECT_LT(projected.z, 1.0f);
        EXPECT_GT(projected.z, 0.999f);
    }
}

// The corners lie on the near plane, the margin outside the screen's edges,
// whichever way the camera looks.
TEST(NearPlaneOf, CornersProjectToTheScreensCornersWithTheMargin)
{
    const struct {
        D3DXVECTOR3 eye, at, up;
    } cameras[] = {{kEye, kAt, kUp}, {Vec(3, 4, -7), Vec(10, -2, 5), Vec(0, 1, 0)}, {Vec(12, 3, 0), Vec(50, 0, 10), Vec(0, 1, 0)}};
    for (const auto& camera : cameras) {
        const NearPlane plane = NearPlaneOf(camera.eye, camera.at, camera.up);
        const D3DXMATRIX both = ViewProjection(camera.eye, camera.at, camera.up);
        const float expected[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (int i = 0; i < 4; ++i) {
            D3DXVECTOR3 projected;
            D3DXVec3TransformCoord(&projected, &plane.corners[i], &both);
            EXPECT_NEAR(expected[i][0] * kNearPlaneMargin, projected.x, 1e-4f) << "corner " << i;
            EXPECT_NEAR(expected[i][1] * kNearPlaneMargin, projected.y, 1e-4f) << "corner " << i;
            EXPECT_NEAR(0.0f, projected.z, 1e-4f) << "corner " << i;
        }
    }
}

// Small boxes on the way from the light to the near plane: one whose volume
// covers its middle, one whose volume passes a little beside the screen, one
// beside the light. A world matrix places each box, whatever its model space.
TEST(VolumeMayReachNearPlane, OnlyVolumesCoveringTheNearPlaneMayReach)
{
    const NearPlane plane = NearPlaneOf(kEye, kAt, kUp);
    const D3DXVECTOR3 half = Vec(0.3f, 0.3f, 0.3f);
    const struct {
        const char* name;
        D3DXVECTOR3 centre;
        bool reaches;
    } boxes[] = {
        {"across the middle", Vec(3.0f, 0.0f, -147.5f), true},
        // Its volume meets the near plane 1.6 units right of the screen's edge.
        {"beside the screen", Vec(5.5f, 0.0f, -147.5f), false},
        {"beside the light", Vec(6.0f, 3.0f, -199.0f), false},
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.name);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        EXPECT_EQ(box.reaches, VolumeMayReachNearPlane(plane, kLight, identity, box.centre - half, box.centre + half));
        const D3DXVECTOR3 away = Vec(1000.0f, -400.0f, 700.0f);
        EXPECT_EQ(box.reaches, VolumeMayReachNearPlane(plane, kLight, Translation(-away), box.centre - half + away,
                                                       box.centre + half + away))
            << "modelled away and moved back";
    }
}

// Caps start a hair past the mesh: kCappedVolumeStart of the way from a
// light near the model; for a light thousands of units away, no farther past
// the farthest corner than that fraction of the eye's distance to it,
// wherever the model was built.
TEST(CappedVolumeStart, AHairPastTheMeshWhateverTheLightsDistance)
{
    const D3DXVECTOR3 low = Vec(-5, 0, -5), high = Vec(5, 10, 5), away = Vec(1000, 0, -300);
    const D3DXVECTOR3 eye = Vec(0, 60, -80);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_EQ(kCappedVolumeStart, CappedVolumeStart(Vec(-30, 25, 0), eye, identity, low, high));
    const D3DXVECTOR3 farLight = Vec(-15000, 12500, 0);
    const D3DXVECTOR3 fromLight = Vec(5, 0, 5) - farLight, fromEye = Vec(5, 0, 5) - eye;
    const float start = CappedVolumeStart(farLight, eye, identity, low, high);
    EXPECT_GT(start, 1.0f);
    EXPECT_NEAR((kCappedVolumeStart - 1.0f) * D3DXVec3Length(&fromEye), (start - 1.0f) * D3DXVec3Length(&fromLight),
                1e-3f);
    EXPECT_EQ(start, CappedVolumeStart(farLight, eye, Translation(-away), low + away, high + away));
}

namespace {

PlacedBox Box(const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return PlaceBox(identity, low, high);
}

// A 2 x 2 x 2 box around centre.
PlacedBox Cube(const D3DXVECTOR3& centre)
{
    return Box(centre - Vec(1, 1, 1), centre + Vec(1, 1, 1));
}

}  // namespace

// The camera of kEye sees 45 degrees high and 4/3 of that wide; the near
// plane is 5 units ahead. Boxes a hair inside an edge are seen, a unit past
// it are not, and nothing behind the near plane is.
TEST(ViewFrustum, BoxesSeenUpToTheScreensEdgesAndNothingBehindTheNearPlane)
{
    const ViewFrustum frustum = ViewFrustumOf(kEye, kAt, kUp);
    const float halfHeight = 100.0f * tanf(kFieldOfView / 2.0f), halfWidth = halfHeight * kAspectRatio;
    const struct {
        const char* name;
        D3DXVECTOR3 centre;
        bool seen;
    } cases[] = {
        {"ahead", Vec(0, 0, 0), true},
        {"across the left edge", Vec(-halfWidth - 0.5f, 0, 0), true},
        {"past the left edge", Vec(-halfWidth * kViewMargin - 2.5f, 0, 0), false},
        {"past the right edge", Vec(halfWidth * kViewMargin + 2.5f, 0, 0), false},
        {"past the top edge", Vec(0, halfHeight * kViewMargin + 2.5f, 0), false},
        {"across the bottom edge", Vec(0, -halfHeight - 0.5f, 0), true},
        {"across the near plane", Vec(0, 0, -95.5f), true},
        {"between the eye and the near plane", Vec(0, 0, -98.0f), false},
        {"behind the eye", Vec(0, 0, -150.0f), false},
        {"ten thousand units ahead: no far plane", Vec(0, 0, 10000.0f), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.seen, BoxMayBeVisible(frustum, Cube(c.centre))) << c.name;
}

// A caster behind the camera throws its shadow forward into the view when
// the light is behind it, and away from the view when the light is between;
// off to the side, its shadow reaches the view only when the light pushes
// it inwards.
TEST(ShadowMayReachView, TheSweptBoxReachesTheViewWhereverTheCasterIs)
{
    const ViewFrustum frustum = ViewFrustumOf(kEye, kAt, kUp);
    const PlacedBox behind = Cube(Vec(0, 0, -150));
    EXPECT_FALSE(BoxMayBeVisible(frustum, behind));
    EXPECT_TRUE(ShadowMayReachView(frustum, Vec(0, 0, -300), behind));
    EXPECT_FALSE(ShadowMayReachView(frustum, Vec(0, 0, -120), behind));
    const PlacedBox aside = Cube(Vec(-400, 0, 0));
    EXPECT_FALSE(BoxMayBeVisible(frustum, aside));
    EXPECT_TRUE(ShadowMayReachView(frustum, Vec(-500, 0, 0), aside));
    EXPECT_FALSE(ShadowMayReachView(frustum, Vec(-300, 0, 0), aside));
    // A light inside the box sweeps it everywhere.
    EXPECT_TRUE(ShadowMayReachView(frustum, Vec(0, 0, -150), behind));
}

TEST(DistanceToBox, ToTheNearestPointOfItsBoundsAndZeroInside)
{
    const PlacedBox box = Box(Vec(0, 0, 0), Vec(10, 4, 2));
    EXPECT_FLOAT_EQ(0.0f, DistanceToBox(Vec(5, 2, 1), box));
    EXPECT_FLOAT_EQ(3.0f, DistanceToBox(Vec(13, 2, 1), box));
    EXPECT_FLOAT_EQ(5.0f, DistanceToBox(Vec(-3, 8, 1), box));
    D3DXMATRIX twice;
    D3DXMatrixScaling(&twice, 2.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(2.0f, LargestScale(twice));
    EXPECT_FLOAT_EQ(3.0f, DistanceToBox(Vec(23, 2, 1), PlaceBox(twice, Vec(0, 0, 0), Vec(10, 4, 2))));
}

// The rectangle covers every pixel the bounds project to, a pixel more, and
// no more than the target; bounds reaching behind the near plane cover the
// whole target, bounds beside the view none.
TEST(ScreenRectOf, CoversTheProjectedBoundsWithinTheTarget)
{
    const D3DXMATRIX viewProjection = ViewProjection(kEye, kAt, kUp);
    WorldBounds bounds;
    bounds.low = Vec(-10, -5, -20);
    bounds.high = Vec(30, 5, 20);
    RECT rect;
    ASSERT_TRUE(ScreenRectOf(bounds, kEye, kAt, kUp, 800, 600, &rect));
    float left = 1e30f, right = -1e30f, top = 1e30f, bottom = -1e30f;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 corner(i & 1 ? bounds.high.x : bounds.low.x, i & 2 ? bounds.high.y : bounds.low.y,
                                 i & 4 ? bounds.high.z : bounds.low.z);
        D3DXVECTOR3 clip;
        D3DXVec3TransformCoord(&clip, &corner, &viewProjection);
        const float x = (clip.x + 1.0f) * 400.0f, y = (1.0f - clip.y) * 300.0f;
        left = fminf(left, x), right = fmaxf(right, x), top = fminf(top, y), bottom = fmaxf(bottom, y);
    }
    EXPECT_LE(rect.left, left - 1.0f);
    EXPECT_GE(rect.right, right + 1.0f);
    EXPECT_LE(rect.top, top - 1.0f);
    EXPECT_GE(rect.bottom, bottom + 1.0f);
    EXPECT_GT(rect.left, left - 3.0f);
    EXPECT_LT(rect.right, right + 3.0f);

    bounds.low.z = -98.0f;
    ASSERT_TRUE(ScreenRectOf(bounds, kEye, kAt, kUp, 800, 600, &rect));
    EXPECT_TRUE(rect.left == 0 && rect.top == 0 && rect.right == 800 && rect.bottom == 600);

    bounds.low = Vec(500, -5, -20);
    bounds.high = Vec(600, 5, 20);
    EXPECT_FALSE(ScreenRectOf(bounds, kEye, kAt, kUp, 800, 600, &rect));
    EXPECT_FALSE(ScreenRectOf(WorldBounds(), kEye, kAt, kUp, 800, 600, &rect));
}
