#include "support/engine_test_support.h"

#include "core/qlcore.h"

void EndCore(ICore* core, HWND window)
{
    if (core && !window)
        window = static_cast<QLCore*>(core)->Window();
    ReleaseUntilDestroyed(core);
    if (window)
        DestroyWindow(window);
    UnregisterClassA("Quarlight", nullptr);
    PumpMessages();
}

int PumpMessages(int limit)
{
    MSG message;
    int taken = 0;
    while (taken < limit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&message);
        ++taken;
    }
    return taken;
}
