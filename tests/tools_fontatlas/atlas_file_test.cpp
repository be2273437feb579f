// The committed font texture, read as a loader reads it: its header, its empty
// and transparent places, and where the glyphs sit in their cells.
#include <gtest/gtest.h>

// Static, so it cannot clash with a copy linked into the platform library.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "atlas.h"
#include "texture_reader.h"

namespace {

using fontatlas::kAtlasSize;
using fontatlas::kCellSize;
using fontatlas_test::AlphaPlane;
using fontatlas_test::CellInk;
using fontatlas_test::InkOfCell;

class AtlasFile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bytes_ = new std::vector<uint8_t>(fontatlas_test::ReadBytes(fontatlas_test::SourcePath("data/dejavu_sans_mono_512.tga")));
    plane_ = new AlphaPlane(fontatlas_test::DecodeAlpha(*bytes_));
  }
  static void TearDownTestSuite() {
    delete bytes_;
    delete plane_;
  }
  void SetUp() override { ASSERT_EQ(plane_->width, kAtlasSize) << "the font texture is missing or unreadable"; }

  static std::vector<uint8_t>* bytes_;
  static AlphaPlane* plane_;
};
std::vector<uint8_t>* AtlasFile::bytes_ = nullptr;
AlphaPlane* AtlasFile::plane_ = nullptr;

TEST_F(AtlasFile, HeaderDescribesAnUncompressed32BitImageWithAlpha) {
  const std::vector<uint8_t>& b = *bytes_;
  ASSERT_EQ(b.size(), 18u + 512u * 512u * 4u);
  EXPECT_EQ(b[0], 0) << "identifier length";
  EXPECT_EQ(b[1], 0) << "colour map type";
  EXPECT_EQ(b[2], 2) << "uncompressed true-colour";
  EXPECT_EQ(b[12] | (b[13] << 8), 512);
  EXPECT_EQ(b[14] | (b[15] << 8), 512);
  EXPECT_EQ(b[16], 32);
  EXPECT_EQ(b[17] & 0x0F, 8) << "alpha bits";
  EXPECT_EQ(b[17] & 0x30, 0) << "origin: bottom-left";
}

// The sample loads the atlas under the name its settings have always given;
// that file is a committed copy, and a copy that fell behind the generator's
// output would show the old glyphs in the sample alone.
TEST_F(AtlasFile, TheNameTheSampleLoadsHoldsTheSameAtlas) {
  const std::vector<uint8_t> sampleName =
      fontatlas_test::ReadBytes(fontatlas_test::SourcePath("data/lucida_console_512.tga"));
  ASSERT_EQ(sampleName.size(), bytes_->size());
  EXPECT_TRUE(sampleName == *bytes_) << "data/lucida_console_512.tga differs from data/dejavu_sans_mono_512.tga";
}

// A common decoder must see the same picture, the right way up.
TEST_F(AtlasFile, StbImageDecodesTheSameAlphaUpright) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes_->data(), static_cast<int>(bytes_->size()), &width, &height, &channels, 4);
  ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
  ASSERT_EQ(width, kAtlasSize);
  ASSERT_EQ(height, kAtlasSize);
  size_t mismatches = 0, colouredTexels = 0;
  for (size_t i = 0; i < plane_->alpha.size(); ++i) {
    mismatches += pixels[i * 4 + 3] != plane_->alpha[i];
    colouredTexels += pixels[i * 4] != 255 || pixels[i * 4 + 1] != 255 || pixels[i * 4 + 2] != 255;
  }
  stbi_image_free(pixels);
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(colouredTexels, 0u) << "every texel is white; only the alpha varies";
}

// Line-start quads sample texture coordinate (0, 0); with bilinear filtering
// and wrapping that also reaches the texels at the other three corners.
TEST_F(AtlasFile, TexelsAroundTheOriginAreTransparent) {
  const int last = kAtlasSize - 1;
  EXPECT_EQ(plane_->At(0, 0), 0);
  EXPECT_EQ(plane_->At(last, 0), 0);
  EXPECT_EQ(plane_->At(0, last), 0);
  EXPECT_EQ(plane_->At(last, last), 0);
}

TEST_F(AtlasFile, ControlCodesAndBlanksHaveEmptyCells) {
  for (int code = 0; code < 256; ++code) {
    const bool blank = code < 33 || (code >= 127 && code <= 160);
    if (blank) {
      EXPECT_TRUE(InkOfCell(*plane_, code).Empty()) << "code " << code;
    }
  }
}

TEST_F(AtlasFile, EveryPrintableLatin1CodeHasAGlyph) {
  for (int code = 33; code < 256; ++code) {
    if (code >= 127 && code <= 160) continue;
    EXPECT_FALSE(InkOfCell(*plane_, code).Empty()) << "code " << code;
  }
}

// The geometry reads 0.0425 of the texture width (21.76 texels) of each cell;
// the rest and the outer rows must stay empty so filtering never pulls in a
// neighbour's ink.
TEST_F(AtlasFile, InkStaysInsideTheSampledPartOfEachCell) {
  const double sampledWidth = 0.0425 * kAtlasSize;
  for (int code = 0; code < 256; ++code) {
    const CellInk ink = InkOfCell(*plane_, code);
    if (ink.Empty()) continue;
    EXPECT_GE(ink.left, 1) << "code " << code;
    EXPECT_LT(ink.right + 1, sampledWidth) << "code " << code;
    EXPECT_GE(ink.top, 1) << "code " << code;
    EXPECT_LE(ink.bottom, kCellSize - 2) << "code " << code;
  }
}

// Wide letters fill most of the sampled width, so on screen the advance looks
// like the font's own spacing rather than a gap as wide as a letter.
TEST_F(AtlasFile, WideCapitalsSpanMostOfTheSampledWidth) {
  for (int code : {'M', 'W', 'A'}) {
    const CellInk ink = InkOfCell(*plane_, code);
    EXPECT_GE(ink.right - ink.left + 1, 15) << static_cast<char>(code);
    EXPECT_LE(ink.left, 3) << static_cast<char>(code);
  }
}

TEST_F(AtlasFile, LettersShareABaselineAndDescendersGoBelowIt) {
  const int baseline = InkOfCell(*plane_, 'a').bottom;
  for (int code : {'x', 'n', 'H', 'M', '1'}) EXPECT_NEAR(InkOfCell(*plane_, code).bottom, baseline, 1) << static_cast<char>(code);
  for (int code : {'g', 'p', 'y', 'j'}) EXPECT_GE(InkOfCell(*plane_, code).bottom, baseline + 4) << static_cast<char>(code);
  // Capitals and ascenders stand above the lower-case body.
  const int body = InkOfCell(*plane_, 'x').top;
  for (int code : {'A', 'M', 'd', 'l'}) EXPECT_LE(InkOfCell(*plane_, code).top, body - 4) << static_cast<char>(code);
  // Text sits a little above the middle of the cell, room for descenders below.
  EXPECT_GT(baseline, kCellSize / 2);
  EXPECT_LT(baseline, kCellSize - 5);
}

// Latin-1 letters with accents: the same letter, with marks above or below.
TEST_F(AtlasFile, AccentedLatin1LettersCarryTheirMarks) {
  struct Case {
    int accented, plain;
    bool markBelow;
  };
  for (const Case& c : {Case{0xE9, 'e', false}, Case{0xC9, 'E', false}, Case{0xE0, 'a', false},
                        Case{0xC5, 'A', false}, Case{0xF1, 'n', false}, Case{0xE7, 'c', true}}) {
    const CellInk accented = InkOfCell(*plane_, c.accented);
    const CellInk plain = InkOfCell(*plane_, c.plain);
    ASSERT_FALSE(accented.Empty()) << "code " << c.accented;
    if (c.markBelow) {
      EXPECT_GT(accented.bottom, plain.bottom + 1) << "code " << c.accented;
    } else {
      EXPECT_LT(accented.top, plain.top - 1) << "code " << c.accented;
      EXPECT_NEAR(accented.bottom, plain.bottom, 1) << "code " << c.accented;
    }
  }
}

}  // namespace
