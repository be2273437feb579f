#include "core/icore.h"
#include "core/qlcore.h"
#include "input/iinput.h"

#include <qlplatform_test.h>

#include "support/core_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class InputTest : public CoreFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CoreFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(StartCore());
        ASSERT_EQ(S_OK, core->CreateInput(&input));
        logMark.Reset();
    }
    void TearDown() override
    {
        QLTest_ClearFailures();
        if (input)
            input->Release();
        CoreFixture::TearDown();
    }

    IInput* input = nullptr;
};

}  // namespace

TEST_F(InputTest, UseDevicesCreatesOnlyWhatIsMissing)
{
    int32_t created = -1;
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, &created));
    EXPECT_EQ(6, created);
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, &created));
    EXPECT_EQ(0, created);
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard, &created));
    EXPECT_EQ(0, created);
    DIMOUSESTATE mouse;
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetMouseState(&mouse)) << "the mouse was released";
    ASSERT_EQ(S_OK, input->UseDevices(InputJoystick, &created));
    EXPECT_EQ(0, created) << "no controller attached";
}

TEST_F(InputTest, KeysAndMouseFollowInjectedInput)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, nullptr));
    QLTest_InjectKey(DIK_LEFT, true);
    QLTest_InjectMouseMotion(5, -3);
    QLTest_InjectMouseMotion(2, 1);
    BYTE keys[256];
    ASSERT_EQ(S_OK, input->GetKeyboardState(keys));
    EXPECT_TRUE(keys[DIK_LEFT] & 0x80);
    EXPECT_FALSE(keys[DIK_RIGHT] & 0x80);
    DIMOUSESTATE mouse;
    ASSERT_EQ(S_OK, input->GetMouseState(&mouse));
    EXPECT_EQ(7, mouse.lX);
    EXPECT_EQ(-2, mouse.lY);
    ASSERT_EQ(S_OK, input->GetMouseState(&mouse));
    EXPECT_EQ(0, mouse.lX) << "movement resets after each read";
}

TEST_F(InputTest, KeyboardDeniedByAnotherApplicationFailsSilently)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard, nullptr));
    input->AcquireDevices(false);
    QLTest_FailCall("IDirectInputDevice8::Acquire", E_ACCESSDENIED, -1);
    BYTE keys[256];
    memset(keys, 0xAB, sizeof keys);
    EXPECT_EQ("", LogAppendedBy([&] { EXPECT_EQ(E_FAIL, input->GetKeyboardState(keys)); }));
    EXPECT_EQ(0xAB, keys[0]) << "nothing written to the caller's buffer";
}

TEST_F(InputTest, LostMouseIsReacquiredAndReadInOneCall)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputMouse, nullptr));
    input->AcquireDevices(false);
    QLTest_InjectMouseMotion(4, 0);
    DIMOUSESTATE mouse;
    ASSERT_EQ(S_OK, input->GetMouseState(&mouse));
    EXPECT_EQ("", NewLog());
}

TEST_F(InputTest, UnreadDevicesAndNullBuffersAreRefused)
{
    BYTE keys[256];
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetKeyboardState(keys));
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetKeyboardState(nullptr));
    DIJOYSTATE joystick;
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetJoystickState(&joystick));
    EXPECT_NE(std::string::npos, NewLog().find("Msg : 'Invalid Call/Param'"));
}

TEST_F(InputTest, UnpluggedControllerReadsNothingQuietly)
{
    int id = QLTest_AttachJoystick("pad", 2, 4, 1);
    ASSERT_GE(id, 0);
    int32_t created = 0;
    ASSERT_EQ(S_OK, input->UseDevices(InputJoystick, &created));
    ASSERT_EQ(InputJoystick, (uint32_t)created);
    DIJOYSTATE state;
    EXPECT_EQ(S_OK, input->GetJoystickState(&state));
    QLTest_DetachJoystick(id);
    EXPECT_EQ("", LogAppendedBy([&] { EXPECT_EQ(S_FALSE, input->GetJoystickState(&state)); }));
}

TEST_F(InputTest, ShutdownReportsACleanDirectInput)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, nullptr));
    input->Release();
    input = nullptr;
    EXPECT_NE(std::string::npos, NewLog().find("[QLInput::Destructor()] Input Engine correctly shutdown\n"));
}
