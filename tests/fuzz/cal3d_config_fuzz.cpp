// libFuzzer entry: the input as a Cal3D configuration, in a directory that
// holds a valid skeleton, animation, mesh and material it can name.
#include "cal3d_fuzz_support.h"

#include "models/skinned/modelcal3d.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("cal3d_config", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ModelSkelData model;
    if (LoadCal3DData(PutInput("input.cfg", data, size).c_str(), &model) == S_OK)
        CheckModel(model);
    return 0;
}
