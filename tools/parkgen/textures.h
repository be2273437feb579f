// Small tiling textures for the park's materials, written as uncompressed
// 24-bit TGA files.
#pragma once

#include <stdint.h>
#include <string>

namespace park {

struct TextureStyle {
    uint8_t base[3];     // average colour
    uint8_t spread;      // how far the noise moves each channel
    uint32_t seed;
    bool planks = false;  // dark seams every eighth row (wood)
};

// Writes a 64 x 64 texture; false when the file cannot be written.
bool WriteTexture(const std::string& path, const TextureStyle& style);

}  // namespace park
