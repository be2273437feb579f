// The white point light the suites and benchmarks light their scenes with:
// no falloff with distance inside its range.
#pragma once

#include <d3dx9.h>

D3DLIGHT9 PointLight(const D3DXVECTOR3& position, float intensity, float range = 1000.0f);
