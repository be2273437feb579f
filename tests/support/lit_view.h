// The view most rendering tests draw: the camera at `eye` looking at `at`
// with y up, lighting on over `ambient`, and light 0 a white point light at
// `light` reaching `range`. Call it through ASSERT_NO_FATAL_FAILURE.
#pragma once

#include "graphics/igraphics.h"

#include "support/point_light.h"

#include <gtest/gtest.h>

inline void LightView(IGraphics* graphics, const D3DXVECTOR3& eye, const D3DXVECTOR3& at, D3DCOLOR ambient,
                      const D3DXVECTOR3& light, float range)
{
    const D3DXVECTOR3 up(0, 1, 0);
    ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
    ASSERT_EQ(S_OK, graphics->SetLightning(true, ambient));
    const D3DLIGHT9 point = PointLight(light, 1.0f, range);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &point));
}
