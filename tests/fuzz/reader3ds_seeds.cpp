// Writes the fuzz target's seed inputs into the folder given as argument:
// small files that reach every kind of chunk the reader decodes.
#include "exporterstyle.h"
#include "seed_main.h"

#include <string>

using namespace writer3ds;

namespace {

Mesh Quad(const std::string& name, const std::string& material)
{
    Mesh mesh;
    mesh.name = name;
    mesh.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    mesh.faces = {{0, 1, 2}, {0, 2, 3}};
    mesh.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    if (!material.empty())
        mesh.groups = {{material, {0, 1}}};
    return mesh;
}

// Chunks the scene helpers do not write: smoothing groups, box maps, mapping,
// procedural data, flags, map parameters, extended data, a float colour.
std::vector<uint8_t> Extras()
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    w.Begin(0xAFFF);
    w.Begin(0xA000); w.String("extras"); w.End();
    w.Begin(0xA020); w.Begin(0x0011); w.U8(10); w.U8(20); w.U8(30); w.End();
    w.Begin(0x0012); w.U8(40); w.U8(50); w.U8(60); w.End(); w.End();
    w.Begin(0xA010); w.Begin(0x0010); w.F32(0.5f); w.F32(0.5f); w.F32(0.5f); w.End();
    w.Begin(0x0011); w.U8(1); w.U8(2); w.U8(3); w.End(); w.End();
    w.Begin(0xA040); w.Begin(0x0031); w.F32(0.25f); w.End(); w.End();
    w.Begin(0xA050); w.Begin(0x0030); w.U16(40); w.End(); w.End();
    w.Begin(0xA100); w.U16(2); w.End();
    w.Begin(0xA081); w.End();
    w.Begin(0xA08A); w.End();
    w.Begin(0xA087); w.F32(2.0f); w.End();
    w.Begin(0xA230);
    w.Begin(0x0030); w.U16(60); w.End();
    w.Begin(0xA300); w.String("bump.tga"); w.End();
    w.Begin(0xA351); w.U16(1); w.End();
    w.Begin(0xA354); w.F32(2); w.End();
    w.Begin(0xA35C); w.F32(45); w.End();
    w.Begin(0xA360); w.U8(9); w.U8(9); w.U8(9); w.End();
    w.End();
    w.Begin(0x8001); w.Begin(0x8002); w.U32(5); w.End(); w.Begin(0x9000); w.End(); w.End();
    w.End();

    w.Begin(0x4000); w.String("thing");
    w.Begin(0x4010); w.End();
    w.Begin(0x4012); w.End();
    w.Begin(0x4100);
    w.Begin(0x4110); w.U16(3);
    for (float v : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f})
        w.F32(v);
    w.End();
    w.Begin(0x4111); w.U16(3); w.U16(0); w.U16(1); w.U16(2); w.End();
    w.Begin(0x4120); w.U16(1); w.U16(0); w.U16(1); w.U16(2); w.U16(7);
    w.Begin(0x4130); w.String("extras"); w.U16(1); w.U16(0); w.End();
    w.Begin(0x4150); w.U32(1); w.End();
    w.Begin(0x4190);
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        w.String(name);
    w.End();
    w.End();
    w.Begin(0x4165); w.U8(3); w.End();
    w.Begin(0x4170); w.U16(1);
    for (int i = 0; i < 21; i++)
        w.F32((float)i);
    w.End();
    w.Begin(0x4181); w.String("proc"); w.End();
    w.Begin(0x4182); w.U32(0xDEADBEEF); w.End();
    w.End();
    w.End();

    w.Begin(0x4000); w.String("lamp"); w.Begin(0x4600); w.F32(1); w.F32(2); w.F32(3); w.End(); w.End();
    w.End();
    w.Begin(0xB000); w.Begin(0xB00A); w.U16(5); w.End(); w.End();
    w.End();
    return w.Data();
}

std::vector<uint8_t> Library()
{
    ChunkWriter w;
    w.Begin(0x3DAA);
    WriteMaterial(w, {"libmat", {1, 2, 3}, {4, 5, 6}, {7, 8, 9}, 30, "lib.png"});
    w.End();
    return w.Data();
}

bool WriteSeeds(const std::string& folder)
{
    Scene scene;
    scene.materials = {{"red", {50, 0, 0}, {200, 0, 0}, {255, 255, 255}, 50, ""},
                       {"grass", {20, 60, 20}, {60, 160, 60}, {10, 10, 10}, 5, "grass.tga"}};
    scene.meshes = {Quad("floor", "grass"), Quad("wall", "red"), Quad("plain", "")};
    Scene bare;
    bare.meshes = {Quad("alone", "")};
    bool ok = WriteSeed(folder, "scene.3ds", WriteScene(scene)) && WriteSeed(folder, "bare.3ds", WriteScene(bare)) &&
              WriteSeed(folder, "extras.3ds", Extras()) && WriteSeed(folder, "library.3ds", Library());
    // Files as today's exporters write them, and their damaged copies.
    for (const StyledFile& styled : ExporterStyleFiles())
        ok = ok && WriteSeed(folder, styled.name, styled.bytes);
    for (const StyledFile& styled : BrokenExporterStyleFiles())
        ok = ok && WriteSeed(folder, styled.name, styled.bytes);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    return SeedMain(argc, argv, "3DS", WriteSeeds);
}
