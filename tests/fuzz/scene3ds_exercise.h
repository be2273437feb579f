// Runs the processor side of a scene load over one file: the reader, then
// the arrays the loader fills its buffers from, then the normals. Shared by
// the fuzz target and the tests that replay the inputs it found.
#pragma once

#include "arrays_exercise.h"

// Traps when the arrays break what the loader relies on: every index below
// the vertex count, every material's run inside the index list, unit or zero
// normals, no error left pending and no file left open.
ArraysExercise ExerciseSceneLoad(const char* path);
