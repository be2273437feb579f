// ICore: the first engine object an application creates and the last it
// releases. It owns the window, creates the two managers and every geometry.
// Its records name the source file "qlcore" and the operation in quotes below.
#pragma once

#include "foundation/enginestring.h"
#include "foundation/qlobject.h"

#include <windows.h>

#include <stdint.h>

struct IGraphics;
struct IInput;
struct IGeometry;

struct ICore : IEngineObject {
    // Always E_FAIL, nothing logged: there is one core.
    virtual HRESULT Clone(ICore** out) = 0;
    // Opens the window, centred, with a client area of width x height
    // (640 x 480 below 320 x 240). A null instance means this program's module.
    // Logs the Info record "The MM/DD/YY At hh:mm:ss" ("Init()") and reads the
    // clock once. S_OK; a failed class registration or window creation is
    // reported as "RegisterClassEx()" or "CreateWindowEx()".
    virtual HRESULT Init(HINSTANCE instance, const EngineString& title, uint32_t width, uint32_t height) = 0;
    // One message-pump step: clears the active flag when the window is not in
    // the foreground, then drains the queue while active, or blocks in
    // GetMessage while inactive until the window is active again or the
    // application quits. Always S_OK; logs nothing itself.
    virtual HRESULT Update() = 0;
    // The process-wide flags the window procedure keeps: the application has
    // the focus and a usable window; the window has not been closed and no
    // screen-mode update after a move or resize has failed.
    virtual bool IsActive() = 0;
    virtual bool IsRunning() = 0;
    // Makes the one graphics manager (which holds a reference to the core)
    // and runs its Init. The caller owns the one reference stored in *out.
    // Logs ("CreateGraphics()"): "Invalid Call/Param" for a null out,
    // "Assertion Failed" for a second call or a failed allocation, "Graphic
    // manager initialisation failed !" when Init fails (the manager then
    // stays attached and the core's destructor reports it).
    virtual HRESULT CreateGraphics(IGraphics** out) = 0;
    // The same for the input manager ("CreateInput()"; "Input manager
    // initialisation failed !").
    virtual HRESULT CreateInput(IInput** out) = 0;
    // Makes and registers a geometry: type "3ds", "d3map", "cal3d", "md5" or
    // "font" (compared exactly), command the file it loads. The caller owns
    // *out; the geometry holds one more reference to the graphics manager.
    // An unknown type or a failed factory returns the factory's code
    // (E_INVALIDARG for an unknown type) after the Error record
    // "Type : '<type>'; Command : '<command>'" ("CreateObject()"); a failed
    // registration is reported as "-". "Assertion Failed" without a graphics manager.
    virtual HRESULT CreateObject(const EngineString& type, const EngineString& command, IGeometry** out) = 0;
    // Remembers the window's outer rectangle (when at least 320 x 240) /
    // moves the window back to it; 1 when the graphics manager is full
    // screen (nothing done), else 0. Nothing logged.
    virtual int32_t StoreWindowRect() = 0;
    virtual int32_t RestoreWindowRect() = 0;
    // Forgets a manager, no count changes; the core does it when one of its
    // managers says it goes, before giving back the manager's reference to
    // the core. S_OK;
    // "Invalid Call/Param" for null; for any other object E_FAIL after the
    // Error record "Unknow manager : <type>" ("DetachManager()").
    virtual HRESULT DetachManager(IEngineObject* manager) = 0;
    // Off by default: a 3DS model whose texture map cannot be made fails to
    // load. On, a map whose file is missing leaves its materials untextured,
    // with one Warning per missing file naming it, for the models created
    // after the call. Nothing logged.
    virtual void AllowMissingTextures(bool allowed) = 0;
};

// Makes the core with one reference in *out. "Invalid Call/Param" for a null
// out, "Not Enough Memory" (with *out null) when it cannot be allocated;
// records name "CreateCore()". The core's destructor reports a manager still
// attached ("IGraphics not detached ! nRef=<n>", "IInput not detached !
// nRef=<n>"), releases it, and otherwise logs "Quarlight Engine correctly shutdown".
HRESULT CreateCore(ICore** out);

// Seconds from the high-resolution performance counter; 0 on a machine
// without one.
double Timer();
