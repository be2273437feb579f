// Screenshots of the programs built on the sample: F12 (or a program's own
// request) saves the next finished frame as a PNG file.
#pragma once

#include "captureprobe.h"

#include "input/iinput.h"

struct SampleEngine;

// The help line the main loop adds for the key.
extern const char screenshotHelp[];

struct Screenshots {
    CaptureProbe* probe = nullptr;  // null: screenshots are off (it could not be made)
    CapturedImage image;
    bool requested = false;
    bool keyWasDown = false;
};

// Registers the frame capture after every geometry made so far (call it
// after the font), so it copies the finished frame. A failure is logged and
// leaves screenshots off.
void StartScreenshots(SampleEngine& engine, Screenshots& screenshots);
// An F12 press (not a held key) requests the next frame.
void WatchScreenshotKey(IInput* input, Screenshots& screenshots);
void RequestScreenshot(Screenshots& screenshots);
// After a frame: saves the requested frame to `path`, or when `path` is null
// to the first free "screenshot-NNN.png" in the working folder, beside
// log.txt; an Info record names the file, an Error record a failure. True
// when a frame was saved.
bool SaveRequestedScreenshot(Screenshots& screenshots, const char* path);
void ReleaseScreenshots(Screenshots& screenshots);

// The first "screenshot-NNN.png" (NNN from 001) that does not exist yet, or
// empty when all 999 do.
EngineString NextScreenshotName();
