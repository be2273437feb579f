#include "foundation/enginestring.h"

#include <stdio.h>
#include <string.h>

#include <new>

EngineString::EngineString(const char* text)
{
    *this += text;
}

EngineString::EngineString(const EngineString& other) : EngineString(other.buffer) {}

EngineString::EngineString(EngineString&& other) noexcept
    : buffer(other.buffer), capacity(other.capacity), length(other.length)
{
    other.buffer = nullptr;
    other.capacity = 0;
    other.length = 0;
}

EngineString::~EngineString()
{
    delete[] buffer;
}

EngineString& EngineString::operator=(const EngineString& other)
{
    if (this != &other)
        *this = other.buffer;
    return *this;
}

EngineString& EngineString::operator=(EngineString&& other) noexcept
{
    if (this != &other) {
        delete[] buffer;
        buffer = other.buffer;
        capacity = other.capacity;
        length = other.length;
        other.buffer = nullptr;
        other.capacity = 0;
        other.length = 0;
    }
    return *this;
}

EngineString& EngineString::operator=(const char* text)
{
    uint32_t count = text ? (uint32_t)strlen(text) : 0;
    if (text && text >= buffer && text < buffer + capacity) {
        // Assigning a part of ourselves: keep it through the reallocation.
        EngineString copy(text);
        return *this = static_cast<EngineString&&>(copy);
    }
    if (capacity < count + 1) {
        if (count == 0) {
            length = 0;
            return *this;
        }
        char* grown = new (std::nothrow) char[count + 1];
        if (!grown)
            return *this;
        delete[] buffer;
        buffer = grown;
        capacity = count + 1;
    }
    length = 0;
    if (buffer)
        buffer[0] = '\0';
    Append(text, count);
    return *this;
}

void EngineString::Append(const char* text, uint32_t count)
{
    if (!text || count == 0)
        return;
    if (capacity < length + count + 1) {
        char* grown = new (std::nothrow) char[length + count + 1];
        if (!grown)
            return;
        if (buffer)
            memcpy(grown, buffer, length);
        memcpy(grown + length, text, count);
        delete[] buffer;
        buffer = grown;
        capacity = length + count + 1;
    } else {
        memmove(buffer + length, text, count);
    }
    length += count;
    buffer[length] = '\0';
}

EngineString& EngineString::operator+=(const EngineString& text)
{
    Append(text.buffer, text.length);
    return *this;
}

EngineString& EngineString::operator+=(const char* text)
{
    if (text)
        Append(text, (uint32_t)strlen(text));
    return *this;
}

EngineString& EngineString::operator+=(uint32_t number)
{
    char digits[16];
    int count = snprintf(digits, sizeof digits, "%u", number);
    Append(digits, (uint32_t)count);
    return *this;
}

EngineString& EngineString::operator+=(int32_t number)
{
    char digits[16];
    int count = snprintf(digits, sizeof digits, "%d", number);
    Append(digits, (uint32_t)count);
    return *this;
}

bool EngineString::operator==(const char* text) const
{
    if (!text)
        text = "";
    return strlen(text) == length && memcmp(Chars(), text, length) == 0;
}

EngineString EngineString::SubString(uint32_t start, uint32_t end) const
{
    EngineString part;
    if (end > length)
        end = length;
    if (start < end)
        part.Append(buffer + start, end - start);
    return part;
}

EngineString operator+(EngineString left, const EngineString& right)
{
    left += right;
    return left;
}

EngineString operator+(EngineString left, const char* right)
{
    left += right;
    return left;
}

EngineString operator+(EngineString left, uint32_t right)
{
    left += right;
    return left;
}

EngineString operator+(EngineString left, int32_t right)
{
    left += right;
    return left;
}

EngineString operator+(const char* left, const EngineString& right)
{
    EngineString joined(left);
    joined += right;
    return joined;
}
