// The skinning paths this build and processor can run, scalar first: the
// suites hold each of them to the scalar reference.
#pragma once

#include "models/skinned/skinning.h"

#include <vector>

std::vector<SkinningPath> AvailableSkinningPaths();

// One pass on `path` over a skin (the scalar arrays and the vector stream of
// the same vertices) into the caller's outputs, with the box it reports.
void RunSkinPass(SkinningPath path, const SkinMatrix* bones, const EngineArray<SkinVertex>& vertices,
                 const EngineArray<Influence>& influences, const SkinStream& stream, float* vertexData,
                 float* positions, float minimum[3], float maximum[3]);
