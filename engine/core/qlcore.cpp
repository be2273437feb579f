#include "core/qlcore.h"

#include "graphics/igeometry.h"
#include "graphics/igraphics.h"
#include "input/iinput.h"
#include "models/import/modelgltf.h"
#include "models/scene/modelscene.h"
#include "models/skinned/modelskel.h"
#include "text/font.h"

#include "foundation/owned.h"
#include "foundation/qltrace.h"

#include <stdio.h>

#include <new>

// Process-wide by design: the window procedure has no core of its own, so it
// reaches the one current core and the active and running flags here.
namespace CoreState {
QLCore* current = nullptr;
bool active = true;
bool running = true;
}  // namespace CoreState

namespace {

constexpr DWORD windowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = WS_EX_WINDOWEDGE;
constexpr LONG smallestStoredWidth = 320;
constexpr LONG smallestStoredHeight = 240;

using GeometryFactory = HRESULT (*)(const EngineString& type, const EngineString& command, IGraphics* graphics,
                                    const SceneLoadOptions& options, IGeometry** out);

// Only scene models take load options.
template <HRESULT (*Create)(const EngineString&, const EngineString&, IGraphics*, IGeometry**)>
HRESULT WithoutOptions(const EngineString& type, const EngineString& command, IGraphics* graphics,
                       const SceneLoadOptions&, IGeometry** out)
{
    return Create(type, command, graphics, out);
}

// Type names in the order they are compared; a null factory is a type whose
// class this build does not have, and behaves as an unknown type.
struct FactoryEntry {
    const char* type;
    GeometryFactory factory;
};
const FactoryEntry factories[] = {
    {"cal3d", WithoutOptions<CreateModelSkel>},
    {"md5", WithoutOptions<CreateModelSkel>},
    {"3ds", CreateModelScene},
    {"d3map", CreateModelScene},
    {"gltf", CreateModelGltf},
    {"obj", CreateModelScene},
    {"font", WithoutOptions<CreateFont>},
};

EngineString LocalDateAndTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[96];
    snprintf(text, sizeof text, "The %02u/%02u/%02u At %02u:%02u:%02u", (unsigned)now.wMonth, (unsigned)now.wDay,
             (unsigned)(now.wYear % 100), (unsigned)now.wHour, (unsigned)now.wMinute, (unsigned)now.wSecond);
    return text;
}

// One manager of each kind per core: a second request leaves the first
// alone. The core holds a reference to the manager and counts one to itself
// for the manager, which it gives back when the manager says it goes; both are
// kept when its Init fails: the core's destructor then reports and releases it.
template <typename Manager, typename Init>
HRESULT AttachManager(const TraceContext& trace, ICore* core, IManagerOwner* owner, Manager*& slot,
                      Manager* (*make)(IManagerOwner*), const char* failure, Manager** out, Init init)
{
    QL_REQUIRE_ARG(trace, out);
    QL_ASSERT(trace, !slot);
    slot = make(owner);
    QL_ASSERT(trace, slot);
    slot->AddRef();
    core->AddRef();
    QL_TRY(trace, failure, init(slot));
    *out = slot;
    return S_OK;
}

// Reports a manager still attached when the core dies, with the references
// it still has, and releases it until it is destroyed.
// AddRef minus one is the count the application left: the interface has no
// getter. The manager's going then releases the core, already at 0: a no-op.
void ReleaseLeftover(const TraceContext& trace, IEngineObject* leftover, const char* kind)
{
    QL_LOG(trace, TraceError, EngineString(kind) + " not detached ! nRef=" + (uint32_t)(leftover->AddRef() - 1));
    ReleaseUntilDestroyed(leftover);
}

}  // namespace

HRESULT CreateCore(ICore** out)
{
    TraceContext trace("CreateCore()");
    QL_REQUIRE_ARG(trace, out);
    Owned<QLCore> core = MakeOwned<QLCore>();
    *out = nullptr;
    QL_REQUIRE_MEMORY(trace, core);
    *out = core.Detach();
    return S_OK;
}

QLCore::QLCore() : title("Quarlight"), className("Quarlight")
{
    CoreState::current = this;
    CoreState::active = true;
    CoreState::running = true;
}

QLCore::~QLCore()
{
    TraceContext trace(this, "Destructor()");
    if (CoreState::current == this)
        CoreState::current = nullptr;
    if (graphics)
        ReleaseLeftover(trace, graphics, "IGraphics");
    if (input)
        ReleaseLeftover(trace, input, "IInput");
    if (!graphics && !input)
        QL_LOG(trace, TraceInfo, "Quarlight Engine correctly shutdown");
}

HRESULT QLCore::Clone(ICore**)
{
    return E_FAIL;
}

HRESULT QLCore::Init(HINSTANCE instanceHandle, const EngineString& windowTitle, uint32_t width, uint32_t height)
{
    TraceContext trace(this, "Init()");
    QL_LOG(trace, TraceInfo, LocalDateAndTime());
    Timer();

    instance = instanceHandle ? instanceHandle : GetModuleHandleA(nullptr);
    title = windowTitle;
    if (width < 320 || height < 240) {
        width = 640;
        height = 480;
    }
    windowRect.left = (GetSystemMetrics(SM_CXSCREEN) - (int32_t)width) / 2;
    windowRect.top = (GetSystemMetrics(SM_CYSCREEN) - (int32_t)height) / 2;
    windowRect.right = windowRect.left + (int32_t)width;
    windowRect.bottom = windowRect.top + (int32_t)height;
    AdjustWindowRectEx(&windowRect, windowStyle, FALSE, windowExStyle);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = CoreWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className.Chars();
    QL_TRY(trace, "RegisterClassEx()", RegisterClassExA(&windowClass) ? S_OK : E_FAIL);

    window = CreateWindowExA(windowExStyle, className.Chars(), title.Chars(), windowStyle, windowRect.left,
                             windowRect.top, windowRect.right - windowRect.left, windowRect.bottom - windowRect.top,
                             GetDesktopWindow(), nullptr, instance, nullptr);
    QL_TRY(trace, "CreateWindowEx()", window ? S_OK : E_FAIL);
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    return S_OK;
}

HRESULT QLCore::Update()
{
    if (GetForegroundWindow() != window)
        CoreState::active = false;
    MSG message;
    for (;;) {
        if (CoreState::active) {
            if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                break;
        } else if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            // 0 is WM_QUIT; -1 an error that left no message to dispatch.
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return S_OK;
}

bool QLCore::IsActive()
{
    return CoreState::active;
}

bool QLCore::IsRunning()
{
    return CoreState::running;
}

HRESULT QLCore::CreateGraphics(IGraphics** out)
{
    TraceContext trace(this, "CreateGraphics()");
    return AttachManager(trace, this, this, graphics, NewGraphicsManager, "Graphic manager initialisation failed !", out,
                         [&](IGraphics* manager) { return manager->Init(this, window); });
}

HRESULT QLCore::CreateInput(IInput** out)
{
    TraceContext trace(this, "CreateInput()");
    return AttachManager(trace, this, this, input, NewInputManager, "Input manager initialisation failed !", out,
                         [&](IInput* manager) { return manager->Init(this, instance, window); });
}

HRESULT QLCore::CreateObject(const EngineString& type, const EngineString& command, IGeometry** out)
{
    TraceContext trace(this, "CreateObject()");
    QL_REQUIRE_ARG(trace, out);
    // Every factory needs the graphics manager.
    QL_ASSERT(trace, graphics);
    graphics->AddRef();

    SceneLoadOptions options;
    options.missingTexturesAllowed = missingTexturesAllowed;
    HRESULT result = E_INVALIDARG;
    for (const FactoryEntry& entry : factories) {
        if (type == entry.type) {
            if (entry.factory)
                result = entry.factory(type, command, graphics, options, out);
            break;
        }
    }
    if (SUCCEEDED(result)) {
        // Released after the report if it cannot be registered; it takes the
        // manager reference it was given with it.
        Owned<IGeometry> geometry(*out);
        *out = nullptr;
        QL_TRY(trace, "-", graphics->AddGeometryInternal(geometry.Get()));
        *out = geometry.Detach();
        return S_OK;
    }
    QL_LOG(trace, TraceError, "Type : '" + type + "'; Command : '" + command + "'");
    graphics->Release();
    return result;
}

void QLCore::AllowMissingTextures(bool allowed)
{
    missingTexturesAllowed = allowed;
}

int32_t QLCore::StoreWindowRect()
{
    if (graphics && !graphics->IsWindowed())
        return 1;
    RECT current;
    if (GetWindowRect(window, &current) && current.right - current.left >= smallestStoredWidth &&
        current.bottom - current.top >= smallestStoredHeight)
        windowRect = current;
    return 0;
}

int32_t QLCore::RestoreWindowRect()
{
    if (graphics && !graphics->IsWindowed())
        return 1;
    SetWindowPos(window, HWND_NOTOPMOST, windowRect.left, windowRect.top, windowRect.right - windowRect.left,
                 windowRect.bottom - windowRect.top, SWP_SHOWWINDOW);
    return 0;
}

void QLCore::ManagerGone(IEngineObject* manager)
{
    DetachManager(manager);
    // Last: it may destroy the core.
    Release();
}

HRESULT QLCore::DetachManager(IEngineObject* manager)
{
    TraceContext trace(this, "DetachManager()");
    QL_REQUIRE_ARG(trace, manager);
    if (manager == static_cast<IEngineObject*>(graphics)) {
        graphics = nullptr;
    } else if (manager == static_cast<IEngineObject*>(input)) {
        input = nullptr;
    } else {
        // The record reads as it always has ("Unknow"): log readers match it.
        QL_LOG(trace, TraceError, "Unknow manager : " + manager->GetType());
        return E_FAIL;
    }
    return S_OK;
}
