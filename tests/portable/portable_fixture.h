// A core with its window, set up through the SDK calls alone: no test hooks,
// so the same suite runs on the Linux stand-in and on Windows (or Wine)
// against the real Direct3D 9, D3DX and DirectInput 8.
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

// The log is a text file: lines end in "\r\n" on Windows, read back as "\n".
inline std::string ReadLog()
{
    std::ifstream in("log.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class PortableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateCore(&core));
        ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 800, 600));
        window = static_cast<QLCore*>(core)->Window();
        // After the run's first record, which truncates the last run's log.
        logStart = ReadLog().size();
    }

    void TearDown() override
    {
        if (core)
            while (core->Release() != 0) {
            }
        // An application has one core; each test's core needs its window and class anew.
        if (window)
            DestroyWindow(window);
        UnregisterClassA("Quarlight", nullptr);
        // Bounded and dispatched: Windows keeps offering WM_PAINT to a window
        // nobody validates, so a bare PeekMessage loop may never end.
        MSG message;
        for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); i++)
            DispatchMessageA(&message);
    }

    // Releases the core the way the sample ends; the log then holds its last record.
    void ShutDown()
    {
        while (core->Release() != 0) {
        }
        core = nullptr;
    }

    std::string NewLog() const
    {
        std::string log = ReadLog();
        return log.size() >= logStart ? log.substr(logStart) : log;
    }

    HWND Window() const { return window; }

    ICore* core = nullptr;
    HWND window = nullptr;  // the core keeps it past its own release
    size_t logStart = 0;
};
