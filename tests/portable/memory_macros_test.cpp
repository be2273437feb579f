// The Win32 memory macros as Direct3D 9 programs use them on their present
// parameters: the same on the stand-in's windows.h and on the SDK's.
#include <gtest/gtest.h>

#include <d3d9.h>
#include <windows.h>

TEST(MemoryMacros, FillZeroAndCopyPresentParameters)
{
    D3DPRESENT_PARAMETERS params;
    FillMemory(&params, sizeof params, 0xAB);
    EXPECT_EQ(0xABABABABu, (DWORD)params.BackBufferWidth);
    EXPECT_EQ(0xABABABABu, (DWORD)params.PresentationInterval);

    ZeroMemory(&params, sizeof params);
    EXPECT_EQ(0u, params.BackBufferWidth);
    EXPECT_EQ(nullptr, params.hDeviceWindow);
    EXPECT_EQ(0u, (DWORD)params.PresentationInterval);

    params.BackBufferWidth = 640;
    params.Windowed = TRUE;
    D3DPRESENT_PARAMETERS copy;
    FillMemory(&copy, sizeof copy, 0xCD);
    CopyMemory(&copy, &params, sizeof params);
    EXPECT_EQ(0, memcmp(&copy, &params, sizeof params));
}
