#include "cal3d_test_support.h"

namespace {

class MaterialReader : public Cal3DTest {
protected:
    HRESULT Load(const std::string& name, const char* prefix = "")
    {
        material = SkelMaterial();
        return LoadCal3DMaterial(name.c_str(), prefix, &material);
    }

    static cal3d::Material Skin()
    {
        cal3d::Material skin;
        skin.ambient = {0x10, 0x20, 0x30, 0x40};
        skin.diffuse = {0xFF, 0x00, 0x80, 0xFF};
        skin.specular = {0, 0, 0, 0};
        skin.shininess = 12.5f;
        skin.maps = {"skin.png"};
        return skin;
    }

    SkelMaterial material;
};

TEST_F(MaterialReader, ColourBytesAreRedGreenBlueAlpha)
{
    ASSERT_EQ(S_OK, Load(Put("skin.crf", Skin())));
    const SkelSurface& surface = material.material;
    EXPECT_FLOAT_EQ(16 / 255.0f, surface.Ambient.r);
    EXPECT_FLOAT_EQ(32 / 255.0f, surface.Ambient.g);
    EXPECT_FLOAT_EQ(48 / 255.0f, surface.Ambient.b);
    EXPECT_FLOAT_EQ(64 / 255.0f, surface.Ambient.a);
    EXPECT_FLOAT_EQ(1.0f, surface.Diffuse.r);
    EXPECT_FLOAT_EQ(0.0f, surface.Diffuse.g);
    EXPECT_FLOAT_EQ(128 / 255.0f, surface.Diffuse.b);
    EXPECT_FLOAT_EQ(0.0f, surface.Specular.a);
    EXPECT_EQ(0.0f, surface.Emissive.r);
    EXPECT_EQ(0.0f, surface.Emissive.a);
    EXPECT_EQ(12.5f, surface.Power);
    EXPECT_TRUE(material.hasTexture);
    EXPECT_STREQ("skin.png", material.textureName.Chars());
}

TEST_F(MaterialReader, TakesTheFirstOfSeveralMapsBehindThePrefix)
{
    cal3d::Material skin = Skin();
    skin.maps = {"first.png", "second.png"};
    ASSERT_EQ(S_OK, Load(Put("maps.crf", skin), "./data/"));
    EXPECT_STREQ("./data/first.png", material.textureName.Chars());
    EXPECT_THAT(Log(), HasSubstr("maps.crf : 2 textures, only take the first"));
}

TEST_F(MaterialReader, NoMapMeansNoTexture)
{
    cal3d::Material plain = Skin();
    plain.maps.clear();
    ASSERT_EQ(S_OK, Load(Put("plain.crf", plain), "./data/"));
    EXPECT_FALSE(material.hasTexture);
    EXPECT_EQ(64 / 255.0f, material.material.Ambient.a);
}

TEST_F(MaterialReader, AMapNameWithoutItsZeroByteStillEnds)
{
    std::vector<uint8_t> bytes = cal3d::Encode(Skin());
    // Drop the name's zero byte and shorten its length to match.
    bytes.pop_back();
    bytes[bytes.size() - 8 - 4] -= 1;
    ASSERT_EQ(S_OK, Load(PutBytes("unterminated.crf", bytes)));
    EXPECT_STREQ("skin.png", material.textureName.Chars());
}

TEST_F(MaterialReader, VersionsMagicAndShortFiles)
{
    auto load = [this](const std::string& name) { return Load(name); };
    ExpectEveryVersionLoads(Skin(), "v.crf", load);
    ExpectForeignMagicFails(cal3d::Encode(Skin()), 0, 'X', "magic.crf", load);
    ExpectEveryCutFails(cal3d::Encode(Skin()), "cut.crf", load);
}

}  // namespace
