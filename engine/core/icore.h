// ICore: the first engine object an application creates and the last it
// releases. It owns the window, creates the two managers and every geometry.
#pragma once

#include "enginestring.h"
#include "qlobject.h"

#include <windows.h>

#include <stdint.h>

struct IGraphics;
struct IInput;
struct IGeometry;

struct ICore : IEngineObject {
    // Always E_FAIL: there is one core.
    virtual HRESULT Clone(ICore** out) = 0;
    // Opens the window, centred, with a client area of width x height
    // (640 x 480 below 320 x 240). A null instance means this program's module.
    virtual HRESULT Init(HINSTANCE instance, const EngineString& title, uint32_t width, uint32_t height) = 0;
    // One message-pump step; blocks while the application is inactive.
    virtual HRESULT Update() = 0;
    virtual bool IsActive() = 0;
    virtual bool IsRunning() = 0;
    // The caller owns the one reference stored in *out.
    virtual HRESULT CreateGraphics(IGraphics** out) = 0;
    virtual HRESULT CreateInput(IInput** out) = 0;
    // Makes and registers a geometry: type "3ds", "d3map", "cal3d", "md5" or
    // "font", command the file it loads. The caller owns *out.
    virtual HRESULT CreateObject(const EngineString& type, const EngineString& command, IGeometry** out) = 0;
    // Remembers / restores the windowed-mode window rectangle; 1 when the
    // graphics manager is full screen (nothing done), else 0.
    virtual int32_t StoreWindowRect() = 0;
    virtual int32_t RestoreWindowRect() = 0;
    // Called by a manager's destructor: forget it. E_FAIL for any other object.
    virtual HRESULT DetachManager(IEngineObject* manager) = 0;
};

HRESULT CreateCore(ICore** out);

// Seconds from the high-resolution performance counter.
double Timer();
