// quarlight-view FILE [options]: a model of any format the engine reads,
// shown with the sample's camera, light, shadows, font and controls, or
// listed (--list). The model is scaled and moved into the view the sample's
// camera starts with; the mouse orbits the camera around it.
#include "viewerframing.h"
#include "viewerground.h"
#include "viewerhelp.h"
#include "viewerlisting.h"
#include "viewermessages.h"
#include "vieweroptions.h"
#include "viewerorbit.h"
#include "vieweroutput.h"

#include "sampleapp.h"
#include "samplestate.h"

#include "foundation/qltrace.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

// What the viewer's run keeps between its hooks: the program hands it to
// each as their user pointer.
struct Viewer {
    ViewerOptions options;
    SampleProgram program;
    // The start-up's records, passed on once it has succeeded.
    HeldOutput startup;
    Ground ground;
    bool groundKeyWasDown = false;
    bool nextKeyWasDown = false;
    bool lightsPlaced = false;
    // The model's animations, and the one N and --anim chose.
    std::vector<std::string> animationNames;
    bool playing = false;
    uint32_t playingAnimation = 0;
    std::string helpText;
    // Set by the start-up when it knows better than the log why it failed.
    std::string failureCause;
};

Viewer& ViewerOf(void* user)
{
    return *static_cast<Viewer*>(user);
}

// The part of the scene the sample's start-up camera shows whole: the
// sphere the model is fitted into, and the light's circle above it.
const D3DXVECTOR3 viewCentre(0.0f, 50.0f, 0.0f);
constexpr float viewRadius = 150.0f;
constexpr float lightHeight = 350.0f;
// How near the wheel brings the eye to the model's middle, and how far away.
constexpr float nearestEye = 0.2f * viewRadius;
constexpr float farthestEye = 30.0f * viewRadius;

const char fontName[] = "data/dejavu_sans_mono_512.tga";

// A narrower window than 4:3 shows less across: shrink the model to match.
float FitRadius(const ViewerOptions& options)
{
    float aspect = (float)options.width / (float)options.height;
    return aspect < 4.0f / 3.0f ? viewRadius * aspect * 0.75f : viewRadius;
}

// Fits the model into the view and lays the ground under it.
HRESULT Frame(SampleEngine& engine, Viewer& viewer, IModel* model, const D3DXMATRIX& orientation)
{
    TraceContext trace("FrameModel()");
    D3DXVECTOR3 low, high;
    QL_TRY(trace, "-", model->GetBoundingBox(&low, &high));
    D3DXMATRIX world = FrameModel(low, high, orientation, viewCentre, FitRadius(viewer.options));
    QL_TRY(trace, "-", model->SetMatrix(world));
    D3DXVECTOR3 worldLow, worldHigh;
    if (!TransformBox(low, high, world, worldLow, worldHigh))
        worldLow = worldHigh = viewCentre;
    // Wide enough for the shadows the circling light casts; a ground that
    // cannot be made costs only the ground.
    CreateGround(engine.core, GroundUnder(worldLow, worldHigh, 3.0f * viewRadius), viewer.ground);
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

// Every type the viewer opens makes a model: a scene model (kept as the
// engine's scene) or a skinned one (kept for the controls to animate).
HRESULT CreateModel(SampleEngine& engine, void* user)
{
    TraceContext trace("CreateModel()");
    Viewer& viewer = ViewerOf(user);
    const ViewerOptions& options = viewer.options;
    QL_TRY(trace, "-", MatchWindow(engine));
    IGeometry* geometry = nullptr;
    QL_TRY(trace, "-", engine.core->CreateObject(CoreType(options.kind), options.file.c_str(), &geometry));
    IModel* model = static_cast<IModel*>(geometry);
    bool skinned = geometry->GetType() == "ModelSkel";
    if (skinned)
        engine.model = model;
    else
        engine.scene = geometry;
    if (options.list)
        return S_OK;
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
    viewer.animationNames = AnimationNamesOf(geometry);
    if (options.animate) {
        std::string problem;
        if (!ChooseAnimation(options.file, options, viewer.animationNames, viewer.playingAnimation, problem)) {
            // A Cal3D configuration's animations are named by their files: the
            // short names read better in a list of choices.
            if (options.kind == ModelKind::Cal3d && options.animationName.empty())
                problem = AnimationRangeProblem(options.file, options.animation, (uint32_t)viewer.animationNames.size(),
                                                AnimationNames(options.file));
            viewer.failureCause = problem;
            QL_TRY(trace, "No such animation", E_INVALIDARG);
        }
        viewer.playing = true;
        QL_TRY(trace, "-", model->AddAnimation(viewer.playingAnimation, 1.0f));
    }
    return Frame(engine, viewer, model, orientation);
}

// The left button orbits the camera around the model's middle, the wheel
// zooms, F frames the model again; the arrow keys still fly it.
void MoveCameraWithMouse(const BYTE* keys, const DIMOUSESTATE& mouse)
{
    if (keys[DIK_F] & 0x80) {
        Sample.eye = StartEye();
        Sample.target = StartTarget();
    }
    CameraView moved = MouseCamera({Sample.eye, Sample.target}, viewCentre, (mouse.rgbButtons[0] & 0x80) != 0,
                                   mouse.lX, mouse.lY, mouse.lZ, nearestEye, farthestEye);
    Sample.eye = moved.eye;
    Sample.target = moved.target;
}

void ReleaseModels(SampleEngine& engine, void* user)
{
    ReleaseGround(engine.graphics, ViewerOf(user).ground);
}

// G shows or hides the ground and N steps through the animations, once per press.
void WatchGroundKey(SampleEngine& engine, Viewer& viewer)
{
    Ground& ground = viewer.ground;
    BYTE keys[256];
    if (FAILED(engine.input->GetKeyboardState(keys)))
        return;
    bool down = (keys[DIK_G] & 0x80) != 0;
    if (down && !viewer.groundKeyWasDown)
        ShowGround(engine.graphics, ground, !ground.shown);
    viewer.groundKeyWasDown = down;
    // N plays the next animation, once per press.
    down = (keys[DIK_N] & 0x80) != 0;
    if (down && !viewer.nextKeyWasDown && !viewer.animationNames.empty()) {
        viewer.playingAnimation =
            NextAnimation(viewer.playing, viewer.playingAnimation, (uint32_t)viewer.animationNames.size());
        viewer.playing = true;
    }
    viewer.nextKeyWasDown = down;
    viewer.helpText = ViewerHelp(ground.model != nullptr, ground.shown,
                                 AnimationHelp(viewer.animationNames, viewer.playing, viewer.playingAnimation));
    viewer.program.extraHelp = viewer.helpText.c_str();
}

// The lights beyond the circling one stand round the model, a turn / N apart
// from where the circling light starts, at its height and distance. Set once:
// the graphics manager keeps them across device resets.
HRESULT PlaceStandingLights(SampleEngine& engine, const Viewer& viewer)
{
    TraceContext trace("PlaceStandingLights()");
    const ViewerOptions& options = viewer.options;
    const SampleProgram& program = viewer.program;
    for (uint32_t l = 1; l < options.lights; l++) {
        float angle = 2.0f * D3DX_PI * (float)l / (float)options.lights;
        D3DLIGHT9 light = engine.light;
        light.Position = D3DXVECTOR3(program.lightRadius * sinf(angle), program.lightHeight,
                                     program.lightRadius * cosf(angle));
        QL_TRY(trace, "-", engine.graphics->SetLight((int32_t)l, true, &light));
    }
    return S_OK;
}

HRESULT BeforeFrame(SampleEngine& engine, void* user)
{
    Viewer& viewer = ViewerOf(user);
    const ViewerOptions& options = viewer.options;
    if (!viewer.lightsPlaced) {
        viewer.lightsPlaced = true;
        HRESULT placed = PlaceStandingLights(engine, viewer);
        if (FAILED(placed))
            return placed;
    }
    if (viewer.startup.IsHolding())
        fputs(viewer.startup.Release().c_str(), stdout);
    WatchGroundKey(engine, viewer);
    if (IDirect3DDevice9* device = engine.graphics->GetDevice()) {
        // The fitting scale stretches the normals; lighting needs them unit length.
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        D3DXMATRIX projection;
        D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, (float)options.width / (float)options.height, 5.0f,
                                   10000.0f);
        device->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // Asked again every frame, the animation keeps looping.
    if (viewer.playing && engine.model)
        engine.model->AddAnimation(viewer.playingAnimation, 1.0f);
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


// The cause of a failed start-up, first, then the records that say more.
int ReportFailedStart(const Viewer& viewer, bool held, const std::string& records)
{
    const ViewerOptions& options = viewer.options;
    std::string cause = viewer.failureCause.empty() ? LoadProblem(options.file, options.kind) : viewer.failureCause;
    if (cause.empty())
        cause = options.file + " could not be shown";
    if (held) {
        fprintf(stderr, "quarlight-view: %s\n%s", cause.c_str(), FailureRecords(records).c_str());
    } else {
        // The records went to the terminal as they came.
        fprintf(stderr, "quarlight-view: %s (the records above say more)\n", cause.c_str());
    }
    return 1;
}

// --list: the model is loaded as for showing it, listed, and released; the
// start-up's records are kept off standard output, which holds the listing.
int RunListing(Viewer& viewer)
{
    // The listing needs a device but nothing on screen: ask the Linux
    // stand-in for its windowless driver unless the user chose one.
    if (!getenv("SDL_VIDEODRIVER"))
        putenv(const_cast<char*>("SDL_VIDEODRIVER=offscreen"));
    bool held = viewer.startup.Hold();
    ResetSampleState();
    SampleEngine engine;
    HRESULT started = StartSample(engine, viewer.program);
    std::string listing;
    if (SUCCEEDED(started))
        listing = ListingText(ListModel(engine.scene ? engine.scene : static_cast<IGeometry*>(engine.model)));
    ReleaseSample(engine);
    std::string records = viewer.startup.Release();
    if (FAILED(started))
        return ReportFailedStart(viewer, held, records);
    fputs(listing.c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Viewer viewer;
    const ViewerOptions& options = viewer.options;
    std::string error;
    switch (ParseViewerOptions(argc, argv, viewer.options, error)) {
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
    SampleProgram& program = viewer.program;
    program.user = &viewer;
    program.title = title.c_str();
    program.banner = "Quarlight Engine - model viewer";
    program.width = options.width;
    program.height = options.height;
    program.fontFile = font.c_str();
    program.lightHeight = lightHeight;
    program.frameLimit = options.frames;
    program.screenshotFile = options.screenshot.empty() ? nullptr : options.screenshot.c_str();
    program.beforeFrame = BeforeFrame;
    program.releaseModels = ReleaseModels;
    viewer.helpText = ViewerHelp(false, false);
    program.extraHelp = viewer.helpText.c_str();
    // The middle of the view is the model's.
    program.centreMarker = false;
    program.missingTexturesAllowed = true;
    program.sceneFile = nullptr;
    program.createModels = CreateModel;
    // F frames the model, so the fill mode moves to W; the mouse orbits.
    program.controls.wireframeKey = DIK_W;
    program.controls.wireframeLead = "\n'W' for ";
    program.controls.mouseCamera = MoveCameraWithMouse;
    program.controls.cameraHelp =
        "\nFor the camera : the arrow keys fly it,\n the left button orbits it, the wheel zooms";
    if (options.list)
        return RunListing(viewer);

    bool held = viewer.startup.Hold();
    int result = RunSample(program);
    std::string startupRecords = viewer.startup.Release();
    // A run that ended before its first frame has not passed them on yet.
    if (result != -1)
        fputs(startupRecords.c_str(), stdout);
    if (result == 0)
        return 0;
    if (result != -1) {
        fprintf(stderr, "quarlight-view: %s\n", ScreenshotProblem(options.screenshot).c_str());
        return 1;
    }
    return ReportFailedStart(viewer, held, startupRecords);
}
