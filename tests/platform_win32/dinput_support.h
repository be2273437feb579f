// A shown window and a DirectInput object, for the DirectInput suites.
#pragma once

#include "window_test_support.h"

#include <dinput.h>
#include <qlplatform_test.h>

#include <gtest/gtest.h>

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A device of the given kind, format set, at `level`, not acquired.
    IDirectInputDevice8A* MakeDevice(REFGUID guid, const DIDATAFORMAT& format, DWORD level);

    HWND window = nullptr;
    IDirectInput8A* input = nullptr;
    std::vector<IDirectInputDevice8A*> devices;
};
