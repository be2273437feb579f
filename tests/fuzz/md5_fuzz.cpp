// libFuzzer entry of the md5 target. The input's first byte picks which file
// the rest becomes: even, the mesh (beside a valid animation); odd, the
// animation (beside a valid mesh). The model is then loaded as the engine
// loads it short of the device, and a load that succeeds is checked.
#include "cal3d_fuzz_support.h"
#include "md5_fuzz_seed.h"

#include "models/skinned/modelmd5.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

std::string validMesh, validAnim;

void PutText(const char* name, const std::string& text)
{
    PutInput(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    EnterFuzzDirectory("md5", argc, argv);
    validMesh = SeedMd5Mesh();
    validAnim = SeedMd5Anim();
    PutText("m.anims", "a.md5anim\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool meshIsInput = (data[0] & 1) == 0;
    PutInput(meshIsInput ? "m.md5mesh" : "a.md5anim", data + 1, size - 1);
    PutText(meshIsInput ? "a.md5anim" : "m.md5mesh", meshIsInput ? validAnim : validMesh);
    ModelSkelData model;
    if (LoadMD5Data("m.md5mesh", &model) != S_OK)
        return 0;
    CheckModel(model);
    for (uint32_t v = 0; v < model.vertices.Count(); ++v) {
        const SkinVertex& vertex = model.vertices[v];
        if (vertex.influenceCount == 0 || vertex.influenceCount > 4 || !isfinite(vertex.normal.x))
            abort();
    }
    for (uint32_t a = 0; a < model.animations.Count(); ++a)
        if (!(model.animations[a].duration >= 0) || !isfinite(model.animations[a].duration))
            abort();
    return 0;
}
