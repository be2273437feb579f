// DirectInput's acquire rules for foreground devices, and its COM objects.
#include "dinput_support.h"

namespace {

const DWORD foregroundShared = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

class AcquireTest : public DirectInputTest {
protected:
    void LoseFocus()
    {
        QLTest_InjectWindowEvent(window, QLTestWindowEvent::FocusLost);
        DrainMessages();
    }
    void GainFocus()
    {
        QLTest_InjectWindowEvent(window, QLTestWindowEvent::FocusGained);
        DrainMessages();
    }
};

TEST_F(AcquireTest, ReadingBeforeAcquiringFails)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    BYTE state[256];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
}

TEST_F(AcquireTest, AcquiringTwiceSaysSoAndUnacquireEndsReading)
{
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_EQ(mouse->Acquire(), S_FALSE);
    EXPECT_EQ(mouse->Poll(), DI_NOEFFECT) << "a mouse needs no polling";
    EXPECT_EQ(mouse->Unacquire(), DI_OK);
    DIMOUSESTATE state;
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
}

TEST_F(AcquireTest, ForegroundDeviceCannotBeAcquiredInTheBackground)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    LoseFocus();
    EXPECT_EQ(GetForegroundWindow(), nullptr);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    GainFocus();
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
}

TEST_F(AcquireTest, FocusLossMakesAnAcquiredDeviceLostOnce)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    LoseFocus();
    BYTE state[256];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    GainFocus();
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
}

TEST_F(AcquireTest, FocusLostAndRegainedBetweenReadsStillLosesTheDevice)
{
    IDirectInputDevice8A* mouse = MakeDevice(GUID_SysMouse, c_dfDIMouse, foregroundShared);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    LoseFocus();
    GainFocus();
    DIMOUSESTATE state;
    EXPECT_EQ(mouse->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
}

TEST_F(AcquireTest, KeysHeldWhenTheFocusWentAwayAreReleased)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    QLTest_InjectKey(DIK_UP, true);
    BYTE state[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    ASSERT_EQ(state[DIK_UP], 0x80);
    LoseFocus();
    GainFocus();
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    EXPECT_EQ(state[DIK_UP], 0);
}

TEST_F(AcquireTest, MinimisingLosesForegroundDevices)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Minimized);
    DrainMessages();
    EXPECT_EQ(keyboard->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);
    QLTest_InjectWindowEvent(window, QLTestWindowEvent::Restored);
    DrainMessages();
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
}

TEST_F(AcquireTest, BackgroundDeviceKeepsReadingWithoutTheFocus)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    LoseFocus();
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    QLTest_InjectKey(DIK_X, true);
    BYTE state[256];
    ASSERT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    EXPECT_EQ(state[DIK_X], 0x80);
    QLTest_InjectKey(DIK_X, false);
    keyboard->GetDeviceState(sizeof state, state);
}

TEST_F(AcquireTest, InjectedFailuresReachTheCaller)
{
    IDirectInputDevice8A* keyboard = MakeDevice(GUID_SysKeyboard, c_dfDIKeyboard, foregroundShared);
    QLTest_FailCall("IDirectInputDevice8::Acquire", E_ACCESSDENIED);
    EXPECT_EQ(keyboard->Acquire(), E_ACCESSDENIED);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    QLTest_FailCall("IDirectInputDevice8::GetDeviceState", DIERR_INPUTLOST, 2);
    BYTE state[256];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof state, state), DI_OK);
    QLTest_FailCall("IDirectInput8::CreateDevice", DIERR_DEVICENOTREG);
    IDirectInputDevice8A* mouse = (IDirectInputDevice8A*)0x1;
    EXPECT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(mouse, nullptr);
}

TEST_F(AcquireTest, DevicesHoldTheirDirectInputObject)
{
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    EXPECT_EQ(input->AddRef(), 3u) << "ours, the device's, and this one";
    EXPECT_EQ(input->Release(), 2u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(keyboard->QueryInterface(IID_IDirectInputDevice8, (void**)&unknown), S_OK);
    EXPECT_EQ(keyboard->Release(), 1u);
    EXPECT_EQ(unknown->Release(), 0u);
    EXPECT_EQ(input->AddRef(), 2u) << "the released device gave its reference back";
    EXPECT_EQ(input->Release(), 1u);
    void* other = (void*)0x1;
    EXPECT_EQ(input->QueryInterface(IID_IDirectInputDevice8A, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST_F(AcquireTest, UnknownDeviceGuidIsNotRegistered)
{
    IDirectInputDevice8A* device = (IDirectInputDevice8A*)0x1;
    EXPECT_EQ(input->CreateDevice(IID_IDirectInput8A, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(input->CreateDevice(GUID_SysMouse, nullptr, nullptr), E_POINTER);
}

TEST(DirectInputCreate, ChecksVersionInterfaceAndInstance)
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    const struct {
        HINSTANCE instance;
        DWORD version;
        const IID* iid;
        HRESULT expected;
    } cases[] = {
        {module, 0x0700, &IID_IDirectInput8A, DIERR_OLDDIRECTINPUTVERSION},
        {module, 0x0900, &IID_IDirectInput8A, DIERR_BETADIRECTINPUTVERSION},
        {module, 0x0800, &IID_IDirectInputDevice8A, DIERR_NOINTERFACE},
        {nullptr, 0x0800, &IID_IDirectInput8A, DIERR_INVALIDPARAM},
    };
    for (const auto& c : cases) {
        void* out = (void*)0x1;
        EXPECT_EQ(DirectInput8Create(c.instance, c.version, *c.iid, &out, nullptr), c.expected) << c.version;
        EXPECT_EQ(out, nullptr);
    }
    QLTest_FailCall("DirectInput8Create", E_OUTOFMEMORY);
    void* out = nullptr;
    EXPECT_EQ(DirectInput8Create(module, 0x0800, IID_IDirectInput8, &out, nullptr), E_OUTOFMEMORY);
    QLTest_ClearFailures();
}

}  // namespace
