// Wavefront OBJ writer for tests and seeds: a model is its OBJ text, the
// material library it names and the texture maps that library names, all
// written into one folder. Texts are kept as written, so callers can also
// damage them on purpose.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

namespace objwriter {

struct FileText {
    std::string name;  // relative to the model's folder; may hold a subfolder
    std::string bytes;
};

struct Model {
    std::string objName;  // e.g. "scene.obj"
    std::string obj;
    std::vector<FileText> others;  // material libraries and maps
};

// The test scene, in the file's own right-handed, y-up axes:
// - shape "floor": the quad (-1..1, 0, -1..1), facing +y, material "stone"
//   (white, textured with maps/stone.tga), corners with texture coordinates
//   and normals;
// - shape "block": an irregular tetrahedron, every face wound
//   counter-clockwise seen from outside, written with relative (negative)
//   indices and without normals, material "paint" (Kd 0.9 0.2 0.1, Ka 0.2
//   0.05 0, Ks 0.5 0.5 0.5, Ns 20). Its points lie at z from 1 to 3 only.
// 8 distinct corners, 6 triangles (4 of them the block's), 2 materials.
Model TestScene(const std::string& baseName);

// The block's four points, in the file's axes, in the order written.
extern const float BLOCK_POINTS[4][3];

// A flat grid of `cells` x `cells` quads, (cells + 1)^2 corners, one material
// and no library: the size limits' test model.
Model Grid(const std::string& baseName, uint32_t cells);

// An uncompressed 24-bit TGA of `size` x `size` texels in two colours (BGR).
std::string CheckerTga(uint32_t size, const uint8_t first[3], const uint8_t second[3]);

// Writes the model's files into `folder` (made if missing, as are the
// others' subfolders); false when a file cannot be written.
bool Save(const Model& model, const std::string& folder);

// The test scene spoilt one way each, named for what is wrong.
struct Broken {
    std::string name;
    Model model;
};
std::vector<Broken> BrokenScenes(const std::string& baseName);
// The one of them named `name`; an empty model when there is none.
Model BrokenScene(const std::string& baseName, const std::string& name);

}  // namespace objwriter
