#include "exporterstyle.h"

#include <stdio.h>

namespace writer3ds {

const char* const STYLED_TEXTURE = "checker_texture_with_a_long_name.tga";

namespace {

// An axis-aligned box in 3D Studio axes (z up), faces outward.
Mesh Box(const std::string& name, const Vec3& low, const Vec3& high, const std::string& material)
{
    Mesh mesh;
    mesh.name = name;
    for (int i = 0; i < 8; i++)
        mesh.points.push_back({(i & 1) ? high[0] : low[0], (i & 2) ? high[1] : low[1], (i & 4) ? high[2] : low[2]});
    mesh.faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                  {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
    for (const Vec3& p : mesh.points)
        mesh.texCoords.push_back({p[0] > low[0] ? 1.0f : 0.0f, p[1] > low[1] ? 1.0f : 0.0f});
    FaceGroup group{material, {}};
    for (uint16_t f = 0; f < 12; f++)
        group.faces.push_back(f);
    mesh.groups = {group};
    return mesh;
}

Scene BoxOnPlinth(const std::string& boxName, const Material& boxMaterial, const std::string& plinthName,
                  const Material& plinthMaterial)
{
    Scene scene;
    scene.materials = {boxMaterial, plinthMaterial};
    scene.meshes = {Box(boxName, {-20, -20, 10}, {20, 20, 50}, boxMaterial.name),
                    Box(plinthName, {-60, -60, 0}, {60, 60, 10}, plinthMaterial.name)};
    scene.keyframer = true;
    return scene;
}

Material Styled(const std::string& name, Rgb diffuse, ColorForm form, bool corrected)
{
    Material material;
    material.name = name;
    material.ambient = {Rgb{(uint8_t)(diffuse[0] / 3), (uint8_t)(diffuse[1] / 3), (uint8_t)(diffuse[2] / 3)}};
    material.diffuse = diffuse;
    material.specular = {230, 230, 230};
    material.shininessPercent = 25;
    material.colorForm = form;
    material.correctedCopy = corrected;
    material.transparencyPercent = 0;
    material.selfIllumPercent = 0;
    return material;
}

// Float colours with corrected copies everywhere, a textured box and names
// past the classic limits.
std::vector<uint8_t> FloatColours()
{
    Material box = Styled("Material #25 - Standard Surface", {200, 120, 40}, ColorForm::Floats, true);
    box.textureMap = STYLED_TEXTURE;
    box.mapParameters = true;
    Material plinth = Styled("Plinth stone material (matte)", {120, 120, 130}, ColorForm::Floats, true);
    return WriteScene(BoxOnPlinth("Box001_exported_object", box, "Plinth_with_a_long_object_name", plinth));
}

// Float colours alone, 24-bit ones with a float corrected copy, and a
// material name longer than any reader keeps.
std::vector<uint8_t> MixedColours()
{
    Material box = Styled(std::string(300, 'm'), {60, 160, 220}, ColorForm::Floats, false);
    Material plinth = Styled("granite", {140, 100, 90}, ColorForm::Bytes, true);
    Scene scene = BoxOnPlinth("Crate", box, "Base", plinth);
    std::vector<uint8_t> bytes = WriteScene(scene);
    return bytes;
}

// Chunks of an exporter's own everywhere: at the top, in the editor chunk,
// in a material, in a map and in a mesh, around the usual ones.
std::vector<uint8_t> OwnChunks()
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x0002), w.U32(3), w.End();
    w.Begin(0x5A5A), w.U32(1), w.End();
    w.Begin(0x3D3D);
    w.Begin(0x3D3E), w.U32(3), w.End();
    w.Begin(0x0100), w.F32(1.0f), w.End();  // master scale
    w.Begin(0xAFFF);
    w.Begin(0xA000), w.String("painted_metal_with_own_chunks"), w.End();
    w.Begin(0xA0C0), w.U32(7), w.End();
    w.Begin(0xA010), w.Begin(0x0010), w.F32(0.1f), w.F32(0.1f), w.F32(0.3f), w.End(), w.End();
    w.Begin(0xA020), w.Begin(0x0010), w.F32(0.3f), w.F32(0.4f), w.F32(0.9f), w.End();
    w.Begin(0x0013), w.F32(0.35f), w.F32(0.45f), w.F32(0.95f), w.End(), w.End();
    w.Begin(0xA030), w.Begin(0x0010), w.F32(1.2f), w.F32(1.0f), w.F32(-0.1f), w.End(), w.End();
    w.Begin(0xA040), w.Begin(0x0031), w.F32(0.2f), w.End(), w.End();
    w.Begin(0xA200);
    w.Begin(0x0030), w.U16(80), w.End();
    w.Begin(0xA300), w.String(STYLED_TEXTURE), w.End();
    w.Begin(0xA3F0), w.U16(1), w.End();
    w.End();
    w.Begin(0xA0F5), w.End();
    w.End();
    Mesh box = Box("Cylinder_like_object_01", {-30, -30, 0}, {30, 30, 60}, "painted_metal_with_own_chunks");
    ChunkWriter meshWriter;
    WriteMesh(meshWriter, box);
    std::vector<uint8_t> mesh = meshWriter.Data();
    // An exporter's chunk as the first child of the object, before the mesh.
    std::vector<uint8_t> own = {0x77, 0x47, 10, 0, 0, 0, 1, 2, 3, 4};
    size_t nameEnd = 6 + box.name.size() + 1;
    mesh.insert(mesh.begin() + (long)nameEnd, own.begin(), own.end());
    uint32_t length = (uint32_t)mesh.size();
    for (int i = 0; i < 4; i++)
        mesh[2 + i] = (uint8_t)(length >> (8 * i));
    w.Bytes(mesh.data(), mesh.size());
    w.End();
    w.Begin(0xB000), w.Begin(0xB00A), w.U16(5), w.String(""), w.U32(10), w.End(), w.Begin(0xB0FF), w.End(), w.End();
    w.End();
    return w.Data();
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, uint32_t length)
{
    for (int i = 0; i < 4; i++)
        bytes.at(offset + 2 + i) = (uint8_t)(length >> (8 * i));
    return bytes;
}

// Offset of the first chunk header with `id` (a linear scan: the styled
// files hold no such pair of bytes in their data before it).
size_t FindHeader(const std::vector<uint8_t>& bytes, uint16_t id)
{
    for (size_t i = 6; i + 6 <= bytes.size(); i++)
        if (bytes[i] == (uint8_t)id && bytes[i + 1] == (uint8_t)(id >> 8))
            return i;
    return 0;
}

}  // namespace

std::vector<StyledFile> ExporterStyleFiles()
{
    return {{"exported_floats.3ds", FloatColours()},
            {"exported_mixed.3ds", MixedColours()},
            {"exported_own_chunks.3ds", OwnChunks()}};
}

std::vector<StyledFile> BrokenExporterStyleFiles()
{
    std::vector<uint8_t> good = FloatColours();
    std::vector<StyledFile> broken;
    broken.push_back({"broken_truncated.3ds", std::vector<uint8_t>(good.begin(), good.begin() + (long)good.size() / 2)});
    size_t editor = FindHeader(good, 0x3D3D);
    broken.push_back({"broken_chunk_past_parent.3ds", Patched(good, editor, (uint32_t)good.size())});

    ChunkWriter w;
    w.Begin(0x4D4D), w.Begin(0x3D3D), w.Begin(0xAFFF);
    w.Begin(0xA000), w.String("no colour here"), w.End();
    w.Begin(0xA020), w.Begin(0x0030), w.U16(50), w.End(), w.End();
    w.End();
    ChunkWriter meshWriter;
    WriteMesh(meshWriter, Box("b", {0, 0, 0}, {1, 1, 1}, "no colour here"));
    w.Bytes(meshWriter.Data().data(), meshWriter.Size());
    w.End(), w.End();
    broken.push_back({"broken_colour_without_value.3ds", w.Data()});

    ChunkWriter n;
    n.Begin(0x4D4D), n.Begin(0x3D3D), n.Begin(0x4000);
    n.Bytes("an object name that never ends", 30);
    n.End(), n.End(), n.End();
    broken.push_back({"broken_unterminated_name.3ds", n.Data()});
    return broken;
}

std::vector<uint8_t> CheckerTga(int size)
{
    std::vector<uint8_t> tga(18, 0);
    tga[2] = 2;  // uncompressed true colour
    tga[12] = (uint8_t)size, tga[13] = (uint8_t)(size >> 8);
    tga[14] = (uint8_t)size, tga[15] = (uint8_t)(size >> 8);
    tga[16] = 32;
    tga[17] = 8;  // alpha bits
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            bool light = ((x * 8 / size) + (y * 8 / size)) % 2 == 0;
            uint8_t v = light ? 235 : 90;
            tga.insert(tga.end(), {v, v, v, 255});  // BGRA
        }
    return tga;
}

bool SaveExporterStyleFiles(const std::string& folder)
{
    std::vector<StyledFile> files = ExporterStyleFiles();
    std::vector<StyledFile> broken = BrokenExporterStyleFiles();
    files.insert(files.end(), broken.begin(), broken.end());
    files.push_back({STYLED_TEXTURE, CheckerTga(64)});
    for (const StyledFile& file : files) {
        FILE* out = fopen((folder + "/" + file.name).c_str(), "wb");
        if (!out)
            return false;
        bool written = fwrite(file.bytes.data(), 1, file.bytes.size(), out) == file.bytes.size();
        if (fclose(out) != 0 || !written)
            return false;
    }
    return true;
}

}  // namespace writer3ds
