// The smallest program on the installed engine: a window, a device, a
// camera and a light, the 3DS scene named on the command line (if any), and
// one frame. minimal [scene.3ds]; exit code 0 when the frame was drawn.
#include <quarlight/core/icore.h>
#include <quarlight/graphics/igraphics.h>
#include <quarlight/graphics/imodel.h>

#include <stdio.h>

int main(int argc, char** argv)
{
    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    IGeometry* scene = nullptr;
    HRESULT result = CreateCore(&core);
    if (SUCCEEDED(result))
        result = core->Init(nullptr, "Quarlight Minimal", 320, 240);
    if (SUCCEEDED(result))
        result = core->CreateGraphics(&graphics);
    ScreenMode mode = {1, 320, 240, 32, 24, 8};
    if (SUCCEEDED(result))
        result = graphics->SetScreenMode(&mode);

    D3DXVECTOR3 eye(0, 300, -400), at(0, 50, 0), up(0, 1, 0);
    if (SUCCEEDED(result))
        result = graphics->SetCamera(&eye, &at, &up);
    if (SUCCEEDED(result))
        result = graphics->SetLightning(true, 0xFF505050);
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {0.8f, 0.8f, 0.8f, 1.0f};
    light.Position = {0, 200, -100};
    light.Range = 1000;
    light.Attenuation0 = 1;
    if (SUCCEEDED(result))
        result = graphics->SetLight(0, true, &light);
    if (SUCCEEDED(result) && argc > 1)
        result = core->CreateObject("3ds", argv[1], &scene);
    if (SUCCEEDED(result))
        result = core->Update();
    if (SUCCEEDED(result))
        result = graphics->UpdateAndRender(0.0f);

    if (scene)
        scene->Release();
    if (graphics)
        graphics->Release();
    ReleaseUntilDestroyed(core);
    if (FAILED(result)) {
        fprintf(stderr, "minimal: failed (0x%08X), see log.txt\n", (unsigned)result);
        return 1;
    }
    printf("minimal: one frame drawn\n");
    return 0;
}
