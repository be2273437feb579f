// The sample's scene settings: the data files, the window, the global
// ambient and the moving light's record. They are the defaults of the shell's
// SampleProgram, so the sample program is the shell run as it is; the capture
// program renders the same scene.
#pragma once

#include <d3d9.h>

#include <stdint.h>

namespace SampleSettings {

constexpr const char* parkFile = "./data/park.3ds";
// The DejaVu Sans Mono atlas of data/dejavu_sans_mono_512.tga, in a committed
// copy under this name: the copy works wherever data/ is linked or copied.
constexpr const char* fontFile = "./data/lucida_console_512.tga";
constexpr uint32_t windowWidth = 800;
constexpr uint32_t windowHeight = 600;
constexpr D3DCOLOR globalAmbient = 0xFF505050;

// The point light; its position is set each time it moves.
inline D3DLIGHT9 Light()
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {0.7f, 0.7f, 0.7f, 1.0f};
    light.Specular = {0.3f, 0.3f, 0.3f, 1.0f};
    light.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Range = 1000.0f;
    light.Attenuation0 = 1.0f;
    return light;
}

}  // namespace SampleSettings
