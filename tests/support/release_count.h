// The counting rule every reference-counted object keeps, checked the same
// way for each kind.
#pragma once

#include <gtest/gtest.h>

// Releases the `count` references `object` holds, one at a time: each Release
// returns the references left, and only the last one destroys the object
// (its destructor increments `destroyed`).
template <typename T>
void ExpectReleasesCountDownToDestruction(T* object, int count, const int& destroyed)
{
    for (int left = count - 1; left >= 0; --left) {
        EXPECT_EQ(0, destroyed) << "destroyed with " << left + 1 << " references left";
        EXPECT_EQ(left, object->Release());
    }
    EXPECT_EQ(1, destroyed);
}
