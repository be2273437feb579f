// How a skinned model plays, blends, samples and retires its animations,
// observed through the skinned vertex positions the shadow pass reads.
#include "skel_model_support.h"

#include <limits>

namespace {

using Animations = SkelModelTest;

TEST_F(Animations, RefusesBadArgumentsAndChangesNothing)
{
    struct Case {
        uint32_t animation;
        float weight;
        const char* record;
    } cases[] = {{5, 1.0f, "Too big id of Anim"},
                 {0xFFFFFFFFu, 1.0f, "Too big id of Anim"},
                 {0, 0.0f, "Null or Negative Weight"},
                 {0, -1.0f, "Null or Negative Weight"},
                 // Not finite: blended with another animation, either would
                 // turn every shared bone's weight into NaN.
                 {0, std::numeric_limits<float>::infinity(), "Null or Negative Weight"},
                 {0, std::numeric_limits<float>::quiet_NaN(), "Null or Negative Weight"}};
    for (const Case& c : cases) {
        logMark.Reset();
        EXPECT_EQ(QLE_SUBFUNCTION, model->AddAnimation(c.animation, c.weight)) << c.record << ", weight " << c.weight;
        EXPECT_THAT(NewLog(), HasSubstr(c.record));
        EXPECT_THAT(NewLog(), HasSubstr("ModelSkel::AddAnimation()"));
    }
    EXPECT_FALSE(model->IsAnimationActive(0));
    EXPECT_FALSE(model->IsAnimationActive(5));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    EXPECT_THAT(Skinned(1), Near(1, 0, 0));
}

TEST_F(Animations, SamplesBeforeOnBetweenAndAfterTheKeys)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    EXPECT_TRUE(model->IsAnimationActive(0));
    struct Step {
        float dt;
        float y;  // bone 1's height at the time reached
    } steps[] = {{0.25f, 0}, {0.25f, 0}, {0.5f, 2}, {0.25f, 3}, {0.5f, 4}};
    float time = 0;
    for (const Step& step : steps) {
        time += step.dt;
        ASSERT_EQ(S_OK, model->Update(step.dt));
        EXPECT_THAT(Skinned(1), Near(1, step.y, 1)) << "t=" << time;
        // Vertex 3 is half root, half arm.
        EXPECT_THAT(Skinned(3), Near(2, step.y / 2, 0.5f)) << "t=" << time;
        EXPECT_THAT(Skinned(0), Near(0, 0, 0));
    }
}

// Two animations weighted one to three, also where the weights' sum passes
// the float range: they still blend by their ratio.
class BlendWeights : public Animations, public ::testing::WithParamInterface<float> {};

TEST_P(BlendWeights, OneToThreeBlendAsAQuarterAndThreeQuarters)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, GetParam()));
    ASSERT_EQ(S_OK, model->AddAnimation(1, 3 * GetParam()));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    // Bone 1: (1,0,1) at a quarter, (1,0,4) at three quarters.
    EXPECT_THAT(Skinned(1), Near(1, 0, 3.25f));
    // Bone 2 is touched by the second animation only: its sample, unscaled.
    EXPECT_THAT(Skinned(4), Near(0, 1, 5));
}

INSTANTIATE_TEST_SUITE_P(OneAndPastTheFloatRange, BlendWeights, ::testing::Values(1.0f, 1e38f));

TEST_F(Animations, ASecondStartQueuesOneContinuationAndAThirdChangesNothing)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, model->AddAnimation(1, 3.0f));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, model->Update(0.5f));
    EXPECT_EQ(S_FALSE, model->AddAnimation(0, 3.0f));
    EXPECT_EQ(S_FALSE, model->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.5f));
    // Restarted at t = 0 (the first key) with the first request's weight 3:
    // now an even blend with the other animation.
    EXPECT_TRUE(model->IsAnimationActive(0));
    EXPECT_THAT(Skinned(1), Near(1, 0, 2.5f));
    ASSERT_EQ(S_OK, model->Update(0.75f));
    EXPECT_THAT(Skinned(1), Near(1, 0.5f, 2.5f));
}

TEST_F(Animations, AnAnimationNotAskedForAgainEndsWithItsCycle)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(S_OK, model->Update(0.5f));
        EXPECT_TRUE(model->IsAnimationActive(0)) << i;
    }
    ASSERT_EQ(S_OK, model->Update(0.5f));
    EXPECT_FALSE(model->IsAnimationActive(0));
    EXPECT_THAT(Skinned(1), Near(1, 0, 0));  // back to the bind pose
    // Requests live for one update: one made while nothing plays starts anew.
    EXPECT_EQ(S_OK, model->AddAnimation(0, 1.0f));
}

TEST_F(Animations, ARequestMadeEarlierThanTheLastFrameDoesNotRenew)
{
    ASSERT_EQ(S_OK, model->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.5f));
    EXPECT_EQ(S_FALSE, model->AddAnimation(0, 1.0f));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(S_OK, model->Update(0.5f));
    EXPECT_FALSE(model->IsAnimationActive(0));
}

TEST_F(Animations, RotationsTurnTheBoneAndEverythingBelowIt)
{
    // A quarter turn of the arm about z moves its vertex at (1,1,0) to (2,0,0).
    ASSERT_EQ(S_OK, model->AddAnimation(2, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    EXPECT_THAT(Skinned(2), Near(2, 0, 0));
    EXPECT_THAT(Skinned(1), Near(1, 0, 0));

    // The same turn of the root carries its children along.
    ASSERT_EQ(S_OK, model->Update(1.0f));
    ASSERT_EQ(S_OK, model->AddAnimation(3, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    EXPECT_THAT(Skinned(1), Near(0, -1, 0));
    EXPECT_THAT(Skinned(2), Near(1, -1, 0));
    EXPECT_THAT(Skinned(4), Near(1, 0, 0));
}

TEST_F(Animations, ATrackWithoutKeysIsSkipped)
{
    ASSERT_EQ(S_OK, model->AddAnimation(4, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.5f));
    EXPECT_THAT(Skinned(1), Near(1, 0, 0));
    EXPECT_THAT(Skinned(2), Near(1, 1, 0));
}

TEST_F(Animations, AFailingLockAbortsTheUpdate)
{
    QLTest_FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL);
    EXPECT_EQ(QLE_SUBFUNCTION, model->Update(0.1f));
    EXPECT_THAT(NewLog(), HasSubstr("ModelSkel::Update()"));
    EXPECT_EQ(S_OK, model->Update(0.1f));
}

// The deepest hierarchy the files allow: 65 535 bones in one chain, each one
// unit along x from its parent. Turning the root carries the last bone.
TEST_F(Animations, ALongestChainOfBonesIsComposedWithoutRecursion)
{
    const int32_t count = 0xFFFF;
    cal3d::Skeleton chain;
    chain.bones.resize(count);
    for (int32_t b = 0; b < count; ++b) {
        chain.bones[b].parent = b - 1;
        if (b + 1 < count)
            chain.bones[b].children = {b + 1};
        chain.bones[b].translation = {b ? 1.0f : 0.0f, 0, 0};
        chain.bones[b].boneSpaceTranslation = {-(float)b, 0, 0};
    }
    ASSERT_TRUE(cal3d::Write("chain.csf", chain));
    cal3d::Quat turn{0, 0, skeltest::kQuarter, skeltest::kQuarter};
    cal3d::Write("chain.caf", skeltest::Anim(1, {skeltest::Track(0, {skeltest::Key(0, 0, 0, 0, turn)})}));
    cal3d::Mesh mesh;
    mesh.submeshes.resize(1);
    const float end = count - 1;
    mesh.submeshes[0].vertices = {skeltest::Vertex(0, 0, 0, {{0, 1}}), skeltest::Vertex(end, 0, 0, {{count - 1, 1}}),
                                  skeltest::Vertex(end, 1, 0, {{count - 1, 1}})};
    mesh.submeshes[0].indices = {0, 1, 2};
    cal3d::Write("chain.cmf", mesh);
    IModel* chained = LoadConfig("chain.cfg", {{"skeleton", "chain.csf"}, {"animation", "chain.caf"},
                                               {"mesh", "chain.cmf"}, {"material", "test.crf"}});
    ASSERT_NE(nullptr, chained);
    EXPECT_GE(BoneStateCapacity(), (uint32_t)count);
    ASSERT_EQ(S_OK, chained->Update(0));
    EXPECT_NEAR(end, Skinned(chained, 1).x, 0.5f);
    ASSERT_EQ(S_OK, chained->AddAnimation(0, 1.0f));
    ASSERT_EQ(S_OK, chained->Update(0.1f));
    D3DXVECTOR3 last = Skinned(chained, 1);
    EXPECT_NEAR(0.0f, last.x, 0.5f);
    EXPECT_NEAR(-end, last.y, 0.5f);
    chained->Release();
}

}  // namespace
