// The engine suites' base: a core made for each test and ended after it
// (EndCore), the log since the test began, and no injected failure carried
// from one test into the next.
#pragma once

#include "core/icore.h"
#include "core/qlcore.h"

#include "support/engine_test_support.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <string>

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLTest_ClearFailures();
        ASSERT_EQ(S_OK, CreateCore(&core));
        logMark.Reset();
    }

    void TearDown() override
    {
        QLTest_ClearFailures();
        EndCore(core);
    }

    // A 320 x 240 window, its first messages taken.
    void StartCore()
    {
        ASSERT_EQ(S_OK, core->Init(nullptr, "Quarlight Test", 320, 240));
        ASSERT_EQ(S_OK, core->Update());
    }

    // What the log gained since the test began (or the last logMark.Reset()).
    std::string NewLog() const { return logMark.Since(); }
    HWND Window() const { return static_cast<QLCore*>(core)->Window(); }

    ICore* core = nullptr;
    LogMark logMark;
};
