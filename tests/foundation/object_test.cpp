#include "foundation/qlobject.h"

#include "support/release_count.h"

#include <gtest/gtest.h>

namespace {

struct IThing {
    virtual LONG AddRef() = 0;
    virtual LONG Release() = 0;
    virtual const EngineString& GetType() = 0;
    virtual HRESULT Clone(IThing** out) = 0;
};

class Thing final : public RefCounted<Thing, IThing> {
public:
    explicit Thing(int* destroyed) : destroyed(destroyed) {}
    ~Thing() { ++*destroyed; }
    QL_TYPE_NAME("Thing")
    HRESULT Clone(IThing**) override { return E_FAIL; }

private:
    int* destroyed;
};

}  // namespace

TEST(RefCounted, LastReleaseDestroysOnce)
{
    int destroyed = 0;
    IThing* thing = new Thing(&destroyed);
    EXPECT_EQ(1, thing->AddRef());
    EXPECT_EQ(2, thing->AddRef());
    ExpectReleasesCountDownToDestruction(thing, 2, destroyed);
}

TEST(RefCounted, ReleaseAtZeroDoesNothing)
{
    int destroyed = 0;
    Thing thing(&destroyed);  // never referenced: count 0
    EXPECT_EQ(0, thing.Release());
    EXPECT_EQ(0, destroyed);
}

TEST(RefCounted, TypeNameIsOneStaticString)
{
    int destroyed = 0;
    Thing a(&destroyed), b(&destroyed);
    EXPECT_EQ(&a.GetType(), &b.GetType());
    EXPECT_STREQ("Thing", a.GetType().Chars());
    IThing* out = nullptr;
    EXPECT_EQ(E_FAIL, a.Clone(&out));
    EXPECT_EQ(nullptr, out);
}
