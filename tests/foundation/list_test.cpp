#include "foundation/enginelist.h"

#include <gtest/gtest.h>

TEST(EngineList, IndicesFollowInsertionOrder)
{
    EngineList<char> list;
    for (char c : {'X', 'Y', 'Z'})
        ASSERT_EQ(S_OK, list.Add(c));
    ASSERT_EQ(3u, list.Count());
    EXPECT_EQ('X', *list.Get(0));
    EXPECT_EQ('Y', *list.Get(1));
    EXPECT_EQ('Z', *list.Get(2));
    EXPECT_EQ(nullptr, list.Get(3));
    list.RemoveAt(1);
    EXPECT_EQ('Z', *list.Get(1));
    EXPECT_EQ(2u, list.Count());
}

TEST(EngineList, RememberedIndexNeverOutlivesAChange)
{
    EngineList<int> list;
    list.Add(10);
    list.Add(20);
    EXPECT_EQ(20, *list.Get(1));
    list.RemoveAt(0);
    ASSERT_NE(nullptr, list.Get(0));
    EXPECT_EQ(20, *list.Get(0));
    EXPECT_EQ(nullptr, list.Get(1));
    list.Add(30);
    EXPECT_EQ(30, *list.Get(1));
    ASSERT_EQ(S_OK, list.Remove(30));
    EXPECT_EQ(nullptr, list.Get(1));
}

TEST(EngineList, RemoveByValue)
{
    EngineList<int> list;
    for (int v : {1, 2, 3, 2})
        list.Add(v);
    EXPECT_EQ(S_OK, list.Remove(2));  // the newest 2 goes first
    EXPECT_EQ(3u, list.Count());
    EXPECT_EQ(1, *list.Get(0));
    EXPECT_EQ(2, *list.Get(1));
    EXPECT_EQ(3, *list.Get(2));
    EXPECT_EQ(S_OK, list.Remove(1));  // the oldest: the head stays
    EXPECT_EQ(2, *list.Get(0));
    EXPECT_EQ(S_OK, list.Remove(3));  // the newest: the head moves
    EXPECT_EQ(2, *list.Get(0));
    EXPECT_EQ(E_FAIL, list.Remove(7));
    EXPECT_EQ(1u, list.Count());
    list.RemoveAt(5);
    EXPECT_EQ(1u, list.Count());
    list.Clear();
    EXPECT_EQ(0u, list.Count());
    EXPECT_EQ(nullptr, list.Get(0));
}

TEST(EngineList, ElementAddressesStayValidUntilRemoved)
{
    EngineList<int> list;
    list.Add(1);
    int* first = list.Get(0);
    for (int i = 2; i < 100; ++i)
        list.Add(i);
    EXPECT_EQ(first, list.Get(0));
    EXPECT_EQ(1, *first);
}

TEST(EngineList, WalksByNeighbouringIndicesInBothDirections)
{
    EngineList<int> list;
    for (int v = 0; v < 50; ++v)
        list.Add(v);
    list.RemoveAt(20);
    for (uint32_t i = 0; i < list.Count(); ++i)
        ASSERT_EQ(i < 20 ? (int)i : (int)i + 1, *list.Get(i)) << i;
    for (uint32_t i = list.Count(); i-- > 0;)
        ASSERT_EQ(i < 20 ? (int)i : (int)i + 1, *list.Get(i)) << i;
    // A jump, then a neighbour of the jump's target.
    EXPECT_EQ(5, *list.Get(5));
    EXPECT_EQ(31, *list.Get(30));
    EXPECT_EQ(30, *list.Get(29));
    EXPECT_EQ(nullptr, list.Get(49));
}
