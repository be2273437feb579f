// The latitude-longitude sphere the shadow-volume tests and benchmarks cut:
// a north pole, stacks - 1 rings of `slices` vertices and a south pole, with
// shared seams, in 2 * slices * (stacks - 1) triangles wound so the engine's
// facing normal points outward.
#pragma once

#include <d3dx9.h>

#include <math.h>

#include <vector>

// Where a vertex lies on the unit sphere; the poles exactly on the y axis.
struct SpherePoint {
    float sinPolar, cosPolar, cosAzimuth, sinAzimuth;
    size_t index;  // the vertex's place in the position list
};

// `place(SpherePoint)` gives each vertex's position, poles and rings in order.
template <typename Place>
void BuildSphere(int slices, int stacks, Place place, std::vector<D3DXVECTOR3>* positions, std::vector<WORD>* indices)
{
    const float pi = 3.14159265f;
    positions->push_back(place(SpherePoint{0.0f, 1.0f, 1.0f, 0.0f, positions->size()}));
    for (int r = 1; r < stacks; ++r) {
        const float polar = pi * float(r) / float(stacks);
        for (int s = 0; s < slices; ++s) {
            const float azimuth = 2.0f * pi * float(s) / float(slices);
            positions->push_back(
                place(SpherePoint{sinf(polar), cosf(polar), cosf(azimuth), sinf(azimuth), positions->size()}));
        }
    }
    const WORD bottom = WORD(positions->size());
    positions->push_back(place(SpherePoint{0.0f, -1.0f, 1.0f, 0.0f, positions->size()}));
    auto ring = [&](int r, int s) { return WORD(1 + (r - 1) * slices + (s % slices)); };
    for (int s = 0; s < slices; ++s) {
        const WORD top[3] = {0, ring(1, s), ring(1, s + 1)};
        indices->insert(indices->end(), top, top + 3);
        for (int r = 1; r + 1 < stacks; ++r) {
            const WORD band[6] = {ring(r, s), ring(r + 1, s), ring(r + 1, s + 1),
                                  ring(r, s), ring(r + 1, s + 1), ring(r, s + 1)};
            indices->insert(indices->end(), band, band + 6);
        }
        const WORD low[3] = {bottom, ring(stacks - 1, s + 1), ring(stacks - 1, s)};
        indices->insert(indices->end(), low, low + 3);
    }
}
