// Builds without vector kernels skin on the scalar path only.
#include "skinkernels.h"

SkinKernel VectorSkinKernel(SkinningPath)
{
    return nullptr;
}
