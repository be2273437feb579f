// The sample's frame written by hand in OpenGL 4.5 over the same park,
// camera and light, for scale against the engine's: clear, ambient pass,
// per light a stencil clear, the volumes (the engine's builders, uploaded
// once per frame into one streaming buffer, two-sided stencil) and the lit
// pass, then the text overlay in one draw. One draw per material per pass.
// It owns a hidden window and context of its own; every call makes them
// current and gives the caller's back before returning.
#pragma once

#include "lean_park.h"

#include <memory>

class LeanFrame {
public:
    LeanFrame();
    ~LeanFrame();
    // Reads the park and its maps and makes the window, context and
    // buffers; false with a message on stderr when anything fails.
    bool Start(const char* parkFile, const char* fontFile, UINT width, UINT height);
    // The camera, the point light (its diffuse, specular, ambient,
    // attenuation and range) and the global ambient colour.
    void SetScene(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DLIGHT9& light, D3DCOLOR ambient);
    // One frame, presented; the text drawn is `help` at the top left.
    void Draw(const char* help);
    // The last frame as a PNG; false when it cannot be written.
    bool Save(const char* path);

private:
    struct Gl;
    std::unique_ptr<Gl> gl;
    LeanPark park;
    LeanView view = {};
    D3DLIGHT9 light = {};
    D3DCOLOR ambient = 0;
    LeanVolumes volumes;
    std::vector<bool> visible;
};
