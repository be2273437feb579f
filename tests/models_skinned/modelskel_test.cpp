// Creating, cloning and releasing skinned models through the core, their
// bind pose, and the shadow of an animated model in a headless frame.
#include "skel_model_support.h"

namespace {

using SkelModel = SkelModelTest;

TEST_F(SkelModel, ReportsItsCreationAndTheSmallSlots)
{
    EXPECT_STREQ("ModelSkel", model->GetType().Chars());
    EXPECT_TRUE(model->IsModel());
    EXPECT_EQ(S_FALSE, model->SendCommand(1, 2));
    EngineString type, command;
    ASSERT_EQ(S_OK, model->GetCreationParams(&type, &command));
    EXPECT_STREQ("cal3d", type.Chars());
    EXPECT_STREQ("model.cfg", command.Chars());
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetCreationParams(nullptr, &command));

    logMark.Reset();
    EXPECT_EQ(E_FAIL, model->GetShadowInfos(nullptr));
    EXPECT_EQ("", NewLog());
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetMatrix(nullptr));

    // The base matrix stands the z-up data upright: z becomes y.
    D3DXMATRIX world;
    ASSERT_EQ(S_OK, model->GetMatrix(&world));
    D3DXVECTOR4 up;
    D3DXVECTOR4 z(0, 0, 1, 1);
    D3DXVec4Transform(&up, &z, &world);
    EXPECT_NEAR(1.0f, up.y, 1e-5f);
    EXPECT_NEAR(0.0f, up.x, 1e-5f);
    EXPECT_NEAR(0.0f, up.z, 1e-5f);
}

TEST_F(SkelModel, WithNoAnimationTheMeshKeepsItsBindPoseInsideItsBox)
{
    ASSERT_EQ(S_OK, model->Update(0.02f));
    const float bind[5][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}, {0, 1, 0}};
    for (uint32_t v = 0; v < 5; ++v)
        EXPECT_THAT(Skinned(v), Near(bind[v][0], bind[v][1], bind[v][2])) << v;
    D3DXVECTOR3 minimum, maximum;
    ASSERT_EQ(S_OK, model->GetBoundingBox(&minimum, &maximum));
    EXPECT_THAT(minimum, Near(0, 0, 0));
    EXPECT_THAT(maximum, Near(2, 1, 0));

    // A null corner is a refused call: the other corner is left alone.
    logMark.Reset();
    D3DXVECTOR3 kept(7, 7, 7);
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetBoundingBox(&kept, nullptr));
    EXPECT_EQ(QLE_SUBFUNCTION, model->GetBoundingBox(nullptr, &kept));
    EXPECT_THAT(kept, Near(7, 7, 7));
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("ModelSkel::GetBoundingBox()", E_INVALIDARG, "Invalid Call/Param")));
}

TEST_F(SkelModel, AnAnimatedModelsBoxFollowsItsMesh)
{
    ASSERT_EQ(S_OK, model->AddAnimation(1, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    D3DXVECTOR3 minimum, maximum;
    ASSERT_EQ(S_OK, model->GetBoundingBox(&minimum, &maximum));
    EXPECT_THAT(minimum, Near(0, 0, 0));
    EXPECT_THAT(maximum, Near(2, 1, 5));
}

TEST_F(SkelModel, RefusesOtherTypesAndACal3DConfigurationGivenAsMd5)
{
    IGeometry* other = reinterpret_cast<IGeometry*>(&other);
    EXPECT_EQ(QLE_SUBFUNCTION, CreateModelSkel("cal3", "model.cfg", graphics, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_THAT(NewLog(), HasSubstr("Unsupported Type"));
    EXPECT_EQ(QLE_SUBFUNCTION, CreateModelSkel("cal3d", "model.cfg", graphics, nullptr));

    logMark.Reset();
    other = reinterpret_cast<IGeometry*>(&other);
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("md5", "model.cfg", &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_THAT(NewLog(), HasSubstr("md5<model.cfg> : Loading failed"));
}

TEST_F(SkelModel, AFailedLoadLeavesNoModelAndNoReference)
{
    LONG before = graphics->AddRef() - 1;
    graphics->Release();
    IGeometry* other = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("cal3d", "missing.cfg", &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_THAT(NewLog(), HasSubstr("cal3d<missing.cfg> : Loading failed"));
    EXPECT_EQ(before, graphics->AddRef() - 1);
    graphics->Release();
}

TEST_F(SkelModel, AMissingTextureFailsTheLoad)
{
    cal3d::Material textured;
    textured.maps = {"no_such_texture.tga"};
    cal3d::Write("test.crf", textured);
    IGeometry* other = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("cal3d", "model.cfg", &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_THAT(NewLog(), HasSubstr("Texture 'no_such_texture.tga' : loading failed"));
}

TEST_F(SkelModel, ACloneStartsAtTheBindPoseAndOutlivesItsSource)
{
    ASSERT_EQ(S_OK, model->AddAnimation(1, 1.0f));
    ASSERT_EQ(S_OK, model->Update(0.1f));
    ASSERT_THAT(Skinned(4), Near(0, 1, 5));

    IGeometry* geometry = nullptr;
    ASSERT_EQ(S_OK, model->Clone(&geometry));
    IModel* clone = static_cast<IModel*>(geometry);
    EXPECT_FALSE(clone->IsAnimationActive(1));
    D3DXMATRIX sourceWorld, cloneWorld;
    model->GetMatrix(&sourceWorld);
    clone->GetMatrix(&cloneWorld);
    EXPECT_EQ(0, memcmp(&sourceWorld, &cloneWorld, sizeof cloneWorld));
    ASSERT_EQ(S_OK, clone->Update(0.1f));
    EXPECT_THAT(Skinned(clone, 4), Near(0, 1, 0));

    logMark.Reset();
    model->Release();
    model = nullptr;
    EXPECT_THAT(NewLog(), HasSubstr("ModelSkel 'model.cfg' Destroyed"));
    EXPECT_THAT(NewLog(), Not(HasSubstr("ModelSkelMeta")));
    ASSERT_EQ(S_OK, clone->AddAnimation(1, 1.0f));
    ASSERT_EQ(S_OK, clone->Update(0.1f));
    EXPECT_THAT(Skinned(clone, 4), Near(0, 1, 5));
    EXPECT_GT(BoneStateCapacity(), 0u);

    clone->Release();
    EXPECT_THAT(NewLog(), HasSubstr("ModelSkelMeta 'model.cfg' Destroyed"));
    EXPECT_EQ(0u, BoneStateCapacity());
}

TEST_F(SkelModel, AFailingDrawAbortsTheFrameWithTheModelsRecords)
{
    // Far enough back to see the model: one out of view is not drawn.
    const D3DXVECTOR3 eye(0, 0, -50), at(0, 0, 0), up(0, 1, 0);
    ASSERT_EQ(S_OK, graphics->SetCamera(&eye, &at, &up));
    ASSERT_EQ(S_OK, graphics->UpdateAndRender(0.02f));
    QLTest_FailCall("IDirect3DDevice9::DrawIndexedPrimitive", D3DERR_INVALIDCALL);
    EXPECT_EQ(E_FAIL, graphics->UpdateAndRender(0.02f));
    EXPECT_THAT(NewLog(), HasSubstr("ModelSkel::Render()"));
    EXPECT_THAT(NewLog(), HasSubstr("IDirect3DDevice9::DrawIndexedPrimitive() failed"));
    EXPECT_THAT(NewLog(), HasSubstr("Rendering failed"));
    EXPECT_EQ(S_OK, graphics->UpdateAndRender(0.02f));
}

}  // namespace
