// The vector skinning kernels. Which file defines this depends on the
// compiler and processor family the build targets (see engine/CMakeLists.txt).
#pragma once

#include "models/skinned/skinning.h"

typedef void (*SkinKernel)(SkinJob& job);

// The kernel of a vector path when this build has it and the processor runs
// it; null otherwise (always null for the scalar path).
SkinKernel VectorSkinKernel(SkinningPath path);
