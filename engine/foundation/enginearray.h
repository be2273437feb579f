// EngineArray: an owned array that frees itself, for data a reader or a
// resource keeps. The engine runs without exceptions, so allocation is
// nothrow and every growth reports failure instead of throwing; callers turn
// that into "Not Enough Memory". Elements must be default-constructible and
// movable. Moving hands the elements over; copying is not possible.
#pragma once

#include <new>
#include <stdint.h>
#include <utility>

template <typename T>
class EngineArray {
public:
    EngineArray() = default;
    EngineArray(EngineArray&& other) noexcept { Swap(other); }
    EngineArray& operator=(EngineArray&& other) noexcept
    {
        EngineArray(std::move(other)).Swap(*this);
        return *this;
    }
    ~EngineArray() { delete[] items; }

    // Replaces the contents by `count` value-initialised elements (zeros for
    // plain types). False, with the array left empty, when memory runs out.
    bool Allocate(uint32_t count)
    {
        Clear();
        if (count == 0)
            return true;
        items = new (std::nothrow) T[count]();
        if (!items)
            return false;
        this->count = capacity = count;
        return true;
    }

    // A new value-initialised element at the end; null when memory runs out
    // (the array is then unchanged).
    T* Append()
    {
        if (count == capacity) {
            uint32_t grown = capacity ? capacity * 2 : 4;
            if (grown <= capacity || !Regrow(grown))
                return nullptr;
        }
        return &items[count++];
    }

    // `count` new value-initialised elements at the end, contiguous, for a
    // block read; null when memory runs out (the array is then unchanged).
    T* AppendBlock(uint32_t count)
    {
        uint64_t needed = (uint64_t)this->count + count;
        if (needed > UINT32_MAX)
            return nullptr;
        if (needed > capacity) {
            uint64_t grown = (uint64_t)capacity * 2;
            if (grown < needed)
                grown = needed;
            if (grown > UINT32_MAX)
                grown = UINT32_MAX;
            if (!Regrow((uint32_t)grown))
                return nullptr;
        }
        T* block = items + this->count;
        this->count = (uint32_t)needed;
        return block;
    }

    void Clear()
    {
        delete[] items;
        items = nullptr;
        count = capacity = 0;
    }

    void Swap(EngineArray& other) noexcept
    {
        std::swap(items, other.items);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
    }

    T& operator[](uint32_t index) { return items[index]; }
    const T& operator[](uint32_t index) const { return items[index]; }
    T* Data() { return items; }
    const T* Data() const { return items; }
    uint32_t Count() const { return count; }
    bool IsEmpty() const { return count == 0; }

private:
    bool Regrow(uint32_t grown)
    {
        T* larger = new (std::nothrow) T[grown]();
        if (!larger)
            return false;
        for (uint32_t i = 0; i < count; ++i)
            larger[i] = std::move(items[i]);
        delete[] items;
        items = larger;
        capacity = grown;
        return true;
    }

    T* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;
};
