// QLCore: the core manager, its window and its object factory.
#pragma once

#include "core/icore.h"

#include "foundation/enginestring.h"
#include "foundation/managerowner.h"
#include "foundation/qlobject.h"

#include <windows.h>

// The owner of its two managers too: they tell it when they go.
class QLCore final : public RefCounted<QLCore, ICore>, private IManagerOwner {
public:
    QLCore();
    ~QLCore();

    QL_TYPE_NAME("QLCore")
    HRESULT Clone(ICore** out) override;
    HRESULT Init(HINSTANCE instance, const EngineString& title, uint32_t width, uint32_t height) override;
    HRESULT Update() override;
    bool IsActive() override;
    bool IsRunning() override;
    HRESULT CreateGraphics(IGraphics** out) override;
    HRESULT CreateInput(IInput** out) override;
    HRESULT CreateObject(const EngineString& type, const EngineString& command, IGeometry** out) override;
    int32_t StoreWindowRect() override;
    int32_t RestoreWindowRect() override;
    HRESULT DetachManager(IEngineObject* manager) override;
    void AllowMissingTextures(bool allowed) override;
    // Detaches the manager, then gives back the reference counted for it.
    void ManagerGone(IEngineObject* manager) override;

    IGraphics* Graphics() const { return graphics; }
    IInput* Input() const { return input; }
    HWND Window() const { return window; }

private:
    IGraphics* graphics = nullptr;
    IInput* input = nullptr;
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    EngineString title;
    EngineString className;
    RECT windowRect = {0, 0, 0, 0};
    bool missingTexturesAllowed = false;
};

// Process-wide state the window procedure shares with the core.
namespace CoreState {
extern QLCore* current;
extern bool active;
extern bool running;
}  // namespace CoreState

LRESULT CALLBACK CoreWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
