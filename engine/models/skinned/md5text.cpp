#include "models/skinned/md5text.h"

#include "foundation/file.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsPunct(char c) { return c == '{' || c == '}' || c == '(' || c == ')'; }

}  // namespace

HRESULT Md5Text::Open(const EngineString& name)
{
    File file;
    HRESULT opened = file.Open(name, "rb");
    if (FAILED(opened))
        return opened;
    int64_t size = file.Size();
    if (size < 0 || size >= 0x7FFFFFFF || !text.Allocate((uint32_t)size + 1))
        return E_OUTOFMEMORY;
    if (size > 0 && !file.ReadExact(text.Data(), (size_t)size))
        return E_FAIL;
    text[(uint32_t)size] = 0;
    return S_OK;
}

Md5Text::Token Md5Text::Peek()
{
    uint32_t end = text.Count() ? text.Count() - 1 : 0;
    for (;;) {
        while (position < end && IsSpace(text[position])) {
            if (text[position] == '\n')
                ++line;
            ++position;
        }
        if (position + 1 < end && text[position] == '/' && text[position + 1] == '/') {
            while (position < end && text[position] != '\n')
                ++position;
            continue;
        }
        if (position + 1 < end && text[position] == '/' && text[position + 1] == '*') {
            position += 2;
            while (position < end && !(text[position] == '*' && position + 1 < end && text[position + 1] == '/')) {
                if (text[position] == '\n')
                    ++line;
                ++position;
            }
            position = position < end ? position + 2 : end;
            continue;
        }
        break;
    }
    Token token;
    token.start = position;
    token.line = line;
    if (position >= end)
        return token;
    char c = text[position];
    if (IsPunct(c)) {
        token.kind = Kind::Punct;
        token.length = 1;
    } else if (c == '"') {
        // A string ends on its line: a missing closing quote is refused
        // rather than swallowing the rest of the file.
        uint32_t at = position + 1;
        while (at < end && text[at] != '"' && text[at] != '\n' && text[at] != 0)
            ++at;
        token.kind = at < end && text[at] == '"' ? Kind::String : Kind::Bad;
        token.length = at - position + (token.kind == Kind::String ? 1 : 0);
    } else if (c == 0) {
        token.kind = Kind::Bad;
        token.length = 1;
    } else {
        uint32_t at = position;
        while (at < end && !IsSpace(text[at]) && !IsPunct(text[at]) && text[at] != '"' && text[at] != 0)
            ++at;
        token.kind = Kind::Word;
        token.length = at - position;
    }
    return token;
}

Md5Text::Token Md5Text::Take()
{
    Token token = Peek();
    position = token.start + token.length;
    return token;
}

EngineString Md5Text::Chars(const Token& token) const
{
    // Long words are cut so a record stays one readable line.
    uint32_t length = token.length < 40 ? token.length : 40;
    EngineArray<char> copy;
    if (!copy.Allocate(length + 1))
        return EngineString();
    memcpy(copy.Data(), &text[token.start], length);
    return EngineString(copy.Data());
}

EngineString Md5Text::Describe(const Token& token) const
{
    switch (token.kind) {
    case Kind::End:
        return "the end of the file";
    case Kind::Bad:
        return token.length && text[token.start] == '"' ? "a string without its closing quote"
                                                         : "an unreadable character";
    default:
        return "'" + Chars(token) + "'";
    }
}

bool Md5Text::TokenIs(const Token& token, const char* word) const
{
    return (token.kind == Kind::Word || token.kind == Kind::Punct) && strlen(word) == token.length &&
           memcmp(&text[token.start], word, token.length) == 0;
}

bool Md5Text::Fail(const EngineString& what)
{
    if (!failed) {
        failed = true;
        failureLine = line;
        message = what;
    }
    return false;
}

bool Md5Text::ExpectWord(const char* word)
{
    if (failed)
        return false;
    Token token = Take();
    if (TokenIs(token, word))
        return true;
    line = token.line;
    return Fail(EngineString("'") + word + "' expected, " + Describe(token) + " found");
}

bool Md5Text::ExpectPunct(char punct)
{
    char word[2] = {punct, 0};
    return ExpectWord(word);
}

bool Md5Text::TakeWord(Token* token, char* copy, uint32_t size)
{
    *token = Take();
    line = token->line;
    if (token->kind != Kind::Word || token->length >= size)
        return false;
    memcpy(copy, &text[token->start], token->length);
    copy[token->length] = 0;
    return true;
}

template <typename Parse>
bool Md5Text::ExpectNumber(const char* what, uint32_t size, Parse parse)
{
    if (failed)
        return false;
    Token token;
    char digits[64];
    if (TakeWord(&token, digits, size) && parse(digits))
        return true;
    return Fail(EngineString(what) + " expected, " + Describe(token) + " found");
}

bool Md5Text::ExpectInt(int32_t* value)
{
    return ExpectNumber("integer", 16, [value](const char* digits) {
        char* end = nullptr;
        long long parsed = strtoll(digits, &end, 10);
        if (*end != 0 || end == digits || parsed < INT32_MIN || parsed > INT32_MAX)
            return false;
        *value = (int32_t)parsed;
        return true;
    });
}

bool Md5Text::ExpectFloat(float* value)
{
    return ExpectNumber("finite number", 64, [value](const char* digits) {
        char* end = nullptr;
        float parsed = strtof(digits, &end);
        if (*end != 0 || end == digits || !isfinite(parsed))
            return false;
        *value = parsed;
        return true;
    });
}

bool Md5Text::ExpectVector(float* values, uint32_t count)
{
    if (!ExpectPunct('('))
        return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!ExpectFloat(&values[i]))
            return false;
    return ExpectPunct(')');
}

bool Md5Text::ExpectString(EngineString* value)
{
    if (failed)
        return false;
    Token token = Take();
    line = token.line;
    if (token.kind != Kind::String)
        return Fail("quoted string expected, " + Describe(token) + " found");
    EngineArray<char> copy;
    if (!copy.Allocate(token.length - 1))
        return Fail("Not Enough Memory");
    memcpy(copy.Data(), &text[token.start + 1], token.length - 2);
    *value = copy.Data();
    return true;
}

bool Md5Text::ExpectCount(const char* name, uint32_t leastBytes, uint32_t* value)
{
    if (!ExpectWord(name))
        return false;
    int32_t count;
    if (!ExpectInt(&count))
        return false;
    uint32_t left = text.Count() - 1 - position;
    if (count < 0 || (uint64_t)(uint32_t)count * leastBytes > left)
        return Fail(EngineString(name) + " " + count + " : more than the file can hold");
    *value = (uint32_t)count;
    return true;
}

bool Md5Text::NextIsPunct(char punct)
{
    char word[2] = {punct, 0};
    return NextIsWord(word);
}

bool Md5Text::NextIsWord(const char* word)
{
    return !failed && TokenIs(Peek(), word);
}

bool Md5Text::AtEnd() { return Peek().kind == Kind::End; }
