// Runs the processor side of an OBJ load over one file: the parser, the
// material libraries beside it and the arrays the loader fills its buffers
// from. Shared by the fuzz target and the tests that replay the inputs it
// found.
#pragma once

#include "arrays_exercise.h"

#include <stddef.h>
#include <stdint.h>

#include <string>

// Traps when the arrays break what the loader relies on: every index below
// the vertex count, every material's run inside the index list, finite
// positions inside the box, unit or zero normals, at most 0xFFFF vertices.
ArraysExercise ExerciseObjLoad(const char* path);

// One fuzz input: an OBJ text, optionally followed by a line "#%%mtl" and the
// text of the material library "fuzz.mtl", which it may name. Both are
// written into `folder` (which must exist), exercised and removed.
ArraysExercise ExerciseObjInput(const std::string& folder, const uint8_t* data, size_t size);
