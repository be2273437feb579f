// What a glTF 2.0 file holds that the engine draws, read and checked by
// ReadGltf. Everything is still in the file's frame (right-handed, y up,
// metres): the scene and skinned builders convert it once, as modelgltf.h
// describes. Every index in here has been checked against what it names,
// so the builders index without checks of their own.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// Column-major 4 x 4 matrix, as the file stores them (column vectors).
struct GltfMatrix {
    double m[16];
};

struct GltfPrimitive {
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex, or empty: computed by the builders
    std::vector<float> texCoords;  // 2 per vertex, or empty
    std::vector<uint16_t> joints;  // 4 per vertex, indices into the node's skin; empty without
    std::vector<float> weights;    // 4 per vertex, beside joints
    std::vector<uint32_t> indices;  // triangle list, every index below the vertex count
    int material = -1;              // -1: the default material
};

struct GltfMesh {
    std::string name;
    std::vector<GltfPrimitive> primitives;
};

struct GltfNode {
    std::string name;
    int parent = -1;
    double translation[3] = {0, 0, 0};
    double rotation[4] = {0, 0, 0, 1};  // x, y, z, w; rotates v to q v q*
    double scale[3] = {1, 1, 1};
    int mesh = -1;
    int skin = -1;
    bool inScene = false;  // reached from the default scene's roots
};

struct GltfSkin {
    std::string name;
    std::vector<int> joints;                  // node indices, each once
    std::vector<GltfMatrix> inverseBinds;     // one per joint
};

enum GltfPath { GLTF_TRANSLATION, GLTF_ROTATION, GLTF_SCALE };
enum GltfInterpolation { GLTF_LINEAR, GLTF_STEP, GLTF_CUBICSPLINE };

struct GltfChannel {
    int node;
    GltfPath path;
    GltfInterpolation interpolation;
    std::vector<float> times;   // increasing, at least one
    // 3 or 4 floats per key; for CUBICSPLINE three values per key: in-tangent,
    // value, out-tangent.
    std::vector<float> values;
};

struct GltfAnimation {
    std::string name;
    std::vector<GltfChannel> channels;
};

struct GltfImage {
    std::string name;
    std::string uri;             // a file beside the model; empty when bytes hold it
    std::vector<uint8_t> bytes;  // embedded (buffer view or data URI)
};

struct GltfMaterial {
    std::string name;
    float baseColor[4] = {1, 1, 1, 1};
    int image = -1;  // the base colour texture's image
    bool blend = false;
    // The texture's coordinate transform (KHR_texture_transform): scaled,
    // turned by `rotation` radians, then offset.
    float uvOffset[2] = {0, 0};
    float uvRotation = 0;
    float uvScale[2] = {1, 1};
};

struct GltfContent {
    std::vector<GltfNode> nodes;
    std::vector<GltfMesh> meshes;
    std::vector<GltfSkin> skins;
    std::vector<GltfAnimation> animations;
    std::vector<GltfMaterial> materials;
    std::vector<GltfImage> images;
    // Parts read past: primitive modes ("lines", ...), morph targets, cameras,
    // lights, extensions; each named once.
    std::vector<std::string> skippedModes;
    std::vector<std::string> unsupported;
    std::vector<std::string> warnings;  // further notes for one Warning each
};

// Reads and checks `file` (.glb or .gltf; external buffers and images beside
// it). True with *out filled; false with *error saying, in a user's words,
// what is wrong. Never reads past a buffer, never loops, never throws.
bool ReadGltf(const std::string& file, GltfContent* out, std::string* error);
// The same for a file's bytes, `folder` the place of its external parts.
bool ReadGltfBytes(const uint8_t* bytes, size_t size, const std::string& folder, GltfContent* out,
                   std::string* error);

// Node transforms in the file's frame: `local` from the node's TRS;
// `world` the product down from its scene root.
GltfMatrix GltfLocalMatrix(const GltfNode& node);
GltfMatrix GltfWorldMatrix(const GltfContent& content, int node);
GltfMatrix GltfMultiply(const GltfMatrix& a, const GltfMatrix& b);
GltfMatrix GltfCompose(const double t[3], const double r[4], const double s[3]);
