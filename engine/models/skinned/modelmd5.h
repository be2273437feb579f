// The MD5 (version 10) model: a .md5mesh and its .md5anim animations. The
// animations are the files named, one a line, in the list beside the mesh
// whose name is the mesh's with the extension ".anims" (creature.md5mesh:
// creature.anims; blank lines and lines starting with # are skipped);
// without a list, every .md5anim file of the mesh's folder, in name order.
//
// The data is read in the file's right-handed, z-up frame, as Cal3D data is,
// and stands up through the same base matrix. Converted at load:
// - quaternions are conjugated into the engine's bone convention (a bone
//   rotates v to conj(q) v q);
// - triangles keep their order: MD5 fronts wind clockwise, with the outward
//   normal (p2 - p0) x (p1 - p0), as the engine's shadow volumes take them;
// - joints are made parent-relative, with the inverse bind transform kept
//   as each bone's bone-space transform;
// - each vertex gets its bind position from all its weights and keeps its
//   four largest weights, scaled to sum as before (one Warning per model);
//   normals are the area-weighted normals of its triangles;
// - every mesh becomes one material: white, with the shader as the texture
//   file beside the model (".tga" appended when the shader has no
//   extension), or untextured for an empty shader;
// - every joint becomes one track of every animation, keyed at each frame
//   (one key for a joint without animated components); the duration is
//   (frames - 1) / frameRate.
#pragma once

#include "models/skinned/modelskeldata.h"

#include "foundation/enginestring.h"
#include "foundation/qlresult.h"

// The graphics-free part of ModelSkelMeta::LoadMD5: reads `file` and its
// animations into `data`. S_OK, or E_FAIL / QLE_SUBFUNCTION after the records.
HRESULT LoadMD5Data(const EngineString& file, ModelSkelData* data);
