// A name of the running test's own for the files it writes, so tests never
// share a file: "<suite>.<test>" (a parameterized test's '/' made '_') then
// `suffix`.
#pragma once

#include <gtest/gtest.h>

#include <string>

inline std::string TestFileName(const std::string& suffix = "")
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + suffix;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return name;
}
