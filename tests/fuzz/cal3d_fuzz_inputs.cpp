#include "cal3d_fuzz_inputs.h"

#include "cal3d_fuzz_support.h"
#include "models/skinned/modelcal3d.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Loads the file and checks what a successful load gives.
template <typename Data, HRESULT (*Load)(const EngineString&, Data*), void (*Check)(const Data&)>
void LoadAndCheck(const char* path)
{
    Data data;
    if (Load(path, &data) == S_OK)
        Check(data);
}

// A texture name always comes back under the data folder it was given.
void FuzzMaterial(const char* path)
{
    SkelMaterial material;
    if (LoadCal3DMaterial(path, "./data/", &material) == S_OK && material.hasTexture &&
        strncmp(material.textureName.Chars(), "./data/", 7) != 0)
        abort();
}

const Cal3DFuzzInput inputs[] = {
    {"skeleton", "input.csf", LoadAndCheck<EngineArray<Bone>, LoadCal3DSkeleton, CheckSkeleton>},
    {"animation", "input.caf", LoadAndCheck<Animation, LoadCal3DAnimation, CheckAnimation>},
    {"mesh", "input.cmf", LoadAndCheck<EngineArray<Cal3DSubmesh>, LoadCal3DMesh, CheckSubmeshes>},
    {"material", "input.crf", FuzzMaterial},
    // The configuration may name the valid files the fuzz directory holds.
    {"config", "input.cfg", LoadAndCheck<ModelSkelData, LoadCal3DData, CheckModel>},
};

}  // namespace

const Cal3DFuzzInput* FindCal3DFuzzInput(const char* kind)
{
    for (const Cal3DFuzzInput& input : inputs)
        if (strcmp(input.kind, kind) == 0)
            return &input;
    return nullptr;
}
