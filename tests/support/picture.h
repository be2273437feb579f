// A frame read back from the stand-in, top row first, one 0xAARRGGBB word a
// pixel, and the colour comparisons the rendering suites make on it.
#pragma once

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdlib.h>

#include <algorithm>
#include <vector>

struct Picture {
    std::vector<uint32_t> pixels;
    uint32_t width = 0, height = 0;

    uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

// The last presented frame; an empty picture (and a failure) when there is none.
inline Picture PresentedFrame()
{
    Picture picture;
    EXPECT_TRUE(QLTest_ReadPresentedFrame(&picture.pixels, &picture.width, &picture.height));
    return picture;
}

inline int Channel(uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xFF);
}

// Largest difference over red, green and blue.
inline int ColourDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        worst = std::max(worst, abs(Channel(a, shift) - Channel(b, shift)));
    return worst;
}
