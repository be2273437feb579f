// Builds without vector kernels skin on the scalar path only.
#include "models/skinned/simd/skinkernels.h"

SkinKernel VectorSkinKernel(SkinningPath)
{
    return nullptr;
}
