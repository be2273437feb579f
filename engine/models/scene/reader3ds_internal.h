// What the parts of the 3DS reader share: the chunk tree, the open files and
// bounded reads of chunk bodies.
#pragma once

#include "models/scene/reader3ds.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>

const uint8_t NO_FILE_SLOT = 255;

struct ChunkNode {
    uint32_t id;
    uint32_t length;    // header included
    uint32_t position;  // of the header in the file
    ChunkNode* next;    // siblings in file order
    ChunkNode* child;
    uint8_t fileSlot;
};

struct IndexEntry {
    char name[READER_NAME_LENGTH + 1];
    ChunkNode* node;
    bool hasMesh;  // a 0x4100 chunk somewhere under the object
};

struct SceneDatabase {
    ChunkNode* root;
    bool objectIndexStale;
    bool materialIndexStale;
    uint32_t objectCount;
    IndexEntry* objects;
    uint32_t materialCount;
    IndexEntry* materials;
};

struct ChunkFile {
    FILE* stream;
    char* name;
    uint8_t mode;  // 1 read, 2 write
    uint8_t slot;
    char* buffer;
    size_t bufferSize;
    bool deleteWhenClosed;
    uint32_t size;  // bytes in the file when opened for reading
};

const uint8_t CHUNK_FILE_READ = 1;
const uint8_t CHUNK_FILE_WRITE = 2;

// The open file registered in `slot`, made the one the reads below use; null
// (with ERR_READING_FILE recorded) when that slot holds no file.
ChunkFile* MakeFileCurrent(uint8_t slot);

// A window [position, end) of the current file. Every read is checked against
// the window (ERR_INVALID_CHUNK) and against the file (ERR_READING_FILE); a
// failed read records its error and leaves the cursor unusable.
struct ChunkCursor {
    uint32_t position;
    uint32_t end;

    bool Seek(uint32_t offset);
    bool Skip(uint32_t bytes);
    bool Bytes(void* destination, uint32_t bytes);
    bool U8(uint8_t& value);
    bool U16(uint16_t& value);
    bool U32(uint32_t& value);
    bool F32(float& value);
    bool Floats(float* values, uint32_t count);
    // A zero-terminated string that ends inside the window (else
    // ERR_READING_FILE); its first `limit` characters are kept and a name
    // over the classic limit is noted.
    bool String(char* destination, uint32_t limit);
    uint32_t Left() const { return end - position; }
};

// Notes a name of `length` characters over the classic limit, kept as `kept`
// (cut to `limit` characters when longer).
void NoteLongName(const char* kept, uint32_t length, uint32_t limit);

// Notes a chunk whose length ran past its parent's end.
void NoteCutChunk(uint32_t id, uint32_t position);

// The body of `node` (after its header) on its own file, made current.
bool OpenBody(const ChunkNode* node, ChunkCursor& cursor);

// Depth-first search for the first chunk of `id` in the subtree of `node`,
// the node itself included.
ChunkNode* FindChunk(ChunkNode* node, uint32_t id);
// The first direct child of `node` with `id`.
ChunkNode* FindChild(ChunkNode* node, uint32_t id);

// Brings the indexes up to date; false when an error was recorded.
bool UpdateObjectIndex(SceneDatabase* database);
bool UpdateMaterialIndex(SceneDatabase* database);

// The checks every Fetch... call starts with: both arguments present, no
// error pending, and a database whose root is a 3DS file or, where
// `libraryRoot`, a material library. False with the error recorded.
bool DatabaseReadyToFetch(const SceneDatabase* database, const void* out, bool libraryRoot);

// The checks every Count... call starts with; false (the count is then 0)
// on a missing database (recorded), a pending error or an empty database,
// or when `update` could not bring the index up to date.
bool DatabaseReadyToCount(SceneDatabase* database, bool (*update)(SceneDatabase*));

// A caller's record is reused; a null one becomes a new zeroed record. False
// (ERR_NO_MEM recorded) when memory runs out.
template <typename Record>
bool ProvideRecord(Record** record)
{
    if (!*record) {
        *record = (Record*)calloc(1, sizeof(Record));
        if (!*record) {
            PushReaderError(ERR_NO_MEM);
            return false;
        }
    }
    return true;
}

// Frees *record after `reset` (if any) has freed what it owns, and clears it.
template <typename Record>
void FreeRecord(Record** record, void (*reset)(Record*))
{
    if (!record) {
        PushReaderError(ERR_INVALID_ARG);
        return;
    }
    if (!*record)
        return;
    if (reset)
        reset(*record);
    free(*record);
    *record = nullptr;
}

// Little-endian fields from a byte array.
inline uint16_t LoadU16(const uint8_t* p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}
uint32_t LoadU32(const uint8_t* p);
float LoadF32(const uint8_t* p);
