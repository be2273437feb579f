// The engine object model. Every interface derives from IEngineObject and
// declares Clone (with its own out type) first, so AddRef, Release, GetType
// and Clone take slots 0 to 3; RefCounted implements the first two.
//
// Ownership, once for the whole engine: a Create... call or a Clone stores one
// reference in its out-parameter, which the receiver gives back with Release.
// Getters hand out no reference. Objects are never deleted by their users.
//
// Failures, once for the whole engine (qltrace.h): a failed check writes one
// Error record "[<Type>::<Operation>] Error : "Called function return <CODE>
// (0x<hex>), Msg : '<message>'"" with the source file and line of the check,
// and the operation returns QLE_SUBFUNCTION. The interface headers name, per
// method, the messages of those checks ("Invalid Call/Param" for a bad
// argument, "Assertion Failed", "Not Enough Memory", "-" where the failing
// call has already reported itself) and the file the records name.
//
// Inside an implementation, an Owned (owned.h) holds a reference across the
// error paths until Detach hands it out.
//
// Releasing until destroyed (ReleaseUntilDestroyed, below) breaks that
// bookkeeping on purpose, so only an owner ending an object's life uses it:
// the application's end, which releases the core and with it whatever the
// managers still hold, a manager destroying what the application left alive
// (after reporting it), and a test's teardown.
#pragma once

#include "foundation/enginestring.h"
#include "foundation/qlresult.h"

#include <windows.h>

struct IEngineObject {
    // The new count.
    virtual LONG AddRef() = 0;
    // The new count; the object is destroyed when it reaches 0. At 0 already: 0, no effect.
    virtual LONG Release() = 0;
    // The class's type name, one string for the whole run.
    virtual const EngineString& GetType() = 0;
};

// Shared data that is not an engine object (a model's loaded data): counted
// like one, with AddRef and Release as its only slots, but not typed and not
// cloneable.
struct ISharedData {
    // The new count.
    virtual LONG AddRef() = 0;
    // The new count; the data is destroyed when it reaches 0. At 0 already: 0, no effect.
    virtual LONG Release() = 0;

protected:
    ~ISharedData() = default;
};

// The one reference count of the engine. Engine objects start at 0 and
// their factory takes the first reference; shared data starts at 1, held by
// whoever made it (see SharedData). The last Release deletes the concrete
// class, which must be final and let this base reach its destructor.
template <typename Self, typename Interface, LONG FirstCount = 0>
class RefCounted : public Interface {
public:
    using Interface::Interface;

    LONG AddRef() override { return ++refCount; }

    LONG Release() override
    {
        if (refCount == 0)
            return 0;
        if (--refCount == 0) {
            delete static_cast<Self*>(this);
            return 0;
        }
        return refCount;
    }

    LONG RefCount() const { return refCount; }

private:
    LONG refCount = FirstCount;
};

// Counted shared data, born with the reference of the object that made it.
template <typename Self>
using SharedData = RefCounted<Self, ISharedData, 1>;

// GetType's string, built on the first call and kept for the whole run.
#define QL_TYPE_NAME(name)                    \
    const EngineString& GetType() override    \
    {                                         \
        static const EngineString type(name); \
        return type;                          \
    }

// Releases `object` (null: nothing) until its count reaches 0, which destroys
// it. It reports nothing: a caller that finds leftovers reports them first.
template <typename Object>
void ReleaseUntilDestroyed(Object* object)
{
    if (object)
        while (object->Release() != 0) {
        }
}
