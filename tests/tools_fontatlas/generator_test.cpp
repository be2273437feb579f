// The generator's writer and its failures, and that the committed font texture
// is exactly what the generator makes today.
#include <gtest/gtest.h>

#include <cstdio>

#include "atlas.h"
#include "texture_reader.h"
#include "tga.h"

namespace {

TEST(TgaWriter, WritesBgraPixelsFromTheBottomRowUp) {
  fontatlas::Image image;
  image.width = 2;
  image.height = 2;
  // Top row: red, green; bottom row: blue, half-transparent white.
  image.rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
  const std::vector<uint8_t> tga = fontatlas::EncodeTga32(image);
  const std::vector<uint8_t> expected = {
      0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8,
      255, 0, 0, 255, 255, 255, 255, 128,  // bottom row: blue, white
      0, 0, 255, 255, 0, 255, 0, 255,      // top row: red, green
  };
  EXPECT_EQ(tga, expected);
}

TEST(TgaWriter, ReportsAFileThatCannotBeCreated) {
  std::string error;
  EXPECT_FALSE(fontatlas::WriteBinaryFile("no-such-folder/out.tga", {1, 2, 3}, error));
  EXPECT_NE(error.find("no-such-folder/out.tga"), std::string::npos) << error;
}

TEST(AtlasGenerator, ReportsAMissingOrUnreadableFont) {
  fontatlas::Image atlas;
  std::string error;
  EXPECT_FALSE(fontatlas::RenderAtlas("no-such-font.ttf", atlas, error));
  EXPECT_NE(error.find("no-such-font.ttf"), std::string::npos) << error;

  const char* notAFont = "not-a-font.ttf";
  FILE* file = std::fopen(notAFont, "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("plain text, not a font", file);
  std::fclose(file);
  error.clear();
  EXPECT_FALSE(fontatlas::RenderAtlas(notAFont, atlas, error));
  EXPECT_FALSE(error.empty());
  std::remove(notAFont);
}

// Keeps the committed file in step with its generator: remake it with the
// font_texture target and commit it whenever this fails after a change.
TEST(AtlasGenerator, RegeneratingGivesTheCommittedFileByteForByte) {
  fontatlas::Image atlas;
  std::string error;
  ASSERT_TRUE(fontatlas::RenderAtlas(QL_ATLAS_FONT, atlas, error)) << error;
  const std::vector<uint8_t> committed =
      fontatlas_test::ReadBytes(fontatlas_test::SourcePath("data/dejavu_sans_mono_512.tga"));
  const std::vector<uint8_t> regenerated = fontatlas::EncodeTga32(atlas);
  ASSERT_EQ(regenerated.size(), committed.size());
  size_t firstDifference = 0;
  while (firstDifference < committed.size() && committed[firstDifference] == regenerated[firstDifference]) ++firstDifference;
  EXPECT_EQ(firstDifference, committed.size()) << "the files differ from byte " << firstDifference;
}

}  // namespace
