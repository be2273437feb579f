#include "foundation/qlresult.h"

#include <gtest/gtest.h>

#include <string>

TEST(ResultCodeName, NamesCodesOfEachHeader)
{
    struct Case {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0x80070057, "E_INVALIDARG"},
        {0x8007000E, "E_OUTOFMEMORY"},
        {0x80004005, "E_FAIL"},
        {0x88760868, "D3DERR_DEVICELOST"},
        {0x88760869, "D3DERR_DEVICENOTRESET"},
        {0x8876086C, "D3DERR_INVALIDCALL"},
        {0x88760B54, "D3DXERR_CANNOTMODIFYINDEXBUFFER"},
        {0x80040209, "DIERR_UNPLUGGED"},
        {0x80070005, "E_ACCESSDENIED"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.name, ResultCodeName((HRESULT)c.code)) << std::hex << c.code;
}

TEST(ResultCodeName, JoinsNamesOfOneValueFromTwoHeaders)
{
    EXPECT_STREQ("ERROR_READ_FAULT & DIERR_INPUTLOST", ResultCodeName((HRESULT)0x8007001E));
    EXPECT_STREQ("ERROR_INVALID_ACCESS & DIERR_NOTACQUIRED", ResultCodeName((HRESULT)0x8007000C));
}

TEST(ResultCodeName, UnknownCodes)
{
    EXPECT_STREQ("Unknown", ResultCodeName((HRESULT)0x80001234));
    EXPECT_STREQ("Unknown", ResultCodeName((HRESULT)0xFFFFFFFF));
}
