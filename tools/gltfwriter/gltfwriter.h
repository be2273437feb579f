// glTF 2.0 test files, written through the engine's tinygltf: a small static
// scene, the skinned demo creature, and broken copies of both. Used by the
// import tests, the fuzz seeds, the benchmarks and the gltfwrite program.
#pragma once

#include "models/import/gltflibrary.h"

#include <stdint.h>

#include <string>
#include <vector>

struct ModelSkelData;

namespace gltfwriter {

// Appends data to a model's one buffer as buffer views and accessors.
class Builder {
public:
    Builder();
    // A view of `bytes`, padded to 4 bytes in the buffer.
    int View(const void* bytes, size_t size);
    int Accessor(int view, int componentType, int type, size_t count, bool normalized = false);
    // Float accessors of `type` (TINYGLTF_TYPE_*); positions get their bounds.
    int Floats(const std::vector<float>& values, int type, bool bounds = false);
    int Indices(const std::vector<uint16_t>& indices);
    int Indices32(const std::vector<uint32_t>& indices);
    // JOINTS_0: four 16-bit joint numbers per vertex.
    int Joints(const std::vector<uint16_t>& joints);
    // A linear translation channel and a linear rotation channel of `node`,
    // keyed at `times`.
    void AnimateNode(tinygltf::Animation* animation, int node, const std::vector<float>& times,
                     const std::vector<float>& translations, const std::vector<float>& rotations);
    // The node that draws mesh 0 skinned by skin 0, added last.
    void SkinnedBody(const std::string& name);
    // The scene: the `roots` and the skinned body.
    void SkinnedScene(const std::vector<int>& roots);
    int Image(const std::string& name, const std::vector<uint8_t>& png);  // embedded in the buffer
    int ImageFile(const std::string& uri);                                // beside the file
    int ImageDataUri(const std::string& name, const std::vector<uint8_t>& png);
    int Material(const std::string& name, const float colour[4], int image = -1);

    tinygltf::Model model;
};

// A w x h PNG of `rgba` texels (0xRRGGBBAA, top row first).
std::vector<uint8_t> Png(int width, int height, const std::vector<uint32_t>& rgba);

// The static scene: node "base" (translation (0, 1, 0)) holds "quad", a
// 2 x 2 square in its x-y plane facing +z, with node translation (1, 0, 0)
// and a quarter turn about +y, material "Painted" (colour (1, 0.5, 0.25, 1),
// an embedded 2 x 2 PNG); and "marker", a right triangle (0,0,0), (1,0,0),
// (0,2,0) without normals or indices, scaled by 2 at (0, 0, -3), material
// "Plain" (colour (0.2, 0.4, 0.6, 1), "checker.png" beside the file, which
// WriteScene writes too). Vertices: 4 + 3; triangles: 2 + 1.
tinygltf::Model StaticScene();
extern const char* const kCheckerFile;

// The demo creature (tools/creaturegen) in glTF axes and metres: 27 joints,
// two primitives (skin, cloth) with up to four influences per vertex, and
// its animations (idle, walk, run, wave, jump), linear.
tinygltf::Model Creature();

// Two joints, one triangle and one animation with a step, a linear and a
// cubic-spline channel: a skinned file small enough for the fuzz seeds.
tinygltf::Model SmallSkinned();

// The two-joint arm both small skinned files stand on: "root" at the origin,
// "arm" at (0, 1, 0) under it, node 2 drawing mesh 0 through skin 0 (inverse
// binds: the identity, and the move by (0, -1, 0)), and the scene {0, 2}.
// Returns mesh 0's triangle (0,1,0), (1,1,0), (0,2,0) with its positions
// only: the caller adds its joints and weights and puts it into mesh 0.
tinygltf::Primitive Arm(Builder* b);

// A skinned model as the Cal3D readers load it, in glTF with the creature's
// axes (units kept): the glTF import skins it where the Cal3D model's world
// matrix puts it. Animations whose duration outlasts their last key keep
// only their keys.
tinygltf::Model FromSkinned(const ModelSkelData& data);

// Writes `model` as .glb (binary) or .gltf with its buffer in `path` minus
// the extension + ".bin"; the scene's checker image is written beside.
bool Write(const tinygltf::Model& model, const std::string& path, bool binary);
std::vector<uint8_t> Bytes(const tinygltf::Model& model, bool binary);

// The broken copies the import must refuse.
enum class Fault {
    BufferViewPastBuffer,  // a view longer than its buffer
    AccessorPastView,      // an accessor counting past its view
    IndexPastVertices,     // a triangle naming a vertex the mesh lacks
    NanMatrix,             // an inverse bind matrix holding NaN
    JointCycle,            // nodes that are each other's children
};
// False when the model has nothing the fault can be put into.
bool Break(tinygltf::Model* model, Fault fault);

}  // namespace gltfwriter
