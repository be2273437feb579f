// The skinning paths this build and processor can run, scalar first: the
// suites hold each of them to the scalar reference.
#pragma once

#include "models/skinned/skinning.h"

#include <vector>

std::vector<SkinningPath> AvailableSkinningPaths();
