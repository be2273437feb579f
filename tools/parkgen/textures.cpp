#include "textures.h"

#include <stdio.h>
#include <vector>

namespace park {

namespace {

const int SIZE = 64;

// A fixed generator so that the committed images do not change when rebuilt.
uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

uint8_t Clamp(int value)
{
    return (uint8_t)(value < 0 ? 0 : value > 255 ? 255 : value);
}

}  // namespace

bool WriteTexture(const std::string& path, const TextureStyle& style)
{
    // Coarse noise on an 8 x 8 lattice, wrapped so the texture tiles, plus
    // fine grain per texel.
    uint32_t state = style.seed;
    float lattice[8][8];
    for (auto& row : lattice)
        for (float& value : row)
            value = (float)(Next(state) % 2001) / 1000.0f - 1.0f;

    std::vector<uint8_t> pixels(SIZE * SIZE * 3);
    for (int y = 0; y < SIZE; y++) {
        for (int x = 0; x < SIZE; x++) {
            float fx = x / 8.0f, fy = y / 8.0f;
            int ix = (int)fx, iy = (int)fy;
            float tx = fx - ix, ty = fy - iy;
            float a = lattice[iy % 8][ix % 8], b = lattice[iy % 8][(ix + 1) % 8];
            float c = lattice[(iy + 1) % 8][ix % 8], d = lattice[(iy + 1) % 8][(ix + 1) % 8];
            float coarse = (a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty;
            float grain = (float)(Next(state) % 1001) / 1000.0f - 0.5f;
            float shade = (coarse * 0.7f + grain * 0.6f) * style.spread;
            if (style.planks && y % 8 == 7)
                shade -= 40;
            uint8_t* p = &pixels[(y * SIZE + x) * 3];
            // TGA stores blue, green, red.
            p[0] = Clamp(style.base[2] + (int)shade);
            p[1] = Clamp(style.base[1] + (int)shade);
            p[2] = Clamp(style.base[0] + (int)shade);
        }
    }

    uint8_t header[18] = {0};
    header[2] = 2;  // uncompressed true colour
    header[12] = SIZE & 0xFF;
    header[13] = SIZE >> 8;
    header[14] = SIZE & 0xFF;
    header[15] = SIZE >> 8;
    header[16] = 24;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(header, 1, sizeof header, file) == sizeof header &&
                   fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    return fclose(file) == 0 && written;
}

}  // namespace park
