// libFuzzer entry: the input as a Cal3D mesh file.
#include "cal3d_fuzz_support.h"

#include "models/skinned/modelcal3d.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("cal3d_mesh", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SkelArray<Cal3DSubmesh> submeshes;
    if (LoadCal3DMesh(PutInput("input.cmf", data, size).c_str(), &submeshes) == S_OK)
        CheckSubmeshes(submeshes);
    return 0;
}
