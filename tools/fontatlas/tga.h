// Writes images as uncompressed 32-bit Truevision TGA files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "atlas.h"

namespace fontatlas {

constexpr size_t kTgaHeaderSize = 18;

// The whole file: an 18-byte header (image type 2, 32 bits a pixel, 8 alpha
// bits, bottom-left origin, the most widely read layout), then the pixels in
// BGRA order from the bottom row up. No identifier, colour map or footer.
std::vector<uint8_t> EncodeTga32(const Image& image);

// Writes bytes to path, replacing the file. False with a message on failure.
bool WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

}  // namespace fontatlas
