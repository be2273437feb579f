// Culling leaves the picture alone: scenes drawn as one model of several
// objects, with culling on and off, give the same frame, while the frame
// statistics show what culling left out; shadows are decided object by
// object and still match rays cast on the processor.
#include "scene_fixture.h"
#include "shadow_raycast.h"

#include "graphics/qlgraphics.h"

#include <utility>

namespace {

const D3DXVECTOR3 kLight(-30.0f, 25.0f, 0.0f);

MeshData Cube(const D3DXVECTOR3& low, const D3DXVECTOR3& high)
{
    return MakeBox(low, high);
}

// World-space meshes seen from `eye` towards `at`, lit from `light`.
RayCastScene Scene(std::vector<MeshData> meshes, const D3DXVECTOR3& light, const D3DXVECTOR3& eye,
                   const D3DXVECTOR3& at)
{
    RayCastScene scene;
    scene.meshes = std::move(meshes);
    scene.light = light;
    scene.eye = eye;
    scene.at = at;
    return scene;
}

}  // namespace

class CullingTest : public SceneTest {
protected:
    void TearDown() override
    {
        Manager()->SetCulling(true);
        SceneTest::TearDown();
    }

    // The scene's meshes as the parts of one model, lit by one point light.
    void Show(const RayCastScene& scene, float range)
    {
        TestModel* model = nullptr;
        ASSERT_EQ(S_OK, TestModel::CreateParts(graphics, scene.meshes, "scene", &model));
        models.push_back(model);
        ASSERT_EQ(S_OK, graphics->SetCamera(&scene.eye, &scene.at, &scene.up));
        ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
        D3DLIGHT9 light = PointLight(scene.light, kSceneLight, range);
        ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    }

    // Frames with culling off and on must be equal, pixel for pixel.
    struct Statistics {
        FrameStatistics whole, culled;
    };
    Statistics ExpectSameFrames(Picture* culledPicture = nullptr)
    {
        Statistics found;
        Manager()->SetCulling(false);
        const Picture whole = Frame();
        found.whole = Manager()->LastFrameStatistics();
        Manager()->SetCulling(true);
        const Picture culled = Frame();
        found.culled = Manager()->LastFrameStatistics();
        size_t different = 0;
        for (size_t i = 0; i < whole.pixels.size() && i < culled.pixels.size(); ++i)
            different += whole.pixels[i] != culled.pixels[i] ? 1 : 0;
        EXPECT_EQ(whole.pixels.size(), culled.pixels.size());
        EXPECT_EQ(0u, different) << "pixels changed by culling";
        if (culledPicture)
            *culledPicture = culled;
        return found;
    }

    void ExpectStencilMatchesRays(const RayCastScene& scene)
    {
        const StencilComparison found = CompareStencil(CastShadows(scene, 800, 600), Stencil());
        EXPECT_GT(found.shadowed, 2000u);
        EXPECT_GT(found.lit, 2000u);
        EXPECT_EQ(0u, found.wrong) << "of " << found.shadowed << " shadowed and " << found.lit << " lit settled pixels";
    }

    // The scene shown: culling changes no pixel, and the shadows of the
    // culled frame match the rays.
    Statistics ShowAndExpectCullingKeepsTheShadows(const RayCastScene& scene, float range)
    {
        Show(scene, range);
        const Statistics found = ExpectSameFrames();
        ExpectStencilMatchesRays(scene);
        return found;
    }
};

// The eye inside the box's volume, just above the plane: those two objects
// are capped, the sphere far from the eye is counted in front of the scene,
// and the stencil is right everywhere. Decided for the whole model, as it
// once was, every object is capped.
TEST_F(CullingTest, OnlyTheObjectsWhoseVolumesMayReachTheEyeAreCapped)
{
    const RayCastScene scene = Scene({MakePlane(kPlaneHalf, 0.0f, 2),
                                      Cube(D3DXVECTOR3(-5, 0, -5), D3DXVECTOR3(5, 10, 5)),
                                      MakeSphere(D3DXVECTOR3(-20, 6, -25), 5, 16, 8)},
                                     kLight, D3DXVECTOR3(12, 3, 0), D3DXVECTOR3(50, 0, 10));
    const Statistics found = ShowAndExpectCullingKeepsTheShadows(scene, 1.0e6f);
    EXPECT_EQ(2u, found.culled.volumesCapped);
    EXPECT_EQ(2u, found.whole.volumesCapped);
    EXPECT_EQ(3u, found.whole.volumesDrawn);

    ShadowVolumeOptions wholeModel;
    wholeModel.capsPerObject = false;
    Manager()->SetShadowVolumeOptions(wholeModel);
    Manager()->SetCulling(false);
    Frame();
    ExpectStencilMatchesRays(scene);
    EXPECT_EQ(3u, Manager()->LastFrameStatistics().volumesCapped);
    EXPECT_EQ(3u, Manager()->LastFrameStatistics().volumesDrawn);
    Manager()->SetShadowVolumeOptions(ShadowVolumeOptions());
}

// A caster behind the camera is not drawn, but its shadow, falling forward
// into the view, still is.
TEST_F(CullingTest, ACasterBehindTheCameraStillShadowsWhatIsInView)
{
    const RayCastScene scene = Scene({MakePlane(kPlaneHalf * 2, 0.0f, 8),
                                      Cube(D3DXVECTOR3(-6, 0, -75), D3DXVECTOR3(6, 12, -68))},
                                     D3DXVECTOR3(0, 16, -110), D3DXVECTOR3(0, 20, -60), D3DXVECTOR3(0, 0, 20));
    const Statistics found = ShowAndExpectCullingKeepsTheShadows(scene, 1.0e6f);
    EXPECT_EQ(2u, found.culled.objectsInScene);
    EXPECT_EQ(1u, found.culled.objectsDrawn);
    EXPECT_EQ(2u, found.whole.objectsDrawn);
    EXPECT_EQ(2u, found.culled.volumesDrawn);
    ASSERT_FALSE(models[0]->partsDrawn.empty());
    EXPECT_EQ((std::vector<bool>{true, false}), models[0]->partsDrawn.back());
}

// Objects out of view and a box just beyond the light's range: none of them
// is drawn or casts, and the frame is the same. The plane is fine enough
// and the box in range small enough that their lit triangles end close to
// the range.
TEST_F(CullingTest, ObjectsOutOfViewAndBeyondTheRangeChangeNothing)
{
    const RayCastScene scene = Scene({MakePlane(kPlaneHalf, 0.0f, 48),
                                      Cube(D3DXVECTOR3(-5, 0, 50), D3DXVECTOR3(5, 10, 60)),
                                      Cube(D3DXVECTOR3(-2, 0, -2), D3DXVECTOR3(2, 4, 2)),
                                      Cube(D3DXVECTOR3(300, 0, 0), D3DXVECTOR3(310, 10, 10))},
                                     D3DXVECTOR3(0, 15, 0), cameraEye, cameraAt);
    Show(scene, 40.0f);
    const Statistics found = ExpectSameFrames();
    EXPECT_EQ(4u, found.whole.volumesDrawn);
    EXPECT_EQ(2u, found.culled.volumesDrawn) << "the plane and the box in range";
    EXPECT_EQ(3u, found.culled.objectsDrawn);
}

// Lighting is per vertex: a plane of two by two cells, its middle vertex
// within a small range, is lit across its four triangles, far beyond the
// range's sphere. The scissor must not cut that light off, nor leave out
// the shadow a box just beyond the range throws on it.
TEST_F(CullingTest, TheScissorAndTheRangeNeverCutALitPixelOrAShadow)
{
    const RayCastScene scene = Scene({MakePlane(kPlaneHalf, 0.0f, 2),
                                      Cube(D3DXVECTOR3(-2, 0, -2), D3DXVECTOR3(2, 3, 2)),
                                      Cube(D3DXVECTOR3(13, 0, -8), D3DXVECTOR3(16, 3, -4))},
                                     D3DXVECTOR3(0, 8, -6), cameraEye, cameraAt);
    Show(scene, 12.0f);
    Picture lit;
    ExpectSameFrames(&lit);
    AmbientOnly = true;
    const Picture ambient = Frame();
    AmbientOnly = false;
    // Far outside the range's sphere the plane is still lit.
    const D3DXVECTOR2 far = Project(D3DXVECTOR3(30, 0, -20), lit.width, lit.height);
    EXPECT_GT(ColourDistance(lit.At(int(far.x), int(far.y)), ambient.At(int(far.x), int(far.y))), 8);
}

// Volumes end just under the scene's lowest point, which only an eye above
// that point may rely on: from under the scene, looking up at a lit wall
// past a caster whose volume dips below the wall's foot, the rays from the
// eye pass through the volume beneath the scene, and the stencil must still
// match the rays, as with volumes reaching far beyond.
TEST_F(CullingTest, VolumesEndUnderTheSceneOnlyForAnEyeAboveIt)
{
    const RayCastScene scene = Scene({Cube(D3DXVECTOR3(10, 0, -30), D3DXVECTOR3(12, 40, 30)),
                                      Cube(D3DXVECTOR3(-6, 25, -6), D3DXVECTOR3(0, 31, 6))},
                                     D3DXVECTOR3(-10, 60, 0), D3DXVECTOR3(-40, -20, 0), D3DXVECTOR3(11, 12, 0));
    Show(scene, 1.0e6f);
    Frame();
    ExpectStencilMatchesRays(scene);
}
