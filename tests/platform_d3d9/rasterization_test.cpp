// Which pixels a primitive covers: Direct3D 9 samples at whole-number pixel
// coordinates with the top-left rule, for pretransformed and transformed
// vertices alike; wireframe and line lists.
#include "device_fixture.h"

#include <d3dx9.h>

namespace {

struct Point {
    double x, y;
};

// Direct3D 9's coverage: the sample at (x, y) is inside every edge, a sample
// exactly on an edge counting only for top and left edges (the same as
// nudging it by (e, e^2) with e vanishingly small).
bool Covers(const Point t[3], double x, double y)
{
    double area = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
    for (int i = 0; i < 3; ++i) {
        Point a = t[i], b = t[(i + 1) % 3];
        double dx = b.x - a.x, dy = b.y - a.y;
        // Positive inside whatever the winding.
        double sign = area > 0 ? 1.0 : -1.0;
        double e = sign * (dx * (y - a.y) - dy * (x - a.x));
        double ex = sign * -dy, ey = sign * dx;
        if (e < 0 || (e == 0 && (ex < 0 || (ex == 0 && ey <= 0))))
            return false;
    }
    return true;
}

struct TriangleCase {
    const char* name;
    Point vertices[3];
};

const TriangleCase kTriangles[] = {
    {"edges through pixel centres", {{2, 2}, {12, 2}, {2, 12}}},
    {"counter-clockwise", {{30, 30}, {30, 50}, {50, 40}}},
    {"thin sliver", {{5, 40}, {60, 41.5}, {5, 42}}},
    {"fractional corners", {{1.5, 20.25}, {20.75, 25.5}, {6.125, 38.875}}},
    {"shared diagonal", {{40, 4}, {60, 24}, {40, 24}}},
};

class CoverageTest : public DeviceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CoverageTest, TriangleCoversThePixelsOfDirect3DRules)
{
    bool transformed = GetParam();
    for (const TriangleCase& c : kTriangles) {
        SCOPED_TRACE(c.name);
        Clear(0xFF000000);
        if (transformed) {
            // Identity transforms: clip space is the D3D viewport mapping.
            struct V { float x, y, z; D3DCOLOR color; } v[3];
            for (int i = 0; i < 3; ++i)
                v[i] = V{(float)(c.vertices[i].x * 2 / kSize - 1), (float)(1 - c.vertices[i].y * 2 / kSize), 0.5f,
                         0xFFFFFFFF};
            Draw(v, 3, sizeof(V), D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPT_TRIANGLELIST);
        } else {
            std::vector<RhwVertex> v;
            for (const Point& p : c.vertices)
                v.push_back({(float)p.x, (float)p.y, 0.5f, 1.0f, 0xFFFFFFFF});
            DrawRhw(v);
        }
        std::vector<uint32_t> frame = Frame();
        int mismatches = 0;
        for (int y = 0; y < (int)kSize; ++y)
            for (int x = 0; x < (int)kSize; ++x) {
                bool expected = Covers(c.vertices, x, y);
                bool drawn = At(frame, x, y) == 0xFFFFFF;
                if (expected != drawn && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") expected " << expected;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Vertices, CoverageTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Transformed" : "Pretransformed";
                         });

TEST_F(DeviceTest, PretransformedQuadAtWholePixelsCoversExactlyItsRectangle)
{
    Clear(0xFF000000);
    DrawRect(10, 5, 20, 15, 0xFFFF0000);
    std::vector<uint32_t> frame = Frame();
    for (int y = 0; y < (int)kSize; ++y)
        for (int x = 0; x < (int)kSize; ++x) {
            bool inside = x >= 10 && x < 20 && y >= 5 && y < 15;
            ASSERT_EQ(At(frame, x, y), inside ? 0xFF0000u : 0u) << x << ", " << y;
        }
}

TEST_F(DeviceTest, WireframeDrawsTheEdgesOnly)
{
    Clear(0xFF000000);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    DrawRect(10, 10, 40, 40, 0xFF00FF00);
    std::vector<uint32_t> frame = Frame();
    EXPECT_EQ(At(frame, 25, 10), 0x00FF00u);  // top edge
    EXPECT_EQ(At(frame, 10, 25), 0x00FF00u);  // left edge
    EXPECT_EQ(At(frame, 20, 20), 0u);         // interior, off the diagonal
    EXPECT_EQ(At(frame, 33, 12), 0u);
    EXPECT_EQ(At(frame, 5, 5), 0u);
}

TEST_F(DeviceTest, LineListDrawsOneRowOfPixelsPerLine)
{
    Clear(0xFF000000);
    DrawRhw({{5, 10, 0, 1, 0xFFFFFFFF}, {30, 10, 0, 1, 0xFFFFFFFF}, {40, 5, 0, 1, 0xFF0000FF},
             {40, 30, 0, 1, 0xFF0000FF}},
            D3DPT_LINELIST);
    std::vector<uint32_t> frame = Frame();
    for (int x = 5; x < 30; ++x) {
        EXPECT_EQ(At(frame, x, 10), 0xFFFFFFu) << x;
        EXPECT_EQ(At(frame, x, 9), 0u) << x;
        EXPECT_EQ(At(frame, x, 11), 0u) << x;
    }
    for (int y = 5; y < 30; ++y)
        EXPECT_EQ(At(frame, 40, y), 0x0000FFu) << y;
    EXPECT_EQ(At(frame, 41, 20), 0u);
}

}  // namespace
