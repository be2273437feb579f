// Runs the processor side of a scene load over one file: the reader, then
// the arrays the loader fills its buffers from, then the normals. Shared by
// the fuzz target and the tests that replay the inputs it found.
#pragma once

#include <stdint.h>

struct SceneExercise {
    bool loaded;  // the arrays were built
    uint32_t vertices;
    uint32_t indices;
    uint32_t materials;
};

// Traps when the arrays break what the loader relies on: every index below
// the vertex count, every material's run inside the index list, unit or zero
// normals, no error left pending and no file left open.
SceneExercise ExerciseSceneLoad(const char* path);
