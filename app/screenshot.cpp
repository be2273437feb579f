// The records name the sample's main unit, as the loop's own do.
#define QL_SOURCE_FILE "main"

#include "screenshot.h"

#include "sampleapp.h"

#include "foundation/qltrace.h"

#include <stdio.h>

const char screenshotHelp[] = "\n'F12' to save a screenshot";

void StartScreenshots(SampleEngine& engine, Screenshots& screenshots)
{
    TraceContext trace("main()");
    QL_CHECK(trace, "Screenshots are off", CaptureProbe::Create(engine.graphics, &screenshots.probe));
}

void WatchScreenshotKey(IInput* input, Screenshots& screenshots)
{
    BYTE keys[256];
    if (FAILED(input->GetKeyboardState(keys)))
        return;
    bool down = (keys[DIK_F12] & 0x80) != 0;
    if (down && !screenshots.keyWasDown)
        RequestScreenshot(screenshots);
    screenshots.keyWasDown = down;
}

void RequestScreenshot(Screenshots& screenshots)
{
    if (!screenshots.probe || screenshots.requested)
        return;
    screenshots.requested = true;
    screenshots.image = CapturedImage();
    screenshots.probe->Arm(&screenshots.image);
}

EngineString NextScreenshotName()
{
    for (unsigned number = 1; number <= 999; number++) {
        char name[32];
        snprintf(name, sizeof name, "screenshot-%03u.png", number);
        FILE* existing = fopen(name, "rb");
        if (!existing)
            return name;
        fclose(existing);
    }
    return EngineString();
}

bool SaveRequestedScreenshot(Screenshots& screenshots, const char* path)
{
    if (!screenshots.requested)
        return false;
    screenshots.requested = false;
    TraceContext trace("main()");
    EngineString name = path ? EngineString(path) : NextScreenshotName();
    HRESULT copied = screenshots.probe->LastResult();
    if (FAILED(copied) || screenshots.image.width == 0) {
        QL_CHECK(trace, "The frame could not be copied for the screenshot", FAILED(copied) ? copied : E_FAIL);
        return false;
    }
    if (name.IsEmpty() || !SavePng(screenshots.image, name.Chars())) {
        QL_LOG(trace, TraceError, "Screenshot '" + name + "' could not be written");
        return false;
    }
    QL_LOG(trace, TraceInfo, "Screenshot saved to " + name);
    return true;
}

void ReleaseScreenshots(Screenshots& screenshots)
{
    ReleaseHeld(screenshots.probe);
    screenshots = Screenshots();
}
