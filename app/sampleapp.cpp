// The sample's records name its main unit.
#define QL_SOURCE_FILE "main"

#include "sampleapp.h"

#include "controls.h"
#include "samplestate.h"
#include "screenshot.h"

#include "graphics/imodel.h"
#include "graphics/qlgraphics.h"
#include "text/font.h"

#include "samplesettings.h"

#include "foundation/qltrace.h"

#include <math.h>
#include <stdio.h>

namespace {

using SampleSettings::globalAmbient;
constexpr double lightStepSeconds = 0.025;
constexpr float lightStepAngle = 0.03f;
// A --screenshot frame comes after these, once the frame rate and the
// textures have settled.
constexpr uint32_t screenshotFrame = 5;
// The scene runs slower than real time.
constexpr float sceneSpeed = 0.8f;

// Ten blank lines put the banner under the help text.
const char bannerLead[] = "\n\n\n\n\n\n\n\n\n\n";

// The whole rate with two decimals: a cut would drop the digits of rates
// from 1000 up.
EngineString FrameRateText(float rate)
{
    char text[64];
    snprintf(text, sizeof text, "FPS=%.2f", rate);
    return text;
}

// Objects are the models' parts; volumes count every light's.
EngineString FrameStatisticsText(const FrameStatistics& drawn)
{
    char text[96];
    snprintf(text, sizeof text, "\nObjects drawn : %u / %u, shadow volumes : %u", (unsigned)drawn.objectsDrawn,
             (unsigned)drawn.objectsInScene, (unsigned)drawn.volumesDrawn);
    return text;
}

}  // namespace

const SampleProgram& DefaultSampleProgram()
{
    static const SampleProgram sample;
    return sample;
}

// One line per start-up step, so the failure record points at the step.
#define STARTUP_STEP(expression)                                                                   \
    do {                                                                                           \
        HRESULT stepResult = (expression);                                                         \
        if (FAILED(stepResult)) {                                                                  \
            QL_CHECK(trace, "Initialisation of Quarlight failed", stepResult);                     \
            return stepResult;                                                                     \
        }                                                                                          \
    } while (0)

HRESULT StartSample(SampleEngine& engine, const SampleProgram& program)
{
    TraceContext trace("main()");
    engine.program = &program;
    QL_LOG(trace, TraceInfo, "Create Core Engine...");
    STARTUP_STEP(CreateCore(&engine.core));
    STARTUP_STEP(engine.core->Init(nullptr, program.title, program.width, program.height));

    QL_LOG(trace, TraceInfo, "Create Graphics Engine...");
    STARTUP_STEP(engine.core->CreateGraphics(&engine.graphics));
    ScreenMode mode = {1, (int32_t)program.width, (int32_t)program.height, 16, 24, 8};
    STARTUP_STEP(engine.graphics->SetScreenMode(&mode));
    Sample.target = StartTarget();
    STARTUP_STEP(engine.graphics->SetCamera(&Sample.eye, &Sample.target, &Sample.up));
    STARTUP_STEP(engine.graphics->SetLightning(true, globalAmbient));
    STARTUP_STEP(engine.graphics->SetStencilShadow(Sample.stencilShadow));
    engine.light = SampleSettings::Light();
    Sample.lightAngle = program.lightStartAngle;
    Sample.lightMoving = !program.lightStill;

    QL_LOG(trace, TraceInfo, "Create Input Engine...");
    STARTUP_STEP(engine.core->CreateInput(&engine.input));
    int32_t created = 0;
    STARTUP_STEP(engine.input->UseDevices(InputKeyboard | InputMouse, &created));
    if (created != (int32_t)(InputKeyboard | InputMouse))
        QL_LOG(trace, TraceInfo, "IInput failed to create all devices");

    QL_LOG(trace, TraceInfo, "Create Geometries...");
    engine.core->AllowMissingTextures(program.missingTexturesAllowed);
    if (program.sceneFile) {
        STARTUP_STEP(engine.core->CreateObject("3ds", program.sceneFile, &engine.scene));
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        // The "3ds" type always makes a model.
        STARTUP_STEP(static_cast<IModel*>(engine.scene)->SetMatrix(identity));
    }
    if (program.createModels)
        STARTUP_STEP(program.createModels(engine, program.user));
    IGeometry* font = nullptr;
    STARTUP_STEP(engine.core->CreateObject("font", program.fontFile, &font));
    engine.font = static_cast<Font*>(font);

    QL_LOG(trace, TraceInfo, "Main Loop...");
    return S_OK;
}

void StartFrameCounters(FrameCounters& counters)
{
    counters = FrameCounters();
    double now = SampleClock();
    counters.startTime = now;
    counters.lastRateUpdate = now;
    counters.previousFrame = now;
}

#define LOOP_STEP(expression)                       \
    do {                                            \
        HRESULT stepResult = (expression);          \
        if (FAILED(stepResult)) {                   \
            if (failure)                            \
                *failure = {stepResult, __LINE__};  \
            return stepResult;                      \
        }                                           \
    } while (0)

HRESULT DrawSampleFrame(SampleEngine& engine, FrameCounters& counters, LoopFailure* failure)
{
    Font* font = engine.font;
    // Text results are not checked: a refused text costs only that text.
    counters.statisticsText =
        FrameStatisticsText(static_cast<QLGraphics*>(engine.graphics)->LastFrameStatistics());
    font->AddText2D(Sample.help ? Sample.helpText + counters.statisticsText : EngineString("Press 'F1' for the help"),
                    0xFFFFFFFF, 0, 16, 5, 25, 1.0f, 0.0f);
    if (Sample.help) {
        const SampleProgram& program = engine.program ? *engine.program : DefaultSampleProgram();
        font->AddText2D(EngineString(bannerLead) + program.banner, 0xFFFFFF00, 0, 15, 5, 300, 1.0f, 0.0f);
    }
    if (!engine.program || engine.program->centreMarker)
        font->AddText2DScaled("x", 0x55FFFF00, 0x77FFDDFF, 0.1f, 0.45f, 0.45f, 1.0f, 0.0f);

    ++counters.framesSinceRate;
    double now = SampleClock();
    if (now >= counters.lastRateUpdate + 1.0) {
        counters.frameRate = (float)(counters.framesSinceRate / (now - counters.lastRateUpdate));
        counters.lastRateUpdate = now;
        counters.framesSinceRate = 0;
    }
    counters.rateText = FrameRateText(counters.frameRate);
    font->AddText2D(counters.rateText, 0xFFFFFF00, 0x77000000, 20, 0, 0, 1.0f, 0.0f);

    D3DXVECTOR3 lightPosition = engine.light.Position;
    const SampleProgram& program = engine.program ? *engine.program : DefaultSampleProgram();
    // The light turns in fixed steps of rendered time, whatever the frame
    // rate; a light that starts still is placed once, by the first frame.
    if (Sample.lightMoving && Sample.lastLightStep + lightStepSeconds < now) {
        Sample.lastLightStep = now;
        Sample.lightAngle += lightStepAngle;
    }
    if (Sample.lightMoving || counters.framesRendered == 0) {
        lightPosition = D3DXVECTOR3(program.lightRadius * sinf(Sample.lightAngle), program.lightHeight,
                                    program.lightRadius * cosf(Sample.lightAngle));
        engine.light.Position = lightPosition;
        LOOP_STEP(engine.graphics->SetLight(0, true, &engine.light));
    }
    const D3DXVECTOR3 markerDirection(1.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 markerUp(0.0f, -1.0f, 0.0f);
    font->AddText3D("O", 0xFFFFFFFF, 0, 20.0f, lightPosition, markerDirection, markerUp);

    if (IDirect3DDevice9* device = engine.graphics->GetDevice())
        device->SetRenderState(D3DRS_FILLMODE, Sample.wireframe ? D3DFILL_WIREFRAME : D3DFILL_SOLID);

    float elapsed = (float)(now - counters.previousFrame) * sceneSpeed;
    if (engine.program && engine.program->animateModels)
        engine.program->animateModels(engine, engine.program->user, elapsed);
    LOOP_STEP(engine.graphics->UpdateAndRender(elapsed));
    counters.previousFrame = now;
    ++counters.framesRendered;
    return S_OK;
}

void ReleaseSample(SampleEngine& engine)
{
    ReleaseHeld(engine.scene);
    ReleaseHeld(engine.model);
    if (engine.program && engine.program->releaseModels)
        engine.program->releaseModels(engine, engine.program->user);
    ReleaseHeld(engine.font);
    ReleaseHeld(engine.graphics);
    ReleaseHeld(engine.input);
    ReleaseUntilDestroyed(engine.core);
    engine = SampleEngine();
}

int RunSample(const SampleProgram& program)
{
    TraceContext trace("main()");
    ResetSampleState();
    ResetControls();
    SetControlsLayout(program.controls);

    SampleEngine engine;
    if (FAILED(StartSample(engine, program))) {
        ReleaseSample(engine);
        return -1;
    }

    Screenshots screenshots;
    StartScreenshots(engine, screenshots);
    bool screenshotSaved = false;
    FrameCounters counters;
    StartFrameCounters(counters);
    LoopFailure failure;
    while (engine.core->IsRunning()) {
        HRESULT updated = engine.core->Update();
        if (FAILED(updated)) {
            // Deliberately two lines up: the record names the line of the failed Update call.
            failure = {updated, __LINE__ - 2};
            break;
        }
        if (!engine.core->IsActive())
            continue;
        Sample.helpText = "Controls :";
        // Escape, or a camera the graphics manager refused (it reported why).
        HRESULT controlled = InputProcess(engine.input, engine.graphics, engine.model);
        if (FAILED(controlled))
            break;
        Sample.helpText += screenshotHelp;
        if (program.extraHelp)
            Sample.helpText += program.extraHelp;
        WatchScreenshotKey(engine.input, screenshots);
        if (program.screenshotFile && counters.framesRendered == screenshotFrame)
            RequestScreenshot(screenshots);
        if (program.beforeFrame && FAILED(program.beforeFrame(engine, program.user)))
            break;
        if (FAILED(DrawSampleFrame(engine, counters, &failure)))
            break;
        // A run for one screenshot ends with its attempt, saved or not; with
        // screenshots off there is nothing to wait for.
        bool attempted = screenshots.requested;
        bool saved = SaveRequestedScreenshot(screenshots, program.screenshotFile);
        if (program.screenshotFile && (attempted || counters.framesRendered > screenshotFrame)) {
            screenshotSaved = saved;
            break;
        }
        if (program.frameLimit && counters.framesRendered >= program.frameLimit)
            break;
    }

    if (FAILED(failure.code))
        CheckResult(trace, "Error in the Main Loop", QL_SOURCE_FILE, failure.line, failure.code);
    double elapsed = counters.previousFrame - counters.startTime;
    double average = elapsed != 0.0 ? counters.framesRendered / elapsed : 0.0;
    char number[64];
    snprintf(number, sizeof number, "%f", average);
    QL_LOG(trace, TraceInfo, EngineString("Average FPS == ") + number);
    QL_LOG(trace, TraceInfo, "End Of the App; Release...");
    ReleaseScreenshots(screenshots);
    ReleaseSample(engine);
    QL_LOG(trace, TraceInfo, "EOF");
    return program.screenshotFile && !screenshotSaved ? 1 : 0;
}
