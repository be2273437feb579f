// A binary Cal3D file opened for reading, which knows how many bytes remain.
// Counts read from a file are checked against what remains before anything
// is allocated for them, so a damaged count cannot ask for gigabytes that
// the file could never fill.
#pragma once

#include "foundation/file.h"
#include "foundation/qltrace.h"

#include <stdint.h>
#include <stdio.h>

class Cal3DFile {
public:
    HRESULT Open(const EngineString& name)
    {
        HRESULT result = file.Open(name, "rb");
        if (FAILED(result))
            return result;
        // A stream that cannot seek (a pipe) is read without the size check.
        int64_t end = file.Size();
        size = end >= 0 ? (uint64_t)end : UINT64_MAX;
        position = 0;
        return S_OK;
    }

    bool ReadExact(void* destination, size_t count)
    {
        if (!file.ReadExact(destination, count))
            return false;
        position += count;
        return true;
    }

    // True when `count` records of `recordSize` bytes can still be read.
    bool Holds(uint64_t count, uint64_t recordSize) const
    {
        return recordSize == 0 || count <= Left() / recordSize;
    }

    // Reads past `count` bytes; false when the file ends before.
    bool Skip(uint64_t count)
    {
        if (count > Left())
            return false;
        if (size == UINT64_MAX) {
            char scratch[256];
            while (count > 0) {
                size_t step = count < sizeof scratch ? (size_t)count : sizeof scratch;
                if (!ReadExact(scratch, step))
                    return false;
                count -= step;
            }
            return true;
        }
        if (fseek(file.Stream(), (long)count, SEEK_CUR) != 0)
            return false;
        position += count;
        return true;
    }

    void Close() { file.Close(); }

private:
    uint64_t Left() const
    {
        if (size == UINT64_MAX)
            return UINT64_MAX;
        return position < size ? size - position : 0;
    }

    File file;
    uint64_t size = 0;
    uint64_t position = 0;
};

// Like QL_READ, for a check made before the read: the file is too short for
// what its counts announce.
#define CAL3D_EXPECT(context, file, condition)                        \
    do {                                                              \
        if (!(condition)) {                                           \
            QL_CHECK((context), "Unexpected End Of File", E_FAIL);    \
            (file).Close();                                           \
            return QLE_SUBFUNCTION;                                   \
        }                                                             \
    } while (0)
