// The skinned demo's creatures: the one the controls animate, standing in
// front of the fountain, and for a crowd its clones on a grid in the park,
// each looping its animations from a phase of its own.
#pragma once

#include "sampleapp.h"

#include <stdint.h>

// How many creatures CreateCrowd makes (1, the default, is the controlled
// one alone). Set before the start-up.
void SetCrowdSize(uint32_t creatures);
uint32_t CrowdSize();

// SampleProgram hooks: the creatures, their looping animations, their release.
HRESULT CreateCrowd(SampleEngine& engine);
void AnimateCrowd(SampleEngine& engine, float elapsedSeconds);
void ReleaseCrowd(SampleEngine& engine);

// Every creature of the crowd, the controlled one first; null past the end.
IModel* CrowdCreature(const SampleEngine& engine, uint32_t index);

// The largest crowd the option accepts.
constexpr uint32_t maximumCrowd = 1024;

// The park's ground reaches 400 units from its middle each way; a creature
// stands at most this far out, so all of it is on the park.
constexpr float parkEdge = 370.0f;

// Where `clones` clones of the first creature stand (y is the ground),
// written into `positions`; returns how many were placed, `clones` for any
// crowd up to maximumCrowd.
uint32_t CrowdPositions(uint32_t clones, D3DXVECTOR3* positions);
