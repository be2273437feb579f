// 3DS files laid out the way today's exporters write them (float colours
// with their gamma-corrected copies, transparency and self-illumination,
// map tiling and scale, a keyframer section, long object and material names,
// chunks of their own), and damaged copies that a reader must refuse. Tests,
// fuzz seeds and the viewer's end-to-end run all use the same files.
#pragma once

#include "writer3ds.h"

#include <string>
#include <vector>

namespace writer3ds {

struct StyledFile {
    std::string name;  // file name, ".3ds" included
    std::vector<uint8_t> bytes;
};

// The texture map the styled files name; it lies beside them.
extern const char* const STYLED_TEXTURE;

// Files a reader loads: each draws a box on a plinth.
std::vector<StyledFile> ExporterStyleFiles();
// Damaged copies of the first styled file: truncated, a chunk running past
// its parent, a colour chunk without a colour, a name without its end.
std::vector<StyledFile> BrokenExporterStyleFiles();

// A 32-bit uncompressed TGA of `size` x `size` checker squares.
std::vector<uint8_t> CheckerTga(int size);

// Writes the styled files, the broken ones and the texture into `folder`.
bool SaveExporterStyleFiles(const std::string& folder);

}  // namespace writer3ds
