// Where the viewer puts a model: its box's sphere at the view's centre and
// radius, whatever the model's size, position and base matrix.
#include "viewerframing.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

const D3DXVECTOR3 centre(0, 50, 0);
const float radius = 150;

D3DXVECTOR3 Apply(const D3DXMATRIX& m, const D3DXVECTOR3& p)
{
    D3DXVECTOR4 out;
    D3DXVec3Transform(&out, &p, &m);
    return D3DXVECTOR3(out.x, out.y, out.z);
}

void ExpectNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual, float tolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

}  // namespace

TEST(ViewerFraming, TinyAndHugeModelsFillTheSameSphere)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (float size : {0.01f, 3.0f, 25000.0f}) {
        SCOPED_TRACE(size);
        D3DXVECTOR3 low(1000, -size, 7), high(1000 + 2 * size, size, 7 + 2 * size);
        D3DXMATRIX world = FrameModel(low, high, identity, centre, radius);
        // Far from the origin a tiny box keeps few bits of its extent.
        const float tolerance = radius * 0.005f;
        ExpectNear(centre, Apply(world, (low + high) * 0.5f), tolerance);
        D3DXVECTOR3 corner = Apply(world, high) - centre;
        EXPECT_NEAR(radius, D3DXVec3Length(&corner), tolerance);
    }
}

TEST(ViewerFraming, TheBaseMatrixTurnsTheModelBeforeItIsFitted)
{
    // A tall thin box along z, stood up along y by the base matrix.
    D3DXVECTOR3 low(-1, -1, 0), high(1, 1, 100);
    D3DXMATRIX standUp;
    D3DXMatrixRotationX(&standUp, -1.5707964f);
    D3DXMATRIX world = FrameModel(low, high, standUp, centre, radius);
    D3DXVECTOR3 top = Apply(world, D3DXVECTOR3(0, 0, 100));
    D3DXVECTOR3 bottom = Apply(world, D3DXVECTOR3(0, 0, 0));
    EXPECT_GT(top.y - bottom.y, 250.0f) << "upright and nearly the sphere's height";
    EXPECT_NEAR(centre.y, (top.y + bottom.y) * 0.5f, 1e-2f);
}

TEST(ViewerFraming, AModelWithoutExtentIsOnlyMoved)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    // A single point, and the box of a model with no vertex at all.
    D3DXMATRIX point = FrameModel(D3DXVECTOR3(5, 5, 5), D3DXVECTOR3(5, 5, 5), identity, centre, radius);
    ExpectNear(centre, Apply(point, D3DXVECTOR3(5, 5, 5)), 1e-4f);
    EXPECT_FLOAT_EQ(1.0f, point._11);
    D3DXMATRIX none = FrameModel(D3DXVECTOR3(1e38f, 1e38f, 1e38f), D3DXVECTOR3(-1e38f, -1e38f, -1e38f), identity,
                                 centre, radius);
    for (int i = 0; i < 16; i++)
        EXPECT_TRUE(isfinite(none.m[i / 4][i % 4]));
    ExpectNear(centre, Apply(none, D3DXVECTOR3(0, 0, 0)), 1e-4f);
}
