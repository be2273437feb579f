// Stencil shadows read back from the presented frame: where a box's shadow
// falls on a plane under point lights, and what the debug switches change.
#include "scene_fixture.h"

namespace {

const D3DXVECTOR3 kBoxLo(-5.0f, 0.0f, -5.0f), kBoxHi(5.0f, 10.0f, 5.0f);

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXMATRIX Moved(float x, float y, float z, float yaw = 0.0f)
{
    D3DXMATRIX rotation, translation, both;
    D3DXMatrixRotationY(&rotation, yaw);
    D3DXMatrixTranslation(&translation, x, y, z);
    D3DXMatrixMultiply(&both, &rotation, &translation);
    return both;
}

struct ShadowCase {
    const char* name;
    D3DXVECTOR3 lo, hi;  // the box in model space
    D3DXMATRIX world;
    D3DXVECTOR3 light;
};

}  // namespace

class ShadowTest : public SceneTest {
protected:
    // The box and the plane, one light, stencil shadows on.
    TestModel* BoxScene(const ShadowCase& c)
    {
        AddPlane();
        TestModel* box = AddModel(MakeBox(c.lo, c.hi), "box");
        if (box)
            box->SetMatrix(c.world);
        EXPECT_EQ(S_OK, graphics->SetStencilShadow(true));
        D3DLIGHT9 light = PointLight(c.light, kSceneLight);
        EXPECT_EQ(S_OK, graphics->SetLight(0, true, &light));
        return box;
    }

    Picture AmbientFrame()
    {
        AmbientOnly = true;
        Picture picture = Frame();
        AmbientOnly = false;
        return picture;
    }
};

// The shadow falls where the box, the light and the plane say, whether the
// box sits at the origin, is moved and turned by its world matrix, or is
// built away from its own origin; shadowed pixels get the ambient pass only.
TEST_F(ShadowTest, ShadowFallsWhereGeometrySays)
{
    const ShadowCase cases[] = {
        {"at the origin", kBoxLo, kBoxHi, Identity(), D3DXVECTOR3(-25.0f, 30.0f, 0.0f)},
        {"light moved", kBoxLo, kBoxHi, Identity(), D3DXVECTOR3(20.0f, 35.0f, 10.0f)},
        {"moved by its matrix", kBoxLo, kBoxHi, Moved(-20.0f, 0.0f, 15.0f), D3DXVECTOR3(10.0f, 30.0f, 0.0f)},
        {"moved and turned", D3DXVECTOR3(-2.0f, 0.0f, -8.0f), D3DXVECTOR3(2.0f, 10.0f, 8.0f),
         Moved(15.0f, 0.0f, -10.0f, 1.5707964f), D3DXVECTOR3(-10.0f, 30.0f, -5.0f)},
        {"built away from its origin", D3DXVECTOR3(25.0f, 0.0f, -5.0f), D3DXVECTOR3(35.0f, 10.0f, 5.0f), Identity(),
         D3DXVECTOR3(10.0f, 30.0f, 0.0f)},
    };
    for (const ShadowCase& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        BoxScene(c);
        Picture ambient = AmbientFrame();
        Picture lit = Frame();
        std::vector<D3DXVECTOR3> corners = BoxCorners(c.lo, c.hi, c.world);
        Samples samples = Classify(ShadowOnGround(corners, c.light), corners, lit.width, lit.height);
        ASSERT_GE(samples.shadowed.size(), 20u);
        ASSERT_GE(samples.lit.size(), 200u);

        int wrongShadowed = CountDiffering(samples.shadowed, lit, ambient);
        int wrongLit = CountUnlit(samples.lit, lit, ambient);
        EXPECT_EQ(0, wrongShadowed) << "of " << samples.shadowed.size() << " shadowed samples";
        EXPECT_EQ(0, wrongLit) << "of " << samples.lit.size() << " lit samples";

        // With the lit pass skipped the plane is one colour, shadow or not.
        uint32_t reference = PixelAt(ambient, samples.lit[0]);
        EXPECT_GT(Channel(reference, 8), 20) << "the ambient pass lights the plane";
        int uneven = 0;
        for (const auto* group : {&samples.shadowed, &samples.lit})
            for (const D3DXVECTOR2& p : *group)
                if (ColourDistance(PixelAt(ambient, p), reference) > 2)
                    ++uneven;
        EXPECT_EQ(0, uneven);
    }
}

// Outside every shadow the two passes add up to what the standard layout
// draws in one: the light pass adds diffuse light and nothing else. The
// standard layout draws no shadow at all.
TEST_F(ShadowTest, LitPassMatchesStandardLightingAndStandardDrawsNoShadow)
{
    const ShadowCase c = {"", kBoxLo, kBoxHi, Identity(), D3DXVECTOR3(-25.0f, 30.0f, 0.0f)};
    BoxScene(c);
    Picture ambient = AmbientFrame();
    Picture shadowed = Frame();
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(false));
    Picture standard = Frame();

    std::vector<D3DXVECTOR3> corners = BoxCorners(c.lo, c.hi, c.world);
    Samples samples = Classify(ShadowOnGround(corners, c.light), corners, standard.width, standard.height);
    ASSERT_GE(samples.shadowed.size(), 20u);
    int litMismatch = CountDiffering(samples.lit, shadowed, standard);
    int shadowDrawn = CountUnlit(samples.shadowed, standard, ambient);
    EXPECT_EQ(0, litMismatch) << "of " << samples.lit.size();
    EXPECT_EQ(0, shadowDrawn) << "of " << samples.shadowed.size();
}

// Each light's contribution is masked by its own volumes only: the frame
// with both lights is the ambient frame plus what each light adds alone.
TEST_F(ShadowTest, TwoLightsEachMaskedByItsOwnVolumes)
{
    const D3DXVECTOR3 first(-25.0f, 30.0f, 0.0f), second(20.0f, 35.0f, 10.0f);
    BoxScene({"", kBoxLo, kBoxHi, Identity(), first});
    D3DLIGHT9 a = PointLight(first, 0.4f), b = PointLight(second, 0.4f);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &a));
    ASSERT_EQ(S_OK, graphics->SetLight(1, false, &b));
    Picture ambient = AmbientFrame();
    Picture onlyFirst = Frame();
    ASSERT_EQ(S_OK, graphics->SetLight(0, false, &a));
    ASSERT_EQ(S_OK, graphics->SetLight(1, true, &b));
    Picture onlySecond = Frame();
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &a));
    Picture both = Frame();

    size_t mismatches = 0;
    for (size_t i = 0; i < both.pixels.size(); ++i)
        for (int shift = 0; shift <= 16; shift += 8) {
            int expected = Channel(onlyFirst.pixels[i], shift) + Channel(onlySecond.pixels[i], shift) -
                           Channel(ambient.pixels[i], shift);
            if (abs(Channel(both.pixels[i], shift) - std::min(expected, 255)) > 3) {
                ++mismatches;
                break;
            }
        }
    EXPECT_LE(mismatches, both.pixels.size() / 1000);

    // Inside the first light's shadow only, the second light still shines.
    std::vector<D3DXVECTOR3> corners = BoxCorners(kBoxLo, kBoxHi, Identity());
    Hull firstShadow = ShadowOnGround(corners, first), secondShadow = ShadowOnGround(corners, second);
    Samples samples = Classify(firstShadow, corners, both.width, both.height);
    int checked = 0;
    for (size_t i = 0; i < samples.shadowed.size(); ++i) {
        if (secondShadow.Inside(samples.shadowedGround[i]) > -1.2f)
            continue;
        const D3DXVECTOR2& p = samples.shadowed[i];
        EXPECT_GT(Channel(PixelAt(both, p), 8), Channel(PixelAt(ambient, p), 8) + 10);
        EXPECT_LE(ColourDistance(PixelAt(both, p), PixelAt(onlySecond, p)), 3);
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

// The debug switches add visible volumes and white lines to the picture but
// leave the stencil buffer as it was, also for a capped volume around the eye.
TEST_F(ShadowTest, DebugDrawingsLeaveTheStencilResult)
{
    for (bool eyeInside : {false, true}) {
        SCOPED_TRACE(eyeInside ? "eye inside the volume" : "eye outside");
        TearDown();
        SetUp();
        BoxScene({"", kBoxLo, kBoxHi, Identity(), D3DXVECTOR3(-25.0f, 30.0f, 0.0f)});
        if (eyeInside) {
            const D3DXVECTOR3 eye(12, 3, 0), at(50, 0, 10), up(0, 1, 0);
            ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
        }
        Picture plain = Frame();
        std::vector<uint8_t> plainStencil = Stencil();
        size_t shadowed = std::count_if(plainStencil.begin(), plainStencil.end(), [](uint8_t s) { return s != 0; });
        EXPECT_GT(shadowed, 500u);

        auto near_white = [](uint32_t p) { return Channel(p, 0) >= 250 && Channel(p, 8) >= 250 && Channel(p, 16) >= 250; };
        const struct {
            bool* flag;
            const char* name;
        } switches[] = {{&DrawShadowVolume, "DrawShadowVolume"}, {&DrawPossibleSilhouette, "DrawPossibleSilhouette"}};
        for (const auto& s : switches) {
            SCOPED_TRACE(s.name);
            *s.flag = true;
            Picture debug = Frame();
            std::vector<uint8_t> debugStencil = Stencil();
            *s.flag = false;
            EXPECT_TRUE(debugStencil == plainStencil);
            size_t brighter = 0, whitened = 0;
            for (size_t i = 0; i < plain.pixels.size(); ++i) {
                if (Channel(debug.pixels[i], 8) > Channel(plain.pixels[i], 8) + 10)
                    ++brighter;
                if (near_white(debug.pixels[i]) && !near_white(plain.pixels[i]))
                    ++whitened;
            }
            if (s.flag == &DrawShadowVolume)
                EXPECT_GT(brighter, 2000u);
            else
                EXPECT_GT(whitened, 100u);
        }
        EXPECT_TRUE(Frame().pixels == plain.pixels) << "switched off, the frame is as before";
    }
}

// A model whose volume needs more room than the shadow buffer was sized for
// (every edge open, few vertices) gets a bigger buffer, never an overrun. A
// growth the device refuses fails that frame and keeps the buffer there was.
TEST_F(ShadowTest, VolumeLargerThanTheShadowBufferGrowsIt)
{
    // Seven points and the seven lines of the Fano plane: 21 edges, none shared.
    MeshData mesh;
    for (int i = 0; i < 7; ++i)
        mesh.positions.push_back(D3DXVECTOR3(10.0f * cosf(float(i)), 5.0f + float(i), 10.0f * sinf(float(i))));
    const WORD lines[21] = {0, 1, 3, 1, 2, 4, 2, 3, 5, 3, 4, 6, 4, 5, 0, 5, 6, 1, 6, 0, 2};
    mesh.indices.assign(lines, lines + 21);
    AddModel(mesh, "fano");
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    EXPECT_EQ(42u, Manager()->ShadowBufferCapacity());
    D3DLIGHT9 light = PointLight(D3DXVECTOR3(0.0f, 40.0f, 0.0f), kSceneLight);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    QLTest_FailCall("IDirect3DDevice9::CreateVertexBuffer", E_OUTOFMEMORY);
    EXPECT_EQ(E_FAIL, graphics->UpdateAndRender(0.02f));
    EXPECT_EQ(42u, Manager()->ShadowBufferCapacity());
    Frame();
    EXPECT_GE(Manager()->ShadowBufferCapacity(), 126u);
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.02f)) << "the grown buffer serves the next frames";
}

// A model with nothing to cast leaves the lit pass the same states as one
// whose volume was drawn, with the eye outside and inside the volume.
TEST_F(ShadowTest, AModelWithoutShadowDataLeavesTheStatesOfADrawnVolume)
{
    for (bool eyeInside : {false, true}) {
        SCOPED_TRACE(eyeInside ? "eye inside the volume" : "eye outside");
        std::vector<DWORD> drawn, skipped;
        for (bool castsShadow : {true, false}) {
            TearDown();
            SetUp();
            TestModel* box = BoxScene({"", kBoxLo, kBoxHi, Identity(), D3DXVECTOR3(-25.0f, 30.0f, 0.0f)});
            ASSERT_TRUE(box);
            box->hasShadowData = castsShadow;
            models[0]->hasShadowData = false;  // the plane
            if (eyeInside) {
                const D3DXVECTOR3 eye(12, 3, 0), at(50, 0, 10), up(0, 1, 0);
                ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
            }
            Frame();
            (castsShadow ? drawn : skipped) = models[0]->statesAtRender;
        }
        ASSERT_EQ(5u, drawn.size());
        EXPECT_EQ(drawn, skipped);
        EXPECT_EQ(DWORD(D3DCULL_CW), drawn[0]);
    }
}
