// The system keyboard and mouse follow injected input.
#include "dinput_support.h"

namespace {

const DWORD foregroundShared = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

class KeyboardMouseTest : public DirectInputTest {};

TEST_F(KeyboardMouseTest, KeysSetTheHighBitOfTheirOwnCodeOnly)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    const BYTE keys[] = {DIK_ESCAPE, DIK_A, DIK_Z, DIK_F1, DIK_F12, DIK_UP, DIK_NEXT, DIK_NUMPADENTER,
                         DIK_RCONTROL, DIK_LMENU, DIK_RMENU, DIK_SPACE, DIK_DELETE, DIK_NUMPAD5};
    for (BYTE key : keys) {
        QLTest_InjectKey(key, true);
        BYTE state[256];
        ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
        for (int code = 0; code < 256; ++code)
            EXPECT_EQ(state[code], code == key ? 0x80 : 0) << "key 0x" << std::hex << (int)key << " code " << code;
        QLTest_InjectKey(key, false);
        ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
        EXPECT_EQ(state[key], 0);
    }
}

TEST_F(KeyboardMouseTest, HeldKeysStayDownAcrossReads)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    QLTest_InjectKey(DIK_LEFT, true);
    QLTest_InjectKey(DIK_S, true);
    BYTE state[256];
    for (int read = 0; read < 3; ++read) {
        ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
        EXPECT_EQ(state[DIK_LEFT], 0x80);
        EXPECT_EQ(state[DIK_S], 0x80);
    }
    QLTest_InjectKey(DIK_LEFT, false);
    QLTest_InjectKey(DIK_S, false);
    keyboard->GetDeviceState(sizeof state, state);
    EXPECT_EQ(state[DIK_LEFT] | state[DIK_S], 0);
}

TEST_F(KeyboardMouseTest, MouseMovementAddsUpAndResetsAfterEachRead)
{
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    QLTest_InjectMouseMotion(5, -3);
    QLTest_InjectMouseMotion(7, 10);
    QLTest_InjectMouseMotion(-2, 1);
    QLTest_InjectMouseWheel(2);
    DIMOUSESTATE state;
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 10);
    EXPECT_EQ(state.lY, 8);
    EXPECT_EQ(state.lZ, 240);
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);
}

TEST_F(KeyboardMouseTest, EachMouseDeviceKeepsItsOwnMovement)
{
    IDirectInputDevice8A* first = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    IDirectInputDevice8A* second = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    ASSERT_EQ(first->Acquire(), DI_OK);
    ASSERT_EQ(second->Acquire(), DI_OK);
    QLTest_InjectMouseMotion(4, 4);
    DIMOUSESTATE state;
    first->GetDeviceState(sizeof state, &state);
    EXPECT_EQ(state.lX, 4);
    QLTest_InjectMouseMotion(1, 0);
    second->GetDeviceState(sizeof state, &state);
    EXPECT_EQ(state.lX, 5) << "the first device's read does not take the second's movement";
}

TEST_F(KeyboardMouseTest, MovementBeforeAcquiringIsNotReported)
{
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    QLTest_InjectMouseMotion(50, 50);
    DrainMessages();
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    DIMOUSESTATE state;
    ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
}

TEST_F(KeyboardMouseTest, MouseButtonsMapToDirectInputOrder)
{
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    for (int button = 0; button < 4; ++button) {
        QLTest_InjectMouseButton(button, true);
        DIMOUSESTATE state;
        ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(state.rgbButtons[other], other == button ? 0x80 : 0) << button;
        QLTest_InjectMouseButton(button, false);
        mouse->GetDeviceState(sizeof state, &state);
        EXPECT_EQ(state.rgbButtons[button], 0);
    }
}

TEST_F(KeyboardMouseTest, StateSizeMustMatchTheFormat)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    BYTE buffer[256];
    EXPECT_EQ(keyboard->GetDeviceState(255, buffer), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->GetDeviceState(20, buffer), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->GetDeviceState(16, buffer), DI_OK);
}

TEST_F(KeyboardMouseTest, FormatMustSuitTheDeviceAndCannotChangeWhileAcquired)
{
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    devices.push_back(keyboard);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM) << "no format yet";
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, foregroundShared), DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
}

TEST_F(KeyboardMouseTest, CooperativeLevelsNeedOneOfEachPairAndAWindow)
{
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    devices.push_back(keyboard);
    const struct {
        DWORD level;
        HRESULT expected;
    } cases[] = {
        {DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE, DIERR_INVALIDPARAM},
        {DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DIERR_INVALIDPARAM},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND, DIERR_INVALIDPARAM},
        {DISCL_EXCLUSIVE | DISCL_BACKGROUND, DIERR_UNSUPPORTED},
        {DISCL_NONEXCLUSIVE | DISCL_BACKGROUND, DI_OK},
        {DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DI_OK},
        {DISCL_EXCLUSIVE | DISCL_FOREGROUND, DI_OK},
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyboard->SetCooperativeLevel(window, c.level), c.expected) << std::hex << c.level;
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, foregroundShared), E_HANDLE);
    EXPECT_EQ(keyboard->SetCooperativeLevel((HWND)0x1234, foregroundShared), E_HANDLE);
}

}  // namespace
