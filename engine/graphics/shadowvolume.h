// Stencil shadow volumes as pure functions over plain data: connectivity of
// a triangle list, and the extruded silhouette of a mesh seen from a point
// light. No device calls here; the graphics manager draws the result.
#pragma once

#include <d3dx9.h>

#include <stdint.h>

struct EdgeInfo {
    bool done;              // handled in the current volume
    int32_t neighbourFace;  // triangle sharing this edge, -1 for an open edge
    int32_t neighbourEdge;  // that edge's number (0 to 2) in the neighbour
};

// Edge k of triangle t runs from index 3t + k to index 3t + (k + 1) % 3.
struct FaceInfo {
    bool lit;  // faces the light, for the current volume
    EdgeInfo edges[3];
};
