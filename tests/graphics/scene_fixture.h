// A lit scene for the frame tests: a box standing on a plane under point
// lights, the camera above, and helpers to project world points to pixels
// and to compute where a box's shadow must fall on the plane.
#pragma once

#include "test_model.h"

#include "support/graphics_fixture.h"
#include "support/point_light.h"

#include <math.h>

#include <algorithm>

// The scenes' usual light: bright enough that lit and shadowed pixels differ
// clearly, dim enough that two lights together do not saturate.
constexpr float kSceneLight = 0.6f;

// A convex polygon on the plane y = 0, in x and z.
struct Hull {
    std::vector<D3DXVECTOR2> points;  // counter-clockwise

    // Positive inside: the distance to the nearest edge line.
    float Inside(const D3DXVECTOR2& p) const
    {
        float nearest = 1e30f;
        for (size_t i = 0; i < points.size(); ++i) {
            const D3DXVECTOR2& a = points[i];
            const D3DXVECTOR2& b = points[(i + 1) % points.size()];
            D3DXVECTOR2 edge = b - a;
            float length = sqrtf(edge.x * edge.x + edge.y * edge.y);
            float side = (edge.x * (p.y - a.y) - edge.y * (p.x - a.x)) / length;
            nearest = std::min(nearest, side);
        }
        return nearest;
    }
};

inline Hull ConvexHull(std::vector<D3DXVECTOR2> points)
{
    std::sort(points.begin(), points.end(),
              [](const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    auto cross = [](const D3DXVECTOR2& o, const D3DXVECTOR2& a, const D3DXVECTOR2& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<D3DXVECTOR2> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return Hull{hull};
}

// World-space corners of a box given in model space.
inline std::vector<D3DXVECTOR3> BoxCorners(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, const D3DXMATRIX& world)
{
    std::vector<D3DXVECTOR3> corners;
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 corner(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z), moved;
        D3DXVec3TransformCoord(&moved, &corner, &world);
        corners.push_back(moved);
    }
    return corners;
}

// Where the light's shadow of the corners falls on y = 0: each corner pushed
// along the ray from the light down to the plane.
inline Hull ShadowOnGround(const std::vector<D3DXVECTOR3>& corners, const D3DXVECTOR3& light)
{
    std::vector<D3DXVECTOR2> ground;
    for (const D3DXVECTOR3& c : corners) {
        float t = light.y / (light.y - c.y);
        ground.push_back(D3DXVECTOR2(light.x + (c.x - light.x) * t, light.z + (c.z - light.z) * t));
    }
    return ConvexHull(ground);
}

class SceneTest : public GraphicsTest {
protected:
    const D3DXVECTOR3 cameraEye{0.0f, 60.0f, -80.0f};
    const D3DXVECTOR3 cameraAt{0.0f, 0.0f, 0.0f};
    static constexpr D3DCOLOR kAmbient = 0x00303030;
    static constexpr float kPlaneHalf = 60.0f;

    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(S_OK, StartDevice());
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        ASSERT_EQ(S_OK, graphics->SetCamera(&cameraEye, &cameraAt, &up));
        ASSERT_EQ(S_OK, graphics->SetLightning(true, kAmbient));
    }

    void TearDown() override
    {
        DrawShadowVolume = AmbientOnly = DrawPossibleSilhouette = false;
        for (TestModel* model : models)
            model->Release();
        models.clear();
        GraphicsTest::TearDown();
    }

    TestModel* AddModel(const MeshData& mesh, const char* name)
    {
        TestModel* model = nullptr;
        EXPECT_EQ(S_OK, TestModel::Create(graphics, mesh, name, &model));
        if (model)
            models.push_back(model);
        return model;
    }

    void AddPlane() { AddModel(MakePlane(kPlaneHalf, 0.0f, 24), "plane"); }

    std::vector<uint8_t> Stencil()
    {
        std::vector<uint8_t> stencil;
        uint32_t width = 0, height = 0;
        EXPECT_TRUE(QLTest_ReadStencilBuffer(&stencil, &width, &height));
        return stencil;
    }

    // The pixel a world point lands on, with the engine's projection.
    D3DXVECTOR2 Project(const D3DXVECTOR3& point, uint32_t width, uint32_t height) const
    {
        D3DXMATRIX view, projection, both;
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &cameraEye, &cameraAt, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 4.0f / 3.0f, 5.0f, 10000.0f);
        D3DXMatrixMultiply(&both, &view, &projection);
        D3DXVECTOR3 clip;
        D3DXVec3TransformCoord(&clip, &point, &both);
        return D3DXVECTOR2((clip.x + 1.0f) * 0.5f * float(width), (1.0f - clip.y) * 0.5f * float(height));
    }

    // Plane points well inside and well outside a shadow, seen on screen
    // away from the box that casts it.
    struct Samples {
        std::vector<D3DXVECTOR2> shadowed, lit;  // pixel positions
        std::vector<D3DXVECTOR2> shadowedGround;  // x and z of each shadowed sample
    };
    Samples Classify(const Hull& shadow, const std::vector<D3DXVECTOR3>& caster, uint32_t width,
                     uint32_t height) const
    {
        float left = 1e30f, right = -1e30f, top = 1e30f, bottom = -1e30f;
        for (const D3DXVECTOR3& corner : caster) {
            D3DXVECTOR2 p = Project(corner, width, height);
            left = std::min(left, p.x), right = std::max(right, p.x);
            top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        }
        Samples samples;
        const float margin = 1.2f;
        for (float z = -kPlaneHalf + 2.0f; z < kPlaneHalf - 2.0f; z += 1.5f)
            for (float x = -kPlaneHalf + 2.0f; x < kPlaneHalf - 2.0f; x += 1.5f) {
                D3DXVECTOR2 pixel = Project(D3DXVECTOR3(x, 0.0f, z), width, height);
                if (pixel.x < 1 || pixel.y < 1 || pixel.x >= float(width) - 1 || pixel.y >= float(height) - 1)
                    continue;
                if (pixel.x > left - 4 && pixel.x < right + 4 && pixel.y > top - 4 && pixel.y < bottom + 4)
                    continue;
                float inside = shadow.Inside(D3DXVECTOR2(x, z));
                if (inside > margin) {
                    samples.shadowed.push_back(pixel);
                    samples.shadowedGround.push_back(D3DXVECTOR2(x, z));
                }
                else if (inside < -margin)
                    samples.lit.push_back(pixel);
            }
        return samples;
    }

    static uint32_t PixelAt(const Picture& picture, const D3DXVECTOR2& p)
    {
        return picture.At(int(p.x), int(p.y));
    }

    // How many of the points differ by more than a rounding step between a and b.
    static int CountDiffering(const std::vector<D3DXVECTOR2>& points, const Picture& a, const Picture& b)
    {
        return int(std::count_if(points.begin(), points.end(),
                                 [&](const D3DXVECTOR2& p) { return ColourDistance(PixelAt(a, p), PixelAt(b, p)) > 3; }));
    }

    // How many of the points `lit` shows without the light's clear addition
    // (15 steps of green) over `ambient`.
    static int CountUnlit(const std::vector<D3DXVECTOR2>& points, const Picture& lit, const Picture& ambient)
    {
        return int(std::count_if(points.begin(), points.end(), [&](const D3DXVECTOR2& p) {
            return Channel(PixelAt(lit, p), 8) < Channel(PixelAt(ambient, p), 8) + 15;
        }));
    }

    std::vector<TestModel*> models;
};
