// What the viewer says when a model cannot be shown: the cause as a user
// reads it, the log's failure records once, the animations a model has; and
// the start-up's output held back until it is known to have succeeded.
#include "viewermessages.h"
#include "vieweroutput.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <filesystem>
#include <fstream>

namespace {

void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

}  // namespace

TEST(ViewerMessages, LoadProblemNamesWhatIsWrongWithTheFile)
{
    std::filesystem::create_directories("folder.3ds");
    WriteFile("empty.3ds", "");
    WriteFile("text.3ds", "solid cube\n");
    WriteFile("model.3ds", std::string("\x4D\x4D\x06\x00\x00\x00", 6));
    WriteFile("model.cfg", "skeleton=a.csf\n");
    remove("missing.3ds");
    EXPECT_EQ("cannot open missing.3ds: No such file or directory", LoadProblem("missing.3ds", ModelKind::Scene3ds));
    EXPECT_EQ("folder.3ds is a directory", LoadProblem("folder.3ds", ModelKind::Scene3ds));
    EXPECT_EQ("empty.3ds is empty", LoadProblem("empty.3ds", ModelKind::Scene3ds));
    EXPECT_EQ("text.3ds is not a 3D Studio file", LoadProblem("text.3ds", ModelKind::Scene3ds));
    EXPECT_EQ("", LoadProblem("model.3ds", ModelKind::Scene3ds)) << "a file that starts as a 3DS file";
    EXPECT_EQ("", LoadProblem("model.cfg", ModelKind::Cal3d)) << "no 3DS test for a configuration";
}

TEST(ViewerMessages, ScreenshotProblemGivesTheReasonAndLeavesNoFile)
{
    EXPECT_EQ("cannot write the screenshot no_such_folder/x.png: No such file or directory",
              ScreenshotProblem("no_such_folder/x.png"));
    remove("writable.png");
    std::string problem = ScreenshotProblem("writable.png");
    EXPECT_NE(std::string::npos, problem.find("log.txt")) << problem;
    EXPECT_FALSE(std::filesystem::exists("writable.png")) << "the check's own file is removed";
}

TEST(ViewerMessages, FailureRecordsAreTheErrorsAndWarningsOnce)
{
    const std::string log = "[main()] Create Core Engine...\n"
                            "\n[Reader()] Error : \"first line\nsecond line\"\n"
                            "At 10:00:00, See : \"model3ds\" at line 30\n\n"
                            "[ModelScene::Destructor()] ModelScene 'x' Destroyed\n"
                            "\n[Load()] Warning : \"Long names\"\n"
                            "At 10:00:01, See : \"model3ds\" at line 90\n\n"
                            "[main()] EOF\n";
    EXPECT_EQ("[Reader()] Error : \"first line\nsecond line\"\n"
              "At 10:00:00, See : \"model3ds\" at line 30\n"
              "[Load()] Warning : \"Long names\"\n"
              "At 10:00:01, See : \"model3ds\" at line 90\n",
              FailureRecords(log));
    EXPECT_EQ("", FailureRecords("[main()] Create Core Engine...\n"));
}

TEST(ViewerMessages, AnimationRangeListsTheConfigurationsAnimations)
{
    WriteFile("animated.cfg", "# a comment\npath=parts/\nanimation=idle.caf\n  animation = moves/walk.caf  \r\n"
                              "mesh=body.cmf\nanimation=jump\n");
    std::vector<std::string> names = AnimationNames("animated.cfg");
    EXPECT_EQ((std::vector<std::string>{"idle", "walk", "jump"}), names);
    EXPECT_EQ("--anim 3: m.cfg has 3 animations, 0 to 2 (0 idle, 1 walk, 2 jump)",
              AnimationRangeProblem("m.cfg", 3, 3, names));
    EXPECT_EQ("--anim 5: m.cfg has 4 animations, 0 to 3", AnimationRangeProblem("m.cfg", 5, 4, names))
        << "names that do not match the model are left out";
    EXPECT_EQ("--anim 0: m.cfg has no animation", AnimationRangeProblem("m.cfg", 0, 0, {}));
    EXPECT_TRUE(AnimationNames("missing.cfg").empty());
}

TEST(ViewerOutput, HeldOutputIsReturnedAndStandardOutputComesBack)
{
    HeldOutput held;
    ASSERT_TRUE(held.Hold());
    EXPECT_TRUE(held.IsHolding());
    printf("[main()] Create Core Engine...\n");
    fputs("second\n", stdout);
    EXPECT_EQ("[main()] Create Core Engine...\nsecond\n", held.Release());
    EXPECT_FALSE(held.IsHolding());
    EXPECT_EQ("", held.Release());
    // Back on the real output: a second hold starts empty.
    ASSERT_TRUE(held.Hold());
    EXPECT_EQ("", held.Release());
}
