// Runs every reader operation a scene load uses over one file, clearing the
// pending errors after each call and going on, so that a damaged file reaches
// as much of the reader as it can. Shared by the fuzz target and the tests
// that replay the inputs it found.
#pragma once

#include <stdint.h>

struct ExerciseCounts {
    uint32_t materials;
    uint32_t meshes;
    uint32_t vertices;
    uint32_t faces;
    uint32_t errors;  // errors recorded over the whole run
};

// Traps when a record's counts and arrays disagree.
ExerciseCounts ExerciseReader(const char* path);
