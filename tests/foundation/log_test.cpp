#include "foundation/qlobject.h"
#include "foundation/qltrace.h"

#include "support/engine_log.h"

#include <qlplatform_test.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdlib.h>

namespace {

struct NamedObject {
    const EngineString& GetType()
    {
        static const EngineString type("QLCore");
        return type;
    }
};

const std::string atLine = "At [0-9]{2}:[0-9]{2}:[0-9]{2}, See : \"log_test\" at line ";

}  // namespace

TEST(WriteLog, InfoRecordIsOneBareLine)
{
    std::string record = LogAppendedBy([] { QL_LOG(TraceContext("main()"), TraceInfo, "Main Loop..."); });
    EXPECT_EQ("[main()] Main Loop...\n", record);
}

TEST(WriteLog, WarningAndErrorRecordsCarryTimeSourceAndLine)
{
    uint32_t line = 0;
    std::string warning = LogAppendedBy([&] {
        line = __LINE__ + 1;
        QL_LOG(TraceContext("Init()"), TraceWarning, "Device Created in Mode REF");
    });
    EXPECT_TRUE(std::regex_match(warning, std::regex("\n\\[Init\\(\\)\\] Warning : \"Device Created in Mode REF\"\n" +
                                                     atLine + std::to_string(line) + "\n\n")))
        << warning;

    std::string error = LogAppendedBy([&] {
        line = __LINE__ + 1;
        QL_LOG(TraceContext("Init()"), TraceError, "Device Created in Mode REF");
    });
    EXPECT_EQ(warning.substr(0, 10), error.substr(0, 10));
    EXPECT_NE(std::string::npos, error.find("] Error : \"Device"));
    EXPECT_NE(std::string::npos, error.find("at line " + std::to_string(line) + "\n\n"));
}

TEST(WriteLog, MethodContextNamesTheObjectType)
{
    NamedObject core;
    std::string record = LogAppendedBy([&] { QL_LOG(TraceContext(&core, "Init()"), TraceInfo, "The date"); });
    EXPECT_EQ("[QLCore::Init()] The date\n", record);
    NamedObject* none = nullptr;
    record = LogAppendedBy([&] { QL_LOG(TraceContext(none, "Init()"), TraceInfo, "x"); });
    EXPECT_EQ("[Init()] x\n", record);
}

TEST(WriteLog, TextIsNeverAFormatString)
{
    std::string record = LogAppendedBy([] { QL_LOG(TraceContext("f()"), TraceInfo, "100%s %d %n done"); });
    EXPECT_EQ("[f()] 100%s %d %n done\n", record);
}

TEST(WriteLog, DebuggerGetsTheRecordAndAJumpLineForWarnings)
{
    QLTest_CaptureDebugOutput(true);
    uint32_t line = __LINE__ + 1;
    QL_LOG(TraceContext("f()"), TraceWarning, "careful");
    QL_LOG(TraceContext("f()"), TraceInfo, "plain");
    std::string debugger = QLTest_TakeDebugOutput();
    QLTest_CaptureDebugOutput(false);
    std::string jump = "log_test(" + std::to_string(line) + ") : DOUBLE-CLICK HERE TO GO AND SEE !!!\n\n";
    EXPECT_NE(std::string::npos, debugger.find("Warning : \"careful\"\n"));
    size_t jumpAt = debugger.find(jump);
    ASSERT_NE(std::string::npos, jumpAt) << debugger;
    EXPECT_EQ(debugger.size(), jumpAt + jump.size() + std::string("[f()] plain\n").size());
}

TEST(CheckResult, NonNegativeCodesPassSilently)
{
    for (HRESULT code : {S_OK, S_FALSE, (HRESULT)0x7FFFFFFF}) {
        HRESULT result = 0;
        std::string written = LogAppendedBy([&] { result = QL_CHECK(TraceContext("f()"), "unused", code); });
        EXPECT_EQ(code, result);
        EXPECT_EQ("", written);
    }
}

TEST(CheckResult, NegativeCodeWritesOneErrorAndGivesEFail)
{
    struct Case {
        HRESULT code;
        const char* text;
    } cases[] = {
        {E_INVALIDARG, "Called function return E_INVALIDARG (0x80070057), Msg : 'Invalid Call/Param'"},
        {QLE_SUBFUNCTION, "Called function return QLE_SUBFUNCTION (0x87654321), Msg : 'Invalid Call/Param'"},
        {(HRESULT)0x8007001E, "Called function return ERROR_READ_FAULT & DIERR_INPUTLOST (0x8007001E), Msg : 'Invalid Call/Param'"},
        {(HRESULT)0x80000ABC, "Called function return Unknown (0x80000ABC), Msg : 'Invalid Call/Param'"},
    };
    for (const Case& c : cases) {
        HRESULT result = S_OK;
        std::string written =
            LogAppendedBy([&] { result = QL_CHECK(TraceContext("CreateCore()"), "Invalid Call/Param", c.code); });
        EXPECT_EQ(E_FAIL, result);
        EXPECT_EQ(0u, written.find(std::string("\n[CreateCore()] Error : \"") + c.text + "\"\nAt ")) << written;
    }
}

// Each death-test child re-runs the binary, so it is a fresh run of the program.
class LogAcrossRuns : public ::testing::Test {
protected:
    void SetUp() override { ::testing::GTEST_FLAG(death_test_style) = "threadsafe"; }
};

TEST_F(LogAcrossRuns, FirstRecordOfARunTruncatesTheFile)
{
    EXPECT_EXIT(
        {
            QL_LOG(TraceContext("main()"), TraceInfo, "first run");
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(std::string::npos, ReadLog().find("first run"));
    EXPECT_EXIT(
        {
            QL_LOG(TraceContext("main()"), TraceInfo, "second run");
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ("[main()] second run\n", ReadLog());
}

TEST_F(LogAcrossRuns, RecordSurvivesACrashRightAfterIt)
{
    EXPECT_DEATH(
        {
            QL_CHECK(TraceContext("main()"), "about to crash", E_FAIL);
            abort();
        },
        "");
    EXPECT_NE(std::string::npos, ReadLog().find("Msg : 'about to crash'"));
}

TEST_F(LogAcrossRuns, UnopenableLogFileLeavesTheConsoleAndIsTriedAgain)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute("unopenable_log");
    fs::remove_all(folder);
    // A folder of that name cannot be opened as the log.
    ASSERT_TRUE(fs::create_directories(folder / "log.txt"));
    EXPECT_EXIT(
        {
            fs::current_path(folder);
            if (!freopen("console.txt", "w", stdout))
                exit(2);
            QL_LOG(TraceContext("main()"), TraceInfo, "no file yet");
            fs::remove("log.txt");
            QL_LOG(TraceContext("main()"), TraceInfo, "file again");
            exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    auto contents = [&](const char* name) {
        std::ifstream file(folder / name);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    };
    EXPECT_EQ("[main()] no file yet\n[main()] file again\n", contents("console.txt"));
    EXPECT_EQ("[main()] file again\n", contents("log.txt"));
}
