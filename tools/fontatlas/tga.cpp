#include "tga.h"

#include <cstdio>

namespace fontatlas {

namespace {

void PutLE16(std::vector<uint8_t>& out, size_t at, int value) {
  out[at] = static_cast<uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::vector<uint8_t> EncodeTga32(const Image& image) {
  const size_t texels = static_cast<size_t>(image.width) * image.height;
  std::vector<uint8_t> out(kTgaHeaderSize + texels * 4, 0);
  out[2] = 2;  // uncompressed true-colour
  PutLE16(out, 12, image.width);
  PutLE16(out, 14, image.height);
  out[16] = 32;
  out[17] = 8;  // 8 attribute (alpha) bits; origin bits 4 and 5 clear: bottom-left
  size_t at = kTgaHeaderSize;
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t* row = image.rgba.data() + static_cast<size_t>(y) * image.width * 4;
    for (int x = 0; x < image.width; ++x, at += 4) {
      const uint8_t* texel = row + static_cast<size_t>(x) * 4;
      out[at] = texel[2];
      out[at + 1] = texel[1];
      out[at + 2] = texel[0];
      out[at + 3] = texel[3];
    }
  }
  return out;
}

bool WriteBinaryFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot create " + path;
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace fontatlas
