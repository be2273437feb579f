// ./data made a link to the source tree's data folder, where the sample's
// files and the ones they name are looked for. Call it through
// ASSERT_NO_FATAL_FAILURE: it fails without QL_SOURCE_DIR.
#pragma once

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>

inline void LinkSourceData()
{
    const char* source = getenv("QL_SOURCE_DIR");
    ASSERT_NE(nullptr, source);
    unlink("data");
    ASSERT_EQ(0, symlink((std::string(source) + "/data").c_str(), "data"));
}
