// A writer of 3D Studio chunk files. ChunkWriter lays out chunks byte by byte
// (and can patch any field afterwards, to make malformed files on purpose);
// the Scene helpers write the editor chunks a scene loader reads: materials
// with colours, shininess and a texture map, and named triangle meshes with
// their per-material face groups.
#pragma once

#include <array>
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

namespace writer3ds {

class ChunkWriter {
public:
    // Opens a chunk; its length is filled in by the matching End. Returns the
    // offset of its header.
    size_t Begin(uint16_t id);
    void End();
    // A whole chunk with the given body and no children.
    void Leaf(uint16_t id, const std::vector<uint8_t>& body);

    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void F32(float value);
    // The characters and a terminating zero.
    void String(const std::string& text);
    void Bytes(const void* data, size_t size);

    void PatchU16(size_t offset, uint16_t value);
    void PatchU32(size_t offset, uint32_t value);

    size_t Size() const { return bytes.size(); }
    const std::vector<uint8_t>& Data() const { return bytes; }
    // False when the file cannot be written.
    bool Save(const std::string& path) const;

private:
    std::vector<uint8_t> bytes;
    std::vector<size_t> open;
};

using Vec3 = std::array<float, 3>;
using Rgb = std::array<uint8_t, 3>;

// How colours are written: 24-bit (0x0011) as older modellers do, or floats
// (0x0010) as many exporters do; either optionally followed by the
// gamma-corrected copy (0x0012 or 0x0013).
enum class ColorForm { Bytes, Floats };

struct Material {
    std::string name;
    Rgb ambient{}, diffuse{}, specular{};
    int16_t shininessPercent = 0;
    std::string textureMap;  // empty: no texture map
    ColorForm colorForm = ColorForm::Bytes;
    bool correctedCopy = false;
    // Written when not negative, as exporters do for every material.
    int16_t transparencyPercent = -1;
    int16_t selfIllumPercent = -1;
    // The map's tiling flags, u and v scale and (when not zero) u and v
    // offset, written when set.
    bool mapParameters = false;
    uint16_t mapTiling = 0x0020;  // summed-area filtering, tiled
    std::array<float, 2> mapScale{2.0f, 3.0f};
    std::array<float, 2> mapOffset{0.0f, 0.0f};
};

struct FaceGroup {
    std::string material;
    std::vector<uint16_t> faces;
};

struct Mesh {
    std::string name;
    std::vector<Vec3> points;                      // 3D Studio axes: z is up
    std::vector<std::array<uint16_t, 3>> faces;    // counter-clockwise seen from outside
    std::vector<std::array<float, 2>> texCoords;  // empty or one per point
    std::vector<FaceGroup> groups;
};

struct Scene {
    std::vector<Material> materials;
    std::vector<Mesh> meshes;
    // A keyframer section (0xB000) after the editor chunk: a header and one
    // object node with position, rotation and scale tracks per mesh.
    bool keyframer = false;
};

void WriteMaterial(ChunkWriter& writer, const Material& material);
void WriteMesh(ChunkWriter& writer, const Mesh& mesh);
// A scene file: root 0x4D4D with a version, the editor chunk 0x3D3D holding
// every material and then every mesh as a named object.
std::vector<uint8_t> WriteScene(const Scene& scene);
bool SaveScene(const Scene& scene, const std::string& path);

}  // namespace writer3ds
