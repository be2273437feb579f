// File: owner of one C stream. Binary readers read it field by field with
// ReadExact; a short read is "Unexpected End Of File" (see QL_READ).
#pragma once

#include "foundation/enginestring.h"
#include "foundation/noncopyable.h"

#include <windows.h>

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// A file named inside another file (a texture of a scene, a part of a
// configuration): `name` as written when that opens, otherwise `name` taken
// from the folder of `container` or the nearest folder above it where it
// opens, otherwise `name` unchanged (its own lookup then reports it). Models
// keep working from any folder.
EngineString FindBeside(const EngineString& name, const EngineString& container);

class File : NonCopyable {
public:
    ~File() { Close(); }

    // Closes any open stream first. A file that cannot be opened writes the
    // Error record "File '<name>' not found" and returns E_FAIL.
    HRESULT Open(const EngineString& name, const EngineString& mode);
    // The same without the record: the log opens its own file this way.
    HRESULT OpenSilently(const EngineString& name, const EngineString& mode);
    void Write(const EngineString& text);
    void Flush();
    void Close();

    // True only when exactly `size` bytes were read into `destination`.
    bool ReadExact(void* destination, size_t size);
    // The size in bytes of a file just opened for reading, the stream left at
    // its start; -1 when the stream cannot seek (a pipe).
    int64_t Size();

    bool IsOpen() const { return stream != nullptr; }
    FILE* Stream() const { return stream; }

private:
    FILE* stream = nullptr;
};
