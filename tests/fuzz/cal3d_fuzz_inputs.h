// What each Cal3D fuzz target does with its input file: the reader it goes
// through and the checks a successful load must pass.
#pragma once

struct Cal3DFuzzInput {
    const char* kind;      // skeleton, animation, mesh, material or config
    const char* fileName;  // the input's name in the fuzz directory
    void (*loadAndCheck)(const char* path);
};

// Null for an unknown kind.
const Cal3DFuzzInput* FindCal3DFuzzInput(const char* kind);
