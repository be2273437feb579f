// The committed park drawn headless as the sample starts: the fountain at
// the centre must throw a visible stencil shadow away from a point light;
// culling leaves its frames and the big park's, under four lamps, alone.
#include "scene_file_fixture.h"

#include "support/lit_view.h"
#include "support/source_data.h"

#include "graphics/qlgraphics.h"


namespace {

// Mean of r + g + b over a square of pixels around a point.
double Brightness(const std::vector<uint32_t>& pixels, uint32_t width, uint32_t height, const D3DXVECTOR2& at)
{
    double sum = 0;
    int count = 0;
    for (int dy = -3; dy <= 3; dy++)
        for (int dx = -3; dx <= 3; dx++) {
            int x = (int)at.x + dx, y = (int)at.y + dy;
            if (x < 0 || y < 0 || x >= (int)width || y >= (int)height)
                continue;
            uint32_t p = pixels[(size_t)y * width + x];
            sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            count++;
        }
    return count ? sum / count : 0;
}

class ParkRender : public SceneFileTest {
protected:
    void SetUp() override
    {
        SceneFileTest::SetUp();
        // The park names its textures bare; the manager finds them under ./data/.
        ASSERT_NO_FATAL_FAILURE(LinkSourceData());
        ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
        ASSERT_EQ(S_OK, Create("3ds", "./data/park.3ds")) << NewLog();

        D3DXVECTOR3 eye(0, 300, -400), at(0, 50, 0), up(0, 1, 0);
        ASSERT_NO_FATAL_FAILURE(
            LightView(graphics, eye, at, D3DCOLOR_XRGB(60, 60, 60), D3DXVECTOR3(150, 150, 0), 2000.0f));
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 5.0f, 10000.0f);
    }

    // Where a world point lands in the presented frame.
    D3DXVECTOR2 Pixel(const D3DXVECTOR3& point, uint32_t width, uint32_t height) const
    {
        D3DXVECTOR4 clip;
        D3DXMATRIX viewProjection;
        D3DXMatrixMultiply(&viewProjection, &view, &projection);
        D3DXVECTOR4 homogeneous(point.x, point.y, point.z, 1);
        D3DXVec4Transform(&clip, &homogeneous, &viewProjection);
        return D3DXVECTOR2((clip.x / clip.w + 1) * 0.5f * width, (1 - clip.y / clip.w) * 0.5f * height);
    }

    // The current view drawn with culling off, then on: its frames and
    // statistics in that order. Culling is left on.
    void RenderWithoutAndWithCulling(std::vector<uint32_t> frames[2], FrameStatistics statistics[2])
    {
        QLGraphics* manager = static_cast<QLGraphics*>(graphics);
        uint32_t width = 0, height = 0;
        for (int culling = 0; culling < 2; ++culling) {
            manager->SetCulling(culling != 0);
            ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f)) << NewLog();
            ASSERT_TRUE(QLTest_ReadPresentedFrame(&frames[culling], &width, &height));
            statistics[culling] = manager->LastFrameStatistics();
        }
    }

    D3DXMATRIX view, projection;
};

}  // namespace

TEST_F(ParkRender, FountainShadowFallsAwayFromTheLight)
{
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f)) << NewLog();
    std::vector<uint32_t> shadowed;
    uint32_t width = 0, height = 0;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&shadowed, &width, &height));

    // The light stands east of the fountain: its bowl and column shade the
    // lawn just west of the basin; the lawn as far east is in full light.
    D3DXVECTOR2 west = Pixel(D3DXVECTOR3(-50, 0, 0), width, height);
    D3DXVECTOR2 east = Pixel(D3DXVECTOR3(50, 0, 0), width, height);
    double inShadow = Brightness(shadowed, width, height, west);
    double inLight = Brightness(shadowed, width, height, east);
    EXPECT_GT(inLight, 60.0) << "the lit lawn is not black";
    EXPECT_LT(inShadow, 0.6 * inLight);

    // Without shadows the same west lawn is lit: the darkness was the shadow.
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(false));
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    std::vector<uint32_t> plain;
    ASSERT_TRUE(QLTest_ReadPresentedFrame(&plain, &width, &height));
    EXPECT_GT(Brightness(plain, width, height, west), 1.4 * inShadow);
}

// The sample's start-up view and light, and a view from inside the park:
// culling leaves out what is behind and beside the camera, caps only the
// volumes near the eye, and the frame stays the same.
TEST_F(ParkRender, CullingChangesNoPixel)
{
    const D3DXVECTOR3 sampleLight(0, 150, 150), lamp(80.4f, 52, 33.3f);
    const struct {
        const char* name;
        D3DXVECTOR3 eye, at;
        bool culls;  // some object is out of view
        bool shadows;
        D3DXVECTOR3 light;
        float range;
    } views[] = {
        {"start-up", D3DXVECTOR3(0, 300, -400), D3DXVECTOR3(0, 50, 0), false, true, sampleLight, 1000.0f},
        {"in the fountain's shadow", D3DXVECTOR3(0, 12, -32), D3DXVECTOR3(0, 0, -150), true, true, sampleLight,
         1000.0f},
        {"over a lawn", D3DXVECTOR3(-200, 40, 100), D3DXVECTOR3(-300, 0, 250), true, true, sampleLight, 1000.0f},
        {"over a lawn, standard lighting", D3DXVECTOR3(-200, 40, 100), D3DXVECTOR3(-300, 0, 250), true, false,
         sampleLight, 1000.0f},
        // A street lamp's range over a lamp post: most objects neither lit nor casting.
        {"start-up, lamp light", D3DXVECTOR3(0, 300, -400), D3DXVECTOR3(0, 50, 0), false, true, lamp, 120.0f},
    };
    const D3DXVECTOR3 up(0, 1, 0);
    for (const auto& v : views) {
        SCOPED_TRACE(v.name);
        ASSERT_TRUE(SUCCEEDED(graphics->SetStencilShadow(v.shadows)));
        D3DLIGHT9 light = PointLight(v.light, 0.7f, v.range);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
        ASSERT_EQ(S_OK, graphics->SetCamera(&v.eye, &v.at, &up));
        std::vector<uint32_t> frames[2];
        FrameStatistics statistics[2];
        ASSERT_NO_FATAL_FAILURE(RenderWithoutAndWithCulling(frames, statistics));
        size_t different = 0;
        for (size_t i = 0; i < frames[0].size(); ++i)
            different += frames[0][i] != frames[1][i] ? 1 : 0;
        EXPECT_EQ(0u, different);
        EXPECT_GT(statistics[1].objectsInScene, 30u) << "the park's objects";
        EXPECT_EQ(statistics[0].objectsInScene, statistics[0].objectsDrawn);
        if (v.culls) {
            EXPECT_LT(statistics[1].objectsDrawn, statistics[1].objectsInScene / 2);
        }
        EXPECT_LE(statistics[1].volumesCapped, statistics[0].volumesCapped);
        EXPECT_LE(statistics[1].volumesDrawn, statistics[0].volumesDrawn);
        if (v.range < 1000.0f) {
            EXPECT_LE(statistics[1].volumesDrawn, statistics[0].volumesDrawn / 2);
        }
    }
}

// The big park (parkgen --big, written at build time) under the four street
// lamps round the fountain, as parkgen --lamps 4 places them: over a
// hundred thousand triangles in 32-bit index buffers, each lamp's range
// and scissor its own. Seen from above the park and by a walker between
// the trees, the frames with culling on and off are the same.
TEST_F(ParkRender, BigParkUnderFourLampsCullingChangesNoPixel)
{
    const char* file = getenv("QL_BIGPARK_FILE");
    ASSERT_NE(nullptr, file) << "the build writes the big park and names it in QL_BIGPARK_FILE";
    // In place of the committed park.
    for (IGeometry* model : factoryModels)
        model->Release();
    factoryModels.clear();
    ASSERT_EQ(S_OK, Create("3ds", file)) << NewLog();
    const D3DXVECTOR3 lamps[4] = {
        {77.6f, 72.0f, 32.1f}, {32.1f, 72.0f, 77.6f}, {-32.1f, 72.0f, 77.6f}, {-77.6f, 72.0f, 32.1f}};
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    for (DWORD l = 0; l < 4; ++l) {
        D3DLIGHT9 light = PointLight(lamps[l], 0.5f, 120.0f);
        ASSERT_EQ(S_OK, graphics->SetLight(l, true, &light));
    }
    const struct {
        const char* name;
        D3DXVECTOR3 eye, at;
    } views[] = {
        {"above the park", D3DXVECTOR3(0, 300, -400), D3DXVECTOR3(0, 50, 0)},
        // At eye height on the lawn east of the avenue, short of the
        // fountain, looking past the lamps.
        {"walking between the trees", D3DXVECTOR3(45, 18, -100), D3DXVECTOR3(20, 14, 0)},
    };
    const D3DXVECTOR3 up(0, 1, 0);
    for (const auto& v : views) {
        SCOPED_TRACE(v.name);
        ASSERT_EQ(S_OK, graphics->SetCamera(&v.eye, &v.at, &up));
        std::vector<uint32_t> frames[2];
        FrameStatistics statistics[2];
        ASSERT_NO_FATAL_FAILURE(RenderWithoutAndWithCulling(frames, statistics));
        size_t different = 0, lit = 0;
        for (size_t i = 0; i < frames[0].size(); ++i) {
            different += frames[0][i] != frames[1][i] ? 1 : 0;
            // Green well above the ambient lawn's: grass under a lamp.
            lit += ((frames[1][i] >> 8) & 0xFF) > 120 ? 1 : 0;
        }
        EXPECT_EQ(0u, different) << "pixels changed by culling";
        EXPECT_GT(lit, 2000u) << "the lamps light the lawns";
        EXPECT_GT(statistics[1].objectsInScene, 150u) << "the big park's objects";
        EXPECT_LT(statistics[1].volumesDrawn, statistics[0].volumesDrawn / 4) << "only what the lamps reach casts";
        EXPECT_LE(statistics[1].objectsDrawn, statistics[0].objectsDrawn);
    }
}
