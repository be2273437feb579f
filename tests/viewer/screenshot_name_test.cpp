// F12's numbered files: the first free number, never one already there.
#include "screenshot.h"

#include <gtest/gtest.h>

#include <stdio.h>

TEST(ScreenshotName, TakesTheFirstFreeNumber)
{
    for (const char* name : {"screenshot-001.png", "screenshot-002.png", "screenshot-004.png"})
        remove(name);
    EXPECT_STREQ("screenshot-001.png", NextScreenshotName().Chars());
    for (const char* name : {"screenshot-001.png", "screenshot-002.png", "screenshot-004.png"}) {
        FILE* file = fopen(name, "wb");
        ASSERT_NE(nullptr, file);
        fclose(file);
    }
    EXPECT_STREQ("screenshot-003.png", NextScreenshotName().Chars()) << "a gap is filled first";
    for (const char* name : {"screenshot-001.png", "screenshot-002.png", "screenshot-004.png"})
        remove(name);
}
