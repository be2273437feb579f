// Cal3D file writer: the binary skeleton (CSF), animation (CAF), mesh (CMF)
// and material (CRF) files and the configuration text. Values are written
// little-endian, without padding; every field the files hold can be set, so
// callers can also write damaged files on purpose.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

namespace cal3d {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};

struct Bone {
    std::string name;
    Vec3 translation;  // relative to the parent
    Quat rotation;
    Vec3 boneSpaceTranslation;  // inverse bind transform
    Quat boneSpaceRotation;
    int32_t parent = -1;
    std::vector<int32_t> children;
};

struct Skeleton {
    int32_t version = 700;
    std::vector<Bone> bones;
};

struct Key {
    float time = 0;
    Vec3 translation;
    Quat rotation;
};

struct Track {
    int32_t bone = 0;
    std::vector<Key> keys;
};

struct Animation {
    int32_t version = 700;
    float duration = 1;
    std::vector<Track> tracks;
};

struct Influence {
    int32_t bone = 0;
    float weight = 1;
};

struct TexCoord {
    float u = 0, v = 0;
};

struct Vertex {
    Vec3 position;
    Vec3 normal;
    int32_t collapseVertex = -1;
    uint32_t faceCollapseCount = 0;
    // Exactly the submesh's set count is written: missing sets as zeros.
    std::vector<TexCoord> texCoords;
    std::vector<Influence> influences;
    float springWeight = 0;  // written only when the submesh has springs
};

struct Spring {
    int32_t vertex0 = 0, vertex1 = 0;
    float coefficient = 0, idleLength = 0;
};

struct Submesh {
    int32_t material = 0;
    uint32_t lodCount = 0;
    uint32_t texCoordSets = 1;
    std::vector<Vertex> vertices;
    std::vector<Spring> springs;
    std::vector<int32_t> indices;  // three per face
};

struct Mesh {
    int32_t version = 700;
    std::vector<Submesh> submeshes;
};

// Colour bytes as stored: red, green, blue, alpha.
struct Color {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Material {
    int32_t version = 700;
    Color ambient, diffuse, specular;
    float shininess = 0;
    // Each map name is written with its terminating zero byte.
    std::vector<std::string> maps;
};

// A material of the current version, in one expression.
inline Material MakeMaterial(Color ambient, Color diffuse, Color specular, float shininess = 0,
                             std::vector<std::string> maps = {})
{
    Material material;
    material.ambient = ambient;
    material.diffuse = diffuse;
    material.specular = specular;
    material.shininess = shininess;
    material.maps = std::move(maps);
    return material;
}

// The configuration as entries in order; each becomes one "key=value" line.
struct ConfigEntry {
    std::string key;
    std::string value;
};
struct Config {
    std::vector<ConfigEntry> entries;
};

std::vector<uint8_t> Encode(const Skeleton& skeleton);
std::vector<uint8_t> Encode(const Animation& animation);
std::vector<uint8_t> Encode(const Mesh& mesh);
std::vector<uint8_t> Encode(const Material& material);
std::string Encode(const Config& config);

// False when the file cannot be written completely.
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteFile(const std::string& path, const std::string& text);

template <typename T>
bool Write(const std::string& path, const T& value)
{
    return WriteFile(path, Encode(value));
}

}  // namespace cal3d
