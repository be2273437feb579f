#include "creature.h"

#include <cmath>

namespace creature {

namespace {

// The 18-byte header of an uncompressed 24-bit TGA, `size` pixels square;
// blue, green, red pixels follow, bottom row first.
std::vector<uint8_t> TgaHeader(uint8_t size)
{
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, size, 0, size, 0, 24, 0};
}

}  // namespace

std::vector<uint8_t> SkinTexture()
{
    const int size = 64;
    std::vector<uint8_t> tga = TgaHeader(size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float cx = (float)(x % 8) - 3.5f, cy = (float)((y + (x / 8 % 2) * 4) % 8) - 3.5f;
            float scale = 1.0f - std::sqrt(cx * cx + cy * cy) / 5.0f;
            uint8_t shade = (uint8_t)(120 + 100 * (scale > 0 ? scale : 0));
            tga.push_back((uint8_t)(shade / 3));        // blue
            tga.push_back(shade);                       // green
            tga.push_back((uint8_t)(shade * 2 / 3));    // red
        }
    }
    return tga;
}

std::vector<uint8_t> PlainTexture(uint8_t red, uint8_t green, uint8_t blue)
{
    std::vector<uint8_t> tga = TgaHeader(2);
    for (int pixel = 0; pixel < 4; ++pixel)
        tga.insert(tga.end(), {blue, green, red});
    return tga;
}

}  // namespace creature
