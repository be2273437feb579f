// A core with its window and a graphics manager on an 800 x 600 windowed
// device, as the sample sets them up, for the suites that draw: frames read
// back as pictures, and models made through the core's factory.
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"
#include "graphics/igraphics.h"
#include "graphics/qlgraphics.h"

#include <qlplatform_test.h>

#include "support/core_fixture.h"
#include "support/error_record.h"
#include "support/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class GraphicsTest : public CoreFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CoreFixture::SetUp());
        ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 800, 600));
        ASSERT_EQ(S_OK, core->CreateGraphics(&graphics));
        logMark.Reset();
    }

    void TearDown() override
    {
        for (IGeometry* model : factoryModels)
            if (model)
                model->Release();
        QLTest_ClearFailures();
        if (graphics)
            graphics->Release();
        CoreFixture::TearDown();
    }

    HRESULT StartDevice()
    {
        ScreenMode mode = {1, 800, 600, 16, 24, 8};
        return graphics->SetScreenMode(&mode);
    }

    // Renders one frame of `elapsed` seconds and reads it back.
    Picture Frame(float elapsed = 0.02f)
    {
        EXPECT_EQ(S_OK, graphics->UpdateAndRender(elapsed));
        return PresentedFrame();
    }

    // The core's factory for `type` and `command`; a model it made is kept in
    // factoryModels and released by TearDown. A failed load must null the
    // out-parameter, which starts out non-null to show it where `nulled`.
    HRESULT CreateModel(const std::string& type, const std::string& command, IGeometry** out, bool nulled = true)
    {
        IGeometry* geometry = nulled ? reinterpret_cast<IGeometry*>(0x1) : nullptr;
        HRESULT result = core->CreateObject(type.c_str(), command.c_str(), &geometry);
        if (FAILED(result))
            EXPECT_EQ(nullptr, geometry);
        else
            factoryModels.push_back(geometry);
        if (out)
            *out = SUCCEEDED(result) ? geometry : nullptr;
        return result;
    }

    QLGraphics* Manager() const { return static_cast<QLGraphics*>(graphics); }

    // Gives the window a client area of width x height, kept as its windowed
    // rectangle so the next screen-mode update keeps it too.
    void ResizeClientArea(int width, int height)
    {
        RECT frame = {0, 0, width, height};
        // The core's window style: a caption and a sizing border.
        AdjustWindowRectEx(&frame, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                           FALSE, WS_EX_WINDOWEDGE);
        SetWindowPos(Window(), HWND_NOTOPMOST, 10, 10, frame.right - frame.left,
                     frame.bottom - frame.top, SWP_SHOWWINDOW);
        core->StoreWindowRect();
    }

    IGraphics* graphics = nullptr;
    std::vector<IGeometry*> factoryModels;
};
