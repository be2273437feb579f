#include "objwriter.h"

#include <stdio.h>

#include <filesystem>
#include <system_error>

namespace objwriter {

const float BLOCK_POINTS[4][3] = {{0.0f, 0.1f, 1.0f}, {1.0f, 0.1f, 1.0f}, {0.0f, 0.1f, 3.0f}, {0.2f, 1.5f, 1.5f}};

namespace {

// Every folder on the way to `file`.
bool MakeFoldersFor(const std::string& file)
{
    std::filesystem::path folder = std::filesystem::path(file).parent_path();
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    return !error;
}

bool WriteText(const std::string& path, const std::string& bytes)
{
    if (!MakeFoldersFor(path))
        return false;
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::string Point(const float p[3])
{
    char line[96];
    snprintf(line, sizeof line, "v %g %g %g\n", p[0], p[1], p[2]);
    return line;
}

}  // namespace

std::string CheckerTga(uint32_t size, const uint8_t first[3], const uint8_t second[3])
{
    std::string bytes(18, '\0');
    bytes[2] = 2;  // uncompressed true colour
    bytes[12] = (char)(size & 0xFF);
    bytes[13] = (char)(size >> 8);
    bytes[14] = (char)(size & 0xFF);
    bytes[15] = (char)(size >> 8);
    bytes[16] = 24;
    for (uint32_t y = 0; y < size; y++)
        for (uint32_t x = 0; x < size; x++) {
            const uint8_t* colour = ((x + y) & 1) ? second : first;
            bytes.append(reinterpret_cast<const char*>(colour), 3);
        }
    return bytes;
}

Model TestScene(const std::string& baseName)
{
    Model model;
    model.objName = baseName + ".obj";
    std::string library = baseName + ".mtl";
    std::string& obj = model.obj;
    obj = "# The OBJ test scene: a textured floor and a painted block\n";
    obj += "mtllib " + library + "\n";
    obj += "o floor\n";
    obj += "v -1 0 1\nv 1 0 1\nv 1 0 -1\nv -1 0 -1\n";
    obj += "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n";
    obj += "vn 0 1 0\n";
    obj += "usemtl stone\n";
    obj += "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
    obj += "o block\n";
    for (const float* p : BLOCK_POINTS)
        obj += Point(p);
    obj += "usemtl paint\n";
    obj += "s 1\n";
    obj += "f -4 -3 -2\nf -4 -1 -3\nf -4 -2 -1\nf -3 -1 -2\n";

    std::string mtl = "# Two materials, one textured\n";
    mtl += "newmtl stone\nKd 1 1 1\nmap_Kd maps/stone.tga\n\n";
    mtl += "newmtl paint\nKa 0.2 0.05 0\nKd 0.9 0.2 0.1\nKs 0.5 0.5 0.5\nNs 20\n";
    model.others.push_back({library, mtl});
    const uint8_t light[3] = {200, 200, 200}, dark[3] = {90, 90, 90};
    model.others.push_back({"maps/stone.tga", CheckerTga(8, light, dark)});
    return model;
}

Model Grid(const std::string& baseName, uint32_t cells)
{
    Model model;
    model.objName = baseName + ".obj";
    std::string& obj = model.obj;
    obj = "o grid\n";
    char line[96];
    for (uint32_t z = 0; z <= cells; z++)
        for (uint32_t x = 0; x <= cells; x++) {
            snprintf(line, sizeof line, "v %u 0 %u\n", x, z);
            obj += line;
        }
    uint32_t row = cells + 1;
    for (uint32_t z = 0; z < cells; z++)
        for (uint32_t x = 0; x < cells; x++) {
            uint32_t a = z * row + x + 1;
            snprintf(line, sizeof line, "f %u %u %u %u\n", a, a + row, a + row + 1, a + 1);
            obj += line;
        }
    return model;
}

bool Save(const Model& model, const std::string& folder)
{
    std::string base = folder.empty() ? std::string() : folder + "/";
    bool written = WriteText(base + model.objName, model.obj);
    for (const FileText& other : model.others)
        written = WriteText(base + other.name, other.bytes) && written;
    return written;
}

}  // namespace objwriter
