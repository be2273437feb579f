#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace park {

namespace {

// Units of an object's surface one repeat of its map covers (the 64 x 64
// maps then have a texel of a quarter unit).
const float OBJECT_TILE = 16;

uint16_t AddPoint(Mesh& mesh, Vec3 p, float u, float v)
{
    if (mesh.points.size() >= 0xFFFF)
        throw std::runtime_error("mesh " + mesh.name + " has too many vertices");
    mesh.points.push_back(p);
    mesh.texCoords.push_back({u, v});
    return (uint16_t)(mesh.points.size() - 1);
}

void AddFace(Mesh& mesh, writer3ds::FaceGroup& group, uint16_t a, uint16_t b, uint16_t c)
{
    if (a == b || b == c || a == c)
        return;
    group.faces.push_back((uint16_t)mesh.faces.size());
    mesh.faces.push_back({a, b, c});
}

writer3ds::FaceGroup& Group(Mesh& mesh, const std::string& material)
{
    for (writer3ds::FaceGroup& group : mesh.groups)
        if (group.material == material)
            return group;
    mesh.groups.push_back({material, {}});
    return mesh.groups.back();
}

}  // namespace

// Texture coordinates need no seam, which would split the ring's vertices
// (and open the shadow connectivity there): u runs up the map and back down
// around the axis, so the far side shows it mirrored; v follows the profile.
void Lathe(Mesh& mesh, const std::string& material, const Profile& profile, int segments, const Placement& at)
{
    const size_t rings = profile.points.size();
    float widest = 0;
    for (auto [radius, height] : profile.points)
        widest = std::max(widest, radius * at.scaleXY);
    const float repeats = std::max(1.0f, std::round((float)M_PI * widest / OBJECT_TILE));
    std::vector<std::vector<uint16_t>> index(rings);
    float along = 0;
    for (size_t i = 0; i < rings; i++) {
        auto [radius, height] = profile.points[i];
        if (i > 0) {
            auto [lastRadius, lastHeight] = profile.points[i - 1];
            along += std::hypot((radius - lastRadius) * at.scaleXY, (height - lastHeight) * at.scaleZ);
        }
        float v = along / OBJECT_TILE;
        Vec3 axis = {at.origin[0], at.origin[1], at.origin[2] + height * at.scaleZ};
        if (radius == 0) {
            index[i].assign(segments, AddPoint(mesh, axis, 0, v));
            continue;
        }
        for (int j = 0; j < segments; j++) {
            double angle = 2 * M_PI * j / segments;
            float u = repeats * (1 - std::fabs(2.0f * j / segments - 1));
            index[i].push_back(AddPoint(mesh,
                                        {axis[0] + (float)(radius * at.scaleXY * cos(angle)),
                                         axis[1] + (float)(radius * at.scaleXY * sin(angle)), axis[2]},
                                        u, v));
        }
    }
    writer3ds::FaceGroup& group = Group(mesh, material);
    size_t spans = profile.loop ? rings : rings - 1;
    for (size_t i = 0; i < spans; i++) {
        const std::vector<uint16_t>& low = index[i];
        const std::vector<uint16_t>& high = index[(i + 1) % rings];
        for (int j = 0; j < segments; j++) {
            int k = (j + 1) % segments;
            AddFace(mesh, group, low[j], low[k], high[k]);
            AddFace(mesh, group, low[j], high[k], high[j]);
        }
    }
}

void Box(Mesh& mesh, const std::string& material, Vec3 low, Vec3 high, float angle)
{
    float cx = (low[0] + high[0]) / 2, cy = (low[1] + high[1]) / 2;
    float c = cosf(angle), s = sinf(angle);
    uint16_t corner[8];
    for (int i = 0; i < 8; i++) {
        float x = (i & 1 ? high[0] : low[0]) - cx;
        float y = (i & 2 ? high[1] : low[1]) - cy;
        float z = i & 4 ? high[2] : low[2];
        // The corners are shared by three faces: (x + z, y + z) spans every
        // face with no seam, slanted on the faces across x and y.
        corner[i] = AddPoint(mesh, {cx + x * c - y * s, cy + x * s + y * c, z}, (x + z) / OBJECT_TILE,
                             (y + z) / OBJECT_TILE);
    }
    // Corner i has x from bit 0, y from bit 1, z from bit 2; each quad runs
    // counter-clockwise seen from outside.
    static const int QUADS[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                    {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    writer3ds::FaceGroup& group = Group(mesh, material);
    for (const auto& q : QUADS) {
        AddFace(mesh, group, corner[q[0]], corner[q[1]], corner[q[2]]);
        AddFace(mesh, group, corner[q[0]], corner[q[2]], corner[q[3]]);
    }
}

void Grid(Mesh& mesh, float x0, float y0, float x1, float y1, int cells,
          std::string (*materialOf)(float, float))
{
    uint16_t base = (uint16_t)mesh.points.size();
    for (int j = 0; j <= cells; j++) {
        for (int i = 0; i <= cells; i++) {
            float u = (float)i / cells, v = (float)j / cells;
            AddPoint(mesh, {x0 + (x1 - x0) * u, y0 + (y1 - y0) * v, 0}, u * 8, v * 8);
        }
    }
    auto at = [&](int i, int j) { return (uint16_t)(base + j * (cells + 1) + i); };
    for (int j = 0; j < cells; j++) {
        for (int i = 0; i < cells; i++) {
            float cx = x0 + (x1 - x0) * (i + 0.5f) / cells, cy = y0 + (y1 - y0) * (j + 0.5f) / cells;
            writer3ds::FaceGroup& group = Group(mesh, materialOf(cx, cy));
            AddFace(mesh, group, at(i, j), at(i + 1, j), at(i + 1, j + 1));
            AddFace(mesh, group, at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
    }
}

double SignedVolume(const Mesh& mesh, size_t firstFace, size_t faceCount)
{
    double volume = 0;
    for (size_t f = firstFace; f < firstFace + faceCount; f++) {
        const Vec3& a = mesh.points[mesh.faces[f][0]];
        const Vec3& b = mesh.points[mesh.faces[f][1]];
        const Vec3& c = mesh.points[mesh.faces[f][2]];
        volume += (double)a[0] * (b[1] * c[2] - b[2] * c[1]) - (double)a[1] * (b[0] * c[2] - b[2] * c[0]) +
                  (double)a[2] * (b[0] * c[1] - b[1] * c[0]);
    }
    return volume;
}

}  // namespace park
