// The generated demo creature in data/: it loads through the core with its
// textured material, respects the influence limit, and every animation
// moves it visibly and loops without a jump.
#include "skel_model_support.h"

#include "support/source_data.h"

#include <stdlib.h>
#include <unistd.h>

namespace {

class DemoCreature : public SkelModelTest {
protected:
    void SetUp() override
    {
        // The configuration names its files under ./data/, as the sample does.
        ASSERT_NO_FATAL_FAILURE(LinkSourceData());
        SkelModelTest::SetUp();
        IGeometry* geometry = nullptr;
        ASSERT_EQ(S_OK, core->CreateObject("cal3d", "./data/creature.cfg", &geometry));
        creature = static_cast<IModel*>(geometry);
        meta = static_cast<ModelSkel*>(creature)->Meta();
    }

    void TearDown() override
    {
        if (creature)
            creature->Release();
        SkelModelTest::TearDown();
        unlink("data");
    }

    std::vector<D3DXVECTOR3> Pose()
    {
        ShadowInfos infos{};
        creature->GetShadowInfos(&infos);
        return std::vector<D3DXVECTOR3>(infos.vertices->Positions(),
                                        infos.vertices->Positions() + infos.vertices->GetCount());
    }

    static float Farthest(const std::vector<D3DXVECTOR3>& a, const std::vector<D3DXVECTOR3>& b)
    {
        float farthest = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            D3DXVECTOR3 d = a[i] - b[i];
            farthest = std::max(farthest, D3DXVec3Length(&d));
        }
        return farthest;
    }

    IModel* creature = nullptr;
    const ModelSkelMeta* meta = nullptr;
};

TEST_F(DemoCreature, IsAFigureOfAFewThousandVerticesOnTwentyToFortyBones)
{
    const ModelSkelData& data = meta->data;
    EXPECT_GE(data.bones.Count(), 20u);
    EXPECT_LE(data.bones.Count(), 40u);
    EXPECT_GE(data.vertices.Count(), 2000u);
    EXPECT_LE(data.vertices.Count(), 10000u);
    EXPECT_GE(data.animations.Count(), 7u);
    ASSERT_EQ(2u, data.materials.Count());
    EXPECT_NE(nullptr, meta->textures[0]);
    EXPECT_EQ(nullptr, meta->textures[1]);
    uint32_t most = 0;
    for (uint32_t v = 0; v < data.vertices.Count(); ++v) {
        const SkinVertex& vertex = data.vertices[v];
        most = std::max(most, vertex.influenceCount);
        float sum = 0;
        for (uint32_t i = 0; i < vertex.influenceCount; ++i)
            sum += data.influences[vertex.firstInfluence + i].weight;
        EXPECT_NEAR(1.0f, sum, 1e-4f) << v;
    }
    EXPECT_EQ(4u, most);

    // Standing upright in the engine's y-up frame, about a metre tall.
    ASSERT_EQ(S_OK, creature->Update(0));
    D3DXVECTOR3 minimum, maximum, bottom, top;
    creature->GetBoundingBox(&minimum, &maximum);
    D3DXMATRIX world;
    creature->GetMatrix(&world);
    D3DXVec3TransformCoord(&bottom, &minimum, &world);
    D3DXVec3TransformCoord(&top, &maximum, &world);
    EXPECT_GT(std::fabs(top.y - bottom.y), 100.0f);
    EXPECT_LT(std::fabs(top.x - bottom.x), std::fabs(top.y - bottom.y));
}

TEST_F(DemoCreature, EveryAnimationMovesAndLoops)
{
    for (uint32_t a = 0; a < meta->data.animations.Count(); ++a) {
        float duration = meta->data.animations[a].duration;
        ASSERT_EQ(S_OK, creature->AddAnimation(a, 1.0f));
        ASSERT_EQ(S_OK, creature->Update(0));
        std::vector<D3DXVECTOR3> start = Pose();
        float moved = 0;
        for (int step = 1; step < 8; ++step) {
            ASSERT_EQ(S_OK, creature->Update(duration / 8));
            moved = std::max(moved, Farthest(start, Pose()));
        }
        EXPECT_GT(moved, 5.0f) << "animation " << a;
        ASSERT_EQ(S_OK, creature->Update(duration / 8 - 1e-4f));
        EXPECT_LT(Farthest(start, Pose()), 0.5f) << "animation " << a;
        ASSERT_EQ(S_OK, creature->Update(1e-3f));
        EXPECT_FALSE(creature->IsAnimationActive(a));
    }
}

}  // namespace
