#include "captureframes.h"

#include "core/qlcore.h"
#include "graphics/imodel.h"
#include "text/font.h"

#include "samplesettings.h"
#include "samplestate.h"

#include <math.h>

namespace {

const char creatureFile[] = "./data/creature.cfg";
// Written beside the program at build time (parkgen --big): too large to commit.
const char bigParkFile[] = "./bigpark/bigpark.3ds";
constexpr uint32_t width = SampleSettings::windowWidth;
constexpr uint32_t height = SampleSettings::windowHeight;
// The creature's animations advance in steps of this many seconds.
constexpr float animationStep = 0.025f;
constexpr uint32_t walkAnimation = 1;
constexpr uint32_t waveAnimation = 3;

const CaptureView views[] = {
    // name, scene, camera, light angle, switches, animation time[, client size]
    {"park_cam1_shadows", CaptureScene::Park, 0, 0.6f, ShowStencilShadow, 0.0f},
    {"park_cam2_shadows", CaptureScene::Park, 1, 2.1f, ShowStencilShadow, 0.0f},
    {"park_cam3_shadows", CaptureScene::Park, 2, 4.2f, ShowStencilShadow, 0.0f},
    {"park_cam1_standard", CaptureScene::Park, 0, 0.6f, 0, 0.0f},
    {"park_cam2_standard", CaptureScene::Park, 1, 2.1f, 0, 0.0f},
    {"park_cam1_ambient", CaptureScene::Park, 0, 0.6f, ShowStencilShadow | ShowAmbientOnly, 0.0f},
    {"park_cam3_wireframe", CaptureScene::Park, 2, 4.2f, ShowStencilShadow | ShowWireframe, 0.0f},
    {"park_cam1_volumes", CaptureScene::Park, 0, 0.6f, ShowStencilShadow | ShowShadowVolume | ShowSilhouette, 0.0f},
    {"park_cam2_silhouettes", CaptureScene::Park, 1, 2.1f, ShowStencilShadow | ShowSilhouette, 0.0f},
    {"park_cam1_texts", CaptureScene::Park, 0, 1.2f, ShowStencilShadow | ShowTexts, 0.0f},
    {"park_in_shadow", CaptureScene::Park, 3, 0.0f, ShowStencilShadow, 0.0f},
    {"park_in_shadow_volumes", CaptureScene::Park, 3, 0.0f, ShowStencilShadow | ShowShadowVolume | ShowSilhouette,
     0.0f},
    // After a drag of the window's frame: the back buffer takes the new client size.
    {"park_cam1_resized_larger", CaptureScene::Park, 0, 1.2f, ShowStencilShadow | ShowTexts, 0.0f, 960, 720},
    {"park_cam2_resized_smaller", CaptureScene::Park, 1, 2.1f, ShowStencilShadow | ShowTexts, 0.0f, 560, 420},
    // The big park under the four lamps round the fountain.
    {"bigpark_lamps_above", CaptureScene::BigPark, 4, 0.0f, ShowStencilShadow, 0.0f},
    {"bigpark_lamps_walk", CaptureScene::BigPark, 5, 0.0f, ShowStencilShadow, 0.0f},
    {"creature_t0.000", CaptureScene::Creature, 0, 0.8f, ShowStencilShadow, 0.0f},
    {"creature_t0.500", CaptureScene::Creature, 0, 0.8f, ShowStencilShadow, 0.5f},
    {"creature_t1.250", CaptureScene::Creature, 0, 0.8f, ShowStencilShadow, 1.25f},
    {"creature_t1.250_standard", CaptureScene::Creature, 0, 0.8f, 0, 1.25f},
    {"creatures_two_t1.500", CaptureScene::TwoCreatures, 0, 0.8f, ShowStencilShadow, 1.5f},
};

struct Camera {
    D3DXVECTOR3 eye, at;
};

const Camera parkCameras[] = {
    {D3DXVECTOR3(0.0f, 300.0f, -400.0f), D3DXVECTOR3(0.0f, 50.0f, 0.0f)},
    {D3DXVECTOR3(380.0f, 160.0f, -180.0f), D3DXVECTOR3(0.0f, 20.0f, 20.0f)},
    {D3DXVECTOR3(-260.0f, 90.0f, 330.0f), D3DXVECTOR3(20.0f, 30.0f, -20.0f)},
    // Behind the fountain, in its bowl's shadow under the light at angle 0,
    // looking away from the light.
    {D3DXVECTOR3(0.0f, 12.0f, -32.0f), D3DXVECTOR3(0.0f, 0.0f, -150.0f)},
    // The big park: over the lamps from the south, and a walker's eyes on
    // the lawn east of the avenue, short of the fountain.
    {D3DXVECTOR3(0.0f, 170.0f, -250.0f), D3DXVECTOR3(0.0f, 20.0f, 10.0f)},
    {D3DXVECTOR3(45.0f, 18.0f, -100.0f), D3DXVECTOR3(20.0f, 14.0f, 0.0f)},
};

// Over the heads of the four lamp posts nearest the fountain, as parkgen
// --big --lamps 4 prints them (engine axes), and the lamps' range.
const D3DXVECTOR3 bigParkLamps[] = {
    {77.6f, 72.0f, 32.1f}, {32.1f, 72.0f, 77.6f}, {-32.1f, 72.0f, 77.6f}, {-77.6f, 72.0f, 32.1f}};
constexpr float lampRange = 120.0f;
constexpr DWORD lampCount = sizeof bigParkLamps / sizeof bigParkLamps[0];

D3DLIGHT9 PointLight(const D3DXVECTOR3& position)
{
    D3DLIGHT9 light = SampleSettings::Light();
    light.Position = position;
    return light;
}

HRESULT SetMatrixIdentity(IModel* model)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return model->SetMatrix(identity);
}

// The sample's program under the capture's title: the same window, scene
// and font.
const SampleProgram& CaptureProgram()
{
    static SampleProgram program;
    program.title = "Quarlight Capture";
    return program;
}

// The creature replaces the park; its walk and wave play from time 0.
HRESULT LoadCreature(CaptureEngine& engine)
{
    SampleEngine& sample = engine.sample;
    ReleaseHeld(sample.scene);
    IGeometry* creature = nullptr;
    HRESULT result = sample.core->CreateObject("cal3d", creatureFile, &creature);
    // The "cal3d" type always makes a model.
    IModel* model = static_cast<IModel*>(creature);
    sample.model = model;
    if (SUCCEEDED(result))
        result = SetMatrixIdentity(model);
    if (SUCCEEDED(result))
        result = model->AddAnimation(walkAnimation, 1.0f);
    if (SUCCEEDED(result))
        result = model->AddAnimation(waveAnimation, 0.5f);
    // The bounds are those of the last skinned pose: pose it at time 0.
    if (SUCCEEDED(result))
        result = model->Update(0.0f);
    if (SUCCEEDED(result))
        result = model->GetBoundingBox(&engine.creatureLow, &engine.creatureHigh);
    if (SUCCEEDED(result) && !(engine.creatureHigh.y > engine.creatureLow.y))
        result = E_FAIL;
    engine.animationTime = 0.0f;
    return result;
}

// Another creature beside the first, waving only: its own pose, its own
// shadow.
HRESULT LoadSecondCreature(CaptureEngine& engine)
{
    HRESULT result = engine.sample.core->CreateObject("cal3d", creatureFile, &engine.secondCreature);
    const D3DXVECTOR3 extent = engine.creatureHigh - engine.creatureLow;
    const float size = D3DXVec3Length(&extent);
    D3DXMATRIX beside;
    D3DXMatrixTranslation(&beside, -0.6f * size, 0.0f, 0.4f * size);
    IModel* model = static_cast<IModel*>(engine.secondCreature);
    if (SUCCEEDED(result))
        result = model->SetMatrix(beside);
    if (SUCCEEDED(result))
        result = model->AddAnimation(waveAnimation, 1.0f);
    return result;
}

// The big park replaces the park: the same textures, from ./data/.
HRESULT LoadBigPark(CaptureEngine& engine)
{
    SampleEngine& sample = engine.sample;
    ReleaseHeld(sample.scene);
    engine.bigParkLoaded = true;
    return sample.core->CreateObject("3ds", bigParkFile, &sample.scene);
}

// Light 0 is the view's own light, or the first lamp; the other lamps are
// on only in the big park.
HRESULT SetLights(IGraphics* graphics, const CaptureView& view, const D3DXVECTOR3& lightPosition)
{
    const bool lamps = view.scene == CaptureScene::BigPark;
    HRESULT result = S_OK;
    for (DWORD i = 0; i < lampCount && SUCCEEDED(result); ++i) {
        D3DLIGHT9 light = PointLight(lamps ? bigParkLamps[i] : lightPosition);
        if (lamps) {
            light.Range = lampRange;
            light.Ambient = {0.3f, 0.3f, 0.3f, 1.0f};
            light.Attenuation0 = 0.6f;
            light.Attenuation1 = 0.006f;
        }
        result = graphics->SetLight(i, i == 0 || lamps, &light);
    }
    return result;
}

// Camera and light around the creature's bounds at load time.
void CreatureCamera(CaptureEngine& engine, float lightAngle, Camera* camera, D3DXVECTOR3* light)
{
    const D3DXVECTOR3& low = engine.creatureLow;
    const D3DXVECTOR3& high = engine.creatureHigh;
    D3DXVECTOR3 centre = (low + high) * 0.5f;
    D3DXVECTOR3 extent = high - low;
    float size = D3DXVec3Length(&extent);
    camera->at = centre;
    camera->eye = centre + D3DXVECTOR3(0.55f * size, 0.25f * size, -1.1f * size);
    *light = centre + D3DXVECTOR3(size * sinf(lightAngle), 0.9f * size, size * cosf(lightAngle));
}

void QueueTexts(Font* font, const D3DXVECTOR3& lightPosition, bool all)
{
    font->AddText3D("O", 0xFFFFFFFF, 0, 20.0f, lightPosition, D3DXVECTOR3(1.0f, 0.0f, 0.0f),
                    D3DXVECTOR3(0.0f, -1.0f, 0.0f));
    if (!all)
        return;
    font->AddText2D("FPS=60.00", 0xFFFFFF00, 0x77000000, 20, 0, 0, 1.0f, 0.0f);
    font->AddText2D("Controls :\n'S' for Standard lightning\n'F1' for not showing this help", 0xFFFFFFFF, 0, 16, 5,
                    25, 1.0f, 0.0f);
    font->AddText2D("Quarlight", 0xFF40FF40, 0xFF202020, 24, 700, 120, 0.0f, 1.0f);
    font->AddText2DScaled("x", 0x55FFFF00, 0x77FFDDFF, 0.1f, 0.45f, 0.45f, 1.0f, 0.0f);
    font->AddText2DScaled("Scaled text 0123", 0xFFFF8040, 0, 0.05f, 0.05f, 0.85f, 1.0f, 0.0f);
    font->AddText3D("Park", 0xFF80C0FF, 0x40000000, 40.0f, D3DXVECTOR3(-80.0f, 60.0f, 0.0f),
                    D3DXVECTOR3(1.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, -1.0f, 0.0f));
}

// Everything of `view` but the elapsed time: camera, light, switches, texts.
HRESULT PrepareFrame(CaptureEngine& engine, const CaptureView& view)
{
    IGraphics* graphics = engine.sample.graphics;
    HRESULT result = S_OK;
    Camera camera = {};
    D3DXVECTOR3 lightPosition;
    if (view.scene == CaptureScene::Park || view.scene == CaptureScene::BigPark) {
        camera = parkCameras[view.camera];
        const SampleProgram& program = CaptureProgram();
        lightPosition = D3DXVECTOR3(program.lightRadius * sinf(view.lightAngle), program.lightHeight,
                                    program.lightRadius * cosf(view.lightAngle));
        // The marker over the first lamp.
        if (view.scene == CaptureScene::BigPark)
            lightPosition = bigParkLamps[0];
    } else {
        CreatureCamera(engine, view.lightAngle, &camera, &lightPosition);
    }
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    result = graphics->SetCamera(&camera.eye, &camera.at, &up);
    if (SUCCEEDED(result))
        result = graphics->SetStencilShadow(Shows(view, ShowStencilShadow));
    if (SUCCEEDED(result))
        result = SetLights(graphics, view, lightPosition);
    if (FAILED(result))
        return result;
    AmbientOnly = Shows(view, ShowAmbientOnly);
    DrawShadowVolume = Shows(view, ShowShadowVolume);
    DrawPossibleSilhouette = Shows(view, ShowSilhouette);
    const DWORD fill = Shows(view, ShowWireframe) ? D3DFILL_WIREFRAME : D3DFILL_SOLID;
    graphics->GetDevice()->SetRenderState(D3DRS_FILLMODE, fill);
    QueueTexts(engine.sample.font, lightPosition, Shows(view, ShowTexts));
    return S_OK;
}

// Sizes the window as a user's drag of its frame would, ending with the
// message that makes the engine give the back buffer the client size.
HRESULT SizeWindow(CaptureEngine& engine, const CaptureView& view)
{
    HWND window = static_cast<QLCore*>(engine.sample.core)->Window();
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    int wantedWidth = view.clientWidth ? view.clientWidth : (int)width;
    int wantedHeight = view.clientHeight ? view.clientHeight : (int)height;
    if (client.right == wantedWidth && client.bottom == wantedHeight)
        return S_OK;
    RECT outer = {0, 0, wantedWidth, wantedHeight};
    AdjustWindowRectEx(&outer, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                       FALSE, WS_EX_WINDOWEDGE);
    RECT placed;
    GetWindowRect(window, &placed);
    if (!SetWindowPos(window, HWND_NOTOPMOST, placed.left, placed.top, outer.right - outer.left,
                      outer.bottom - outer.top, 0) ||
        !PostMessageA(window, WM_EXITSIZEMOVE, 0, 0))
        return E_FAIL;
    return engine.sample.core->Update();
}

// Keeps the window answering its messages while it has the focus; an
// inactive core would block in Update, and the frames need no input.
HRESULT PumpMessages(CaptureEngine& engine)
{
    ICore* core = engine.sample.core;
    return core->IsActive() ? core->Update() : S_OK;
}

}  // namespace

const CaptureView* CaptureViews(uint32_t* count)
{
    *count = sizeof views / sizeof views[0];
    return views;
}

HRESULT StartCapture(CaptureEngine& engine)
{
    ResetSampleState();
    HRESULT result = StartSample(engine.sample, CaptureProgram());
    // Last, so that it runs after every other overlay of the frame.
    if (SUCCEEDED(result))
        result = CaptureProbe::Create(engine.sample.graphics, &engine.probe);
    return result;
}

HRESULT CaptureFrame(CaptureEngine& engine, const CaptureView& view, CapturedImage* image)
{
    HRESULT result = SizeWindow(engine, view);
    if (SUCCEEDED(result) && view.scene == CaptureScene::BigPark && !engine.bigParkLoaded)
        result = LoadBigPark(engine);
    if (SUCCEEDED(result) && IsCreatureScene(view.scene) && !engine.sample.model)
        result = LoadCreature(engine);
    if (SUCCEEDED(result) && view.scene == CaptureScene::TwoCreatures && !engine.secondCreature)
        result = LoadSecondCreature(engine);
    if (FAILED(result))
        return result;
    // Fixed steps up to the view's time, the last of them the captured frame.
    long steps = 0;
    if (IsCreatureScene(view.scene))
        steps = lroundf((view.animationTime - engine.animationTime) / animationStep);
    if (steps < 0)
        return E_INVALIDARG;
    for (long i = 0; i + 1 < steps && SUCCEEDED(result); ++i) {
        result = PrepareFrame(engine, view);
        if (SUCCEEDED(result))
            result = PumpMessages(engine);
        if (SUCCEEDED(result))
            result = engine.sample.graphics->UpdateAndRender(animationStep);
    }
    if (SUCCEEDED(result))
        result = PrepareFrame(engine, view);
    if (FAILED(result))
        return result;
    engine.probe->Arm(image);
    result = PumpMessages(engine);
    if (SUCCEEDED(result))
        result = engine.sample.graphics->UpdateAndRender(steps > 0 ? animationStep : 0.0f);
    engine.animationTime = view.animationTime;
    // S_FALSE: the frame was skipped (a lost device) and nothing was copied.
    if (result == S_FALSE || (SUCCEEDED(result) && image->rgb.empty()))
        return E_FAIL;
    return FAILED(result) ? result : engine.probe->LastResult();
}

HRESULT TimeFrame(CaptureEngine& engine, const CaptureView& view, uint32_t frames, double* seconds)
{
    *seconds = 0.0;
    double start = Timer();
    for (uint32_t i = 0; i < frames; ++i) {
        HRESULT result = PrepareFrame(engine, view);
        if (SUCCEEDED(result))
            result = PumpMessages(engine);
        if (SUCCEEDED(result))
            result = engine.sample.graphics->UpdateAndRender(0.0f);
        if (FAILED(result))
            return result;
    }
    if (frames > 0)
        *seconds = (Timer() - start) / frames;
    return S_OK;
}

void ReleaseCapture(CaptureEngine& engine)
{
    ReleaseHeld(engine.probe);
    ReleaseHeld(engine.secondCreature);
    ReleaseSample(engine.sample);
    engine = CaptureEngine();
}
