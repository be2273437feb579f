// The viewer's command line: what runs, what asks for help, and each bad
// argument refused with a message that names it.
#include "vieweroptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ParseOutcome Parse(std::vector<const char*> arguments, ViewerOptions& options, std::string& error)
{
    arguments.insert(arguments.begin(), "quarlight-view");
    return ParseViewerOptions((int)arguments.size(), arguments.data(), options, error);
}

}  // namespace

TEST(ViewerOptions, ReadsEveryOptionAroundTheFile)
{
    ViewerOptions options;
    std::string error;
    ASSERT_EQ(ParseOutcome::Run, Parse({"--size", "1024x768", "models/Crate.CFG", "--y-up", "--anim", "3", "--frames",
                                        "40", "--screenshot", "out.png"},
                                       options, error))
        << error;
    EXPECT_EQ("models/Crate.CFG", options.file);
    EXPECT_EQ(ModelKind::Cal3d, options.kind);
    EXPECT_TRUE(options.yUp);
    EXPECT_TRUE(options.animate);
    EXPECT_EQ(3u, options.animation);
    EXPECT_EQ(1024u, options.width);
    EXPECT_EQ(768u, options.height);
    EXPECT_EQ(40u, options.frames);
    EXPECT_EQ("out.png", options.screenshot);

    ASSERT_EQ(ParseOutcome::Run, Parse({"/abs/park.3ds"}, options, error));
    EXPECT_EQ(ModelKind::Scene3ds, options.kind);
    EXPECT_FALSE(options.animate);
    EXPECT_EQ(800u, options.width);
    EXPECT_EQ(0u, options.frames);
    EXPECT_TRUE(options.screenshot.empty());
    EXPECT_EQ(1u, options.lights);
    ASSERT_EQ(ParseOutcome::Run, Parse({"park.3ds", "--lights", "4"}, options, error));
    EXPECT_EQ(4u, options.lights);

    ASSERT_EQ(ParseOutcome::Run, Parse({"creature.cfg", "--anim", "0"}, options, error));
    EXPECT_TRUE(options.animate) << "animation 0 is an animation";
}

TEST(ViewerOptions, HelpWinsOverEverythingElse)
{
    ViewerOptions options;
    std::string error;
    EXPECT_EQ(ParseOutcome::Help, Parse({"--help"}, options, error));
    EXPECT_EQ(ParseOutcome::Help, Parse({"--bogus", "-h"}, options, error)) << "even after a bad option";
    EXPECT_NE(std::string::npos, std::string(ViewerUsage()).find("F12"));
}

TEST(ViewerOptions, BadArgumentsAreRefusedWithTheirName)
{
    struct Case {
        std::vector<const char*> arguments;
        const char* named;  // in the message
    };
    const Case cases[] = {
        {{}, "no model file"},
        {{"a.3ds", "b.3ds"}, "b.3ds"},
        {{"model.stl"}, "model.stl"},
        {{"model.obj", "--anim", "0"}, "animated models"},
        {{"model.gltf", "--y-up"}, "MD5"},
        {{"m.cfg", "--anim", "--list"}, "--anim"},
        {{"park.3ds", "--anim", "1"}, "Cal3D"},
        {{"park.3ds", "--y-up"}, "Cal3D"},
        {{"m.cfg", "--anim"}, "--anim"},
        {{"m.cfg", "--anim", "-1"}, "--anim"},
        {{"m.cfg", "--anim", "2x"}, "--anim"},
        {{"m.3ds", "--size", "800"}, "--size"},
        {{"m.3ds", "--size", "0x600"}, "--size"},
        {{"m.3ds", "--size", "800x"}, "--size"},
        {{"m.3ds", "--size", "10x600"}, "--size"},
        {{"m.3ds", "--size", "99999x600"}, "--size"},
        {{"m.3ds", "--frames", "0"}, "--frames"},
        {{"m.3ds", "--lights", "0"}, "--lights"},
        {{"m.3ds", "--lights", "5"}, "--lights"},
        {{"m.3ds", "--lights"}, "--lights"},
        {{"m.3ds", "--frames", "99999999999999999999"}, "--frames"},
        {{"m.3ds", "--screenshot"}, "--screenshot"},
        {{"m.3ds", "--fast"}, "--fast"},
    };
    for (const Case& c : cases) {
        ViewerOptions options;
        std::string error;
        std::string line;
        for (const char* argument : c.arguments)
            line += std::string(argument) + " ";
        SCOPED_TRACE(line);
        EXPECT_EQ(ParseOutcome::Bad, Parse(c.arguments, options, error));
        EXPECT_NE(std::string::npos, error.find(c.named)) << error;
    }
}

TEST(ViewerOptions, SizeTakesEachLimitAndRefusesOnePast)
{
    struct Case {
        const char* size;
        bool taken;
    };
    const Case cases[] = {
        {"64x64", true},     {"8192x8192", true}, {"64x8192", true},   {"8192x64", true},
        {"63x600", false},   {"800x63", false},   {"8193x600", false}, {"800x8193", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        ViewerOptions options;
        std::string error;
        ParseOutcome outcome = Parse({"m.3ds", "--size", c.size}, options, error);
        if (!c.taken) {
            EXPECT_EQ(ParseOutcome::Bad, outcome);
            EXPECT_NE(std::string::npos, error.find("--size")) << error;
            continue;
        }
        ASSERT_EQ(ParseOutcome::Run, outcome) << error;
        EXPECT_EQ(c.size, std::to_string(options.width) + "x" + std::to_string(options.height));
    }
}

TEST(ViewerOptions, EachFormatGoesToItsEngineTypeByExtension)
{
    struct Case {
        const char* file;
        ModelKind kind;
        const char* type;
    };
    const Case cases[] = {
        {"a/park.3DS", ModelKind::Scene3ds, "3ds"}, {"scene.obj", ModelKind::Obj, "obj"},
        {"box.gltf", ModelKind::Gltf, "gltf"},      {"box.GLB", ModelKind::Gltf, "gltf"},
        {"hero.md5mesh", ModelKind::Md5, "md5"},    {"creature.cfg", ModelKind::Cal3d, "cal3d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ViewerOptions options;
        std::string error;
        ASSERT_EQ(ParseOutcome::Run, Parse({c.file}, options, error)) << error;
        EXPECT_EQ(c.kind, options.kind);
        EXPECT_STREQ(c.type, CoreType(options.kind));
    }
    ViewerOptions options;
    std::string error;
    EXPECT_EQ(ParseOutcome::Bad, Parse({"hero.md5anim"}, options, error)) << "the mesh file is the model";
}

TEST(ViewerOptions, AnimationByNumberOrNameAndListing)
{
    ViewerOptions options;
    std::string error;
    ASSERT_EQ(ParseOutcome::Run, Parse({"hero.md5mesh", "--anim", "walk", "--list"}, options, error)) << error;
    EXPECT_TRUE(options.animate);
    EXPECT_EQ("walk", options.animationName);
    EXPECT_TRUE(options.list);
    ASSERT_EQ(ParseOutcome::Run, Parse({"hero.glb", "--anim", "12"}, options, error)) << error;
    EXPECT_EQ(12u, options.animation);
    EXPECT_TRUE(options.animationName.empty()) << "a number is no name";
    EXPECT_FALSE(options.list);
    ASSERT_EQ(ParseOutcome::Run, Parse({"scene.obj", "--list"}, options, error)) << error;
    EXPECT_TRUE(options.list) << "a model without animations lists too";
}
