// A core with its window and a graphics manager on an 800 x 600 windowed
// device, as the sample sets them up, for the graphics suites.
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"
#include "graphics/igraphics.h"
#include "graphics/qlgraphics.h"

#include <qlplatform_test.h>

#include "support/engine_test_support.h"
#include "support/error_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLTest_ClearFailures();
        ASSERT_EQ(S_OK, CreateCore(&core));
        ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 800, 600));
        ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
        logMark.Reset();
    }

    void TearDown() override
    {
        QLTest_ClearFailures();
        if (graphics)
            graphics->Release();
        EndCore(core);
    }

    HRESULT StartDevice()
    {
        ScreenMode mode = {1, 800, 600, 16, 24, 8};
        return graphics->SetScreenMode(&mode);
    }

    // What the log gained since the test began.
    std::string NewLog() const { return logMark.Since(); }

    QLGraphics* Manager() const { return static_cast<QLGraphics*>(graphics); }

    // Gives the window a client area of width x height, kept as its windowed
    // rectangle so the next screen-mode update keeps it too.
    void ResizeClientArea(int width, int height)
    {
        RECT frame = {0, 0, width, height};
        // The core's window style: a caption and a sizing border.
        AdjustWindowRectEx(&frame, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                           FALSE, WS_EX_WINDOWEDGE);
        SetWindowPos(static_cast<QLCore*>(core)->Window(), HWND_NOTOPMOST, 10, 10, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_SHOWWINDOW);
        core->StoreWindowRect();
    }

    ICore* core = nullptr;
    IGraphics* graphics = nullptr;
    LogMark logMark;
};
