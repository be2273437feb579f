#include "meshes.h"

#include <gtest/gtest.h>

#include <math.h>

namespace {

// Scale, then rotation about an axis (x 0, y 1, z 2) by angle, then
// translation, for row vectors.
D3DXMATRIX World(D3DXVECTOR3 scale, int axis, float angle, D3DXVECTOR3 translation)
{
    const float c = cosf(angle), s = sinf(angle);
    float r[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    r[i][i] = c;
    r[i][j] = s;
    r[j][i] = -s;
    r[j][j] = c;
    const float k[3] = {scale.x, scale.y, scale.z};
    D3DXMATRIX m;
    float* rows[3] = {&m._11, &m._21, &m._31};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            rows[row][col] = k[row] * r[row][col];
        rows[row][3] = 0;
    }
    m._41 = translation.x;
    m._42 = translation.y;
    m._43 = translation.z;
    m._44 = 1;
    return m;
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    return Vec(p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
               p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43);
}

TEST(LightToModelSpace, GivesThePointTheWorldMatrixTakesToTheLight)
{
    const struct {
        const char* name;
        D3DXMATRIX world;
    } cases[] = {
        {"identity", World(Vec(1, 1, 1), 0, 0, Vec(0, 0, 0))},
        {"moved", World(Vec(1, 1, 1), 0, 0, Vec(10, -5, 3))},
        {"turned and scaled", World(Vec(2, 2, 2), 1, 0.5f, Vec(-4, 1, 20))},
        {"stretched", World(Vec(1, 3, 0.5f), 0, -1.2f, Vec(0, 7, 0))},
        {"mirrored", World(Vec(-1, 1, 1), 2, 2.0f, Vec(3, 3, 3))},
    };
    const D3DXVECTOR3 light = Vec(12, 40, -8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXVECTOR3 model = Vec(0, 0, 0);
        ASSERT_TRUE(LightToModelSpace(c.world, light, &model));
        const D3DXVECTOR3 back = Transform(model, c.world);
        EXPECT_NEAR(light.x, back.x, 1e-4f);
        EXPECT_NEAR(light.y, back.y, 1e-4f);
        EXPECT_NEAR(light.z, back.z, 1e-4f);
    }
}

TEST(LightToModelSpace, RefusesAMatrixWithNoInverse)
{
    const D3DXMATRIX flat = World(Vec(1, 0, 1), 1, 0.3f, Vec(1, 2, 3));
    D3DXMATRIX broken = World(Vec(1, 1, 1), 0, 0, Vec(0, 0, 0));
    broken._22 = NAN;
    for (const D3DXMATRIX& world : {flat, broken}) {
        D3DXVECTOR3 model = Vec(5, 6, 7);
        EXPECT_FALSE(LightToModelSpace(world, Vec(1, 1, 1), &model));
        EXPECT_EQ(5.0f, model.x);
        EXPECT_EQ(6.0f, model.y);
        EXPECT_EQ(7.0f, model.z);
    }
    EXPECT_FALSE(LightToModelSpace(World(Vec(1, 1, 1), 0, 0, Vec(0, 0, 0)), Vec(1, 1, 1), nullptr));
}

TEST(LightToModelSpace, AMovedModelCastsTheShadowOfWhereItStands)
{
    // A box at the model's origin, drawn 100 units along x under a light
    // straight above where it stands: the rim of its top is the silhouette.
    TestMesh box = Box(Vec(0, 0, 0), 1);
    const D3DXMATRIX world = World(Vec(1, 1, 1), 1, 0.7f, Vec(100, 0, 0));
    D3DXVECTOR3 light;
    ASSERT_TRUE(LightToModelSpace(world, Vec(100, 10, 0), &light));
    D3DXVECTOR3 volume[64];
    ASSERT_EQ(24u, BuildShadowVolume(box.View(), light, volume, 64));
    for (int q = 0; q < 24; q += 6) {
        EXPECT_EQ(1.0f, volume[q].y);
        EXPECT_EQ(1.0f, volume[q + 1].y);
    }
}

}  // namespace
