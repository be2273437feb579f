#include "cal3d_test_support.h"

#include <string.h>

namespace {

class SkeletonReader : public Cal3DTest {
protected:
    HRESULT Load(const std::string& name) { return LoadCal3DSkeleton(name.c_str(), &bones); }
    EngineArray<Bone> bones;
};

TEST_F(SkeletonReader, ReadsEveryBoneField)
{
    cal3d::Skeleton skeleton = TwoBones();
    skeleton.bones[1].rotation = Q(0.5f, 0.5f, 0.5f, 0.5f);
    skeleton.bones[1].boneSpaceTranslation = {-1, -2, -3};
    skeleton.bones[1].boneSpaceRotation = Q(0, 0, 1, 0);
    ASSERT_EQ(S_OK, Load(Put("two.csf", skeleton)));
    ASSERT_EQ(2u, bones.Count());
    EXPECT_EQ(-1, bones[0].parent);
    ASSERT_EQ(1u, bones[0].children.Count());
    EXPECT_EQ(1, bones[0].children[0]);
    const Bone& arm = bones[1];
    EXPECT_EQ(0, arm.parent);
    EXPECT_EQ(0u, arm.children.Count());
    EXPECT_EQ(3.0f, arm.translation.z);
    EXPECT_EQ(0.5f, arm.rotation.w);
    EXPECT_EQ(-2.0f, arm.boneSpaceTranslation.y);
    EXPECT_EQ(1.0f, arm.boneSpaceRotation.z);
    EXPECT_EQ(0.0f, arm.boneSpaceRotation.w);
    EXPECT_THAT(Log(), Not(HasSubstr("Warning")));
}

TEST_F(SkeletonReader, VersionsOutsideTheRangeLoadWithAWarning)
{
    struct Case {
        int32_t version;
        bool warns;
    } cases[] = {{699, true}, {700, false}, {799, false}, {800, true}, {1100, true}};
    for (const Case& c : cases) {
        cal3d::Skeleton skeleton = TwoBones();
        skeleton.version = c.version;
        ForgetLog();
        EXPECT_EQ(S_OK, Load(Put("v.csf", skeleton))) << c.version;
        EXPECT_EQ(2u, bones.Count());
        std::string warning = "v.csf : FileVersion=" + std::to_string(c.version) +
                              ", not in [700,799]; try to load";
        EXPECT_EQ(c.warns, Log().find(warning) != std::string::npos) << c.version;
    }
}

TEST_F(SkeletonReader, RefusesAForeignMagicToken)
{
    for (const char* magic : {"CAF", "CSX", "CSF1"}) {
        std::vector<uint8_t> bytes = cal3d::Encode(TwoBones());
        memcpy(bytes.data(), magic, 4);
        ForgetLog();
        EXPECT_EQ(E_FAIL, Load(PutBytes("m.csf", bytes))) << magic;
        EXPECT_THAT(Log(), HasSubstr("m.csf : Invalid File Format ('Invalid Magic Token')"));
        EXPECT_THAT(Log(), HasSubstr("See : \"modelcal3d\""));
    }
}

TEST_F(SkeletonReader, AcceptsAtMost65535Bones)
{
    cal3d::Skeleton skeleton;
    skeleton.bones.resize(65535);
    EXPECT_EQ(S_OK, Load(Put("max.csf", skeleton)));
    EXPECT_EQ(65535u, bones.Count());

    skeleton.bones.resize(65536);
    EXPECT_EQ(E_FAIL, Load(Put("over.csf", skeleton)));
    EXPECT_THAT(Log(), HasSubstr("over.csf : Number of bones = 65536"));
}

TEST_F(SkeletonReader, LongBoneNamesWarnAndAreSkipped)
{
    for (size_t length : {256u, 257u}) {
        cal3d::Skeleton skeleton = TwoBones();
        skeleton.bones[0].name.assign(length, 'n');
        ForgetLog();
        ASSERT_EQ(S_OK, Load(Put("name.csf", skeleton)));
        EXPECT_EQ(length > 256, Log().find("Too long bone name") != std::string::npos);
        EXPECT_EQ(1, bones[0].children[0]);
        EXPECT_EQ(2.0f, bones[1].translation.y);
    }
}

TEST_F(SkeletonReader, RefusesIndicesThatDoNotFormATree)
{
    struct Case {
        const char* what;
        int32_t rootChild;
        int32_t armParent;
        const char* record;
    } cases[] = {
        {"child equal to the count", 2, 0, "Too big (or negative) child ID"},
        {"negative child", -1, 0, "Too big (or negative) child ID"},
        {"parent equal to the count", 1, 2, "Too big (or negative) parent ID"},
        {"negative parent other than -1", 1, -2, "Too big (or negative) parent ID"},
        {"child with another parent", 1, 1, "Child ID whose parent is another bone"},
        {"root listed as a child", 0, 0, "Child ID whose parent is another bone"},
    };
    for (const Case& c : cases) {
        cal3d::Skeleton skeleton = TwoBones();
        skeleton.bones[0].children = {c.rootChild};
        skeleton.bones[1].parent = c.armParent;
        ForgetLog();
        EXPECT_EQ(QLE_SUBFUNCTION, Load(Put("bad.csf", skeleton))) << c.what;
        EXPECT_THAT(Log(), HasSubstr(c.record)) << c.what;
    }

    cal3d::Skeleton twice = TwoBones();
    twice.bones[0].children = {1, 1};
    EXPECT_EQ(QLE_SUBFUNCTION, Load(Put("twice.csf", twice)));
    EXPECT_THAT(Log(), HasSubstr("Child ID listed twice"));
}

TEST_F(SkeletonReader, RefusesBonesNoRootReachesAndNamesThem)
{
    cal3d::Skeleton unlisted = TwoBones();
    unlisted.bones.push_back(unlisted.bones[1]);
    unlisted.bones[2].parent = 1;  // the arm does not list it
    EXPECT_EQ(QLE_SUBFUNCTION, Load(Put("unlisted.csf", unlisted)));
    EXPECT_THAT(Log(), HasSubstr("unlisted.csf : Bone 2 (parent 1) is reached from no root bone"));

    cal3d::Skeleton cycle = TwoBones();
    cycle.bones.push_back(cycle.bones[1]);
    cycle.bones.push_back(cycle.bones[1]);
    cycle.bones[2].parent = 3;
    cycle.bones[2].children = {3};
    cycle.bones[3].parent = 2;
    cycle.bones[3].children = {2};
    ForgetLog();
    EXPECT_EQ(QLE_SUBFUNCTION, Load(Put("cycle.csf", cycle)));
    EXPECT_THAT(Log(), HasSubstr("cycle.csf : Bone 2 (parent 3) is reached from no root bone"));

    // Two roots, each with its own limb, are one skeleton.
    cal3d::Skeleton twoRoots = TwoBones();
    twoRoots.bones.push_back(twoRoots.bones[0]);
    twoRoots.bones.push_back(twoRoots.bones[1]);
    twoRoots.bones[2].children = {3};
    twoRoots.bones[3].parent = 2;
    EXPECT_EQ(S_OK, Load(Put("roots.csf", twoRoots)));
}

TEST_F(SkeletonReader, ShortFilesFailWithoutReadingPastTheEnd)
{
    ExpectEveryCutFails(cal3d::Encode(TwoBones()), "cut.csf",
                        [this](const std::string& name) { return Load(name); });
}

TEST_F(SkeletonReader, CountsLargerThanTheFileAreShortFiles)
{
    cal3d::Skeleton skeleton = TwoBones();
    std::vector<uint8_t> bytes = cal3d::Encode(skeleton);
    // The root's child count, just before its one child index.
    size_t childCount = 12 + 4 + 4 + 12 + 16 + 12 + 16 + 4;
    uint32_t huge = 0x40000000;
    memcpy(&bytes[childCount], &huge, 4);
    EXPECT_EQ(QLE_SUBFUNCTION, Load(PutBytes("huge.csf", bytes)));
    EXPECT_THAT(Log(), HasSubstr("Unexpected End Of File"));
}

TEST_F(SkeletonReader, MissingFileAndNullArgument)
{
    EXPECT_EQ(QLE_SUBFUNCTION, Load("absent.csf"));
    EXPECT_THAT(Log(), HasSubstr("File 'absent.csf' not found"));
    EXPECT_EQ(QLE_SUBFUNCTION, LoadCal3DSkeleton("absent.csf", nullptr));
    EXPECT_THAT(Log(), HasSubstr("Invalid Call/Param"));
}

}  // namespace
