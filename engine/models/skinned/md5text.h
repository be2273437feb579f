// The text of one MD5 file read token by token. MD5 files are plain text:
// words and numbers separated by white space, quoted strings, the
// punctuation { } ( ), and // or /* */ comments. The reader stops at the
// first thing that does not fit and keeps one message for it, with the line
// it was found on, so the loader writes one record naming the place.
#pragma once

#include "foundation/enginearray.h"

#include "foundation/enginestring.h"
#include "foundation/qlresult.h"

#include <stdint.h>

class Md5Text {
public:
    // Reads the whole file. E_FAIL after the "File '<name>' not found" record;
    // E_OUTOFMEMORY when it does not fit in memory.
    HRESULT Open(const EngineString& name);

    // Each Expect... consumes one token and returns false, with the message
    // set, when the token is not what was expected. After a failure every
    // call fails and the first message stays.
    bool ExpectWord(const char* word);
    bool ExpectPunct(char punct);
    bool ExpectInt(int32_t* value);
    // Finite numbers only: NaN and infinities are refused.
    bool ExpectFloat(float* value);
    bool ExpectVector(float* values, uint32_t count);  // ( v0 v1 ... )
    bool ExpectString(EngineString* value);
    // A count: a non-negative integer no larger than what the rest of the
    // file could hold at `leastBytes` characters a record, so a lying count
    // is refused before anything is allocated for it.
    bool ExpectCount(const char* name, uint32_t leastBytes, uint32_t* value);

    bool NextIsPunct(char punct);
    bool NextIsWord(const char* word);
    bool AtEnd();

    // Sets the message (unless one is set) and returns false.
    bool Fail(const EngineString& message);
    bool Failed() const { return failed; }
    // "<line>: <message>" is assembled by the caller; the line of the token
    // that failed, counted from 1.
    uint32_t FailureLine() const { return failureLine; }
    const EngineString& Message() const { return message; }
    bool IsEmpty() const { return text.Count() <= 1; }
    uint32_t Line() const { return line; }

private:
    enum class Kind { End, Word, String, Punct, Bad };
    struct Token {
        Kind kind = Kind::End;
        uint32_t start = 0, length = 0, line = 1;
    };
    Token Peek();
    Token Take();
    // Takes the next token; true when it is a word shorter than `size`,
    // copied into `copy` with its terminating zero.
    bool TakeWord(Token* token, char* copy, uint32_t size);
    // Takes a word shorter than `size` (at most 64) that `parse` accepts
    // whole; otherwise fails with "<what> expected, <token> found".
    template <typename Parse>
    bool ExpectNumber(const char* what, uint32_t size, Parse parse);
    EngineString Describe(const Token& token) const;
    EngineString Chars(const Token& token) const;
    bool TokenIs(const Token& token, const char* word) const;

    EngineArray<char> text;  // the file and a terminating zero
    uint32_t position = 0;
    uint32_t line = 1;
    bool failed = false;
    uint32_t failureLine = 0;
    EngineString message;
};
