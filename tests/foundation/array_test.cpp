#include "foundation/enginearray.h"

#include "support/allocation_failure.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Counts what an array does to its elements' owned state.
struct Tracked {
    int value = 0;
    int* moves = nullptr;
    Tracked() = default;
    Tracked(Tracked&&) = delete;
    Tracked& operator=(Tracked&& other)
    {
        value = other.value;
        moves = other.moves;
        if (moves)
            ++*moves;
        return *this;
    }
};

}  // namespace

TEST(EngineArray, GrowingKeepsEveryElementInOrder)
{
    EngineArray<int> array;
    for (int i = 0; i < 100; ++i) {
        int* slot = array.Append();
        ASSERT_NE(nullptr, slot);
        *slot = i;
    }
    int* block = array.AppendBlock(50);
    ASSERT_NE(nullptr, block);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(0, block[i]) << "appended elements start value-initialised";
    ASSERT_EQ(150u, array.Count());
    for (uint32_t i = 0; i < 100; ++i)
        ASSERT_EQ((int)i, array[i]);
}

TEST(EngineArray, GrowthMovesElementsAcross)
{
    int moves = 0;
    EngineArray<Tracked> array;
    for (int i = 0; i < 5; ++i) {
        Tracked* slot = array.Append();
        ASSERT_NE(nullptr, slot);
        slot->value = i;
        slot->moves = &moves;
    }
    EXPECT_EQ(4, moves) << "the fifth element outgrew the first four places";
    EXPECT_EQ(4, array[4].value);
}

TEST(EngineArray, AFailedGrowthLeavesTheArrayAsItWas)
{
    EngineArray<int> array;
    ASSERT_TRUE(array.Allocate(3));
    array[2] = 7;
    FailNthNothrowAllocation(1);
    EXPECT_EQ(nullptr, array.Append());
    FailNthNothrowAllocation(1);
    EXPECT_EQ(nullptr, array.AppendBlock(10));
    FailNthNothrowAllocation(0);
    ASSERT_EQ(3u, array.Count());
    EXPECT_EQ(7, array[2]);

    FailNthNothrowAllocation(1);
    EXPECT_FALSE(array.Allocate(4));
    FailNthNothrowAllocation(0);
    EXPECT_TRUE(array.IsEmpty()) << "a failed Allocate leaves nothing behind";
    EXPECT_EQ(nullptr, array.Data());
}

TEST(EngineArray, ABlockPastTheLargestCountIsRefused)
{
    EngineArray<char> array;
    ASSERT_NE(nullptr, array.Append());
    EXPECT_EQ(nullptr, array.AppendBlock(UINT32_MAX)) << "the count would wrap";
    EXPECT_EQ(1u, array.Count());
}

TEST(EngineArray, MovingHandsTheElementsOver)
{
    EngineArray<int> first;
    ASSERT_TRUE(first.Allocate(2));
    first[1] = 5;
    const int* data = first.Data();
    EngineArray<int> second(std::move(first));
    EXPECT_TRUE(first.IsEmpty());
    EXPECT_EQ(data, second.Data());
    EngineArray<int> third;
    ASSERT_TRUE(third.Allocate(9));
    third = std::move(second);
    EXPECT_EQ(2u, third.Count());
    EXPECT_EQ(5, third[1]);
}
