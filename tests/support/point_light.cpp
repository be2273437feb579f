#include "support/point_light.h"

D3DLIGHT9 PointLight(const D3DXVECTOR3& position, float intensity, float range)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = D3DCOLORVALUE{intensity, intensity, intensity, 1.0f};
    light.Position = position;
    light.Range = range;
    light.Attenuation0 = 1.0f;
    return light;
}
