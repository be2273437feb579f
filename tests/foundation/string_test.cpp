#include "foundation/enginestring.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(EngineString, EmptyTextsHoldNoBuffer)
{
    EngineString none;
    EngineString fromEmpty("");
    EngineString fromNull(nullptr);
    for (const EngineString* s : {&none, &fromEmpty, &fromNull}) {
        EXPECT_EQ(0u, s->Capacity());
        EXPECT_STREQ("", s->Chars());
        EXPECT_TRUE(*s == "");
    }
    none += "";
    none += (const char*)nullptr;
    none += EngineString();
    EXPECT_EQ(0u, none.Capacity());
}

TEST(EngineString, GrowsToExactlyTheLengthNeeded)
{
    EngineString s("abc");
    EXPECT_EQ(4u, s.Capacity());
    s += "de";
    EXPECT_EQ(6u, s.Capacity());
    EXPECT_STREQ("abcde", s.Chars());
    s += EngineString("f");
    EXPECT_EQ(7u, s.Capacity());
    EXPECT_EQ(6u, s.Length());
}

TEST(EngineString, AssigningShorterTextKeepsTheBuffer)
{
    EngineString s("abcdef");
    const char* buffer = s.Chars();
    s = "ab";
    EXPECT_EQ(buffer, s.Chars());
    EXPECT_EQ(7u, s.Capacity());
    EXPECT_STREQ("ab", s.Chars());
    s = "abcdefgh";
    EXPECT_EQ(9u, s.Capacity());
    EXPECT_STREQ("abcdefgh", s.Chars());
    s = s.Chars() + 2;  // a part of itself
    EXPECT_STREQ("cdefgh", s.Chars());
}

TEST(EngineString, AppendsNumbersAndChains)
{
    EngineString type("3ds");
    EngineString command("./data/park.3ds");
    EngineString text = "Type : '" + type + "'; Command : '" + command + "'";
    EXPECT_STREQ("Type : '3ds'; Command : './data/park.3ds'", text.Chars());
    EngineString n("nRef=");
    n += (uint32_t)4000000000u;
    n += " ";
    n += (int32_t)-1;
    EXPECT_STREQ("nRef=4000000000 -1", n.Chars());
}

TEST(EngineString, SubStrings)
{
    struct Case {
        const char* text;
        uint32_t start, end;
        const char* expected;
    } cases[] = {
        {"FPS=59.940060", 0, 8, "FPS=59.9"},
        {"FPS=5", 0, 8, "FPS=5"},
        {"abcdef", 2, 4, "cd"},
        {"abcdef", 4, 4, ""},
        {"abcdef", 5, 2, ""},
        {"abcdef", 9, 12, ""},
        {"", 0, 3, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, EngineString(c.text).SubString(c.start, c.end).Chars()) << c.text;
}

TEST(EngineString, ComparesBytesAndCase)
{
    EXPECT_TRUE(EngineString("font") == "font");
    EXPECT_FALSE(EngineString("font") == "Font");
    EXPECT_FALSE(EngineString("font") == "fon");
    EXPECT_FALSE(EngineString("fon") == "font");
    EXPECT_TRUE(EngineString("a") == EngineString("a"));
}

TEST(EngineString, CopiesAndMovesOwnTheirText)
{
    EngineString a("hello");
    EngineString b(a);
    b += "!";
    EXPECT_STREQ("hello", a.Chars());
    EngineString c(static_cast<EngineString&&>(b));
    EXPECT_STREQ("hello!", c.Chars());
    EXPECT_STREQ("", b.Chars());
    a = c;
    EXPECT_STREQ("hello!", a.Chars());
    EXPECT_NE(a.Chars(), c.Chars());
}
