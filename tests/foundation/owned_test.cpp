#include "foundation/allarrays.h"
#include "foundation/owned.h"
#include "foundation/qlobject.h"

#include "support/release_count.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Counts what happens to it, and outlives its last reference so the counts
// can be read afterwards.
struct Probe {
    LONG count = 1;
    int releases = 0;
    LONG AddRef() { return ++count; }
    LONG Release()
    {
        ++releases;
        return --count;
    }
};

class Blob final : public SharedData<Blob> {
public:
    explicit Blob(int* destroyed) : destroyed(destroyed) {}
    ~Blob() { ++*destroyed; }

private:
    int* destroyed;
};

class Object final : public RefCounted<Object, IEngineObject> {
public:
    explicit Object(int* destroyed) : destroyed(destroyed) {}
    ~Object() { ++*destroyed; }
    QL_TYPE_NAME("Object")

private:
    int* destroyed;
};

}  // namespace

TEST(Owned, ReleasesOnceAtScopeEndUnlessDetached)
{
    Probe kept, handedOut;
    {
        Owned<Probe> a(&kept);
        Owned<Probe> b(&handedOut);
        EXPECT_EQ(&handedOut, b.Detach());
        EXPECT_FALSE(b);
    }
    EXPECT_EQ(1, kept.releases);
    EXPECT_EQ(0, handedOut.releases);
}

// Each owner gives back its own reference; sharing nothing shares nothing.
TEST(Owned, SharingCountsOneMoreReference)
{
    Probe probe;
    {
        Owned<Probe> first(&probe);
        Owned<Probe> second = first.Share();
        EXPECT_EQ(&probe, second.Get());
        EXPECT_EQ(2, probe.count);
        Owned<Probe> none;
        EXPECT_FALSE(none.Share());
    }
    EXPECT_EQ(0, probe.count);
    EXPECT_EQ(2, probe.releases);
}

TEST(Owned, MovingHandsOverTheOneReference)
{
    Probe first, second;
    {
        Owned<Probe> a(&first);
        Owned<Probe> b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(&first, b.Get());
        // Assigning over an owner releases what it held.
        Owned<Probe> c(&second);
        b = std::move(c);
        EXPECT_EQ(1, first.releases);
        EXPECT_EQ(&second, b.Get());
    }
    EXPECT_EQ(1, first.releases);
    EXPECT_EQ(1, second.releases);
}

TEST(Owned, ReceiveReleasesTheOldReferenceBeforeTheCallStoresANewOne)
{
    Probe old, fresh;
    Owned<Probe> slot(&old);
    Probe** out = slot.Receive();
    EXPECT_EQ(1, old.releases);
    EXPECT_EQ(nullptr, *out);
    *out = &fresh;
    slot.Reset();
    EXPECT_EQ(1, fresh.releases);
    EXPECT_EQ(1, old.releases);
}

TEST(Owned, MakeOwnedTakesTheFirstReferenceOfAnEngineObject)
{
    int destroyed = 0;
    {
        Owned<Object> object = MakeOwned<Object>(&destroyed);
        EXPECT_EQ(1, object->RefCount());
    }
    EXPECT_EQ(1, destroyed);
}

TEST(SharedData, StartsWithItsMakersReferenceAndDiesAtTheLastRelease)
{
    int destroyed = 0;
    Blob* blob = new Blob(&destroyed);
    EXPECT_EQ(2, blob->AddRef());
    ExpectReleasesCountDownToDestruction(blob, 2, destroyed);
}

TEST(AllAllocated, APartialAllocationLeavesNothingAllocated)
{
    int* a = new int[4];
    int* b = nullptr;
    float* c = new float[2];
    EXPECT_FALSE(AllAllocated(a, b, c));
    EXPECT_EQ(nullptr, a);
    EXPECT_EQ(nullptr, c);  // freed: LeakSanitizer reports it otherwise

    a = new int[1];
    c = new float[1];
    EXPECT_TRUE(AllAllocated(a, c));
    EXPECT_NE(nullptr, a);
    delete[] a;
    delete[] c;
}
