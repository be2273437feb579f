// libFuzzer entry: the input as a Cal3D skeleton file.
#include "cal3d_fuzz_support.h"

#include "models/skinned/modelcal3d.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("cal3d_skeleton", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SkelArray<Bone> bones;
    if (LoadCal3DSkeleton(PutInput("input.csf", data, size).c_str(), &bones) == S_OK)
        CheckSkeleton(bones);
    return 0;
}
