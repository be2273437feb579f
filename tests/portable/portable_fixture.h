// A core with its window, set up through the SDK calls alone: no test hooks,
// so the same suite runs on the Linux stand-in and on Windows (or Wine)
// against the real Direct3D 9, D3DX and DirectInput 8.
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"

#include "support/engine_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

class PortableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(S_OK, CreateCore(&core));
        ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 800, 600));
        window = static_cast<QLCore*>(core)->Window();
        // After the run's first record, which truncates the last run's log.
        logMark.Reset();
    }

    void TearDown() override { EndCore(core, window); }

    // Releases the core the way the sample ends; the log then holds its last record.
    void ShutDown()
    {
        ReleaseUntilDestroyed(core);
        core = nullptr;
    }

    std::string NewLog() const { return logMark.Since(); }

    HWND Window() const { return window; }

    ICore* core = nullptr;
    HWND window = nullptr;  // the core keeps it past its own release
    LogMark logMark;
};
