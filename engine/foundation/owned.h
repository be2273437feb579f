// One counted reference held by a scope. Error paths then need no hand-written
// Release: whatever the scope still owns when it returns is released, and
// Detach hands the reference out (into a Create or Clone out-parameter) once
// everything has succeeded. Move-only, since two owners would release twice.
#pragma once

#include <new>
#include <utility>

template <typename T>
class Owned {
public:
    Owned() = default;
    // Takes over a reference the caller already counted.
    explicit Owned(T* object) : object(object) {}
    Owned(Owned&& other) noexcept : object(other.Detach()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        Reset(other.Detach());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { Reset(); }

    T* Get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }

    // Gives the reference to the caller, who releases it from now on.
    T* Detach()
    {
        T* detached = object;
        object = nullptr;
        return detached;
    }

    // Another owner of what is held, with its own reference (empty when
    // nothing is held).
    Owned Share() const
    {
        if (object)
            object->AddRef();
        return Owned(object);
    }

    // Releases what is held (if anything) and holds `replacement` instead.
    void Reset(T* replacement = nullptr)
    {
        T* old = object;
        object = replacement;
        if (old)
            old->Release();
    }

    // The slot for a call that stores a new reference in an out-parameter;
    // what was held before is released first.
    T** Receive()
    {
        Reset();
        return &object;
    }

private:
    T* object = nullptr;
};

// A new object holding its first reference, or empty when memory ran out
// (allocation never throws in the engine).
template <typename T, typename... Args>
Owned<T> MakeOwned(Args&&... args)
{
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (object)
        object->AddRef();
    return Owned<T>(object);
}
