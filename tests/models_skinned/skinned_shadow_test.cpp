// Headless frames with stencil shadows: the shadow of an animated skinned
// model moves with the animation.
#include "skel_model_support.h"

#include "support/lit_view.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

// A skinned model for shadow frames, written y-up (the tests set an identity
// world matrix): on the root, optionally a ground square at y = 0; on bone 1,
// optionally a cube of the given half size, which the model's one animation
// moves through the given keys (bone 1's position).
struct ShadowModel {
    std::string name;
    bool ground = false;
    float cubeHalf = 0;  // 0: no cube
    std::vector<cal3d::Key> keys;
};

void WriteShadowModel(const ShadowModel& m)
{
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(2);
    skeleton.bones[0].children = {1};
    skeleton.bones[1].parent = 0;
    skeleton.bones[1].translation = {0, 2, 0};
    skeleton.bones[1].boneSpaceTranslation = {0, -2, 0};
    cal3d::Write(m.name + ".csf", skeleton);
    cal3d::Write(m.name + ".caf", skeltest::Anim(4, {skeltest::Track(1, m.keys)}));

    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    cal3d::Submesh& submesh = mesh.submeshes[0];
    std::vector<std::array<int32_t, 3>> triangles;
    if (m.ground) {
        const float g = 30;
        for (float x : {-g, g})
            for (float z : {-g, g})
                submesh.vertices.push_back(skeltest::Vertex(x, 0, z, {{0, 1}}));
        triangles = {{0, 1, 2}, {1, 3, 2}};
    }
    if (m.cubeHalf > 0) {
        const int32_t first = int32_t(submesh.vertices.size());
        const float h = m.cubeHalf;
        for (int corner = 0; corner < 8; ++corner)
            submesh.vertices.push_back(skeltest::Vertex(corner & 1 ? h : -h, corner & 2 ? 2 + h : 2 - h,
                                                        corner & 4 ? h : -h, {{1, 1}}));
        // Each cube face as two triangles over the corners with one bit fixed.
        for (int axis = 0; axis < 3; ++axis) {
            for (int side = 0; side < 2; ++side) {
                int bits[4], n = 0;
                for (int corner = 0; corner < 8; ++corner)
                    if (((corner >> axis) & 1) == side)
                        bits[n++] = first + corner;
                triangles.push_back({bits[0], bits[1], bits[3]});
                triangles.push_back({bits[0], bits[3], bits[2]});
            }
        }
    }
    // Wind every triangle outwards, as the shadow volumes expect.
    for (auto& t : triangles) {
        D3DXVECTOR3 p[3];
        for (int k = 0; k < 3; ++k) {
            const cal3d::Vec3& v = submesh.vertices[t[k]].position;
            p[k] = D3DXVECTOR3(v.x, v.y, v.z);
        }
        D3DXVECTOR3 normal;
        D3DXVECTOR3 a = p[2] - p[1], b = p[1] - p[0];
        D3DXVec3Cross(&normal, &a, &b);
        const bool isGround = p[0].y == 0 && p[1].y == 0 && p[2].y == 0;
        D3DXVECTOR3 centre = isGround ? D3DXVECTOR3(p[0].x, -1, p[0].z) : D3DXVECTOR3(0, 2, 0);
        D3DXVECTOR3 out = (p[0] + p[1] + p[2]) / 3.0f - centre;
        if (D3DXVec3Dot(&normal, &out) < 0)
            std::swap(t[1], t[2]);
        submesh.indices.insert(submesh.indices.end(), t.begin(), t.end());
    }
    cal3d::Write(m.name + ".cmf", mesh);
    cal3d::Material material;
    material.diffuse = {220, 220, 220, 255};
    material.ambient = {220, 220, 220, 255};
    cal3d::Write(m.name + ".crf", material);
    cal3d::Config config;
    config.entries = {{"skeleton", m.name + ".csf"},
                      {"animation", m.name + ".caf"},
                      {"mesh", m.name + ".cmf"},
                      {"material", m.name + ".crf"}};
    cal3d::Write(m.name + ".cfg", config);
}

// A ground square at y = 0 and a cube on bone 1, which slides along x from
// -2 to 2 at height 2 over four seconds.
void WriteShadowModel()
{
    WriteShadowModel({"shadow", true, 0.5f, {skeltest::Key(0, -2, 2, 0), skeltest::Key(4, 2, 2, 0)}});
}

// The dark (shadowed) ground pixels in the lower middle of the last
// presented frame: how many, their horizontal centre in pixels (-1 when
// there are too few), and how many lie left of the picture's middle.
struct Shade {
    int count = 0;
    float centre = -1.0f;
    int left = 0;
};

Shade DarkPixels()
{
    Picture frame = PresentedFrame();
    const uint32_t width = frame.width, height = frame.height;
    double sum = 0;
    Shade shade;
    for (uint32_t y = height / 2; y < height; ++y) {
        for (uint32_t x = width / 8; x < width * 7 / 8; ++x) {
            if (Channel(frame.At(x, y), 8) < 60) {
                sum += x;
                ++shade.count;
                shade.left += x < width / 2;
            }
        }
    }
    if (shade.count > 100)
        shade.centre = (float)(sum / shade.count);
    return shade;
}

// A camera above the ground looking down at the origin, a point light high
// above it and stencil shadows on.
void LightFromAbove(IGraphics* graphics)
{
    ASSERT_NO_FATAL_FAILURE(LightView(graphics, D3DXVECTOR3(0, 9, -9), D3DXVECTOR3(0, 0, 0),
                                      D3DCOLOR_XRGB(40, 40, 40), D3DXVECTOR3(0, 10, 0), 100.0f));
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
}

IModel* LoadShadowModel(ICore* core)
{
    WriteShadowModel();
    IGeometry* geometry = nullptr;
    EXPECT_EQ(S_OK, core->CreateObject("cal3d", "shadow.cfg", &geometry));
    IModel* model = static_cast<IModel*>(geometry);
    if (model) {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        model->SetMatrix(identity);
    }
    return model;
}

class SkinnedShadow : public GraphicsTest {
protected:
    // The device, the sliding cube's model lit from above, its slide started.
    void StartSlide()
    {
        ASSERT_EQ(S_OK, StartDevice());
        model = LoadShadowModel(core);
        ASSERT_NE(nullptr, model);
        LightFromAbove(graphics);
        ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    }

    void TearDown() override
    {
        if (model)
            model->Release();
        GraphicsTest::TearDown();
    }

    IModel* model = nullptr;
};

TEST_F(SkinnedShadow, TheShadowOfAnAnimatedModelMovesWithIt)
{
    ASSERT_NO_FATAL_FAILURE(StartSlide());
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    Shade left = DarkPixels();
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(3.5f));
    Shade right = DarkPixels();
    EXPECT_GT(left.centre, 0.0f) << left.count;
    EXPECT_GT(right.centre, 0.0f) << right.count;
    // The cube moved 3.5 units to the right; its shadow, cast from above,
    // a little more.
    EXPECT_GT(right.centre - left.centre, 100.0f) << left.centre << " -> " << right.centre;
    EXPECT_NEAR(left.count, right.count, left.count / 3 + 1);
}

// A model and its clone on one spot, posed apart in one frame: the clone's
// cube at the left end of its slide, the model's near the right end. Each
// casts the shadow of its own pose, so both sides of the picture are dark.
TEST_F(SkinnedShadow, EachCloneCastsTheShadowOfItsOwnPose)
{
    ASSERT_NO_FATAL_FAILURE(StartSlide());
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(3.5f));
    Shade alone = DarkPixels();
    ASSERT_GT(alone.count, 100);
    ASSERT_LT(alone.left, alone.count / 10);

    IGeometry* geometry = nullptr;
    ASSERT_EQ(S_OK, model->Clone(&geometry));
    IModel* clone = static_cast<IModel*>(geometry);
    ASSERT_EQ(S_OK, clone->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    Shade both = DarkPixels();
    EXPECT_GT(both.left, alone.count / 2) << "the clone's shadow, on the left";
    EXPECT_GT(both.count - both.left, alone.count / 2) << "the model's shadow, on the right";
    clone->Release();
}

// The dark (shadowed or unlit) pixels of the last presented frame.
std::vector<bool> DarkMask()
{
    Picture frame = PresentedFrame();
    std::vector<bool> dark(frame.pixels.size());
    for (size_t i = 0; i < frame.pixels.size(); ++i)
        dark[i] = Channel(frame.pixels[i], 8) < 60;
    return dark;
}

size_t CountOf(const std::vector<bool>& mask)
{
    return size_t(std::count(mask.begin(), mask.end(), true));
}

// Two different animated models in one frame, skinned one after the other,
// each cast the shadow of their own pose: the frame with both darkens what
// the frames with each alone darken, and nothing else. A reset between
// frames changes nothing.
TEST_F(SkinnedShadow, TwoAnimatedModelsEachCastTheirOwnPose)
{
    ASSERT_EQ(S_OK, StartDevice());
    WriteShadowModel({"ground", true, 0, {skeltest::Key(0, 0, 2, 0)}});
    WriteShadowModel({"small", false, 0.4f, {skeltest::Key(0, -2.5f, 2, 0)}});
    WriteShadowModel({"large", false, 0.8f, {skeltest::Key(0, 2.5f, 3, 1)}});
    LightFromAbove(graphics);
    ASSERT_FALSE(HasFatalFailure());

    IModel* models[3] = {};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    auto load = [&](int i, const char* file) {
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("cal3d", file, &geometry));
        models[i] = static_cast<IModel*>(geometry);
        models[i]->SetMatrix(identity);
        ASSERT_EQ(S_OK, models[i]->AddAnimation(0, 1.0f));
    };
    load(0, "ground.cfg");
    load(1, "small.cfg");
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    const std::vector<bool> small = DarkMask();
    load(2, "large.cfg");
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    const std::vector<bool> both = DarkMask();
    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    EXPECT_TRUE(DarkMask() == both) << "after a device reset";
    models[1]->Release();
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.01f));
    const std::vector<bool> large = DarkMask();

    ASSERT_GT(CountOf(small), 300u);
    ASSERT_GT(CountOf(large), CountOf(small) + 300u) << "the larger cube casts a larger shadow";
    size_t wrong = 0;
    for (size_t i = 0; i < both.size(); ++i)
        wrong += both[i] != (small[i] || large[i]) ? 1 : 0;
    EXPECT_LE(wrong, (CountOf(small) + CountOf(large)) / 100) << "of " << CountOf(small) + CountOf(large);
    models[0]->Release();
    models[2]->Release();
}

}  // namespace
