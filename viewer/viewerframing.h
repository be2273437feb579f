// Where the viewer puts a model: whatever its size and position, into the
// part of the scene the sample's camera looks at and its light circles over.
#pragma once

#include <d3dx9.h>

// The world matrix for a model whose model-space box is [low, high]:
// `orientation` (the model's own base matrix) first, then one uniform scale
// and a move that put the sphere around the oriented box at `centre` with
// `radius`. A box with no extent (a point, or no vertex at all) is only moved.
D3DXMATRIX FrameModel(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& orientation,
                      const D3DXVECTOR3& centre, float radius);

// The box around [low, high] moved by `matrix`; false (and an empty box)
// when [low, high] holds no point.
bool TransformBox(const D3DXVECTOR3& low, const D3DXVECTOR3& high, const D3DXMATRIX& matrix,
                  D3DXVECTOR3& movedLow, D3DXVECTOR3& movedHigh);
