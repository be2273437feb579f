#include "texture_reader.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "atlas.h"

namespace fontatlas_test {

std::string SourcePath(const std::string& relative) {
  const char* root = std::getenv("QL_SOURCE_DIR");
  return std::string(root && *root ? root : QL_SOURCE_TREE) + "/" + relative;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

AlphaPlane DecodeAlpha(const std::vector<uint8_t>& tga) {
  AlphaPlane plane;
  if (tga.size() < 18 || tga[2] != 2 || tga[16] != 32) return plane;
  const int width = tga[12] | (tga[13] << 8);
  const int height = tga[14] | (tga[15] << 8);
  const size_t start = 18 + tga[0];
  if (tga.size() < start + static_cast<size_t>(width) * height * 4) return plane;
  const bool topDown = (tga[17] & 0x20) != 0;
  const bool rightToLeft = (tga[17] & 0x10) != 0;
  plane.width = width;
  plane.height = height;
  plane.alpha.resize(static_cast<size_t>(width) * height);
  for (int row = 0; row < height; ++row) {
    const int y = topDown ? row : height - 1 - row;
    for (int column = 0; column < width; ++column) {
      const int x = rightToLeft ? width - 1 - column : column;
      plane.alpha[static_cast<size_t>(y) * width + x] = tga[start + (static_cast<size_t>(row) * width + column) * 4 + 3];
    }
  }
  return plane;
}

CellInk InkOfCell(const AlphaPlane& plane, int code) {
  using fontatlas::kCellSize;
  CellInk ink;
  const int cellX = (code % fontatlas::kCellsPerRow) * kCellSize;
  const int cellY = (code / fontatlas::kCellsPerRow) * kCellSize;
  for (int y = 0; y < kCellSize; ++y) {
    for (int x = 0; x < kCellSize; ++x) {
      if (plane.At(cellX + x, cellY + y) == 0) continue;
      if (ink.Empty()) {
        ink = {x, x, y, y};
      } else {
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.bottom = y;
      }
    }
  }
  return ink;
}

}  // namespace fontatlas_test
