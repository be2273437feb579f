// Reads the committed font texture straight from its bytes, independently of
// the generator's writer, so the tests see what a loader sees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fontatlas_test {

std::string SourcePath(const std::string& relative);
std::vector<uint8_t> ReadBytes(const std::string& path);

// The alpha plane of a 32-bit uncompressed TGA, rows from the top, honouring
// the file's origin bits. Empty when the file is not such a TGA.
struct AlphaPlane {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> alpha;

  uint8_t At(int x, int y) const { return alpha[static_cast<size_t>(y) * width + x]; }
};
AlphaPlane DecodeAlpha(const std::vector<uint8_t>& tga);

// Ink of one glyph cell: the rows and columns, relative to the cell, that hold
// any coverage. Empty cells have no rows.
struct CellInk {
  int left = -1, right = -1, top = -1, bottom = -1;  // inclusive
  bool Empty() const { return top < 0; }
};
CellInk InkOfCell(const AlphaPlane& plane, int code);

}  // namespace fontatlas_test
