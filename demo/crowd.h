// The skinned demo's creatures: the one the controls animate, standing in
// front of the fountain, and for a crowd its clones on a grid in the park,
// each looping its animations from a phase of its own.
#pragma once

#include "sampleapp.h"

#include <stdint.h>

// The largest crowd the option accepts.
constexpr uint32_t maximumCrowd = 1024;

// The creatures beyond the controlled one (which is the engine's model),
// owned by the program and handed to the hooks below as their user pointer.
struct Crowd {
    // How many creatures CreateCrowd makes (1, the default, is the controlled
    // one alone); set before the start-up with SetCrowdSize.
    uint32_t size = 1;
    IModel** clones = nullptr;  // size - 1 of them once made
    uint32_t cloneCount = 0;
};

// Clamps `creatures` to 1 .. maximumCrowd.
void SetCrowdSize(Crowd& crowd, uint32_t creatures);

// SampleProgram hooks, `user` a Crowd: the creatures, their looping
// animations, their release.
HRESULT CreateCrowd(SampleEngine& engine, void* user);
void AnimateCrowd(SampleEngine& engine, void* user, float elapsedSeconds);
void ReleaseCrowd(SampleEngine& engine, void* user);
// A program with the hooks and `crowd` as their user pointer.
void UseCrowd(SampleProgram& program, Crowd& crowd);

// Every creature of the crowd, the controlled one first; null past the end.
IModel* CrowdCreature(const SampleEngine& engine, const Crowd& crowd, uint32_t index);

// The park's ground reaches 400 units from its middle each way; a creature
// stands at most this far out, so all of it is on the park.
constexpr float parkEdge = 370.0f;

// Where `clones` clones of the first creature stand (y is the ground),
// written into `positions`; returns how many were placed, `clones` for any
// crowd up to maximumCrowd.
uint32_t CrowdPositions(uint32_t clones, D3DXVECTOR3* positions);
