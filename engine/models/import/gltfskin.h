// The processor side of a skinned glTF load: the first skin's joints become
// the bones, the meshes it skins the packed skin, and every animation one
// Animation of keyframes, all converted to engine axes (modelgltf.h). No
// device, no log record.
#pragma once

#include "models/import/gltfcontent.h"

#include "models/skinned/modelskeldata.h"

#include "foundation/qlresult.h"

#include <string>
#include <vector>

struct GltfSkinResult {
    std::string error;                  // why the build failed
    std::vector<std::string> warnings;  // what was dropped, one Warning each
    // A uniform scale of the whole skeleton, baked out of the bones: the
    // model's initial world matrix scales by it.
    float scale = 1.0f;
};

// Fills `data` (bones, roots, animations, packed vertices, influences,
// indices, materials). Materials with an image file get its uri, found
// beside `file`, as their texture. S_OK, E_FAIL with result->error, or
// E_OUTOFMEMORY.
HRESULT BuildGltfSkin(const GltfContent& content, const EngineString& file, ModelSkelData* data,
                      GltfSkinResult* result);

// The engine quaternion of a rotation given as the file stores it: the z
// mirror takes (x, y, z, w) to (-x, -y, z, w), and the engine's bones rotate
// by the conjugate (RotateVector is conj(q) v q).
inline SkelQuaternion GltfRotationToEngine(const double q[4])
{
    return SkelQuaternion{(float)q[0], (float)q[1], (float)-q[2], (float)q[3]};
}
