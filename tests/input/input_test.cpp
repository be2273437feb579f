#include "core/icore.h"
#include "core/qlcore.h"
#include "input/iinput.h"
#include "input/qlinput.h"

#include <qlplatform_test.h>

#include "support/core_fixture.h"
#include "support/error_record.h"

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

    // A controller attached and taken by the manager as its joystick.
    void UseJoystick()
    {
        pad = QLTest_AttachJoystick("pad", 2, 4, 0);
        ASSERT_GE(pad, 0);
        int32_t created = 0;
        ASSERT_EQ(S_OK, input->UseDevices(InputJoystick, &created));
        ASSERT_EQ(InputJoystick, (uint32_t)created);
    }

    IInput* input = nullptr;
    int pad = -1;
};

// Releases the manager before the controller goes, as an application would.
class JoystickTest : public InputTest {
protected:
    void TearDown() override
    {
        QLTest_ClearFailures();
        if (input)
            input->Release();
        input = nullptr;
        if (pad >= 0)
            QLTest_DetachJoystick(pad);
        InputTest::TearDown();
    }
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

TEST_F(InputTest, MouseDeniedOnReacquireIsReportedUnlikeTheKeyboard)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputMouse, nullptr));
    input->AcquireDevices(false);
    QLTest_FailCall("IDirectInputDevice8::Acquire", E_ACCESSDENIED, -1);
    DIMOUSESTATE mouse = {};
    mouse.lX = 77;
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetMouseState(&mouse));
    EXPECT_EQ(77, mouse.lX) << "nothing written to the caller's state";
    EXPECT_NE(std::string::npos, NewLog().find(ErrorRecord("QLInput::GetMouseState()", E_ACCESSDENIED, "-")));
}

TEST_F(InputTest, EachDeviceThatCannotBeMadeIsNamed)
{
    const struct {
        uint32_t bit;
        const char* call;
        const char* message;
    } devices[] = {
        {InputKeyboard, "IDirectInput8::CreateDevice", "IDirectInput8::CreateDevice() failed for the Keyboard !"},
        {InputMouse, "IDirectInput8::CreateDevice", "IDirectInput8::CreateDevice() failed for the Mouse !"},
        {InputJoystick, "IDirectInput8::EnumDevices", "IDirectInput8::CreateDevice() failed for the Joystick !"},
    };
    for (const auto& device : devices) {
        SCOPED_TRACE(device.message);
        QLTest_FailCall(device.call, DIERR_OUTOFMEMORY);
        EXPECT_EQ(QLE_SUBFUNCTION, input->UseDevices(device.bit, nullptr));
        EXPECT_NE(std::string::npos,
                  NewLog().find(ErrorRecord("QLInput::UseDevices()", DIERR_OUTOFMEMORY, device.message)));
        logMark.Reset();
    }
}

TEST_F(JoystickTest, ControllerThatCannotBeMadeIsSkippedQuietly)
{
    pad = QLTest_AttachJoystick("pad", 2, 4, 0);
    ASSERT_GE(pad, 0);
    QLTest_FailCall("IDirectInput8::CreateDevice", DIERR_OUTOFMEMORY);
    int32_t created = -1;
    EXPECT_EQ(S_OK, input->UseDevices(InputJoystick, &created));
    EXPECT_EQ(0, created);
    EXPECT_EQ("", NewLog());
}

TEST_F(JoystickTest, LostOrUnacquiredControllerIsTakenBackAndRead)
{
    ASSERT_NO_FATAL_FAILURE(UseJoystick());
    QLTest_SetJoystickAxis(pad, 0, 32767);
    for (HRESULT lost : {DIERR_INPUTLOST, DIERR_NOTACQUIRED}) {
        SCOPED_TRACE(lost);
        QLTest_FailCall("IDirectInputDevice8::Poll", lost);
        DIJOYSTATE state = {};
        EXPECT_EQ("", LogAppendedBy([&] { EXPECT_EQ(S_OK, input->GetJoystickState(&state)); }));
        EXPECT_GT(state.lX, 60000) << "read after the second poll";
    }
    // Still lost at the second poll: that one is reported.
    QLTest_FailCall("IDirectInputDevice8::Poll", DIERR_INPUTLOST, 2);
    DIJOYSTATE state = {};
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetJoystickState(&state));
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLInput::GetJoystickState()", DIERR_INPUTLOST, "-")));
}

TEST_F(JoystickTest, FailedReadIsAcquiredAgainForTheNextOne)
{
    ASSERT_NO_FATAL_FAILURE(UseJoystick());
    QLTest_SetJoystickAxis(pad, 0, 32767);
    QLTest_FailCall("IDirectInputDevice8::GetDeviceState", DIERR_INPUTLOST);
    DIJOYSTATE state = {};
    state.lX = 5;
    EXPECT_EQ("", LogAppendedBy([&] { EXPECT_EQ(S_FALSE, input->GetJoystickState(&state)); }));
    EXPECT_EQ(5, state.lX) << "the state is not read again";
    EXPECT_EQ(S_OK, input->GetJoystickState(&state));
    EXPECT_GT(state.lX, 60000);

    // A read that fails and cannot take the controller back is reported.
    QLTest_FailCall("IDirectInputDevice8::GetDeviceState", DIERR_INPUTLOST);
    QLTest_FailCall("IDirectInputDevice8::Acquire", DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(QLE_SUBFUNCTION, input->GetJoystickState(&state));
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLInput::GetJoystickState()", DIERR_OTHERAPPHASPRIO, "-")));
}

TEST_F(InputTest, ShutdownWarnsOfDirectInputStillHeldAndLetsItGo)
{
    ASSERT_EQ(S_OK, input->UseDevices(InputKeyboard | InputMouse, nullptr));
    // Two references the manager does not know of; its shutdown gives them back.
    IDirectInput8A* directInput = static_cast<QLInput*>(input)->DirectInput();
    ASSERT_NE(nullptr, directInput);
    directInput->AddRef();
    directInput->AddRef();
    input->Release();
    input = nullptr;
    std::string log = NewLog();
    EXPECT_NE(std::string::npos,
              log.find("[QLInput::Destructor()] Warning : \"QLInput: DirectInput8 Interface (count = 2 ) !\"\n"))
        << log;
    EXPECT_EQ(std::string::npos, log.find("Input Engine correctly shutdown")) << log;
}
