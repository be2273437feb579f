// The clock, the cursor counter, the module handle and the debugger output.
#include <windows.h>

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(Clock, CounterIsMonotonicAndMeasuresElapsedTime)
{
    LARGE_INTEGER frequency, start, end;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_GT(frequency.QuadPart, 0);
    ASSERT_TRUE(QueryPerformanceCounter(&start));
    LARGE_INTEGER previous = start;
    for (int i = 0; i < 1000; ++i) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        ASSERT_GE(now.QuadPart, previous.QuadPart);
        previous = now;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    QueryPerformanceCounter(&end);
    double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    EXPECT_GE(seconds, 0.019);
    EXPECT_LT(seconds, 10.0);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST(Cursor, DisplayCounterCountsEachCall)
{
    // Windows' counter starts at 0 with a mouse installed.
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(ShowCursor(FALSE), 0);
}

TEST(Cursor, OnlyTheSystemArrowLoads)
{
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), arrow);
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(1)), nullptr);
    HCURSOR previous = SetCursor(nullptr);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    SetCursor(previous);
}

TEST(Module, OwnModuleHasAHandle)
{
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("no-such-module.dll"), nullptr);
}

TEST(DebugOutput, CaptureKeepsTextVerbatimOnlyWhileOn)
{
    OutputDebugStringA("before capture\n");
    QLTest_CaptureDebugOutput(true);
    OutputDebugStringA("100% %s %d\n");
    OutputDebugStringA(nullptr);
    OutputDebugStringA("second\n");
    EXPECT_EQ(QLTest_TakeDebugOutput(), "100% %s %d\nsecond\n");
    EXPECT_EQ(QLTest_TakeDebugOutput(), "");
    QLTest_CaptureDebugOutput(false);
    OutputDebugStringA("after capture\n");
    EXPECT_EQ(QLTest_TakeDebugOutput(), "");
}

TEST(LocalTime, FieldsAreInRange)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_GE(now.wYear, 2020);
    EXPECT_TRUE(now.wMonth >= 1 && now.wMonth <= 12);
    EXPECT_TRUE(now.wDay >= 1 && now.wDay <= 31);
    EXPECT_LE(now.wHour, 23);
    EXPECT_LE(now.wMinute, 59);
    EXPECT_LE(now.wMilliseconds, 999);
}

}  // namespace
