// The MD5 fuzz target's valid model, shared by the target (the file that is
// not the input) and its seed program: two joints, one mesh of four
// vertices (one with five weights), an animation of two frames.
#pragma once

#include <string>

std::string SeedMd5Mesh();
std::string SeedMd5Anim();
// One weight more per vertex and a mesh more; a partly animated joint.
std::string SeedMd5MeshVariant();
std::string SeedMd5AnimVariant();
