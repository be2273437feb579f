// Generates the sample's park: data/park.3ds and the textures it names; with
// --big, bigpark.3ds instead: the same park planted densely, past 65 535
// vertices, for the frame benches and the big-model checks.
// The scene is laid out for the sample's start-up camera, which looks from
// 400 units south and 300 up at the fountain in the middle, while the light
// circles the fountain 150 units out and 150 up: everything stays below the
// light, so each tree, lamp and bench throws a shadow that turns with it.
// 3D Studio axes: x east, y north, z up.
#include "shapes.h"
#include "textures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <stdexcept>
#include <string>

using namespace park;
using writer3ds::Material;
using writer3ds::Mesh;
using writer3ds::Scene;

namespace {

const float HALF_SIZE = 400;      // the ground spans 800 x 800, past the view
const float RING_INNER = 55, RING_OUTER = 75;
const float PATH_HALF_WIDTH = 10;

std::string GroundMaterial(float x, float y)
{
    float r = std::sqrt(x * x + y * y);
    bool ring = r >= RING_INNER && r <= RING_OUTER;
    bool avenue = r > RING_INNER && (std::fabs(x) < PATH_HALF_WIDTH || std::fabs(y) < PATH_HALF_WIDTH);
    return ring || avenue ? "gravel" : "grass";
}

// Adds a shape and checks that its faces point outward.
template <typename Build>
void Solid(Mesh& mesh, Build build)
{
    size_t first = mesh.faces.size();
    build();
    if (SignedVolume(mesh, first, mesh.faces.size() - first) <= 0)
        throw std::runtime_error("a shape of " + mesh.name + " is turned inside out");
}

// A solid of revolution, checked as Solid checks every shape.
void SolidLathe(Mesh& mesh, const char* material, const Profile& profile, int segments, const Placement& at)
{
    Solid(mesh, [&] { Lathe(mesh, material, profile, segments, at); });
}

std::string Numbered(const char* prefix, int n)
{
    return prefix + std::string(n < 10 ? "0" : "") + std::to_string(n);
}

Mesh Ground()
{
    Mesh mesh;
    mesh.name = "ground";
    Grid(mesh, -HALF_SIZE, -HALF_SIZE, HALF_SIZE, HALF_SIZE, 110, GroundMaterial);
    return mesh;
}

Mesh Fountain()
{
    Mesh mesh;
    mesh.name = "fountain";
    Placement at;
    const Profile basin{{{36, 0}, {40, 0}, {40.6f, 7}, {40, 9}, {38, 10}, {36, 9}, {35.5f, 7}}, true};
    SolidLathe(mesh, "stone", basin, 56, at);
    const Profile water{{{0, 0.5f}, {35.6f, 0.5f}, {35.6f, 6}, {27, 6}, {18, 6}, {9, 6}, {0, 6}}};
    SolidLathe(mesh, "water", water, 56, at);
    const Profile column{{{0, 6}, {5, 6}, {5, 8}, {3.5f, 9}, {3, 22}, {5, 24}, {16, 27}, {18, 30}, {16, 30.5f},
                         {5, 29}, {3, 30}, {2.5f, 36}, {4, 38}, {3, 41}, {0, 42}}};
    SolidLathe(mesh, "stone", column, 40, at);
    return mesh;
}

Mesh Tree(int n, float x, float y, bool conifer, float size)
{
    Mesh mesh;
    mesh.name = Numbered("tree", n);
    Placement at{{x, y, 0}, size, size};
    const Profile trunk{{{0, 0}, {3.2f, 0}, {2.8f, 8}, {2.2f, 30}, {0, 30}}};
    SolidLathe(mesh, "bark", trunk, 12, at);
    if (conifer) {
        const Profile tiers{{{0, 16}, {17, 16}, {10, 29}, {14, 29}, {7, 42}, {10, 42}, {0, 62}}};
        SolidLathe(mesh, "pine", tiers, 24, at);
        return mesh;
    }
    // A crown a little taller than wide, centred 46 up.
    Profile crown;
    const int rings = 12;
    for (int i = 0; i <= rings; i++) {
        double phi = M_PI * i / rings;
        crown.points.push_back({i == 0 || i == rings ? 0.0f : (float)(19 * std::sin(phi)),
                                (float)(46 - 22 * std::cos(phi))});
    }
    SolidLathe(mesh, "leaves", crown, 24, at);
    return mesh;
}

Mesh Bench(int n, float x, float y, float angle)
{
    Mesh mesh;
    mesh.name = Numbered("bench", n);
    // Built along x around the origin, then turned and moved into place.
    auto box = [&](const char* material, float x0, float y0, float z0, float x1, float y1, float z1) {
        float c = std::cos(angle), s = std::sin(angle);
        float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        float px = x + cx * c - cy * s, py = y + cx * s + cy * c;
        float hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
        Solid(mesh, [&] { Box(mesh, material, {px - hx, py - hy, z0}, {px + hx, py + hy, z1}, angle); });
    };
    for (float lx : {-10.0f, 9.0f}) {
        box("metal", lx, -3.5f, 0, lx + 1, -2.5f, 6);
        box("metal", lx, 2.5f, 0, lx + 1, 3.5f, 14);
        box("metal", lx - 0.5f, -4, 6, lx + 1.5f, 4, 6.6f);
    }
    box("wood", -12, -3.8f, 6.6f, 12, 3, 7.6f);
    box("wood", -12, 3, 9, 12, 3.8f, 13.5f);
    return mesh;
}

// One solid of revolution of a mesh: its material, profile and segment count.
struct LathePart {
    const char* material;
    Profile profile;
    int segments;
};

// A numbered mesh standing at (x, y), made of solids of revolution.
Mesh LathedMesh(const char* prefix, int n, float x, float y, std::initializer_list<LathePart> parts)
{
    Mesh mesh;
    mesh.name = Numbered(prefix, n);
    const Placement at{{x, y, 0}};
    for (const LathePart& part : parts)
        SolidLathe(mesh, part.material, part.profile, part.segments, at);
    return mesh;
}

Mesh Lamp(int n, float x, float y)
{
    const Profile post{{{0, 0}, {3, 0}, {3, 2}, {1.4f, 3}, {1.2f, 55}, {2, 56}, {0, 56.5f}}};
    const Profile head{{{0, 56}, {2.5f, 56.5f}, {4.2f, 59}, {4.4f, 62}, {3.5f, 64.5f}, {1.5f, 66}, {0, 66.5f}}};
    return LathedMesh("lamp", n, x, y, {{"metal", post, 16}, {"lamp", head, 16}});
}

Mesh FlowerBed(int n, float x, float y)
{
    const Profile bed{{{0, 0}, {22, 0}, {22, 2}, {19, 4.5f}, {14, 6.5f}, {7, 7.6f}, {0, 8}}};
    return LathedMesh("bed", n, x, y, {{"flowers", bed, 40}});
}

// Where the lamp posts stand: eight round the ring, then `perSide` more on
// each side of each avenue, 80 units apart (3D Studio axes).
std::vector<std::pair<float, float>> LampPosts(int perSide)
{
    std::vector<std::pair<float, float>> posts;
    for (int i = 0; i < 8; i++) {
        double angle = M_PI / 8 + i * M_PI / 4;
        posts.push_back({(float)(84 * std::cos(angle)), (float)(84 * std::sin(angle))});
    }
    for (int k = 1; k <= perSide; k++) {
        float d = 84 + 80 * k;
        for (float side : {-1.0f, 1.0f}) {
            posts.push_back({side * 16, d});
            posts.push_back({side * 16, -d});
            posts.push_back({d, side * 16});
            posts.push_back({-d, side * 16});
        }
    }
    return posts;
}

std::vector<Material> Materials()
{
    return {
        {"grass", {50, 80, 40}, {190, 230, 160}, {10, 10, 10}, 5, "grass.tga"},
        {"gravel", {80, 75, 65}, {235, 225, 205}, {30, 30, 30}, 10, "gravel.tga"},
        {"bark", {60, 45, 35}, {230, 210, 190}, {10, 10, 10}, 5, "bark.tga"},
        {"leaves", {40, 70, 35}, {200, 235, 180}, {20, 20, 20}, 10, "leaves.tga"},
        {"pine", {20, 50, 30}, {50, 115, 65}, {10, 20, 10}, 10, ""},
        {"stone", {75, 75, 72}, {235, 235, 230}, {40, 40, 40}, 20, "stone.tga"},
        {"water", {25, 50, 80}, {70, 130, 205}, {120, 120, 120}, 60, ""},
        {"wood", {70, 50, 35}, {240, 220, 190}, {20, 20, 20}, 10, "wood.tga"},
        {"metal", {25, 25, 28}, {60, 65, 70}, {90, 90, 90}, 50, ""},
        {"lamp", {90, 85, 60}, {255, 240, 180}, {60, 60, 60}, 30, ""},
        {"flowers", {70, 30, 40}, {220, 90, 130}, {20, 20, 20}, 10, ""},
    };
}

bool WriteTextures(const std::string& folder)
{
    struct Named {
        const char* file;
        TextureStyle style;
    } textures[] = {
        {"grass.tga", {{105, 165, 75}, 30, 11}},
        {"gravel.tga", {{205, 190, 165}, 40, 23}},
        {"bark.tga", {{115, 85, 60}, 30, 37}},
        {"leaves.tga", {{95, 165, 75}, 35, 41}},
        {"stone.tga", {{200, 198, 190}, 25, 53}},
        {"wood.tga", {{175, 125, 80}, 25, 67, true}},
    };
    for (const Named& t : textures)
        if (!WriteTexture(folder + "/" + t.file, t.style))
            return false;
    return true;
}

// How densely the park is planted.
struct Planting {
    int trees;
    float treeSpacing;    // at least this far apart
    int avenueLamps;      // per avenue side, beyond the eight round the ring
    int avenueBenches;    // per avenue side, beyond the eight at the ring
};

const Planting SAMPLE_PARK{20, 55, 0, 0};
const Planting BIG_PARK{118, 33, 4, 3};

Scene Park(const Planting& planting)
{
    Scene scene;
    scene.materials = Materials();
    scene.meshes.push_back(Ground());
    scene.meshes.push_back(Fountain());

    // Trees spread over the lawns, off the paths and clear of each other; a
    // fixed sequence keeps the file the same from run to run.
    uint32_t state = 20240601;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return (float)((state >> 8) % 10000) / 10000.0f;
    };
    bool big = planting.trees > SAMPLE_PARK.trees;
    float spanX = big ? 740 : 640, spanY = big ? 740 : 540, southY = big ? -370 : -210;
    std::vector<std::pair<float, float>> trees;
    for (int tries = 0; (int)trees.size() < planting.trees && tries < 100000; tries++) {
        float x = -spanX / 2 + spanX * next(), y = southY + spanY * next();
        float r = std::sqrt(x * x + y * y);
        if (r < RING_OUTER + 35 || std::fabs(x) < 35 || std::fabs(y) < 35)
            continue;
        bool crowded = false;
        for (auto [tx, ty] : trees)
            crowded = crowded || std::hypot(tx - x, ty - y) < planting.treeSpacing;
        if (!crowded)
            trees.push_back({x, y});
    }
    for (size_t i = 0; i < trees.size(); i++)
        scene.meshes.push_back(
            Tree((int)i + 1, trees[i].first, trees[i].second, i % 4 == 3, 0.85f + 0.3f * next()));

    const float half = (float)M_PI / 2;
    struct Seat {
        float x, y, angle;
    };
    std::vector<Seat> benches{{-20, 115, half}, {20, 115, -half}, {-20, -115, half}, {20, -115, -half},
                              {115, 20, (float)M_PI}, {115, -20, 0}, {-115, 20, (float)M_PI}, {-115, -20, 0}};
    // Along the four avenues, both sides, facing the path.
    for (int k = 1; k <= planting.avenueBenches; k++) {
        float d = 115 + 70 * k;
        for (float side : {-1.0f, 1.0f}) {
            benches.push_back({side * 20, d, -side * half});
            benches.push_back({side * 20, -d, -side * half});
            benches.push_back({d, side * 20, side > 0 ? (float)M_PI : 0});
            benches.push_back({-d, side * 20, side > 0 ? (float)M_PI : 0});
        }
    }
    int n = 1;
    for (const Seat& b : benches)
        scene.meshes.push_back(Bench(n++, b.x, b.y, b.angle));
    n = 1;
    for (const auto& [x, y] : LampPosts(planting.avenueLamps))
        scene.meshes.push_back(Lamp(n++, x, y));
    n = 1;
    for (float x : {-150.0f, 150.0f})
        for (float y : {-150.0f, 150.0f})
            scene.meshes.push_back(FlowerBed(n++, x, y));
    if (big)
        for (float x : {-300.0f, 300.0f})
            for (float y : {-300.0f, 300.0f})
                scene.meshes.push_back(FlowerBed(n++, x, y));
    return scene;
}

}  // namespace

const char usage[] = "usage: parkgen [--big] [--lamps N] [data folder]\n"
                     "  --big      bigpark.3ds: the park planted densely (about 110 000 triangles)\n"
                     "  --lamps N  also print the first N lamp posts' lights (1 to 4): x y z range,\n"
                     "             in the engine's axes (x east, y up, z north)\n";

int main(int argc, char** argv)
{
    std::string folder = "data";
    bool big = false;
    int lamps = 0;
    for (int a = 1; a < argc; a++) {
        std::string argument = argv[a];
        if (argument == "--big") {
            big = true;
        } else if (argument == "--lamps" && a + 1 < argc) {
            lamps = atoi(argv[++a]);
            if (lamps < 1 || lamps > 4) {
                fputs(usage, stderr);
                return 2;
            }
        } else if (argument[0] == '-') {
            fputs(usage, stderr);
            return 2;
        } else {
            folder = argument;
        }
    }
    const char* file = big ? "bigpark.3ds" : "park.3ds";
    try {
        Scene scene = Park(big ? BIG_PARK : SAMPLE_PARK);
        size_t vertices = 0, faces = 0;
        for (const Mesh& mesh : scene.meshes) {
            vertices += mesh.points.size();
            faces += mesh.faces.size();
        }
        bool sized = big ? faces > 100000 && faces < 120000
                         : vertices < 0xFFFF && faces >= 20000 && faces <= 50000;
        if (!sized)
            throw std::runtime_error(std::string(file) + " has " + std::to_string(faces) + " triangles and " +
                                     std::to_string(vertices) + " vertices");
        if (!writer3ds::SaveScene(scene, folder + "/" + file) || !WriteTextures(folder))
            throw std::runtime_error("cannot write into " + folder);
        printf("%s: %zu meshes, %zu materials, %zu triangles, %zu vertices\n", file, scene.meshes.size(),
               scene.materials.size(), faces, vertices);
        // A light just over each lamp's head (66.5 up; inside it, the head
        // would shadow everything): 3D Studio's (x, y, z) is the engine's (x, z, y).
        std::vector<std::pair<float, float>> posts = LampPosts(big ? BIG_PARK.avenueLamps : 0);
        for (int i = 0; i < lamps; i++)
            printf("light %.1f %.1f %.1f %.1f\n", posts[i].first, 72.0f, posts[i].second, 120.0f);
    } catch (const std::exception& error) {
        fprintf(stderr, "parkgen: %s\n", error.what());
        return 1;
    }
    return 0;
}
