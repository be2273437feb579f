#include "dinput_support.h"

void DirectInputTest::SetUp()
{
    window = CreateTestWindow(320, 240);
    ASSERT_NE(window, nullptr);
    DrainMessages();
    ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8,
                                 (void**)&input, nullptr),
              DI_OK);
}

void DirectInputTest::TearDown()
{
    QLTest_ClearFailures();
    for (IDirectInputDevice8A* device : devices)
        device->Release();
    if (input) {
        EXPECT_EQ(input->Release(), 0u) << "every device gave its reference back";
    }
    DestroyWindow(window);
    DrainMessages();
    ReceivedMessages().clear();
}

IDirectInputDevice8A* DirectInputTest::MakeDevice(REFGUID guid, const DIDATAFORMAT& format, DWORD level)
{
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(input->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device)
        return nullptr;
    devices.push_back(device);
    EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(window, level), DI_OK);
    return device;
}
