#include "foundation/file.h"
#include "foundation/qltrace.h"

#include "support/engine_log.h"
#include "support/error_record.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace {

// A reader in the engine's style: one field at a time.
HRESULT ReadTwoInts(File& file, int32_t* a, int32_t* b)
{
    TraceContext trace("LoadTwo()");
    QL_READ(trace, file, a, 4);
    QL_READ(trace, file, b, 4);
    return S_OK;
}

}  // namespace

TEST(File, MissingFileWritesOneRecordAndStaysClosed)
{
    File file;
    HRESULT result = S_OK;
    std::string written = LogAppendedBy([&] { result = file.Open("no/such/file.bin", "rb"); });
    EXPECT_EQ(E_FAIL, result);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, written.find("\n[File::Open()] Error : \"File 'no/such/file.bin' not found\"\nAt "));
    EXPECT_EQ(written.find("\n[", 1), std::string::npos) << "exactly one record";
    EXPECT_NE(std::string::npos, written.find("See : \"file\" at line "));
}

TEST(File, ShortReadIsUnexpectedEndOfFileAndCloses)
{
    ASSERT_TRUE(WriteFileBytes("six.bin", "\x01\0\0\0\x02\0", 6));
    File file;
    ASSERT_EQ(S_OK, file.Open("six.bin", "rb"));
    int32_t a = 0, b = 0;
    HRESULT result = S_OK;
    std::string written = LogAppendedBy([&] { result = ReadTwoInts(file, &a, &b); });
    EXPECT_EQ(QLE_SUBFUNCTION, result);
    EXPECT_EQ(1, a);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(std::string::npos, written.find(ErrorRecord("LoadTwo()", E_FAIL, "Unexpected End Of File")));
    EXPECT_FALSE(file.ReadExact(&a, 1)) << "a closed file reads nothing";
}

TEST(File, ReopeningClosesTheFirstStream)
{
    ASSERT_TRUE(WriteFileBytes("one.bin", "1", 1));
    ASSERT_TRUE(WriteFileBytes("two.bin", "2", 1));
    File file;
    ASSERT_EQ(S_OK, file.Open("one.bin", "rb"));
    ASSERT_EQ(S_OK, file.Open("two.bin", "rb"));
    char c = 0;
    ASSERT_TRUE(file.ReadExact(&c, 1));
    EXPECT_EQ('2', c);
    EXPECT_EQ(E_FAIL, file.Open("missing.bin", "rb"));
    EXPECT_FALSE(file.IsOpen());
}

TEST(File, WriteAndCloseOnAClosedFileDoNothing)
{
    File file;
    file.Write("ignored");
    file.Close();
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    ASSERT_EQ(S_OK, file.Open("text.txt", "w+t"));
    file.Write("hello");
    file.Close();
    ASSERT_EQ(S_OK, file.Open("text.txt", "rb"));
    char text[6] = {};
    EXPECT_TRUE(file.ReadExact(text, 5));
    EXPECT_STREQ("hello", text);
}

TEST(File, SizeIsTheWholeFileAndLeavesTheStreamAtItsStart)
{
    const char bytes[] = "0123456789";
    ASSERT_TRUE(WriteFileBytes("sized.bin", bytes, 10));
    File file;
    ASSERT_EQ(S_OK, file.Open("sized.bin", "rb"));
    EXPECT_EQ(10, file.Size());
    char first[4] = {};
    ASSERT_TRUE(file.ReadExact(first, 3));
    EXPECT_STREQ("012", first);
    remove("sized.bin");
}
