// EngineString: the engine's text type, a heap buffer that grows to the exact
// size it has to hold (length + 1) and never shrinks.
#pragma once

#include <stdint.h>

class EngineString {
public:
    EngineString() = default;
    EngineString(const char* text);  // NOLINT: implicit from literals by design
    EngineString(const EngineString& other);
    EngineString(EngineString&& other) noexcept;
    virtual ~EngineString();

    EngineString& operator=(const EngineString& other);
    EngineString& operator=(EngineString&& other) noexcept;
    EngineString& operator=(const char* text);

    // Appends return the string itself so messages read as one chain.
    EngineString& operator+=(const EngineString& text);
    EngineString& operator+=(const char* text);
    EngineString& operator+=(uint32_t number);  // "%u"
    EngineString& operator+=(int32_t number);   // "%d"

    bool operator==(const char* text) const;
    bool operator==(const EngineString& other) const { return *this == other.Chars(); }
    bool operator!=(const char* text) const { return !(*this == text); }

    // Characters [start, min(end, length)); empty when start >= end.
    EngineString SubString(uint32_t start, uint32_t end) const;

    // Never null: "" while no buffer exists.
    const char* Chars() const { return buffer ? buffer : ""; }
    uint32_t Length() const { return length; }
    uint32_t Capacity() const { return capacity; }
    bool IsEmpty() const { return length == 0; }

private:
    void Append(const char* text, uint32_t count);

    char* buffer = nullptr;
    uint32_t capacity = 0;
    uint32_t length = 0;
};

EngineString operator+(EngineString left, const EngineString& right);
EngineString operator+(EngineString left, const char* right);
EngineString operator+(EngineString left, uint32_t right);
EngineString operator+(EngineString left, int32_t right);
EngineString operator+(const char* left, const EngineString& right);
