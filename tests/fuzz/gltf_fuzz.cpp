// libFuzzer entry of the glTF target: everything an import does short of the
// device. The input is read as a .glb or .gltf (external parts looked up in
// an empty folder), then built into a scene's arrays and, when it has a
// skin, a skinned model's data.
#include "models/import/gltfcontent.h"
#include "models/import/gltfscene.h"
#include "models/import/gltfskin.h"

#include <stddef.h>
#include <stdint.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GltfContent content;
    std::string error;
    if (!ReadGltfBytes(data, size, "/nonexistent-gltf-fuzz", &content, &error))
        return 0;
    SceneArrays arrays = {};
    BuildGltfScene(content, &arrays);
    FreeSceneArrays(&arrays);
    for (const GltfNode& node : content.nodes)
        if (node.inScene && node.mesh >= 0 && node.skin >= 0) {
            ModelSkelData skinned;
            GltfSkinResult result;
            BuildGltfSkin(content, "fuzz.glb", &skinned, &result);
            break;
        }
    return 0;
}
