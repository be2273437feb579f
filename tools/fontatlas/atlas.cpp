#include "atlas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fontatlas {

namespace {

// Each attempt shrinks the glyphs a little when hinting pushed some ink out.
constexpr int kFitAttempts = 8;
constexpr double kShrinkPerAttempt = 0.98;

class FreeTypeFace {
 public:
  ~FreeTypeFace() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool Open(const std::string& path, std::string& error) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      error = "cannot start FreeType";
      return false;
    }
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
      face_ = nullptr;
      error = "cannot read the font " + path;
      return false;
    }
    if (!FT_IS_SCALABLE(face_) || FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0) {
      error = "the font " + path + " has no scalable outlines with a Unicode map";
      return false;
    }
    return true;
  }
  FT_Face get() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Extent of the drawn glyphs in font units, relative to the pen origin.
struct InkExtent {
  FT_Pos left = 0, right = 0, bottom = 0, top = 0, advance = 0;
};

// Where the glyphs go in their cells, in texels.
struct CellPlacement {
  double pixelsPerUnitX = 0, pixelsPerUnitY = 0;
  double penX = 0;   // from the cell's left edge
  int baseline = 0;  // rows from the cell's top
};

std::string CodeName(int code) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", code);
  return name;
}

bool MeasureInk(FT_Face face, InkExtent& ink, std::string& error) {
  bool first = true;
  for (int code = 0; code < kCellsPerRow * kCellsPerRow; ++code) {
    if (!HasGlyph(code)) continue;
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    if (index == 0) continue;
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      error = "cannot load the outline of " + CodeName(code);
      return false;
    }
    ink.advance = std::max(ink.advance, face->glyph->metrics.horiAdvance);
    if (face->glyph->outline.n_points == 0) continue;
    FT_BBox box;
    FT_Outline_Get_CBox(&face->glyph->outline, &box);
    if (first) {
      ink.left = box.xMin, ink.right = box.xMax, ink.bottom = box.yMin, ink.top = box.yMax;
      first = false;
    } else {
      ink.left = std::min(ink.left, box.xMin);
      ink.right = std::max(ink.right, box.xMax);
      ink.bottom = std::min(ink.bottom, box.yMin);
      ink.top = std::max(ink.top, box.yMax);
    }
  }
  if (first || ink.advance <= 0) {
    error = "the font has no Latin-1 glyphs";
    return false;
  }
  return true;
}

// Fits the deepest descender and the tallest accent between the top and bottom
// margins. The geometry draws a cell as a square, about twice as wide as a
// monospace glyph's own box, so the glyphs are widened to fill the columns
// that are read: the letters come out broad but spaced as the font intends,
// where keeping their shape would leave a gap as wide as a letter between them.
CellPlacement PlaceGlyphs(const InkExtent& ink, double shrink) {
  CellPlacement place;
  // One row of the height goes to rounding the baseline to a whole row.
  const double height = kCellSize - 2 * kCellMargin - 1;
  place.pixelsPerUnitY = height / static_cast<double>(ink.top - ink.bottom) * shrink;
  const double width = static_cast<double>(std::max(ink.right, ink.advance) - std::min<FT_Pos>(ink.left, 0));
  place.pixelsPerUnitX = (kInkRight - kCellMargin) / width * shrink;
  const double advance = ink.advance * place.pixelsPerUnitX;
  const double leftmost = kCellMargin - ink.left * place.pixelsPerUnitX;
  const double rightmost = kInkRight - ink.right * place.pixelsPerUnitX;
  place.penX = std::clamp((kSampledWidth - advance) / 2, leftmost, rightmost);
  place.baseline = kCellMargin + static_cast<int>(std::ceil(ink.top * place.pixelsPerUnitY));
  return place;
}

void ClearAtlas(Image& atlas) {
  atlas.width = kAtlasSize;
  atlas.height = kAtlasSize;
  atlas.rgba.assign(static_cast<size_t>(kAtlasSize) * kAtlasSize * 4, 0xFF);
  for (size_t at = 3; at < atlas.rgba.size(); at += 4) atlas.rgba[at] = 0;
}

// Draws one glyph into its cell. Coverage that falls outside the part of the
// cell the geometry reads is counted in clipped and left out.
bool DrawGlyph(FT_Face face, int code, const CellPlacement& place, Image& atlas, long& clipped,
               std::string& error) {
  const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
  if (index == 0) return true;
  // Light hinting snaps the horizontal strokes to rows and leaves widths alone.
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0 || face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
    error = "cannot load " + CodeName(code);
    return false;
  }
  const double penFloor = std::floor(place.penX);
  FT_Outline_Translate(&face->glyph->outline, static_cast<FT_Pos>(std::lround((place.penX - penFloor) * 64)), 0);
  if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
    error = "cannot render " + CodeName(code);
    return false;
  }
  const FT_Bitmap& bitmap = face->glyph->bitmap;
  if (bitmap.rows > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
    error = "unexpected pixel mode for " + CodeName(code);
    return false;
  }
  const int cellX = (code % kCellsPerRow) * kCellSize;
  const int cellY = (code / kCellsPerRow) * kCellSize;
  const int left = static_cast<int>(penFloor) + face->glyph->bitmap_left;
  const int top = place.baseline - face->glyph->bitmap_top;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const unsigned char* source = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const uint8_t coverage = source[column];
      if (coverage == 0) continue;
      const int x = left + static_cast<int>(column);
      const int y = top + static_cast<int>(row);
      if (x < kCellMargin || x >= kInkRight || y < kCellMargin || y >= kCellSize - kCellMargin) {
        ++clipped;
        continue;
      }
      atlas.rgba[(static_cast<size_t>(cellY + y) * kAtlasSize + cellX + x) * 4 + 3] = coverage;
    }
  }
  return true;
}

}  // namespace

bool HasGlyph(int code) { return (code >= 32 && code <= 126) || (code >= 160 && code <= 255); }

bool RenderAtlas(const std::string& fontPath, Image& atlas, std::string& error) {
  FreeTypeFace font;
  if (!font.Open(fontPath, error)) return false;
  FT_Face face = font.get();
  InkExtent ink;
  if (!MeasureInk(face, ink, error)) return false;

  double shrink = 1.0;
  for (int attempt = 0; attempt < kFitAttempts; ++attempt, shrink *= kShrinkPerAttempt) {
    const CellPlacement place = PlaceGlyphs(ink, shrink);
    const double unitsPerEm = face->units_per_EM;
    const auto emWidth = static_cast<FT_F26Dot6>(std::lround(place.pixelsPerUnitX * unitsPerEm * 64));
    const auto emHeight = static_cast<FT_F26Dot6>(std::lround(place.pixelsPerUnitY * unitsPerEm * 64));
    if (FT_Set_Char_Size(face, emWidth, emHeight, 72, 72) != 0) {
      error = "cannot scale the font";
      return false;
    }
    ClearAtlas(atlas);
    long clipped = 0;
    for (int code = 0; code < kCellsPerRow * kCellsPerRow; ++code) {
      if (HasGlyph(code) && !DrawGlyph(face, code, place, atlas, clipped, error)) return false;
    }
    if (clipped == 0) return true;
  }
  error = "the glyphs do not fit their cells";
  return false;
}

}  // namespace fontatlas
