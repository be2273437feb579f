// The Cal3D readers: the configuration text and the binary skeleton,
// animation, mesh and material files it names. Every reader reads field by
// field and never past the end of its file; a failure leaves its records in
// the log and returns E_FAIL (bad file, record written directly) or
// QLE_SUBFUNCTION (reported through CheckResult). The caller returns that
// code as it is: the records already name every level.
#pragma once

#include "models/skinned/modelskeldata.h"

#include "foundation/enginestring.h"

#include "foundation/qlresult.h"

// Fills `bones` (replacing its contents). Child and parent indices are
// checked against the bone count and against each other, so a loaded
// skeleton is a forest that the hierarchy step can walk from its roots.
HRESULT LoadCal3DSkeleton(const EngineString& name, EngineArray<Bone>* bones);

HRESULT LoadCal3DAnimation(const EngineString& name, Animation* animation);

// One entry per submesh, in file order; each submesh's vertex indices are
// below its own vertex count.
HRESULT LoadCal3DMesh(const EngineString& name, EngineArray<Cal3DSubmesh>* submeshes);

// The texture name, when the file has a map, is `prefix` + the first map's name.
HRESULT LoadCal3DMaterial(const EngineString& name, const EngineString& prefix,
                          SkelMaterial* material);

// The graphics-free part of ModelSkelMeta::LoadCal3D: reads the
// configuration `file` and the files it names into `data`, checks that they
// fit together and packs all submeshes by material into the vertex,
// influence and 16-bit index arrays and the material ranges. What was read
// stays in `data` on failure.
HRESULT LoadCal3DData(const EngineString& file, ModelSkelData* data);

// The four Info records that sum up a loaded model.
void WriteCal3DSummary(const ModelSkelData& data);
