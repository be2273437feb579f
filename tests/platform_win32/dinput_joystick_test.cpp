// Game controllers, as SDL virtual joysticks.
#include "dinput_support.h"

#include <string>

namespace {

const DWORD foregroundExclusive = DISCL_EXCLUSIVE | DISCL_FOREGROUND;

BOOL CALLBACK CollectDevices(LPCDIDEVICEINSTANCEA device, LPVOID context)
{
    ((std::vector<DIDEVICEINSTANCEA>*)context)->push_back(*device);
    return DIENUM_CONTINUE;
}

BOOL CALLBACK TakeFirst(LPCDIDEVICEINSTANCEA device, LPVOID context)
{
    ((std::vector<DIDEVICEINSTANCEA>*)context)->push_back(*device);
    return DIENUM_STOP;
}

class JoystickTest : public DirectInputTest {
protected:
    void TearDown() override
    {
        DirectInputTest::TearDown();
        for (int id : attached)
            QLTest_DetachJoystick(id);
    }
    int Attach(const char* name)
    {
        int id = QLTest_AttachJoystick(name, 6, 12, 1);
        EXPECT_GE(id, 0);
        attached.push_back(id);
        return id;
    }
    std::vector<DIDEVICEINSTANCEA> Controllers(LPDIENUMDEVICESCALLBACKA callback = CollectDevices)
    {
        std::vector<DIDEVICEINSTANCEA> found;
        EXPECT_EQ(input->EnumDevices(DI8DEVCLASS_GAMECTRL, callback, &found, DIEDFL_ATTACHEDONLY), DI_OK);
        return found;
    }
    IDirectInputDevice8A* OpenFirst()
    {
        std::vector<DIDEVICEINSTANCEA> found = Controllers();
        if (found.empty())
            return nullptr;
        return MakeDevice(found[0].guidInstance, c_dfDIJoystick, foregroundExclusive);
    }
    std::vector<int> attached;
};

TEST_F(JoystickTest, NoControllerEnumeratesNothing)
{
    EXPECT_TRUE(Controllers().empty());
    std::vector<DIDEVICEINSTANCEA> keyboards;
    input->EnumDevices(DI8DEVCLASS_KEYBOARD, CollectDevices, &keyboards, DIEDFL_ATTACHEDONLY);
    ASSERT_EQ(keyboards.size(), 1u);
    EXPECT_EQ(keyboards[0].guidInstance, GUID_SysKeyboard);
}

TEST_F(JoystickTest, EnumerationListsControllersAndStopsWhenAsked)
{
    Attach("First Pad");
    Attach("Second Pad");
    std::vector<DIDEVICEINSTANCEA> found = Controllers();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(std::string(found[0].tszInstanceName), "First Pad");
    EXPECT_EQ(found[0].dwDevType & 0xFF, (DWORD)DI8DEVTYPE_JOYSTICK);
    EXPECT_NE(found[0].guidInstance, found[1].guidInstance);
    EXPECT_EQ(Controllers(TakeFirst).size(), 1u);
    EXPECT_EQ(input->EnumDevices(DI8DEVCLASS_GAMECTRL, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
}

TEST_F(JoystickTest, StateFollowsAxesButtonsAndHats)
{
    int pad = Attach("Pad");
    IDirectInputDevice8A* joystick = OpenFirst();
    ASSERT_NE(joystick, nullptr);
    ASSERT_EQ(joystick->Acquire(), DI_OK);

    const struct {
        int sdlValue;
        LONG directInput;
    } axisCases[] = {{-32768, 0}, {0, 32768}, {32767, 65535}, {-16384, 16384}};
    for (const auto& c : axisCases) {
        QLTest_SetJoystickAxis(pad, 0, c.sdlValue);
        QLTest_SetJoystickAxis(pad, 5, -c.sdlValue - 1);
        ASSERT_EQ(joystick->Poll(), DI_OK);
        DIJOYSTATE state;
        ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
        EXPECT_EQ(state.lX, c.directInput);
        EXPECT_EQ(state.lRz, 65535 - c.directInput);
    }

    const struct {
        int hat;
        DWORD pov;
    } hatCases[] = {{0, 0xFFFFFFFF}, {1, 0}, {3, 4500}, {2, 9000}, {6, 13500}, {4, 18000}, {12, 22500},
                    {8, 27000}, {9, 31500}};
    for (const auto& c : hatCases) {
        QLTest_SetJoystickHat(pad, 0, c.hat);
        DIJOYSTATE state;
        joystick->Poll();
        ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
        EXPECT_EQ(state.rgdwPOV[0], c.pov) << c.hat;
        EXPECT_EQ(state.rgdwPOV[1], 0xFFFFFFFF) << "absent hats read centred";
    }

    QLTest_SetJoystickButton(pad, 0, true);
    QLTest_SetJoystickButton(pad, 11, true);
    DIJOYSTATE state;
    joystick->Poll();
    ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
    for (int button = 0; button < 32; ++button)
        EXPECT_EQ(state.rgbButtons[button], button == 0 || button == 11 ? 0x80 : 0) << button;
    EXPECT_EQ(state.rglSlider[0], 0) << "absent axes read 0";
}

TEST_F(JoystickTest, UnpluggedControllerReadsUnplugged)
{
    int pad = Attach("Pad");
    IDirectInputDevice8A* joystick = OpenFirst();
    ASSERT_NE(joystick, nullptr);
    ASSERT_EQ(joystick->Acquire(), DI_OK);
    QLTest_DetachJoystick(pad);
    attached.clear();
    DIJOYSTATE state;
    EXPECT_EQ(joystick->Poll(), DIERR_UNPLUGGED);
    EXPECT_EQ(joystick->GetDeviceState(sizeof state, &state), DIERR_UNPLUGGED);
    EXPECT_EQ(joystick->Acquire(), DIERR_UNPLUGGED);
    EXPECT_TRUE(Controllers().empty());
}

TEST_F(JoystickTest, ExclusiveAccessGoesToOneDeviceAtATime)
{
    Attach("Pad");
    IDirectInputDevice8A* first = OpenFirst();
    IDirectInputDevice8A* second = OpenFirst();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Acquire(), DI_OK);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    first->Unacquire();
    EXPECT_EQ(second->Acquire(), DI_OK);
}

TEST_F(JoystickTest, ControllerIsLostWithTheFocus)
{
    Attach("Pad");
    IDirectInputDevice8A* joystick = OpenFirst();
    ASSERT_NE(joystick, nullptr);
    ASSERT_EQ(joystick->Acquire(), DI_OK);
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::FocusLost);
    EXPECT_EQ(joystick->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(joystick->Poll(), DIERR_NOTACQUIRED);
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::FocusGained);
    DrainMessages();
    EXPECT_EQ(joystick->Acquire(), DI_OK);
    EXPECT_EQ(joystick->Poll(), DI_OK);
}

}  // namespace
