// Shadows wherever the camera goes: the stencil buffer of a frame against
// rays cast on the processor, with the eye outside every volume, inside one,
// inside two, and with the near plane cutting a volume; a light thousands of
// units away and a box placed by its world matrix; both ways of counting,
// both ways of drawing, and a device reset in between; and which volumes get caps.
#include "scene_fixture.h"
#include "shadow_raycast.h"

namespace {

const D3DXVECTOR3 kLight(-30.0f, 25.0f, 0.0f);
const D3DXVECTOR3 kBoxLo(-5.0f, 0.0f, -5.0f), kBoxHi(5.0f, 10.0f, 5.0f);

struct CameraCase {
    const char* name;
    D3DXVECTOR3 eye, at;
    bool sphereOverCamera;  // a sphere between the light and the eye: two volumes around it
    D3DXVECTOR3 light = kLight;
    float scale = 1.0f;  // of the whole scene: meshes, light, eye and target
};

const CameraCase kCases[] = {
    {"outside every volume", D3DXVECTOR3(0, 60, -80), D3DXVECTOR3(0, 0, 0), false},
    {"inside the box's volume", D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10), false},
    {"inside two volumes", D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10), true},
    {"near plane across a volume", D3DXVECTOR3(12, 3, 6.5f), D3DXVECTOR3(12, 0, -40), false},
    // A light thousands of units away, the eye looking along its rays: the
    // caps must start a hair past the box, not a thousandth of the light's
    // distance, or the shadow next to the box falls outside the volume.
    {"inside the box's volume, the light 19 500 units away", D3DXVECTOR3(6, 8, 0), D3DXVECTOR3(18, -2, 0), false,
     kLight * 500.0f},
    // The light 11 700 units from the box: the volumes end ten million units
    // away, where only a projection that never clips keeps the far caps that
    // the eye counts behind the shadowed ground.
    {"inside the box's volume, the scene 300 times as large", D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10), false,
     kLight, 300.0f},
};

}  // namespace

class ShadowCameraTest : public SceneTest {
protected:
    RayCastScene Scene(const CameraCase& c)
    {
        const float k = c.scale;
        RayCastScene scene;
        scene.meshes = {MakePlane(kPlaneHalf * k, 0.0f, 2), MakeBox(kBoxLo * k, kBoxHi * k),
                        c.sphereOverCamera ? MakeSphere(D3DXVECTOR3(-13.2f, 16.2f, 0) * k, 4 * k, 16, 8)
                                           : MakeSphere(D3DXVECTOR3(-20, 6, -25) * k, 5 * k, 16, 8)};
        scene.light = c.light * k;
        scene.eye = c.eye * k;
        scene.at = c.at * k;
        return scene;
    }

    // The box (the second mesh) is built boxOffset away from where the
    // scene has it, and its world matrix moves it back.
    void Show(const RayCastScene& scene, const D3DXVECTOR3& boxOffset = D3DXVECTOR3(0, 0, 0))
    {
        for (size_t i = 0; i < scene.meshes.size(); ++i) {
            MeshData mesh = scene.meshes[i];
            if (i == 1)
                for (D3DXVECTOR3& p : mesh.positions)
                    p += boxOffset;
            TestModel* model = AddModel(mesh, i == 0 ? "plane" : "caster");
            D3DXMATRIX back;
            D3DXMatrixTranslation(&back, -boxOffset.x, -boxOffset.y, -boxOffset.z);
            if (model && i == 1)
                model->SetMatrix(back);
        }
        ASSERT_EQ(S_OK, graphics->SetCamera(&scene.eye, &scene.at, &scene.up));
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        // In range of the whole scene, however far away and however large:
        // beyond its range a light casts nothing.
        D3DLIGHT9 light = PointLight(scene.light, kSceneLight, 1.0e6f);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    }

    using Comparison = StencilComparison;
    Comparison Compare(const RayCastPicture& expected, const std::vector<uint8_t>& stencil)
    {
        return CompareStencil(expected, stencil);
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
        EXPECT_EQ(0u, found.wrong) << "of " << found.shadowed << " shadowed and " << found.lit << " lit settled pixels";
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

// The reach test places a model by its world matrix: the box built 1000
// units away and moved back gets the stencil of the box built in place.
TEST_F(ShadowCameraTest, ReachFollowsTheWorldMatrix)
{
    const RayCastScene scene = Scene(kCases[1]);
    Show(scene, D3DXVECTOR3(1000.0f, 0.0f, 0.0f));
    Frame();
    const Comparison found = Compare(CastShadows(scene, 800, 600), Stencil());
    EXPECT_GT(found.shadowed, 2000u);
    EXPECT_EQ(0u, found.wrong) << "of " << found.shadowed + found.lit << " settled pixels";
}

// Caps only for volumes that may reach the eye: not for a box whose volume
// passes just beside the screen, but for the same box with the eye inside its
// volume. The box alone sizes the shadow buffer for its sides (six vertices
// per vertex); capped, its volume is two copies of its vertices, indexed,
// which fit there too.
TEST_F(ShadowCameraTest, CapsOnlyWhereTheVolumeMayReachTheEye)
{
    const D3DXVECTOR3 light(6.0f, 0.0f, -200.0f), half(0.3f, 0.3f, 0.3f), centre(5.5f, 0.0f, -147.5f);
    for (bool eyeInside : {false, true}) {
        SCOPED_TRACE(eyeInside ? "eye inside the volume" : "volume beside the screen");
        TearDown();
        SetUp();
        AddModel(MakeBox(centre - half, centre + half), "box");
        ASSERT_EQ(6u * 8u, Manager()->ShadowBufferCapacity());
        // Its volume meets the near plane 1.6 units right of the screen's
        // edge, or around the eye.
        const D3DXVECTOR3 eye(eyeInside ? 5.0f : 0.0f, 0.0f, -100.0f), at(eye.x, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
        ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        D3DLIGHT9 point = PointLight(light, kSceneLight);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &point));
        Frame();
        EXPECT_EQ(eyeInside ? 1u : 0u, Manager()->LastFrameStatistics().volumesCapped);
        EXPECT_EQ(6u * 8u, Manager()->ShadowBufferCapacity()) << "a box's sides, or its copies indexed, fit";
    }
}

// Capped volumes are drawn indexed over copies of their casters' vertices.
// A caster of more than 32 768 vertices needs 32-bit indices for its copies,
// which a device limited to 16-bit indices cannot draw: there the volume is
// written out vertex by vertex, and the frame is the same.
TEST_F(ShadowCameraTest, ADeviceWithSixteenBitIndicesDrawsTheSameCappedVolumes)
{
    struct Unlimit {
        ~Unlimit() { QLTest_SetMaxVertexIndex(0); }
    } unlimit;
    RayCastScene scene = Scene(kCases[2]);
    scene.meshes[2] = MakeSphere(D3DXVECTOR3(-13.2f, 16.2f, 0), 4, 200, 170);
    ASSERT_GT(scene.meshes[2].positions.size(), 0x8000u);
    ASSERT_LE(scene.meshes[2].positions.size(), 0x10000u);
    Show(scene);
    const Picture full = Frame();
    const std::vector<uint8_t> stencil = Stencil();
    const uint32_t capped = Manager()->LastFrameStatistics().volumesCapped;
    ASSERT_GE(capped, 2u) << "the sphere's volume and the box's, around the eye";

    QLTest_SetMaxVertexIndex(0xFFFF);
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    const Picture limited = Frame();
    EXPECT_EQ(capped, Manager()->LastFrameStatistics().volumesCapped);
    EXPECT_TRUE(Stencil() == stencil);
    EXPECT_TRUE(limited.pixels == full.pixels);
}
