// What each light adds in the stencil-shadow layout, and the device lights
// the standard layout finds once shadows are off.
#include "scene_fixture.h"

namespace {

using LightsTest = SceneTest;

D3DLIGHT9 AmbientOnlyLight(const D3DXVECTOR3& position, float ambient)
{
    D3DLIGHT9 light = PointLight(position, 0.0f);
    light.Ambient = D3DCOLORVALUE{ambient, ambient, ambient, 1.0f};
    return light;
}

}  // namespace

// The ambient pass adds every light's ambient term; a lit pass adds only its
// light's diffuse and specular terms, so a light without them adds nothing.
TEST_F(LightsTest, LitPassAddsNoAmbientTerm)
{
    AddPlane();
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    D3DLIGHT9 light = AmbientOnlyLight(D3DXVECTOR3(0, 30, 0), 0.3f);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &light));
    AmbientOnly = true;
    Picture ambientPass = Frame();
    AmbientOnly = false;
    Picture whole = Frame();
    D3DXVECTOR2 middle = Project(D3DXVECTOR3(10, 0, 10), whole.width, whole.height);
    EXPECT_GT(Channel(PixelAt(ambientPass, middle), 8), Channel(kAmbient, 8) + 40) << "the light's ambient shows";
    EXPECT_EQ(PixelAt(ambientPass, middle), PixelAt(whole, middle));
    EXPECT_TRUE(ambientPass.pixels == whole.pixels);
}

// A shadow frame that ends in its ambient pass leaves every light's ambient
// copy enabled on the device; switching shadows off turns them all off.
TEST_F(LightsTest, ShadowsOffTurnsOffEveryDeviceLight)
{
    AddPlane();
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(true));
    D3DLIGHT9 first = PointLight(D3DXVECTOR3(-20, 30, 0), 0.4f);
    D3DLIGHT9 second = AmbientOnlyLight(D3DXVECTOR3(20, 30, 0), 0.5f);
    ASSERT_EQ(S_OK, graphics->SetLight(0, true, &first));
    ASSERT_EQ(S_OK, graphics->SetLight(5, true, &second));
    QLTest_FailCall("IDirect3DDevice9::DrawIndexedPrimitive", E_FAIL);
    EXPECT_TRUE(FAILED(graphics->UpdateAndRender(0.02f)));
    BOOL on = FALSE;
    ASSERT_EQ(S_OK, graphics->GetDevice()->GetLightEnable(5, &on));
    ASSERT_TRUE(on) << "the failed frame stopped in its ambient pass";

    ASSERT_EQ(S_OK, graphics->SetLight(5, false, &second));
    ASSERT_EQ(S_OK, graphics->SetStencilShadow(false));
    Picture standard = Frame();
    for (DWORD index : {0u, 5u}) {
        on = TRUE;
        ASSERT_EQ(S_OK, graphics->GetDevice()->GetLightEnable(index, &on));
        EXPECT_EQ(index == 0, on != FALSE) << "device light " << index;
    }
    ASSERT_EQ(S_OK, graphics->SetLight(5, true, &second));
    Picture withSecond = Frame();
    D3DXVECTOR2 middle = Project(D3DXVECTOR3(10, 0, 10), standard.width, standard.height);
    EXPECT_GT(Channel(PixelAt(withSecond, middle), 8), Channel(PixelAt(standard, middle), 8) + 40)
        << "the second light's ambient shows only once it is on again";
}
