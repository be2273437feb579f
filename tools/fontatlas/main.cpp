// Remakes the font texture: fontatlas <font.ttf> <output.tga>
#include <cstdio>

#include "atlas.h"
#include "tga.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <font.ttf> <output.tga>\n", argv[0]);
    return 2;
  }
  fontatlas::Image atlas;
  std::string error;
  if (!fontatlas::RenderAtlas(argv[1], atlas, error) ||
      !fontatlas::WriteBinaryFile(argv[2], fontatlas::EncodeTga32(atlas), error)) {
    std::fprintf(stderr, "fontatlas: %s\n", error.c_str());
    return 1;
  }
  std::printf("fontatlas: wrote %s\n", argv[2]);
  return 0;
}
