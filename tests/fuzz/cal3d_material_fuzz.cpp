// libFuzzer entry: the input as a Cal3D material file.
#include "cal3d_fuzz_support.h"

#include "models/skinned/modelcal3d.h"

#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("cal3d_material", argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SkelMaterial material;
    if (LoadCal3DMaterial(PutInput("input.crf", data, size).c_str(), "./data/", &material) == S_OK &&
        material.hasTexture && strncmp(material.textureName.Chars(), "./data/", 7) != 0)
        abort();
    return 0;
}
