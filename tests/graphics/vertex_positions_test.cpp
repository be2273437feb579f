// Kept model-space positions of vertex buffers: every buffer has its own,
// for as long as it lives and across device resets, and running out of
// memory for them fails cleanly.
#include "support/graphics_fixture.h"

#include "support/allocation_failure.h"

namespace {

const DWORD kFormat = D3DFVF_XYZ | D3DFVF_NORMAL;

// Writes count positions that say which buffer they belong to.
HRESULT FillPositions(VB* buffer, float tag)
{
    return Refill<D3DXVECTOR3>(buffer, [&](void*, D3DXVECTOR3* positions) {
        for (uint32_t i = 0; i < buffer->GetCount(); ++i)
            positions[i] = D3DXVECTOR3(tag, float(i), -tag);
    });
}

bool HoldsTag(VB* buffer, float tag)
{
    const D3DXVECTOR3* positions = buffer->Positions();
    if (!positions)
        return false;
    for (uint32_t i = 0; i < buffer->GetCount(); ++i)
        if (positions[i].x != tag || positions[i].y != float(i) || positions[i].z != -tag)
            return false;
    return true;
}

}  // namespace

using VertexPositionsTest = GraphicsTest;

// Dynamic buffers of different sizes, created before and after each other's
// writes, keep what each was given, also through a device reset.
TEST_F(VertexPositionsTest, EveryDynamicBufferKeepsItsOwnPositions)
{
    ASSERT_EQ(S_OK, StartDevice());
    VB* small = nullptr;
    VB* large = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateVB(kFormat, 40, true, &small));
    EXPECT_EQ(nullptr, small->Positions()) << "nothing kept before a lock asks for it";
    ASSERT_EQ(S_OK, FillPositions(small, 1.0f));
    ASSERT_EQ(S_OK, graphics->CreateVB(kFormat, 900, true, &large));
    ASSERT_EQ(S_OK, FillPositions(large, 2.0f));
    EXPECT_TRUE(HoldsTag(small, 1.0f)) << "a larger buffer's creation and writes leave it alone";
    EXPECT_TRUE(HoldsTag(large, 2.0f));
    ASSERT_EQ(S_OK, FillPositions(small, 3.0f));
    EXPECT_TRUE(HoldsTag(large, 2.0f));

    ASSERT_EQ(S_OK, graphics->UpdateScreenMode());
    EXPECT_TRUE(HoldsTag(small, 3.0f)) << "after a reset";
    EXPECT_TRUE(HoldsTag(large, 2.0f)) << "after a reset";
    EXPECT_EQ(S_OK, FillPositions(large, 4.0f)) << "the re-created buffer locks";
    EXPECT_TRUE(HoldsTag(small, 3.0f));
    large->Release();
    small->Release();
    EXPECT_EQ(std::string::npos, NewLog().find("Error")) << NewLog();
}

// Out of memory for the positions: a static buffer is not created, a
// dynamic buffer's lock that asks for them fails without staying locked;
// both work once memory is back.
TEST_F(VertexPositionsTest, PositionsThatCannotBeAllocatedFailCleanly)
{
    ASSERT_EQ(S_OK, StartDevice());
    const uint32_t count = 5000;
    const size_t bytes = count * sizeof(D3DXVECTOR3);

    VB* rigid = nullptr;
    FailNothrowAllocations(1, bytes);
    EXPECT_EQ(QLE_SUBFUNCTION, graphics->CreateVB(kFormat, count, false, &rigid));
    EXPECT_EQ(1, RefusedAllocations());
    EXPECT_EQ(nullptr, rigid);
    EXPECT_NE(std::string::npos,
              NewLog().find(ErrorRecord("QLGraphics::CreateVB()", E_OUTOFMEMORY, "Not Enough Memory")))
        << NewLog();

    VB* skinned = nullptr;
    ASSERT_EQ(S_OK, graphics->CreateVB(kFormat, count, true, &skinned));
    ASSERT_EQ(S_OK, FillPositions(skinned, 5.0f));
    skinned->Release();
    ASSERT_EQ(S_OK, graphics->CreateVB(kFormat, count, true, &skinned));
    FailNothrowAllocations(1, bytes);
    void* data = nullptr;
    D3DXVECTOR3* positions = nullptr;
    EXPECT_EQ(QLE_SUBFUNCTION, skinned->Lock(&data, &positions));
    EXPECT_EQ(1, RefusedAllocations());
    EXPECT_EQ(nullptr, positions);
    EXPECT_EQ(nullptr, skinned->Positions());
    EXPECT_NE(std::string::npos, NewLog().find(ErrorRecord("VB::Lock()", E_OUTOFMEMORY, "Not Enough Memory")))
        << NewLog();
    FailNothrowAllocations(0, 0);
    EXPECT_EQ(S_OK, skinned->Lock(&data, nullptr)) << "nothing stayed locked";
    EXPECT_EQ(S_OK, skinned->Unlock());
    EXPECT_EQ(S_OK, FillPositions(skinned, 6.0f));
    EXPECT_TRUE(HoldsTag(skinned, 6.0f));
    ASSERT_EQ(S_OK, graphics->CreateVB(kFormat, count, false, &rigid));
    rigid->Release();
    skinned->Release();
}
