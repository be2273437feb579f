// quarlight-view --list and the animation choices: the listing's text from a
// model's data, --anim by number or name, N stepping and its help line.
#include "viewerhelp.h"
#include "viewerlisting.h"
#include "viewermessages.h"

#include "models/scene/modelscene.h"
#include "models/skinned/modelskeldata.h"

#include <gtest/gtest.h>

#include <string.h>

TEST(ViewerListing, SceneModelListsCountsAndMaterialsWithTheirTextures)
{
    ModelSceneMeta* meta = new ModelSceneMeta();
    meta->fileName = "models/scene.obj";
    meta->type = "obj";
    meta->materialCount = 2;
    meta->materials = new SceneMaterial[2]();
    strcpy(meta->materials[0].name, "stone");
    strcpy(meta->materials[0].textureMap, "maps/stone.tga");
    meta->materials[0].indexCount = 6;
    strcpy(meta->materials[1].name, "paint");
    meta->materials[1].indexCount = 12;
    std::string text = ListingText(ListScene(*meta));
    meta->Release();
    EXPECT_EQ("models/scene.obj (obj, scene model)\n"
              "geometry: 6 triangles, 0 vertices\n"
              "materials: 2\n"
              "  0 stone: texture maps/stone.tga\n"
              "  1 paint: no texture\n"
              "skin: none\n"
              "animations: none\n",
              text);
}

TEST(ViewerListing, SkinnedModelListsBonesAndAnimationsWithDurations)
{
    ModelSkelData data;
    data.file = "creature.cfg";
    data.type = "cal3d";
    data.meshCount = 1;
    data.submeshCount = 2;
    ASSERT_TRUE(data.bones.Allocate(3));
    ASSERT_TRUE(data.indices.Allocate(9));
    ASSERT_TRUE(data.vertices.Allocate(1));
    ASSERT_TRUE(data.materials.Allocate(1));
    data.materials[0].hasTexture = true;
    data.materials[0].textureName = "skin.tga";
    ASSERT_TRUE(data.animations.Allocate(2));
    data.animations[0].name = "idle.caf";
    data.animations[0].duration = 3.0f;
    data.animations[1].name = "walk.caf";
    data.animations[1].duration = 1.25f;
    EXPECT_EQ("creature.cfg (cal3d, skinned model)\n"
              "geometry: 1 mesh (2 submeshes), 3 triangles, 1 vertex\n"
              "materials: 1\n"
              "  0 (unnamed): texture skin.tga\n"
              "skin: 3 bones\n"
              "animations: 2\n"
              "  0 idle.caf: 3.00 s\n"
              "  1 walk.caf: 1.25 s\n",
              ListingText(ListSkinned(data)));
}

TEST(ViewerAnimations, ChosenByNumberByNameOrByFileNameAndRefusedWithTheChoices)
{
    const std::vector<std::string> names = {"idle.caf", "moves/walk.caf", "walk"};
    ViewerOptions options;
    uint32_t index = 99;
    std::string problem;
    options.animation = 1;
    ASSERT_TRUE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ(1u, index);
    options.animationName = "walk";
    ASSERT_TRUE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ(2u, index) << "the model's own name before a file's name";
    options.animationName = "idle";
    ASSERT_TRUE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ(0u, index);
    options.animationName = "moves/walk.caf";
    ASSERT_TRUE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ(1u, index);

    options.animationName = "run";
    EXPECT_FALSE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ("--anim run: m.cfg has no animation of that name; its animations: 0 idle.caf, 1 moves/walk.caf, 2 walk",
              problem);
    options.animationName.clear();
    options.animation = 3;
    EXPECT_FALSE(ChooseAnimation("m.cfg", options, names, index, problem));
    EXPECT_EQ("--anim 3: m.cfg has 3 animations, 0 to 2 (0 idle.caf, 1 moves/walk.caf, 2 walk)", problem);
}

TEST(ViewerAnimations, NStepsRoundAndTheHelpSaysWhichPlays)
{
    EXPECT_EQ(0u, NextAnimation(false, 5, 3)) << "the first when none plays";
    EXPECT_EQ(2u, NextAnimation(true, 1, 3));
    EXPECT_EQ(0u, NextAnimation(true, 2, 3)) << "round to the first";
    const std::vector<std::string> names = {"idle", "walk"};
    EXPECT_EQ("'N' for the next animation (now 1 walk)", AnimationHelp(names, true, 1));
    EXPECT_EQ("'N' for the next animation (none playing)", AnimationHelp(names, false, 0));
    EXPECT_EQ("", AnimationHelp({}, false, 0));
    std::string help = ViewerHelp(true, true, AnimationHelp(names, true, 0));
    EXPECT_NE(std::string::npos, help.find("'F' to frame the model again")) << help;
    EXPECT_NE(std::string::npos, help.find("\n'N' for the next animation (now 0 idle)")) << help;
}
