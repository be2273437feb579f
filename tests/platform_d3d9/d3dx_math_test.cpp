// D3DX math against the published formulas, and vertex sizes of flexible
// vertex formats.
#include <d3dx9.h>
#include <gtest/gtest.h>

#include <math.h>

namespace {

// The address of a temporary, for the D3DX calls that take pointers.
template <typename T>
const T* Ptr(const T& value)
{
    return &value;
}

void ExpectMatrix(const D3DXMATRIX& actual, const float expected[16], float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR((&actual._11)[i], expected[i], tolerance) << "element " << i / 4 + 1 << i % 4 + 1;
}

TEST(D3DXMatrix, PerspectiveFovLHMapsNearToZeroAndFarToW)
{
    D3DXMATRIX m;
    D3DXMatrixPerspectiveFovLH(&m, D3DX_PI / 4, 4.0f / 3.0f, 1.0f, 100.0f);
    const float expected[16] = {1.81066f, 0, 0, 0, 0, 2.41421f, 0, 0, 0, 0, 1.01010f, 1, 0, 0, -1.01010f, 0};
    ExpectMatrix(m, expected);
    D3DXVECTOR4 nearPoint, farPoint;
    D3DXVec3Transform(&nearPoint, Ptr(D3DXVECTOR3(0, 0, 1)), &m);
    D3DXVec3Transform(&farPoint, Ptr(D3DXVECTOR3(0, 0, 100)), &m);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-6);
}

TEST(D3DXMatrix, LookAtLHPutsTheEyeAtTheOriginLookingDownZ)
{
    D3DXVECTOR3 eye(0, 300, -400), at(0, 50, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXVECTOR3 e, a;
    D3DXVec3TransformCoord(&e, &eye, &view);
    D3DXVec3TransformCoord(&a, &at, &view);
    EXPECT_NEAR(e.x, 0, 1e-3);
    EXPECT_NEAR(e.y, 0, 1e-3);
    EXPECT_NEAR(e.z, 0, 1e-3);
    EXPECT_NEAR(a.x, 0, 1e-3);
    EXPECT_NEAR(a.y, 0, 1e-3);
    EXPECT_NEAR(a.z, sqrtf(250 * 250 + 400 * 400), 1e-2);
    // x = normalize(up x z), y = z x x, in the columns.
    D3DXVECTOR3 z = at - eye, x, y;
    D3DXVec3Normalize(&z, &z);
    D3DXVec3Cross(&x, &up, &z);
    D3DXVec3Normalize(&x, &x);
    D3DXVec3Cross(&y, &z, &x);
    const float expected[16] = {x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0,
                                -D3DXVec3Dot(&x, &eye), -D3DXVec3Dot(&y, &eye), -D3DXVec3Dot(&z, &eye), 1};
    ExpectMatrix(view, expected, 1e-3f);
}

TEST(D3DXMatrix, RotationsFollowThePublishedRowsAndAgreeWithRotationAxis)
{
    const float a = 0.7f, c = cosf(a), s = sinf(a);
    D3DXMATRIX m, axis;
    D3DXMatrixRotationX(&m, a);
    const float rx[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    ExpectMatrix(m, rx);
    D3DXMatrixRotationAxis(&axis, Ptr(D3DXVECTOR3(2, 0, 0)), a);
    ExpectMatrix(axis, rx);
    D3DXMatrixRotationY(&m, a);
    const float ry[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    ExpectMatrix(m, ry);
    D3DXMatrixRotationAxis(&axis, Ptr(D3DXVECTOR3(0, 3, 0)), a);
    ExpectMatrix(axis, ry);
    D3DXMatrixRotationZ(&m, a);
    const float rz[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    ExpectMatrix(m, rz);
    D3DXMatrixRotationAxis(&axis, Ptr(D3DXVECTOR3(0, 0, 0.5f)), a);
    ExpectMatrix(axis, rz);
}

TEST(D3DXMatrix, MultiplyIsFirstThenSecondForRowVectors)
{
    D3DXMATRIX scale, move, both;
    D3DXMatrixScaling(&scale, 2, 3, 4);
    D3DXMatrixTranslation(&move, 10, 20, 30);
    D3DXMatrixMultiply(&both, &scale, &move);
    D3DXVECTOR4 p;
    D3DXVec3Transform(&p, Ptr(D3DXVECTOR3(1, 1, 1)), &both);
    EXPECT_FLOAT_EQ(p.x, 12);
    EXPECT_FLOAT_EQ(p.y, 23);
    EXPECT_FLOAT_EQ(p.z, 34);
    EXPECT_FLOAT_EQ(p.w, 1);
    // Aliasing the output with an input is allowed.
    D3DXMatrixMultiply(&scale, &scale, &move);
    EXPECT_TRUE(scale == both);
    D3DXMATRIX inverse, identity;
    ASSERT_NE(D3DXMatrixInverse(&inverse, nullptr, &both), nullptr);
    D3DXMatrixIdentity(&identity);
    ExpectMatrix(inverse * both, &identity._11);
}

TEST(D3DXVector, NormalizeAndTransforms)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, Ptr(D3DXVECTOR3(3, 0, 4)));
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);
    D3DXVec3Normalize(&v, Ptr(D3DXVECTOR3(0, 0, 0)));
    EXPECT_EQ(v, D3DXVECTOR3(0, 0, 0));
    D3DXVECTOR4 q;
    D3DXVec4Normalize(&q, Ptr(D3DXVECTOR4(0, 0, 0, 0)));
    EXPECT_EQ(q, D3DXVECTOR4(0, 0, 0, 0));
    D3DXVec4Normalize(&q, Ptr(D3DXVECTOR4(1, 1, 1, 1)));
    EXPECT_FLOAT_EQ(q.w, 0.5f);

    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 5, 6, 7);
    D3DXVec3TransformNormal(&v, Ptr(D3DXVECTOR3(1, 2, 3)), &m);  // directions ignore translation
    EXPECT_EQ(v, D3DXVECTOR3(1, 2, 3));
    D3DXVec4Transform(&q, Ptr(D3DXVECTOR4(1, 2, 3, 2)), &m);  // no divide by w
    EXPECT_EQ(q, D3DXVECTOR4(11, 14, 17, 2));
}

TEST(D3DXQuaternion, MultiplyComposesFirstThenSecond)
{
    D3DXQUATERNION i(1, 0, 0, 0), j(0, 1, 0, 0), out;
    D3DXQuaternionMultiply(&out, &i, &j);  // j·i = -k
    EXPECT_EQ(out, D3DXQUATERNION(0, 0, -1, 0));
    // Rotating about x then about y equals the matrix product in that order.
    D3DXQUATERNION qx, qy, q;
    D3DXQuaternionRotationAxis(&qx, Ptr(D3DXVECTOR3(1, 0, 0)), 0.4f);
    D3DXQuaternionRotationAxis(&qy, Ptr(D3DXVECTOR3(0, 1, 0)), 1.1f);
    D3DXQuaternionMultiply(&q, &qx, &qy);
    D3DXMATRIX mx, my, fromQuaternion;
    D3DXMatrixRotationX(&mx, 0.4f);
    D3DXMatrixRotationY(&my, 1.1f);
    D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
    D3DXMATRIX product = mx * my;
    ExpectMatrix(fromQuaternion, &product._11);
}

TEST(D3DXQuaternion, SlerpTakesTheShorterArc)
{
    D3DXQUATERNION a, b, out;
    D3DXQuaternionRotationAxis(&a, Ptr(D3DXVECTOR3(0, 0, 1)), 0.2f);
    D3DXQuaternionRotationAxis(&b, Ptr(D3DXVECTOR3(0, 0, 1)), 1.0f);
    D3DXQuaternionSlerp(&out, &a, &b, 0.5f);
    EXPECT_NEAR(out.z, sinf(0.3f), 1e-5);
    EXPECT_NEAR(out.w, cosf(0.3f), 1e-5);
    // -b is the same rotation: the result must not go the long way round.
    D3DXQUATERNION negated(-b.x, -b.y, -b.z, -b.w);
    D3DXQuaternionSlerp(&out, &a, &negated, 0.5f);
    EXPECT_NEAR(fabsf(out.z), sinf(0.3f), 1e-5);
    EXPECT_NEAR(fabsf(out.w), cosf(0.3f), 1e-5);
    D3DXQuaternionSlerp(&out, &a, &b, 0.0f);
    EXPECT_NEAR(out.w, a.w, 1e-6);
    D3DXQuaternionSlerp(&out, &a, &a, 0.5f);  // identical inputs: no division by zero
    EXPECT_NEAR(out.w, a.w, 1e-6);
}

TEST(D3DXGetFVFVertexSize, SumsTheDeclaredElements)
{
    const struct {
        DWORD fvf;
        UINT size;
    } cases[] = {
        {D3DFVF_XYZ, 12},
        {D3DFVF_XYZ | D3DFVF_NORMAL, 24},
        {D3DFVF_XYZ | D3DFVF_DIFFUSE, 16},
        {D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1, 24},
        {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28},
        {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32},
        {D3DFVF_XYZB2 | D3DFVF_SPECULAR, 24},
        {D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1), 32},
        {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0), 16},
        {0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(D3DXGetFVFVertexSize(c.fvf), c.size) << std::hex << c.fvf;
}

}  // namespace
