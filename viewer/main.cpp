// quarlight-view FILE [options]: a 3D Studio scene or a Cal3D model shown
// with the sample's camera, light, shadows, font and controls. The model is
// scaled and moved into the view the sample's camera starts with.
#include "viewerframing.h"
#include "viewerground.h"
#include "viewerhelp.h"
#include "viewermessages.h"
#include "vieweroptions.h"
#include "vieweroutput.h"

#include "sampleapp.h"

#include "models/skinned/modelskel.h"
#include "qltrace.h"

#include <stdio.h>
#include <string>

namespace {

ViewerOptions options;
SampleProgram viewer;
// The start-up's records, passed on once it has succeeded.
HeldOutput startup;
Ground ground;
bool groundKeyWasDown = false;
// Set by the start-up when it knows better than the log why it failed.
std::string failureCause;

// The part of the scene the sample's start-up camera shows whole: the
// sphere the model is fitted into, and the light's circle above it.
const D3DXVECTOR3 viewCentre(0.0f, 50.0f, 0.0f);
constexpr float viewRadius = 150.0f;
constexpr float lightHeight = 350.0f;

const char fontName[] = "data/lucida_console_512.tga";

// A narrower window than 4:3 shows less across: shrink the model to match.
float FitRadius()
{
    float aspect = (float)options.width / (float)options.height;
    return aspect < 4.0f / 3.0f ? viewRadius * aspect * 0.75f : viewRadius;
}

// Fits the model into the view and lays the ground under it.
HRESULT Frame(SampleEngine& engine, IModel* model, const D3DXMATRIX& orientation)
{
    TraceContext trace("FrameModel()");
    D3DXVECTOR3 low, high;
    QL_TRY(trace, "-", model->GetBoundingBox(&low, &high));
    D3DXMATRIX world = FrameModel(low, high, orientation, viewCentre, FitRadius());
    QL_TRY(trace, "-", model->SetMatrix(world));
    D3DXVECTOR3 worldLow, worldHigh;
    if (!TransformBox(low, high, world, worldLow, worldHigh))
        worldLow = worldHigh = viewCentre;
    // Wide enough for the shadows the circling light casts; a ground that
    // cannot be made costs only the ground.
    CreateGround(engine.core, GroundUnder(worldLow, worldHigh, 3.0f * viewRadius), ground);
    return S_OK;
}

// A windowed device starts with a 640 x 480 back buffer stretched over the
// window; the viewer's pictures and screenshots take the window's own size.
HRESULT MatchWindow(SampleEngine& engine)
{
    TraceContext trace("MatchWindow()");
    QL_TRY(trace, "-", engine.graphics->UpdateScreenMode());
    return S_OK;
}

HRESULT FrameScene(SampleEngine& engine)
{
    TraceContext trace("FrameScene()");
    QL_TRY(trace, "-", MatchWindow(engine));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    // The "3ds" type always makes a model.
    return Frame(engine, static_cast<IModel*>(engine.scene), identity);
}

HRESULT CreateSkinned(SampleEngine& engine)
{
    TraceContext trace("CreateModel()");
    QL_TRY(trace, "-", MatchWindow(engine));
    IGeometry* geometry = nullptr;
    QL_TRY(trace, "-", engine.core->CreateObject("cal3d", options.file.c_str(), &geometry));
    // The "cal3d" type always makes a skinned model.
    IModel* model = static_cast<IModel*>(geometry);
    engine.model = model;
    // The box of the bind pose, from a first update at time 0.
    QL_TRY(trace, "-", model->Update(0.0f));
    D3DXMATRIX orientation;
    QL_TRY(trace, "-", model->GetMatrix(&orientation));
    if (options.yUp) {
        // The base matrix stands z-up data upright; y-up data is upright already.
        D3DXMATRIX back;
        D3DXMatrixRotationX(&back, 1.5707964f);
        D3DXMatrixMultiply(&orientation, &back, &orientation);
    }
    if (options.animate) {
        // The "cal3d" type always makes a ModelSkel.
        uint32_t count = static_cast<ModelSkel*>(model)->Meta()->data.animations.Count();
        if (options.animation >= count) {
            failureCause =
                AnimationRangeProblem(options.file, options.animation, count, AnimationNames(options.file));
            QL_TRY(trace, "No such animation", E_INVALIDARG);
        }
        QL_TRY(trace, "-", model->AddAnimation(options.animation, 1.0f));
    }
    return Frame(engine, model, orientation);
}

void ReleaseModels(SampleEngine& engine)
{
    ReleaseGround(engine.graphics, ground);
}

// G shows or hides the ground, once per press.
void WatchGroundKey(SampleEngine& engine)
{
    BYTE keys[256];
    if (FAILED(engine.input->GetKeyboardState(keys)))
        return;
    bool down = (keys[DIK_G] & 0x80) != 0;
    if (down && !groundKeyWasDown)
        ShowGround(engine.graphics, ground, !ground.shown);
    groundKeyWasDown = down;
    viewer.extraHelp = ViewerHelp(ground.model != nullptr, ground.shown);
}

HRESULT BeforeFrame(SampleEngine& engine)
{
    if (startup.IsHolding())
        fputs(startup.Release().c_str(), stdout);
    WatchGroundKey(engine);
    if (IDirect3DDevice9* device = engine.graphics->GetDevice()) {
        // The fitting scale stretches the normals; lighting needs them unit length.
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, (float)options.width / (float)options.height, 5.0f,
                                   10000.0f);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // Asked again every frame, the animation keeps looping.
    if (options.animate && engine.model)
        engine.model->AddAnimation(options.animation, 1.0f);
    return S_OK;
}

// The font beside the program when it is run from elsewhere, else ./data/.
std::string FontFile(const char* program)
{
    std::string path = program;
    size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos) {
        std::string beside = path.substr(0, slash + 1) + fontName;
        if (FILE* file = fopen(beside.c_str(), "rb")) {
            fclose(file);
            return beside;
        }
    }
    return std::string("./") + fontName;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    switch (ParseViewerOptions(argc, argv, options, error)) {
    case ParseOutcome::Help:
        fputs(ViewerUsage(), stdout);
        return 0;
    case ParseOutcome::Bad:
        fprintf(stderr, "quarlight-view: %s\n(quarlight-view --help lists the options)\n", error.c_str());
        return 2;
    case ParseOutcome::Run:
        break;
    }

    std::string title = "Quarlight Viewer - " + options.file;
    std::string font = FontFile(argv[0]);
    viewer.title = title.c_str();
    viewer.banner = "Quarlight Engine - model viewer";
    viewer.width = options.width;
    viewer.height = options.height;
    viewer.fontFile = font.c_str();
    viewer.lightHeight = lightHeight;
    viewer.frameLimit = options.frames;
    viewer.screenshotFile = options.screenshot.empty() ? nullptr : options.screenshot.c_str();
    viewer.beforeFrame = BeforeFrame;
    viewer.releaseModels = ReleaseModels;
    viewer.extraHelp = ViewerHelp(false, false);
    // The middle of the view is the model's.
    viewer.centreMarker = false;
    viewer.missingTexturesAllowed = true;
    if (options.kind == ModelKind::Scene3ds) {
        viewer.sceneFile = options.file.c_str();
        viewer.createModels = FrameScene;
    } else {
        viewer.sceneFile = nullptr;
        viewer.createModels = CreateSkinned;
    }

    bool held = startup.Hold();
    int result = RunSample(viewer);
    std::string startupRecords = startup.Release();
    // A run that ended before its first frame has not passed them on yet.
    if (result != -1)
        fputs(startupRecords.c_str(), stdout);
    if (result == 0)
        return 0;
    if (result != -1) {
        fprintf(stderr, "quarlight-view: %s\n", ScreenshotProblem(options.screenshot).c_str());
        return 1;
    }
    std::string cause = failureCause.empty() ? LoadProblem(options.file, options.kind) : failureCause;
    if (cause.empty())
        cause = options.file + " could not be shown";
    if (held) {
        fprintf(stderr, "quarlight-view: %s\n%s", cause.c_str(), FailureRecords(startupRecords).c_str());
    } else {
        // The records went to the terminal as they came.
        fprintf(stderr, "quarlight-view: %s (the records above say more)\n", cause.c_str());
    }
    return 1;
}
