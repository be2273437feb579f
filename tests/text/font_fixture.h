// A graphics manager on a windowed device with the project's font, and the
// picture helpers the font suites share: where the glyphs' ink landed in the
// presented frame.
#pragma once

#include "support/graphics_fixture.h"

#include "text/font.h"

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

// The frame's clear colour: anything else is ink or drawn geometry.
constexpr uint32_t kBackground = 0xFF000050;

inline std::string FontTexturePath()
{
    const char* source = getenv("QL_SOURCE_DIR");
    return std::string(source ? source : ".") + "/data/dejavu_sans_mono_512.tga";
}

// White text on the dark blue clear colour raises the red channel.
inline bool Ink(const Picture& picture, uint32_t x, uint32_t y)
{
    return Channel(picture.At(x, y), 16) > 0;
}

// The smallest rectangle holding every ink pixel of a region; empty when none.
struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
    int count = 0;

    bool Empty() const { return count == 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    // Whether the ink lies inside the rectangle, edges included.
    bool Within(int minLeft, int minTop, int maxRight, int maxBottom) const
    {
        return left >= minLeft && top >= minTop && right <= maxRight && bottom <= maxBottom;
    }
    std::string Describe() const
    {
        return "ink from (" + std::to_string(left) + ", " + std::to_string(top) + ") to (" + std::to_string(right) +
               ", " + std::to_string(bottom) + ")";
    }
};

inline InkBox FindInk(const Picture& picture, int x0, int y0, int x1, int y1)
{
    InkBox box;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, (int)picture.width);
    y1 = std::min(y1, (int)picture.height);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Ink(picture, (uint32_t)x, (uint32_t)y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
    return box;
}

inline InkBox FindInk(const Picture& picture)
{
    return FindInk(picture, 0, 0, (int)picture.width, (int)picture.height);
}

class FontTest : public GraphicsTest {
protected:
    void SetUp() override
    {
        GraphicsTest::SetUp();
        ASSERT_EQ(S_OK, StartDevice());
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("font", FontTexturePath().c_str(), &geometry));
        font = static_cast<Font*>(geometry);
    }

    void TearDown() override
    {
        if (font)
            font->Release();
        GraphicsTest::TearDown();
    }

    Font* font = nullptr;
};
