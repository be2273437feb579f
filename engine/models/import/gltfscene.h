// The processor side of a glTF scene load: the meshes of the default scene's
// nodes, transformed and converted to engine axes (modelgltf.h), into the
// arrays a scene model's buffers are filled from. No device, no log record:
// it runs (and is fuzzed) without a graphics manager.
#pragma once

#include "models/import/gltfcontent.h"

#include "models/scene/scenearrays.h"

// Fills *out (reset first): one material per material of the file, then the
// default one when a primitive names none; triangles sorted by material.
// Materials whose image is a file get its uri as their texture map; embedded
// images are left to the loader (GltfEmbeddedImage). S_OK, E_FAIL with
// out->fault set (too many vertices), or E_OUTOFMEMORY; what was built stays
// in *out for FreeSceneArrays.
HRESULT BuildGltfScene(const GltfContent& content, SceneArrays* out);

// The file's image of scene material `material` when its bytes are embedded;
// null otherwise.
const GltfImage* GltfEmbeddedImage(const GltfContent& content, uint32_t material);

// glTF point (x, y, z) in the engine's frame; normals alike.
inline void GltfToEngine(const double in[3], float out[3])
{
    out[0] = (float)in[0];
    out[1] = (float)in[1];
    out[2] = (float)-in[2];
}

// A primitive without normals gets the 3DS loader's: the unit sum of the unit
// face normals (p2 - p1) x (p1 - p0) around each vertex, computed on the
// engine-frame positions, so they face where the engine's faces face. Only
// normals first .. first + count - 1 are normalised; they start at zero.
void GltfFaceNormals(const D3DXVECTOR3* positions, const uint32_t* indices, uint32_t indexCount, uint32_t first,
                     uint32_t count, D3DXVECTOR3* normals);
