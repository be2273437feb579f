// The processor side of an OBJ load: reads a Wavefront OBJ file and the
// material libraries it names (through tinyobjloader) into the arrays a scene
// model's buffers are filled from. It touches no device and writes no log
// record, so it runs (and is fuzzed) without a graphics manager; the loader
// reports what it returns.
//
// Axes. OBJ is right-handed with y up; the engine is left-handed with y up.
// A file point (x, y, z) becomes (x, y, -z), a file normal likewise, once,
// here. The mirror keeps every picture as the file's author saw it: a face
// wound counter-clockwise towards its viewer in the file is counter-clockwise
// on the engine's screen too. The engine's face normal, (p2 - p1) x (p1 - p0)
// (the normals' pass and the shadow volumes' facing), then points where the
// file's own normal points, so the corners keep the file's order: turning
// them as well would turn every computed normal and lit side inside out.
// Texture coordinates: OBJ's v runs up the image, Direct3D's down; v becomes
// 1 - v.
#pragma once

#include "models/scene/scenearrays.h"

#include "foundation/enginestring.h"

// Why a read failed, where SceneArrays::fault has no word for it.
enum class ObjProblem {
    None,
    NotFound,     // the file does not open
    Parse,        // the parser gave up; detail holds its message
    NotFinite,    // a coordinate is infinite or not a number; detail says which
    NoFaces,      // nothing to draw
    SceneFault,   // SceneArrays::fault says (bad corner, too many vertices, memory)
};

// What the read found, for the loader's records; filled on success as well.
struct ObjReadNotes {
    ObjProblem problem = ObjProblem::None;
    EngineString detail;
    EngineString missingLibrary;   // the first material library that does not open
    EngineString missingMaterial;  // the first material a face asks for that no library defines
    EngineString longMap;          // the first texture map whose name is too long to keep
    EngineString uncoordinatedMap;  // the first map dropped: the file gives no texture coordinates
    EngineString parserWarnings;   // the parser's other warnings, a few lines at most
    uint32_t shapeCount = 0;
    uint32_t fileVertexCount = 0;  // the file's positions, before corners are paired up
};

// Fills *out (reset first) from the OBJ file `path`; material libraries and
// texture maps are looked for beside it. A vertex is made per distinct
// (position, normal, texture coordinate) triple of the corners; texture
// coordinates are carried only when a material has a map, and otherwise take
// no part in telling corners apart. Polygons are split into fans of
// triangles; faces are sorted by material, in the order the libraries define
// them, and faces of no known material go to one default material after
// them. Normals come from the file where a corner has one, else from
// ComputeSceneNormals. S_OK, E_FAIL (notes->problem says why) or
// E_OUTOFMEMORY. What was built stays in *out on failure for FreeSceneArrays.
HRESULT ReadObjArrays(const EngineString& path, SceneArrays* out, ObjReadNotes* notes);
