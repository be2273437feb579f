// Renders a TrueType font into the glyph atlas the font geometry samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fontatlas {

// 16 x 16 cells of 32 x 32 texels; code k sits in column k % 16 and row k / 16.
// The font geometry reads a glyph from the left 0.0425 of the texture width of
// its cell (21.76 texels) and the cell's full height, and draws that rectangle
// as a square of the text size, lines 1.1 sizes apart.
constexpr int kAtlasSize = 512;
constexpr int kCellSize = 32;
constexpr int kCellsPerRow = 16;
constexpr double kSampledWidth = 0.0425 * kAtlasSize;

// Ink stays this far from the cell's top and bottom and from its left edge, and
// left of kInkRight, so bilinear filtering never mixes neighbouring cells.
constexpr int kCellMargin = 1;
constexpr int kInkRight = 21;

// An RGBA image, rows from top to bottom, 4 bytes a texel.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  uint8_t Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

// The codes that get a glyph: printable Latin-1, that is 32 to 126 and 160 to
// 255. The C0 and C1 control codes and DEL stay empty.
bool HasGlyph(int code);

// Renders every glyph of the font at fontPath into a new atlas: every texel is
// white and its alpha is the glyph coverage, so filtering between ink and
// empty texels fades the alpha without darkening the colour.
// The glyphs are scaled so the tallest and deepest Latin-1 glyphs fit the
// cell height and the advance fills the sampled width. Returns false with a
// message in error when the font cannot be read or its glyphs cannot be drawn
// inside their cells.
bool RenderAtlas(const std::string& fontPath, Image& atlas, std::string& error);

}  // namespace fontatlas
