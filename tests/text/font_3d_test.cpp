// World-space texts: placed by the camera and hidden by nearer geometry.
#include "font_fixture.h"
#include "quad_model.h"

namespace {

constexpr uint32_t kGreen = 0xFF00FF00;

class Font3DTest : public FontTest {
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        const D3DXVECTOR3 eye(0, 0, -100), at(0, 0, 0), up(0, 1, 0);
        ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
    }

    void TearDown() override
    {
        if (wall)
            wall->Release();
        FontTest::TearDown();
    }

    // "MMMM" 80 units wide across the screen's middle at z = 0, from
    // x -40 to 40 and y 20 down to 0.
    void QueueText()
    {
        ASSERT_EQ(S_OK, font->AddText3D("MMMM", 0xFFFFFFFF, 0, 20.0f, D3DXVECTOR3(-40, 20, 0), D3DXVECTOR3(1, 0, 0),
                                        D3DXVECTOR3(0, -1, 0)));
    }

    QuadModel* wall = nullptr;
};

TEST_F(Font3DTest, TextIsHiddenOnlyBehindNearerGeometry)
{
    // A green wall over the left half of the view (x <= 0), moved from behind
    // the text to in front of it.
    ASSERT_EQ(S_OK, QuadModel::Create(graphics, -200, -200, 0, 200, 0, kGreen, &wall));
    const float depths[] = {50.0f, -50.0f};
    InkBox left[2], right[2];
    for (int i = 0; i < 2; ++i) {
        D3DXMATRIX move;
        D3DXMatrixTranslation(&move, 0, 0, depths[i]);
        wall->SetMatrix(move);
        QueueText();
        Picture frame = Frame(0.01f);
        ASSERT_EQ(kGreen, frame.At(100, 400)) << "the wall is drawn";
        left[i] = FindInk(frame, 0, 0, (int)frame.width / 2, (int)frame.height);
        right[i] = FindInk(frame, (int)frame.width / 2, 0, (int)frame.width, (int)frame.height);
    }
    EXPECT_FALSE(left[0].Empty()) << "a wall behind the text hides nothing";
    EXPECT_FALSE(right[0].Empty());
    EXPECT_TRUE(left[1].Empty()) << "a nearer wall hides the text";
    EXPECT_FALSE(right[1].Empty()) << "the part the wall does not cover stays";
    EXPECT_EQ(right[0].count, right[1].count);
}

TEST_F(Font3DTest, TextIsPlacedInTheWorld)
{
    QueueText();
    Picture frame = Frame(0.01f);
    ASSERT_EQ(800u, frame.width);
    // x +-40 and y 0..20 at 100 units under a 45-degree, 4:3 projection.
    InkBox box = FindInk(frame);
    ASSERT_FALSE(box.Empty());
    EXPECT_TRUE(box.Within(107, 152, 693, 302)) << box.Describe();
    EXPECT_GT(box.Width(), 500) << "four glyphs across";
    EXPECT_EQ(0u, font->Queued3D());
}

}  // namespace
