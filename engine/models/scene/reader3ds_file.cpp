// The 3DS reader's open-file table and its bounded reads of chunk bodies.
#include "models/scene/reader3ds_internal.h"

#include <stdlib.h>
#include <string.h>

namespace {

const size_t kStreamBufferSize = 8192;
// The mode string is looked at up to this many characters.
const size_t kModeLength = 30;

struct FileTable {
    ChunkFile* slots[READER_MAX_FILES];
    uint32_t used;
};

// Process-wide on purpose, one thread: the reader's calls name no file, they
// work on the current one.
FileTable* fileTable = nullptr;
ChunkFile* currentFile = nullptr;
// Where the current file's stream stands, so sequential reads need no seek.
uint32_t currentOffset = 0;

ChunkFile* FindOpenFile(const char* name)
{
    if (!fileTable)
        return nullptr;
    for (ChunkFile* file : fileTable->slots)
        if (file && strcmp(file->name, name) == 0)
            return file;
    return nullptr;
}

void ReleaseSlot(ChunkFile* file)
{
    if (!fileTable || file->slot == NO_FILE_SLOT)
        return;
    fileTable->slots[file->slot] = nullptr;
    file->slot = NO_FILE_SLOT;
    if (--fileTable->used == 0) {
        free(fileTable);
        fileTable = nullptr;
    }
}

void FreeFileRecord(ChunkFile* file)
{
    if (currentFile == file)
        currentFile = nullptr;
    ReleaseSlot(file);
    free(file->name);
    free(file->buffer);
    free(file);
}

// The read or write bit of a mode string, 0 when it has neither; a string
// longer than the part looked at is refused.
bool ParseMode(const char* mode, uint8_t& bits)
{
    bits = 0;
    size_t length = strnlen(mode, kModeLength + 1);
    if (length > kModeLength)
        return false;
    for (size_t i = 0; i < length && !bits; i++) {
        if (mode[i] == 'r')
            bits = CHUNK_FILE_READ;
        else if (mode[i] == 'w')
            bits = CHUNK_FILE_WRITE;
    }
    return true;
}

}  // namespace

ChunkFile* OpenChunkFile(const char* name, const char* mode)
{
    if (!name || !mode) {
        PushReaderError(ERR_INVALID_ARG);
        return nullptr;
    }
    ChunkFile* open = FindOpenFile(name);
    ChunkFile* file = (ChunkFile*)calloc(1, sizeof(ChunkFile));
    if (!file) {
        PushReaderError(ERR_NO_MEM);
        return nullptr;
    }
    file->slot = NO_FILE_SLOT;
    if (ReaderErrorPending) {
        free(file);
        PushReaderError(ERR_INIT_FAILED);
        return nullptr;
    }
    uint8_t bits = 0;
    int32_t error = NO_FTK_ERRORS;
    if (!ParseMode(mode, bits))
        error = ERR_STRING_TOO_LONG;
    else if (!bits)
        error = ERR_INIT_FAILED;
    else if (fileTable && fileTable->used >= READER_MAX_FILES)
        error = ERR_TOO_MANY_FILES;  // a full table refuses every open, shared or not
    else if (open)
        // The same name twice shares one stream; the other mode on an open
        // name would pull the file from under its first user, so it is refused.
        error = open->mode == bits ? NO_FTK_ERRORS : ERR_OPENING_FILE;
    if (open || error) {
        free(file);
        if (error)
            PushReaderError(error);
        return error ? nullptr : open;
    }

    if (!fileTable) {
        fileTable = (FileTable*)calloc(1, sizeof(FileTable));
        if (!fileTable) {
            free(file);
            PushReaderError(ERR_NO_MEM);
            return nullptr;
        }
    }
    uint32_t slot = 0;
    while (slot < READER_MAX_FILES && fileTable->slots[slot])
        slot++;
    if (slot == READER_MAX_FILES) {
        free(file);
        PushReaderError(ERR_TOO_MANY_FILES);
        return nullptr;
    }
    fileTable->slots[slot] = file;
    fileTable->used++;
    file->slot = (uint8_t)slot;
    file->mode = bits;
    file->name = strdup(name);
    file->buffer = (char*)malloc(kStreamBufferSize);
    if (!file->name || !file->buffer) {
        FreeFileRecord(file);
        PushReaderError(ERR_NO_MEM);
        return nullptr;
    }
    file->bufferSize = kStreamBufferSize;
    file->stream = fopen(name, bits == CHUNK_FILE_READ ? "rb" : "wb");
    if (!file->stream) {
        FreeFileRecord(file);
        PushReaderError(ERR_OPENING_FILE);
        return nullptr;
    }
    setvbuf(file->stream, file->buffer, _IOFBF, file->bufferSize);
    if (bits == CHUNK_FILE_READ) {
        // Chunk lengths are checked against the file's size, so a corrupt
        // length can never send a read past its end.
        long size = -1;
        if (fseek(file->stream, 0, SEEK_END) == 0)
            size = ftell(file->stream);
        if (size < 0 || fseek(file->stream, 0, SEEK_SET) != 0) {
            fclose(file->stream);
            FreeFileRecord(file);
            PushReaderError(ERR_OPENING_FILE);
            return nullptr;
        }
        // long is 32 bits on Windows: compare wide, never against (long)UINT32_MAX, which is -1 there.
        file->size = (uint64_t)size > UINT32_MAX ? UINT32_MAX : (uint32_t)size;
    }
    return file;
}

void CloseChunkFile(ChunkFile* file)
{
    if (!file)
        return;
    bool closeFailed = file->stream && fclose(file->stream) != 0;
    if (file->deleteWhenClosed)
        remove(file->name);
    FreeFileRecord(file);
    if (closeFailed)
        PushReaderError(ERR_CLOSING_FILE);
}

ChunkFile* MakeFileCurrent(uint8_t slot)
{
    ChunkFile* file = fileTable && slot < READER_MAX_FILES ? fileTable->slots[slot] : nullptr;
    if (!file || file->mode != CHUNK_FILE_READ) {
        PushReaderError(ERR_READING_FILE);
        return nullptr;
    }
    if (file != currentFile) {
        currentFile = file;
        // Unknown until the next seek.
        currentOffset = UINT32_MAX;
    }
    return file;
}

bool ChunkCursor::Seek(uint32_t offset)
{
    if (offset > end) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    position = offset;
    return true;
}

bool ChunkCursor::Skip(uint32_t bytes)
{
    if (bytes > Left()) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    position += bytes;
    return true;
}

bool ChunkCursor::Bytes(void* destination, uint32_t bytes)
{
    if (bytes > Left()) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    if (!currentFile || position > currentFile->size || bytes > currentFile->size - position) {
        PushReaderError(ERR_READING_FILE);
        return false;
    }
    if (currentOffset != position) {
        if (fseek(currentFile->stream, (long)position, SEEK_SET) != 0) {
            currentOffset = UINT32_MAX;
            PushReaderError(ERR_READING_FILE);
            return false;
        }
        currentOffset = position;
    }
    size_t got = fread(destination, 1, bytes, currentFile->stream);
    if (got != bytes) {
        currentOffset = UINT32_MAX;
        PushReaderError(ERR_READING_FILE);
        return false;
    }
    position += bytes;
    currentOffset = position;
    return true;
}

namespace {

template <typename T, T (*Load)(const uint8_t*)>
bool ReadField(ChunkCursor& cursor, T& value)
{
    uint8_t raw[sizeof(T)];
    if (!cursor.Bytes(raw, sizeof(T)))
        return false;
    value = Load(raw);
    return true;
}

}  // namespace

bool ChunkCursor::U8(uint8_t& value)
{
    return Bytes(&value, 1);
}

bool ChunkCursor::U16(uint16_t& value)
{
    return ReadField<uint16_t, LoadU16>(*this, value);
}

bool ChunkCursor::U32(uint32_t& value)
{
    return ReadField<uint32_t, LoadU32>(*this, value);
}

bool ChunkCursor::F32(float& value)
{
    return ReadField<float, LoadF32>(*this, value);
}

bool ChunkCursor::Floats(float* values, uint32_t count)
{
    if (count > Left() / 4) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    if (!Bytes(values, count * 4))
        return false;
    uint8_t* raw = (uint8_t*)values;
    for (uint32_t i = 0; i < count; i++)
        values[i] = LoadF32(raw + 4 * i);
    return true;
}

bool ChunkCursor::String(char* destination, uint32_t limit)
{
    uint32_t length = 0;
    for (;;) {
        uint8_t c = 0;
        if (Left() == 0) {
            PushReaderError(ERR_READING_FILE);
            return false;
        }
        if (!U8(c))
            return false;
        if (c == 0)
            break;
        if (length < limit)
            destination[length] = (char)c;
        length++;
    }
    destination[length < limit ? length : limit] = 0;
    if (length > READER_CLASSIC_NAME_LENGTH)
        NoteLongName(destination, length, limit);
    return true;
}

bool OpenBody(const ChunkNode* node, ChunkCursor& cursor)
{
    if (!MakeFileCurrent(node->fileSlot))
        return false;
    cursor.position = node->position + 6;
    cursor.end = node->position + node->length;
    return true;
}

uint32_t LoadU32(const uint8_t* p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

float LoadF32(const uint8_t* p)
{
    uint32_t bits = LoadU32(p);
    float value;
    memcpy(&value, &bits, 4);
    return value;
}
