// Shadows wherever the camera goes: the stencil buffer of a frame against
// rays cast on the processor, with the eye outside every volume, inside one,
// inside two, and with the near plane cutting a volume; both ways of
// counting, both ways of drawing, and a device reset in between.
#include "scene_fixture.h"
#include "shadow_raycast.h"

namespace {

const D3DXVECTOR3 kLight(-30.0f, 25.0f, 0.0f);
const D3DXVECTOR3 kBoxLo(-5.0f, 0.0f, -5.0f), kBoxHi(5.0f, 10.0f, 5.0f);

struct CameraCase {
    const char* name;
    D3DXVECTOR3 eye, at;
    bool sphereOverCamera;  // a sphere between the light and the eye: two volumes around it
};

const CameraCase kCases[] = {
    {"outside every volume", D3DXVECTOR3(0, 60, -80), D3DXVECTOR3(0, 0, 0), false},
    {"inside the box's volume", D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10), false},
    {"inside two volumes", D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10), true},
    {"near plane across a volume", D3DXVECTOR3(12, 3, 6.5f), D3DXVECTOR3(12, 0, -40), false},
};

}  // namespace

class ShadowCameraTest : public SceneTest {
protected:
    RayCastScene Scene(const CameraCase& c)
    {
        RayCastScene scene;
        scene.meshes = {MakePlane(kPlaneHalf, 0.0f, 2), MakeBox(kBoxLo, kBoxHi),
                        c.sphereOverCamera ? MakeSphere(D3DXVECTOR3(-13.2f, 16.2f, 0), 4, 16, 8)
                                           : MakeSphere(D3DXVECTOR3(-20, 6, -25), 5, 16, 8)};
        scene.light = kLight;
        scene.eye = c.eye;
        scene.at = c.at;
        return scene;
    }

    void Show(const RayCastScene& scene)
    {
        for (size_t i = 0; i < scene.meshes.size(); ++i)
            AddModel(scene.meshes[i], i == 0 ? "plane" : "caster");
        ASSERT_EQ(S_OK, graphics->SetCamera(&scene.eye, &scene.at, &scene.up));
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        D3DLIGHT9 light = PointLight(scene.light, kSceneLight);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    }

    // Pixels (of every other row and column) that the ray casting settles,
    // and how many of them the stencil buffer gets wrong.
    struct Comparison {
        size_t shadowed = 0, lit = 0, wrong = 0;
    };
    Comparison Compare(const RayCastPicture& expected, const std::vector<uint8_t>& stencil)
    {
        Comparison result;
        for (uint32_t y = 0; y < expected.height; y += 2)
            for (uint32_t x = 0; x < expected.width; x += 2) {
                const size_t i = size_t(y) * expected.width + x;
                if (expected.labels[i] == kNothing || !expected.Settled(x, y, 2))
                    continue;
                const bool shadowed = expected.labels[i] == kShadowed;
                ++(shadowed ? result.shadowed : result.lit);
                if (shadowed != (stencil[i] != 0))
                    ++result.wrong;
            }
        return result;
    }
};

TEST_F(ShadowCameraTest, StencilMatchesRayCastingWhereverTheEyeIs)
{
    for (const CameraCase& c : kCases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const RayCastScene scene = Scene(c);
        Show(scene);
        Frame();
        const std::vector<uint8_t> stencil = Stencil();
        const RayCastPicture expected = CastShadows(scene, 800, 600);
        const Comparison found = Compare(expected, stencil);
        EXPECT_GT(found.shadowed, 2000u);
        EXPECT_GT(found.lit, 2000u);
        EXPECT_EQ(0u, found.wrong) << "of " << found.shadowed + found.lit << " settled pixels";
    }
}

// The eye inside volumes: one draw per volume with two-sided stencil, or two
// one-sided draws, give the same stencil buffer, and a device reset between
// frames changes nothing.
TEST_F(ShadowCameraTest, TwoSidedAndOneSidedDrawsAndResetsAgree)
{
    for (const CameraCase& c : {kCases[1], kCases[2], kCases[3]}) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Show(Scene(c));
        ASSERT_TRUE(Manager()->UsesTwoSidedStencil()) << "the stand-in reports two-sided stencil";
        Picture twoSidedPicture = Frame();
        const std::vector<uint8_t> twoSided = Stencil();
        ShadowVolumeOptions oneSided;
        oneSided.twoSidedStencil = false;
        Manager()->SetShadowVolumeOptions(oneSided);
        ASSERT_FALSE(Manager()->UsesTwoSidedStencil());
        Picture oneSidedPicture = Frame();
        EXPECT_TRUE(Stencil() == twoSided);
        EXPECT_TRUE(oneSidedPicture.pixels == twoSidedPicture.pixels);
        Manager()->SetShadowVolumeOptions(ShadowVolumeOptions());
        ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
        Picture afterReset = Frame();
        EXPECT_TRUE(Stencil() == twoSided) << "after a device reset";
        EXPECT_TRUE(afterReset.pixels == twoSidedPicture.pixels) << "after a device reset";
    }
}

// Counted in front of the scene, a volume around the eye is off by one
// everywhere: the frame the old way inverts the shadows the new way draws.
TEST_F(ShadowCameraTest, DepthPassAloneGetsTheEyeInsideWrong)
{
    const RayCastScene scene = Scene(kCases[1]);
    Show(scene);
    ShadowVolumeOptions plain;
    plain.capsWhereNeeded = false;
    Manager()->SetShadowVolumeOptions(plain);
    Frame();
    const Comparison found = Compare(CastShadows(scene, 800, 600), Stencil());
    EXPECT_GT(found.wrong, (found.shadowed + found.lit) / 2);
}
