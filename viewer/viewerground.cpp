// The ground's records name the viewer's main unit, as the sample's do.
#define QL_SOURCE_FILE "main"

#include "viewerground.h"

#include "writer3ds.h"

#include "foundation/qltrace.h"

#include <stdio.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

// Thin against the model, and just clear of it, so a scene with a ground of
// its own hides this one instead of fighting it for the same pixels.
constexpr float thicknessShare = 0.02f;
constexpr float gapShare = 0.002f;

writer3ds::Vec3 InFileAxes(float x, float y, float z)
{
    // The file's z is up: the engine's y.
    return {x, z, y};
}

std::string TemporaryFile()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        folder = ".";
    // Two viewers at once write different files.
    long long stamp = (long long)std::chrono::steady_clock::now().time_since_epoch().count();
    return (folder / ("quarlight-view-ground-" + std::to_string(stamp) + ".3ds")).string();
}

}  // namespace

GroundBox GroundUnder(const D3DXVECTOR3& modelLow, const D3DXVECTOR3& modelHigh, float reach)
{
    float top = modelLow.y - reach * gapShare;
    float middleX = (modelLow.x + modelHigh.x) * 0.5f;
    float middleZ = (modelLow.z + modelHigh.z) * 0.5f;
    return {D3DXVECTOR3(middleX - reach, top - reach * thicknessShare, middleZ - reach),
            D3DXVECTOR3(middleX + reach, top, middleZ + reach)};
}

std::vector<uint8_t> GroundScene(const GroundBox& box)
{
    writer3ds::Scene scene;
    writer3ds::Material stone;
    stone.name = "ground";
    stone.ambient = {75, 75, 72};
    stone.diffuse = {200, 200, 195};
    stone.specular = {20, 20, 20};
    stone.shininessPercent = 5;
    scene.materials.push_back(stone);

    writer3ds::Mesh mesh;
    mesh.name = "ground";
    writer3ds::FaceGroup group{"ground", {}};
    // In the file's axes corner i takes x from bit 0, y from bit 1 and z
    // (up) from bit 2; each side runs counter-clockwise seen from outside.
    static const int sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& side : sides) {
        uint16_t first = (uint16_t)mesh.points.size();
        for (int corner : side)
            mesh.points.push_back(InFileAxes(corner & 1 ? box.high.x : box.low.x, corner & 4 ? box.high.y : box.low.y,
                                             corner & 2 ? box.high.z : box.low.z));
        for (uint16_t f : {(uint16_t)0, (uint16_t)2}) {
            group.faces.push_back((uint16_t)mesh.faces.size());
            mesh.faces.push_back({first, (uint16_t)(first + 1 + f / 2), (uint16_t)(first + 2 + f / 2)});
        }
    }
    mesh.groups.push_back(group);
    scene.meshes.push_back(mesh);
    return writer3ds::WriteScene(scene);
}

HRESULT CreateGround(ICore* core, const GroundBox& box, Ground& ground)
{
    TraceContext trace("CreateGround()");
    ground = Ground();
    std::string path = TemporaryFile();
    std::vector<uint8_t> bytes = GroundScene(box);
    FILE* file = fopen(path.c_str(), "wb");
    bool written = file && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && fclose(file) != 0)
        written = false;
    if (!written) {
        remove(path.c_str());
        QL_LOG(trace, TraceWarning, ("No ground: " + path + " could not be written").c_str());
        return E_FAIL;
    }
    IGeometry* geometry = nullptr;
    HRESULT result = core->CreateObject("3ds", path.c_str(), &geometry);
    remove(path.c_str());
    QL_TRY(trace, "-", result);
    // The "3ds" type always makes a model.
    ground.model = static_cast<IModel*>(geometry);
    ground.shown = true;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return ground.model->SetMatrix(identity);
}

void ShowGround(IGraphics* graphics, Ground& ground, bool shown)
{
    if (!ground.model || ground.shown == shown)
        return;
    HRESULT result = shown ? graphics->AddGeometry(ground.model) : graphics->RemoveGeometry(ground.model);
    if (SUCCEEDED(result))
        ground.shown = shown;
}

void ReleaseGround(IGraphics* graphics, Ground& ground)
{
    if (graphics)
        ShowGround(graphics, ground, true);
    if (ground.model)
        ground.model->Release();
    ground = Ground();
}
