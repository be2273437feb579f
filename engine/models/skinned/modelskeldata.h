// The loaded data of a skinned model: skeleton, animations, skin and
// materials, as the Cal3D readers fill it and the animation update reads it.
// ModelSkelMeta owns one of these and shares it between clones; the graphic
// resources (vertex and index buffers, textures) are kept beside it by the
// meta, built from the packed arrays below.
#pragma once

#include "foundation/enginearray.h"

#include "foundation/enginestring.h"

#include <stdint.h>

// Plain single-precision vector and quaternion with the layouts of
// D3DXVECTOR3 and D3DXQUATERNION (x, y, z and x, y, z, w), so the file
// blocks and the math library's types can be read through one another.
struct SkelVector {
    float x, y, z;
};
struct SkelQuaternion {
    float x, y, z, w;
};
static_assert(sizeof(SkelVector) == 12 && sizeof(SkelQuaternion) == 16, "file layouts");

// Colour and surface with the layouts and field names of D3DCOLORVALUE and
// D3DMATERIAL9.
struct SkelColor {
    float r, g, b, a;
};
struct SkelSurface {
    SkelColor Diffuse, Ambient, Specular, Emissive;
    float Power;
};
static_assert(sizeof(SkelSurface) == 68, "D3DMATERIAL9 layout");

// One bone of the skeleton; its index is its position in the bone array.
struct Bone {
    int32_t parent = -1;  // -1 for a root; otherwise a valid bone index
    EngineArray<int32_t> children;  // each child's parent is this bone
    SkelVector translation{};      // bind pose, relative to the parent
    SkelQuaternion rotation{};
    SkelVector boneSpaceTranslation{};  // inverse bind transform
    SkelQuaternion boneSpaceRotation{};
};

// The file's 32-byte key layout, read as one block.
struct Keyframe {
    float time;  // seconds from the start of the animation
    SkelVector translation;
    SkelQuaternion rotation;
};
static_assert(sizeof(Keyframe) == 32, "key layout");

struct Track {
    int32_t bone;      // below the skeleton's bone count once the model is loaded
    int32_t firstKey;  // into the animation's key array
    int32_t keyCount;  // may be 0: such a track is not sampled
};

struct Animation {
    EngineString name;   // as the model's files name it, for choosing and listing
    float duration = 0;  // seconds, at least 0
    EngineArray<Track> tracks;
    EngineArray<Keyframe> keys;  // all tracks' keys, one track after the other
};

struct SkinVertex {
    SkelVector position;  // bind pose, model space
    SkelVector normal;
    float u, v;  // first texture-coordinate set; 0 when the file has none
    uint32_t firstInfluence;
    uint32_t influenceCount;
};

// The file's 8-byte influence layout, read as one block.
struct Influence {
    int32_t bone;
    float weight;
};
static_assert(sizeof(Influence) == 8, "influence layout");

struct SkelMaterial {
    SkelSurface material{};
    bool hasTexture = false;
    EngineString textureName;  // path prefix + map name when hasTexture
    // The range of the packed index array drawn with this material.
    uint32_t startIndex = 0;
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
};

// One submesh as the mesh reader returns it. Indices and first-influence
// indices count from the submesh's own arrays until packing rebases them.
struct Cal3DSubmesh {
    int32_t material = 0;
    EngineArray<SkinVertex> vertices;
    EngineArray<int32_t> indices;  // three per triangle
    EngineArray<Influence> influences;
};

struct ModelSkelData {
    EngineString type = "NO_TYPE";
    EngineString file = "NO_FILE";
    // The product of the configuration's scale lines. The base matrix is
    // RotationX(-pi/2) x RotationY(pi) x Scaling(scale): Cal3D data is z-up.
    float scale = 1.0f;

    EngineArray<Bone> bones;
    EngineArray<int32_t> roots;  // bones without a parent, increasing
    EngineArray<Animation> animations;

    // Packed: all submeshes grouped by material, in material order.
    EngineArray<SkinVertex> vertices;
    EngineArray<Influence> influences;
    EngineArray<uint16_t> indices;  // triangle list for the 16-bit index buffer
    EngineArray<SkelMaterial> materials;

    uint32_t meshCount = 0;
    uint32_t submeshCount = 0;
};
