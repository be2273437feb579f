// libFuzzer entry: the input as a Cal3D animation file.
#include "cal3d_fuzz_support.h"

#include "models/skinned/modelcal3d.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("cal3d_animation", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Animation animation;
    if (LoadCal3DAnimation(PutInput("input.caf", data, size).c_str(), &animation) == S_OK)
        CheckAnimation(animation);
    return 0;
}
