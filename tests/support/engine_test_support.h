// What the engine suites share: reading the run's log, and ending a core so
// the next test can make its own (an application has one core, which keeps
// its window and window class for the whole run).
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadLog()
{
    std::ifstream in("log.txt", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Releases the core until it is gone, then destroys its window, unregisters
// the "Quarlight" class and drops the messages left for them.
inline void EndCore(ICore* core)
{
    HWND window = core ? static_cast<QLCore*>(core)->Window() : nullptr;
    if (core)
        while (core->Release() != 0) {
        }
    if (window)
        DestroyWindow(window);
    UnregisterClassA("Quarlight", nullptr);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}
