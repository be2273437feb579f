// libFuzzer entry of the Cal3D targets: the input as a file of the kind the
// build names in CAL3D_FUZZ_KIND, loaded and checked.
#include "cal3d_fuzz_inputs.h"
#include "cal3d_fuzz_support.h"

#include <stdlib.h>

namespace {

const Cal3DFuzzInput* input = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    input = FindCal3DFuzzInput(CAL3D_FUZZ_KIND);
    if (!input)
        abort();
    EnterFuzzDirectory("cal3d_" CAL3D_FUZZ_KIND, argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    input->loadAndCheck(PutInput(input->fileName, data, size).c_str());
    return 0;
}
