// The font's operations apart from drawing: creation through the core, the
// geometry slots, the refused arguments and the extents.
#include "font_fixture.h"

#include "support/allocation_failure.h"
#include "support/error_record.h"

#include <math.h>
#include <unistd.h>

#include <functional>

namespace {

LONG Count(IEngineObject* object)
{
    object->AddRef();
    return object->Release();
}

TEST_F(FontTest, IsAnOverlayGeometryMadeByTheCore)
{
    EXPECT_STREQ("Font", font->GetType().Chars());
    EXPECT_FALSE(font->IsModel());
    EXPECT_EQ(S_FALSE, font->SendCommand(1, 2));
    EXPECT_EQ(S_OK, font->Update(0.5f));
    EngineString type, command;
    ASSERT_EQ(S_OK, font->GetCreationParams(&type, &command));
    EXPECT_STREQ("font", type.Chars());
    EXPECT_EQ(FontTexturePath(), command.Chars());
    EXPECT_EQ(QLE_SUBFUNCTION, font->GetCreationParams(&type, nullptr));
    D3DXVECTOR3 low, high;
    ASSERT_EQ(S_OK, font->GetBoundingBox(&low, &high));
    EXPECT_EQ(D3DXVECTOR3(-1e38f, -1e38f, -1e38f), low);
    EXPECT_EQ(D3DXVECTOR3(1e38f, 1e38f, 1e38f), high);

    // A null corner is a refused call: the other corner is left alone.
    logMark.Reset();
    D3DXVECTOR3 kept(1, 2, 3);
    EXPECT_EQ(QLE_SUBFUNCTION, font->GetBoundingBox(&kept, nullptr));
    EXPECT_EQ(QLE_SUBFUNCTION, font->GetBoundingBox(nullptr, &kept));
    EXPECT_EQ(D3DXVECTOR3(1, 2, 3), kept);
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("Font::GetBoundingBox()", E_INVALIDARG, "Invalid Call/Param")));
}

TEST_F(FontTest, CloneIsTheSameFontWithOneMoreReference)
{
    LONG before = Count(font);
    IGeometry* clone = nullptr;
    ASSERT_EQ(S_OK, font->Clone(&clone));
    EXPECT_EQ(static_cast<IGeometry*>(font), clone);
    EXPECT_EQ(before + 1, Count(font));
    EXPECT_EQ(before, clone->Release());
    EXPECT_EQ(QLE_SUBFUNCTION, font->Clone(nullptr));
    EXPECT_EQ(before, Count(font));
}

TEST_F(FontTest, ReleaseUnregistersAndGivesBackTheGraphicsReference)
{
    LONG withFont = Count(graphics);
    EXPECT_EQ(0, font->Release());
    font = nullptr;
    EXPECT_EQ(withFont - 1, Count(graphics));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("[Font::Destructor()] Font '" + FontTexturePath() + "' Destroyed"));
    EXPECT_EQ(std::string::npos, log.find("GeometryToRemove not found"));
    // Nothing is left registered: a frame draws nothing and fails nothing.
    EXPECT_TRUE(FindInk(Frame(0.01f)).Empty());
}

TEST_F(FontTest, AFontLeftAliveIsReleasedWithTheGraphicsManager)
{
    // The shutdown of an application that forgot its font: the core is
    // released until destroyed, which takes the manager and the font with it.
    graphics->Release();
    EndCore(core);
    graphics = nullptr;
    core = nullptr;
    font = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("1 geometrie(s) still alive"));
    EXPECT_NE(std::string::npos, log.find("Font '" + FontTexturePath() + "' Destroyed"));
    EXPECT_EQ(std::string::npos, log.find("don't call RemoveGeometry()"));
    EXPECT_EQ(std::string::npos, log.find("GeometryToRemove not found"));
}

TEST_F(FontTest, CreationFailuresLeaveNothingBehind)
{
    LONG references = Count(graphics);
    IGeometry* out = font;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("font", "no_such_font.tga", &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(references, Count(graphics));
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("Texture 'no_such_font.tga' : loading failed"));
    EXPECT_NE(std::string::npos, log.find("[CreateFont()] Error : \"font 'no_such_font.tga' : Init() failed\""));
    EXPECT_NE(std::string::npos, log.find("Font 'no_such_font.tga' Destroyed"));

    // The factory itself: only the exact type, and a place for the result.
    out = font;
    EXPECT_EQ(QLE_SUBFUNCTION, CreateFont("Font", FontTexturePath().c_str(), graphics, &out));
    EXPECT_EQ(static_cast<IGeometry*>(font), out);
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Unsupported Type'"));
    EXPECT_EQ(QLE_SUBFUNCTION, CreateFont("font", FontTexturePath().c_str(), graphics, nullptr));
    EXPECT_EQ(QLE_SUBFUNCTION, CreateFont("font", FontTexturePath().c_str(), nullptr, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(references, Count(graphics));
}

TEST_F(FontTest, ABufferCreationFailureFailsTheFont)
{
    LONG references = Count(graphics);
    QLTest_FailCall("IDirect3DDevice9::CreateVertexBuffer", E_OUTOFMEMORY);
    IGeometry* out = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, core->CreateObject("font", FontTexturePath().c_str(), &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(references, Count(graphics));
    EXPECT_NE(std::string::npos, NewLog().find("IDirect3DDevice9::CreateVertexBuffer() failed"));
}

// Every allocation a font's creation makes, failed in turn: a creation that
// fails gives no geometry, and none leaves a reference behind.
TEST_F(FontTest, EachFailedAllocationLeavesNothingBehind)
{
    LONG references = Count(graphics);
    int refused = 0;
    for (long nth = 1; nth < 10000 && !HasFailure(); ++nth) {
        IGeometry* out = nullptr;
        FailNthNothrowAllocation(nth);
        HRESULT result = core->CreateObject("font", FontTexturePath().c_str(), &out);
        bool failed = NothrowAllocationFailed();
        FailNthNothrowAllocation(0);
        if (SUCCEEDED(result)) {
            ASSERT_NE(nullptr, out) << "allocation " << nth;
            out->Release();
        } else {
            EXPECT_EQ(nullptr, out) << "allocation " << nth;
            ++refused;
        }
        EXPECT_EQ(references, Count(graphics)) << "allocation " << nth;
        if (!failed)
            break;
    }
    EXPECT_GT(refused, 3);
}

TEST_F(FontTest, FailedDeviceValidationWarnsAtTheFirstRender)
{
    // Validation runs once a process, at the first render: the check runs
    // in a fresh process of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QLTest_FailCall("IDirect3DDevice9::ValidateDevice", E_FAIL);
            font->AddText2D("Hi", 0xFFFFFFFF, 0, 16, 5, 25, 1.0f, 0.0f);
            graphics->UpdateAndRender(0.01f);
            bool warned = NewLog().find("Warning : \"This device seem to require 0 passes") != std::string::npos;
            _exit(warned ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

struct Refusal {
    const char* name;
    std::function<HRESULT(Font*)> call;
};

TEST_F(FontTest, RefusedTextsQueueNothing)
{
    const D3DXVECTOR3 at(0, 0, 0), right(1, 0, 0), down(0, -1, 0), zero(0, 0, 0);
    const float nan = NAN;
    const Refusal refusals[] = {
        {"2D empty text", [](Font* f) { return f->AddText2D("", 0xFFFFFFFF, 0, 16, 10, 10, 1, 0); }},
        {"2D size 0", [](Font* f) { return f->AddText2D("H", 0xFFFFFFFF, 0, 0, 10, 10, 1, 0); }},
        {"2D direction (0, 0)", [](Font* f) { return f->AddText2D("H", 0xFFFFFFFF, 0, 16, 10, 10, 0, 0); }},
        {"2D direction NaN", [=](Font* f) { return f->AddText2D("H", 0xFFFFFFFF, 0, 16, 10, 10, nan, 0); }},
        {"scaled size 0", [](Font* f) { return f->AddText2DScaled("H", 0xFFFFFFFF, 0, 0, 0.5f, 0.5f, 1, 0); }},
        {"scaled size above 1", [](Font* f) { return f->AddText2DScaled("H", 0xFFFFFFFF, 0, 1.01f, 0, 0, 1, 0); }},
        {"scaled x below 0", [](Font* f) { return f->AddText2DScaled("H", 0xFFFFFFFF, 0, 0.1f, -0.1f, 0, 1, 0); }},
        {"scaled y above 1", [](Font* f) { return f->AddText2DScaled("H", 0xFFFFFFFF, 0, 0.1f, 0, 1.5f, 1, 0); }},
        {"scaled below a pixel", [](Font* f) { return f->AddText2DScaled("H", 0xFFFFFFFF, 0, 1e-4f, 0, 0, 1, 0); }},
        {"scaled empty text", [](Font* f) { return f->AddText2DScaled("", 0xFFFFFFFF, 0, 0.1f, 0, 0, 1, 0); }},
        {"3D empty text", [=](Font* f) { return f->AddText3D("", 0xFFFFFFFF, 0, 1, at, right, down); }},
        {"3D size 0", [=](Font* f) { return f->AddText3D("H", 0xFFFFFFFF, 0, 0, at, right, down); }},
        {"3D negative size", [=](Font* f) { return f->AddText3D("H", 0xFFFFFFFF, 0, -2, at, right, down); }},
        {"3D zero direction", [=](Font* f) { return f->AddText3D("H", 0xFFFFFFFF, 0, 1, at, zero, down); }},
        {"3D zero up", [=](Font* f) { return f->AddText3D("H", 0xFFFFFFFF, 0, 1, at, right, zero); }},
    };
    for (const Refusal& refusal : refusals) {
        std::string added = LogAppendedBy([&] { EXPECT_EQ(QLE_SUBFUNCTION, refusal.call(font)) << refusal.name; });
        EXPECT_NE(std::string::npos,
                  added.find(ErrorRecord("Font::UpdateAndRender()", E_INVALIDARG, "Invalid Call/Param")))
            << refusal.name;
        EXPECT_EQ(0u, font->Queued2D()) << refusal.name;
        EXPECT_EQ(0u, font->Queued3D()) << refusal.name;
    }
    EXPECT_TRUE(FindInk(Frame(0.01f)).Empty());

    // The largest scaled size is the back buffer's height, and accepted.
    EXPECT_EQ(S_OK, font->AddText2DScaled("H", 0xFFFFFFFF, 0, 1.0f, 1.0f, 1.0f, 1, 0));
    EXPECT_EQ(1u, font->Queued2D());
}

struct Extent {
    const char* text;
    uint32_t size;
    float width, height;
};

TEST_F(FontTest, ExtentsFollowTheLayout)
{
    const Extent extents[] = {
        {"H", 16, 16, 16},
        {"Hello", 10, 50, 10},
        {"A\nB", 16, 16, 33.6f},
        {"ab\nlonger\nc", 20, 120, 64},
        {"tail\n", 10, 40, 21},
        {"\n", 10, 0, 21},
    };
    for (const Extent& e : extents) {
        float width = -1, height = -1;
        ASSERT_EQ(S_OK, font->GetExtendText2D(e.text, e.size, 1, 0, &width, &height)) << e.text;
        EXPECT_FLOAT_EQ(e.width, width) << e.text;
        EXPECT_FLOAT_EQ(e.height, height) << e.text;
    }

    // Scaled: fractions of the 640 x 480 back buffer, at the whole-pixel size
    // AddText2DScaled draws (0.1 x 480 = 48 pixels).
    float width = 0, height = 0;
    ASSERT_EQ(S_OK, font->GetExtendText2DScaled("HH\nH", 0.1f, 1, 0, &width, &height));
    EXPECT_FLOAT_EQ(96.0f / 640.0f, width);
    EXPECT_FLOAT_EQ((48.0f * 1.1f + 48.0f) / 480.0f, height);

    // 3D: the far corner along the normalised direction and up.
    D3DXVECTOR3 corner;
    ASSERT_EQ(S_OK, font->GetExtendText3D("ABC\nD", 2.0f, D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(0, -3, 0), &corner));
    EXPECT_FLOAT_EQ(0.0f, corner.x);
    EXPECT_FLOAT_EQ(-(2.0f * 1.1f + 2.0f), corner.y);
    EXPECT_FLOAT_EQ(6.0f, corner.z);
}

TEST_F(FontTest, ExtentArgumentsAreChecked)
{
    float width = 0, height = 0;
    D3DXVECTOR3 corner;
    const D3DXVECTOR3 right(1, 0, 0), down(0, -1, 0), zero(0, 0, 0);
    const Refusal refusals[] = {
        {"2D empty", [&](Font* f) { return f->GetExtendText2D("", 16, 1, 0, &width, &height); }},
        {"2D size 0", [&](Font* f) { return f->GetExtendText2D("H", 0, 1, 0, &width, &height); }},
        {"2D direction", [&](Font* f) { return f->GetExtendText2D("H", 16, 0, 0, &width, &height); }},
        {"2D no width", [&](Font* f) { return f->GetExtendText2D("H", 16, 1, 0, nullptr, &height); }},
        {"2D no height", [&](Font* f) { return f->GetExtendText2D("H", 16, 1, 0, &width, nullptr); }},
        {"scaled size 1", [&](Font* f) { return f->GetExtendText2DScaled("H", 1.0f, 1, 0, &width, &height); }},
        {"scaled size 0", [&](Font* f) { return f->GetExtendText2DScaled("H", 0.0f, 1, 0, &width, &height); }},
        {"scaled direction", [&](Font* f) { return f->GetExtendText2DScaled("H", 0.5f, 0, 0, &width, &height); }},
        {"3D size 0", [&](Font* f) { return f->GetExtendText3D("H", 0, right, down, &corner); }},
        {"3D zero up", [&](Font* f) { return f->GetExtendText3D("H", 1, right, zero, &corner); }},
        {"3D no out", [&](Font* f) { return f->GetExtendText3D("H", 1, right, down, nullptr); }},
    };
    for (const Refusal& refusal : refusals) {
        width = height = -7;
        corner = D3DXVECTOR3(-7, -7, -7);
        EXPECT_EQ(QLE_SUBFUNCTION, refusal.call(font)) << refusal.name;
        EXPECT_EQ(-7, width) << refusal.name;
        EXPECT_EQ(-7, height) << refusal.name;
        EXPECT_EQ(D3DXVECTOR3(-7, -7, -7), corner) << refusal.name;
    }
    std::string log = NewLog();
    EXPECT_NE(std::string::npos, log.find("[Font::GetExtendText2D()] Error"));
    EXPECT_NE(std::string::npos, log.find("[Font::GetExtendText2DScaled()] Error"));
    EXPECT_NE(std::string::npos, log.find("[Font::GetExtendText3D()] Error"));
}

}  // namespace
