// Closed triangle shapes for the park, built into writer3ds meshes in 3D
// Studio axes (z up), wound counter-clockwise seen from outside. Each call
// appends its vertices, with texture coordinates, and one face group to the
// mesh.
#pragma once

#include "writer3ds.h"

#include <string>
#include <utility>
#include <vector>

namespace park {

using writer3ds::Mesh;
using writer3ds::Vec3;

struct Profile {
    // (radius, height) points from the bottom to the top; a radius of 0 at
    // either end closes the shape at the axis.
    std::vector<std::pair<float, float>> points;
    // True for a ring whose profile is a loop (no point on the axis).
    bool loop = false;
};

struct Placement {
    Vec3 origin{};
    float scaleXY = 1, scaleZ = 1;
};

// A solid of revolution about the vertical axis through `at.origin`.
void Lathe(Mesh& mesh, const std::string& material, const Profile& profile, int segments, const Placement& at);
// A box between two corners, turned by `angle` (radians) about its centre.
void Box(Mesh& mesh, const std::string& material, Vec3 low, Vec3 high, float angle);
// A flat grid over [x0, x1] x [y0, y1] at height 0 with texture coordinates;
// `materialOf(cx, cy)` picks the material of the cell whose centre that is.
void Grid(Mesh& mesh, float x0, float y0, float x1, float y1, int cells,
          std::string (*materialOf)(float, float));

// Six times the enclosed volume: positive when every face points outward.
double SignedVolume(const Mesh& mesh, size_t firstFace, size_t faceCount);

}  // namespace park
