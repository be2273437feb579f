// Where queued texts land on screen: glyph cells, line spacing, scaled
// texts against the back buffer, and texts beyond one buffer's worth.
#include "font_fixture.h"

#include <math.h>

namespace {

TEST_F(FontTest, LineFeedStartsTheNextLineOnePointOneSizesDown)
{
    ASSERT_EQ(S_OK, font->AddText2D("A\nB", 0xFFFFFFFF, 0, 16, 10, 10, 1.0f, 0.0f));
    Picture frame = Frame(0.01f);

    // A's quad is x 10..26, y 10..26; B's starts at y 10 + 1.1 x 16 = 27.6.
    InkBox a = FindInk(frame, 0, 0, 800, 27);
    InkBox b = FindInk(frame, 0, 27, 800, 600);
    ASSERT_FALSE(a.Empty());
    ASSERT_FALSE(b.Empty());
    EXPECT_TRUE(a.Within(10, 10, 25, 25)) << a.Describe();
    EXPECT_TRUE(b.Within(10, 28, 25, 43)) << b.Describe();
    // Both capitals sit at the same height in their cells: their tops are a
    // line spacing apart, not one size.
    EXPECT_NEAR(17.6, b.top - a.top, 1.0);
    EXPECT_NEAR(a.left, b.left, 2);

    // The reported extent holds every glyph.
    float width = 0, height = 0;
    ASSERT_EQ(S_OK, font->GetExtendText2D("A\nB", 16, 1.0f, 0.0f, &width, &height));
    InkBox all = FindInk(frame);
    EXPECT_LT(all.right, 10 + width);
    EXPECT_LT(all.bottom, 10 + height);
}

TEST_F(FontTest, GlyphsAdvanceOneSizeAlongTheDirection)
{
    // Top to bottom, direction (0, 1): the text's "down" points to -x.
    ASSERT_EQ(S_OK, font->AddText2D("HHH", 0xFFFFFFFF, 0, 20, 300, 100, 0.0f, 1.0f));
    Picture frame = Frame(0.01f);
    InkBox all = FindInk(frame);
    ASSERT_FALSE(all.Empty());
    EXPECT_TRUE(all.Within(280, 100, 299, 159)) << all.Describe();
    for (int glyph = 0; glyph < 3; ++glyph)
        EXPECT_FALSE(FindInk(frame, 280, 100 + 20 * glyph, 300, 120 + 20 * glyph).Empty()) << "glyph " << glyph;
}

TEST_F(FontTest, TextColourTintsTheGlyphs)
{
    ASSERT_EQ(S_OK, font->AddText2D("HHHH", 0xFF00FF00, 0, 32, 100, 100, 1.0f, 0.0f));
    Picture frame = Frame(0.01f);
    uint32_t greenest = 0;
    for (uint32_t y = 100; y < 132; ++y) {
        for (uint32_t x = 100; x < 228; ++x) {
            uint32_t pixel = frame.At(x, y);
            EXPECT_EQ(0u, (pixel >> 16) & 0xFF) << x << "," << y;
            greenest = std::max(greenest, (pixel >> 8) & 0xFF);
        }
    }
    EXPECT_GT(greenest, 200u);
}

TEST_F(FontTest, ScaledTextsFollowTheBackBuffer)
{
    struct Case {
        bool resize;  // the first windowed device takes the 800 x 600 client area; then the window shrinks
        int width, height;
    };
    int inkHeight[2] = {};
    const Case cases[] = {{false, 800, 600}, {true, 640, 480}};
    for (int i = 0; i < 2; ++i) {
        const Case& c = cases[i];
        if (c.resize) {
            ResizeClientArea(c.width, c.height);
            ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
        }
        ASSERT_EQ(S_OK, font->AddText2DScaled("M", 0xFFFFFFFF, 0, 0.1f, 0.5f, 0.25f, 1.0f, 0.0f));
        Picture frame = Frame(0.01f);
        ASSERT_EQ((uint32_t)c.width, frame.width);
        int size = (int)(0.1f * (float)c.height), x = c.width / 2, y = c.height / 4;
        InkBox box = FindInk(frame);
        ASSERT_FALSE(box.Empty()) << c.width;
        EXPECT_TRUE(box.Within(x, y, x + size - 1, y + size - 1)) << c.width << ": " << box.Describe();
        EXPECT_GT(box.Width(), size / 2) << c.width;
        inkHeight[i] = box.Height();
    }
    EXPECT_NEAR(480.0 / 600.0, (double)inkHeight[1] / inkHeight[0], 0.08);
}

// More glyphs than one buffer holds (640 quads) must all be drawn: split in
// batches, also in the middle of a text.
TEST_F(FontTest, TextsBeyondOneBufferAllAppear)
{
    constexpr int columns = 36, rows = 20, size = 16;
    std::string block;
    for (int row = 0; row < rows; ++row) {
        if (row)
            block += '\n';
        block += std::string(columns, 'H');
    }
    ASSERT_EQ(S_OK, font->AddText2D(block.c_str(), 0xFFFFFFFF, 0, size, 20, 20, 1.0f, 0.0f));
    ASSERT_EQ(S_OK, font->AddText2D(std::string(columns, 'H').c_str(), 0xFFFFFFFF, 0, size, 20, 420, 1.0f, 0.0f));
    Picture frame = Frame(0.01f);

    int missing = 0;
    for (int row = 0; row <= rows; ++row) {
        int top = row < rows ? 20 + (int)ceilf(row * 1.1f * size) : 420;
        for (int column = 0; column < columns; ++column)
            if (FindInk(frame, 20 + column * size, top, 20 + (column + 1) * size, top + size).count < 10)
                ++missing;
    }
    EXPECT_EQ(0, missing) << "of " << (rows + 1) * columns << " glyphs";
    EXPECT_EQ(0u, font->Queued2D());
}

TEST_F(FontTest, TextsQueuedWhileTheDeviceIsLostAppearAtTheNextFrame)
{
    QLTest_ForceDeviceState(QLTEST_DEVICE_LOST);
    ASSERT_EQ(S_OK, font->AddText2D("H", 0xFFFFFFFF, 0, 16, 100, 100, 1.0f, 0.0f));
    EXPECT_EQ(S_FALSE, graphics->UpdateAndRender(0.01f));
    QLTest_ForceDeviceState(QLTEST_DEVICE_OK);
    ASSERT_EQ(S_OK, font->AddText2D("H", 0xFFFFFFFF, 0, 16, 200, 100, 1.0f, 0.0f));
    Picture frame = Frame(0.01f);
    EXPECT_FALSE(FindInk(frame, 100, 100, 116, 116).Empty());
    EXPECT_FALSE(FindInk(frame, 200, 100, 216, 116).Empty());
    // Drawn once, then dropped: the next frame is empty.
    EXPECT_TRUE(FindInk(Frame(0.01f)).Empty());
}

TEST_F(FontTest, AFailedLockEndsTheFrameAndKeepsTheQueue)
{
    ASSERT_EQ(S_OK, font->AddText2D("H", 0xFFFFFFFF, 0, 16, 100, 100, 1.0f, 0.0f));
    QLTest_FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL);
    EXPECT_EQ(E_FAIL, graphics->UpdateAndRender(0.01f));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find(ErrorRecord("VB::Lock()", D3DERR_INVALIDCALL)));
    EXPECT_NE(std::string::npos,
              log.find(ErrorRecord("Font::Render()", QLE_SUBFUNCTION, "Too many chars for the VB") + "\nAt "));
    EXPECT_NE(std::string::npos, log.find("See : \"font\""));
    EXPECT_NE(std::string::npos, log.find("Rendering failed"));
    EXPECT_EQ(1u, font->Queued2D());
    EXPECT_FALSE(FindInk(Frame(0.01f), 100, 100, 116, 116).Empty());
}

}  // namespace
