#include "writer3ds.h"

#include <stdio.h>
#include <string.h>

namespace writer3ds {

size_t ChunkWriter::Begin(uint16_t id)
{
    size_t offset = bytes.size();
    U16(id);
    U32(0);
    open.push_back(offset);
    return offset;
}

void ChunkWriter::End()
{
    size_t offset = open.back();
    open.pop_back();
    PatchU32(offset + 2, (uint32_t)(bytes.size() - offset));
}

void ChunkWriter::Leaf(uint16_t id, const std::vector<uint8_t>& body)
{
    Begin(id);
    Bytes(body.data(), body.size());
    End();
}

void ChunkWriter::U8(uint8_t value)
{
    bytes.push_back(value);
}

void ChunkWriter::U16(uint16_t value)
{
    U8((uint8_t)value);
    U8((uint8_t)(value >> 8));
}

void ChunkWriter::U32(uint32_t value)
{
    U16((uint16_t)value);
    U16((uint16_t)(value >> 16));
}

void ChunkWriter::F32(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, 4);
    U32(bits);
}

void ChunkWriter::String(const std::string& text)
{
    Bytes(text.data(), text.size());
    U8(0);
}

void ChunkWriter::Bytes(const void* data, size_t size)
{
    const uint8_t* p = (const uint8_t*)data;
    bytes.insert(bytes.end(), p, p + size);
}

void ChunkWriter::PatchU16(size_t offset, uint16_t value)
{
    bytes.at(offset) = (uint8_t)value;
    bytes.at(offset + 1) = (uint8_t)(value >> 8);
}

void ChunkWriter::PatchU32(size_t offset, uint32_t value)
{
    PatchU16(offset, (uint16_t)value);
    PatchU16(offset + 2, (uint16_t)(value >> 16));
}

bool ChunkWriter::Save(const std::string& path) const
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

namespace {

void ColorValue(ChunkWriter& writer, ColorForm form, bool corrected, const Rgb& rgb)
{
    if (form == ColorForm::Bytes) {
        writer.Begin(corrected ? 0x0012 : 0x0011);
        writer.Bytes(rgb.data(), 3);
    } else {
        writer.Begin(corrected ? 0x0013 : 0x0010);
        for (uint8_t c : rgb)
            writer.F32(c / 255.0f);
    }
    writer.End();
}

void Color(ChunkWriter& writer, uint16_t id, const Rgb& rgb, const Material& material)
{
    writer.Begin(id);
    ColorValue(writer, material.colorForm, false, rgb);
    if (material.correctedCopy)
        ColorValue(writer, material.colorForm, true, rgb);
    writer.End();
}

void Percentage(ChunkWriter& writer, uint16_t id, int16_t percent)
{
    writer.Begin(id);
    writer.Begin(0x0030);
    writer.U16((uint16_t)percent);
    writer.End();
    writer.End();
}

void FloatLeaf(ChunkWriter& writer, uint16_t id, float value)
{
    writer.Begin(id);
    writer.F32(value);
    writer.End();
}

// One object node per mesh, each with a single key per track.
void WriteKeyframer(ChunkWriter& writer, const Scene& scene)
{
    writer.Begin(0xB000);
    writer.Begin(0xB00A);  // header: revision, scene name, frame count
    writer.U16(5);
    writer.String("exported");
    writer.U32(100);
    writer.End();
    writer.Begin(0xB008);  // active segment
    writer.U32(0);
    writer.U32(100);
    writer.End();
    uint16_t nodeId = 0;
    for (const Mesh& mesh : scene.meshes) {
        writer.Begin(0xB002);
        writer.Begin(0xB030);
        writer.U16(nodeId++);
        writer.End();
        writer.Begin(0xB010);  // name, two flag words, parent (none)
        writer.String(mesh.name);
        writer.U16(0x4000);
        writer.U16(0);
        writer.U16(0xFFFF);
        writer.End();
        writer.Begin(0xB013);  // pivot
        writer.F32(0), writer.F32(0), writer.F32(0);
        writer.End();
        const uint16_t tracks[] = {0xB020, 0xB021, 0xB022};
        for (uint16_t track : tracks) {
            writer.Begin(track);
            writer.U16(0), writer.U32(0), writer.U32(0);  // flags, two unused words
            writer.U32(1);                                // one key
            writer.U32(0), writer.U16(0);                 // frame 0, no spline data
            int values = track == 0xB021 ? 4 : 3;
            for (int i = 0; i < values; i++)
                writer.F32(track == 0xB022 || (track == 0xB021 && i == 1) ? 1.0f : 0.0f);
            writer.End();
        }
        writer.End();
    }
    writer.End();
}

}  // namespace

void WriteMaterial(ChunkWriter& writer, const Material& material)
{
    writer.Begin(0xAFFF);
    writer.Begin(0xA000);
    writer.String(material.name);
    writer.End();
    Color(writer, 0xA010, material.ambient, material);
    Color(writer, 0xA020, material.diffuse, material);
    Color(writer, 0xA030, material.specular, material);
    Percentage(writer, 0xA040, material.shininessPercent);
    if (material.transparencyPercent >= 0)
        Percentage(writer, 0xA050, material.transparencyPercent);
    if (material.selfIllumPercent >= 0)
        Percentage(writer, 0xA084, material.selfIllumPercent);
    if (!material.textureMap.empty()) {
        writer.Begin(0xA200);
        writer.Begin(0x0030);
        writer.U16(100);
        writer.End();
        writer.Begin(0xA300);
        writer.String(material.textureMap);
        writer.End();
        if (material.mapParameters) {
            writer.Begin(0xA351);
            writer.U16(material.mapTiling);
            writer.End();
            FloatLeaf(writer, 0xA354, material.mapScale[0]);
            FloatLeaf(writer, 0xA356, material.mapScale[1]);
            if (material.mapOffset[0] != 0.0f || material.mapOffset[1] != 0.0f) {
                FloatLeaf(writer, 0xA358, material.mapOffset[0]);
                FloatLeaf(writer, 0xA35A, material.mapOffset[1]);
            }
        }
        writer.End();
    }
    writer.End();
}

void WriteMesh(ChunkWriter& writer, const Mesh& mesh)
{
    writer.Begin(0x4000);
    writer.String(mesh.name);
    writer.Begin(0x4100);

    writer.Begin(0x4110);
    writer.U16((uint16_t)mesh.points.size());
    for (const Vec3& p : mesh.points)
        for (float c : p)
            writer.F32(c);
    writer.End();

    if (!mesh.texCoords.empty()) {
        writer.Begin(0x4140);
        writer.U16((uint16_t)mesh.texCoords.size());
        for (const auto& uv : mesh.texCoords) {
            writer.F32(uv[0]);
            writer.F32(uv[1]);
        }
        writer.End();
    }

    // An identity local frame, as modellers write it.
    writer.Begin(0x4160);
    const float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (float value : matrix)
        writer.F32(value);
    writer.End();

    writer.Begin(0x4120);
    writer.U16((uint16_t)mesh.faces.size());
    for (const auto& face : mesh.faces) {
        for (uint16_t corner : face)
            writer.U16(corner);
        writer.U16(7);  // all three edges visible
    }
    for (const FaceGroup& group : mesh.groups) {
        writer.Begin(0x4130);
        writer.String(group.material);
        writer.U16((uint16_t)group.faces.size());
        for (uint16_t face : group.faces)
            writer.U16(face);
        writer.End();
    }
    writer.End();

    writer.End();
    writer.End();
}

std::vector<uint8_t> WriteScene(const Scene& scene)
{
    ChunkWriter writer;
    writer.Begin(0x4D4D);
    writer.Begin(0x0002);
    writer.U32(3);
    writer.End();
    writer.Begin(0x3D3D);
    writer.Begin(0x3D3E);
    writer.U32(3);
    writer.End();
    for (const Material& material : scene.materials)
        WriteMaterial(writer, material);
    for (const Mesh& mesh : scene.meshes)
        WriteMesh(writer, mesh);
    writer.End();
    if (scene.keyframer)
        WriteKeyframer(writer, scene);
    writer.End();
    return writer.Data();
}

bool SaveScene(const Scene& scene, const std::string& path)
{
    std::vector<uint8_t> bytes = WriteScene(scene);
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

}  // namespace writer3ds
