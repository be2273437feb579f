// The viewer's mouse camera: orbiting keeps the eye's distance from the
// model and the view's aim at it, stops short of overhead, and zooming moves
// along the line to the model within its limits.
#include "viewerorbit.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

const D3DXVECTOR3 pivot(0.0f, 50.0f, 0.0f);

// The sample's start-up camera: the eye above and behind, one unit to the target.
CameraView StartView()
{
    D3DXVECTOR3 eye(0.0f, 300.0f, -400.0f);
    D3DXVECTOR3 towards = pivot - eye;
    D3DXVec3Normalize(&towards, &towards);
    return {eye, eye + towards};
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    D3DXVECTOR3 d = a - b;
    return D3DXVec3Length(&d);
}

float Elevation(const CameraView& view)
{
    D3DXVECTOR3 offset = view.eye - pivot;
    return atan2f(offset.y, sqrtf(offset.x * offset.x + offset.z * offset.z));
}

// How far the view's line misses the pivot.
float Aim(const CameraView& view)
{
    D3DXVECTOR3 direction = view.target - view.eye, toPivot = pivot - view.eye, across;
    D3DXVec3Cross(&across, &direction, &toPivot);
    return D3DXVec3Length(&across) / D3DXVec3Length(&direction);
}

}  // namespace

TEST(ViewerOrbit, YawGoesRoundToTheLeftAndKeepsDistanceHeightAndAim)
{
    CameraView start = StartView();
    CameraView turned = Orbit(start, pivot, 0.5f, 0.0f);
    // Looking along +z, the eye's left is -x.
    EXPECT_LT(turned.eye.x, -100.0f);
    EXPECT_NEAR(start.eye.y, turned.eye.y, 1e-3f);
    EXPECT_NEAR(Distance(start.eye, pivot), Distance(turned.eye, pivot), 1e-2f);
    EXPECT_NEAR(1.0f, Distance(turned.eye, turned.target), 1e-4f);
    EXPECT_LT(Aim(turned), 1e-2f) << "still looking at the model";
    // Round and back again is where it started.
    CameraView back = Orbit(turned, pivot, -0.5f, 0.0f);
    EXPECT_NEAR(0.0f, Distance(start.eye, back.eye), 1e-2f);
}

TEST(ViewerOrbit, PitchRaisesTheEyeAndStopsShortOfOverhead)
{
    CameraView start = StartView();
    CameraView raised = Orbit(start, pivot, 0.0f, 0.3f);
    EXPECT_NEAR(Elevation(start) + 0.3f, Elevation(raised), 1e-3f);
    EXPECT_NEAR(Distance(start.eye, pivot), Distance(raised.eye, pivot), 1e-2f);
    EXPECT_LT(Aim(raised), 1e-2f);
    EXPECT_NEAR(0.0f, raised.eye.x, 1e-3f) << "a pitch alone stays in the eye's vertical plane";

    CameraView over = Orbit(start, pivot, 0.0f, 10.0f);
    EXPECT_NEAR(kOrbitMostElevation, Elevation(over), 1e-3f);
    CameraView under = Orbit(start, pivot, 0.0f, -10.0f);
    EXPECT_NEAR(-kOrbitMostElevation, Elevation(under), 1e-3f);
    EXPECT_LT(Aim(under), 1e-2f);
}

TEST(ViewerOrbit, ZoomMovesAlongTheLineToTheModelWithinItsLimits)
{
    CameraView start = StartView();
    float distance = Distance(start.eye, pivot);
    CameraView nearer = Zoom(start, pivot, 1.0f, 10.0f, 5000.0f);
    EXPECT_NEAR(distance * (1.0f - kZoomPerNotch), Distance(nearer.eye, pivot), 1e-2f);
    EXPECT_LT(Aim(nearer), 1e-2f);
    EXPECT_NEAR(0.0f, Distance(nearer.target - nearer.eye, start.target - start.eye), 1e-5f) << "same direction";
    CameraView farther = Zoom(start, pivot, -2.0f, 10.0f, 5000.0f);
    EXPECT_GT(Distance(farther.eye, pivot), distance);
    EXPECT_NEAR(10.0f, Distance(Zoom(start, pivot, 100.0f, 10.0f, 5000.0f).eye, pivot), 1e-3f);
    EXPECT_NEAR(600.0f, Distance(Zoom(start, pivot, -100.0f, 10.0f, 600.0f).eye, pivot), 1e-2f);
}

TEST(ViewerOrbit, MouseOrbitsOnlyWithTheLeftButtonAndZoomsByWheelNotches)
{
    CameraView start = StartView();
    CameraView idle = MouseCamera(start, pivot, false, 40, 40, 0, 10.0f, 5000.0f);
    EXPECT_EQ(start.eye, idle.eye) << "motion without the button moves nothing";
    CameraView dragged = MouseCamera(start, pivot, true, 100, 0, 0, 10.0f, 5000.0f);
    EXPECT_LT(dragged.eye.x, 0.0f) << "dragging right takes the eye left round the model";
    CameraView down = MouseCamera(start, pivot, true, 0, 50, 0, 10.0f, 5000.0f);
    EXPECT_GT(Elevation(down), Elevation(start)) << "dragging down raises the eye";
    CameraView wheeled = MouseCamera(start, pivot, false, 0, 0, 240, 10.0f, 5000.0f);
    EXPECT_EQ(Distance(Zoom(start, pivot, 2.0f, 10.0f, 5000.0f).eye, pivot), Distance(wheeled.eye, pivot))
        << "120 counts a notch";
}
