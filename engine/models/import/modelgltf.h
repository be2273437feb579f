// glTF 2.0 models (.glb and .gltf), read through tinygltf.
//
// Axes: glTF is right-handed, y up, in metres; the engine is left-handed
// (Direct3D). The one conversion, at load, is a mirror of z:
//   positions, normals, bone translations: (x, y, z) -> (x, y, -z);
//   rotations: the file's (x, y, z, w), which turns v into q v q*, becomes
//   (x, y, -z, w): the mirror gives (-x, -y, z, w) and the engine's bones
//   rotate by the conjugate (RotateVector is conj(q) v q).
// Triangle indices are kept: the mirror alone reverses a triangle's turn on
// screen, so the file's front faces stay the engine's front faces, and
// normals computed by the engine's rule (p2 - p1) x (p1 - p0) point out of
// them. Units stay metres; texture coordinates stay as stored (glTF's v runs
// down the image, as Direct3D's does).
//
// A file whose default scene has a skinned mesh becomes a ModelSkel (the
// first skin's joints as bones, every animation one Animation); any other
// file becomes a ModelScene of the meshes of the default scene's nodes, the
// hierarchy's transforms applied.
#pragma once

#include "graphics/igeometry.h"
#include "graphics/igraphics.h"
#include "models/scene/modelscene.h"

#include "foundation/enginestring.h"

// The core's factory for the type "gltf"; `command` is the file. On failure
// *out is null and the graphics reference stays the caller's.
HRESULT CreateModelGltf(const EngineString& type, const EngineString& command, IGraphics* graphics,
                        const SceneLoadOptions& options, IGeometry** out);
