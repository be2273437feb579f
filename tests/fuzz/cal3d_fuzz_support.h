// Shared by the Cal3D fuzz targets and their seed programs: a private
// working directory (its log.txt is /dev/null, so long runs do not fill the
// disk), the small valid files the seeds and the configuration target use,
// and the checks that a successful load is consistent.
#pragma once

#include "cal3dwriter.h"
#include "models/skinned/modelskeldata.h"

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// Creates the directory, makes it the working directory and writes the
// model files s.csf, a.caf, m.cmf and r.crf into it. The fuzzer's relative
// path arguments are made absolute first.
void EnterFuzzDirectory(const char* target, int* argc, char*** argv);

// Writes the input to a file of the working directory, returns its name.
std::string PutInput(const char* name, const uint8_t* data, size_t size);

// A small valid model: two-bone skeleton, one animation, two submeshes with
// springs and two texture-coordinate sets, a textured material.
cal3d::Skeleton SeedSkeleton();
cal3d::Animation SeedAnimation();
cal3d::Mesh SeedMesh();
cal3d::Material SeedMaterial();
std::string SeedConfig();

// Aborts when loaded data breaks an invariant the animation update relies on.
void CheckSkeleton(const EngineArray<Bone>& bones);
void CheckAnimation(const Animation& animation);
void CheckSubmeshes(const EngineArray<Cal3DSubmesh>& submeshes);
void CheckModel(const ModelSkelData& data);
