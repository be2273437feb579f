// The chunk tree of a 3DS file and the object and material indexes over it.
// Building the tree reads only chunk headers and the own data that opens a
// container; bodies are decoded later, by the fetches.
#include "models/scene/reader3ds_internal.h"

#include <stdlib.h>
#include <string.h>

namespace {

// Real files nest a handful of levels; the limit keeps a crafted file from
// exhausting the stack.
const int kMaxDepth = 64;

enum OwnData { NOT_CONTAINER, NO_OWN_DATA, OWN_NAME, OWN_FACES, OWN_BYTES };

// How a container starts; every other chunk is a leaf whose body is skipped.
OwnData ContainerData(uint32_t id, uint32_t& bytes)
{
    bytes = 0;
    switch (id) {
    case 0x4D4D: case 0x3D3D: case 0x3DAA: case 0xC23D: case 0x4100: case 0xAFFF:
    case 0xA010: case 0xA020: case 0xA030: case 0xA040: case 0xA041: case 0xA042:
    case 0xA050: case 0xA052: case 0xA053: case 0xA084: case 0xA200: case 0xA204:
    case 0xA210: case 0xA220: case 0xA230: case 0xA33A: case 0xA33C: case 0xA33D:
    case 0xA33E: case 0xA340: case 0xA342: case 0xA344: case 0xA346: case 0xA348:
    case 0xA34A: case 0xA34C: case 0x8001:
        return NO_OWN_DATA;
    case 0x4000: case 0xA300:
        return OWN_NAME;
    case 0x4120:
        return OWN_FACES;
    case 0x4160: bytes = 48; return OWN_BYTES;
    case 0x0011: bytes = 3; return OWN_BYTES;
    case 0x0030: bytes = 2; return OWN_BYTES;
    case 0x0031: bytes = 4; return OWN_BYTES;
    default:
        return NOT_CONTAINER;
    }
}

bool SkipOwnData(uint32_t id, ChunkCursor& cursor)
{
    uint32_t bytes = 0;
    char name[READER_NAME_LENGTH + 1];
    uint16_t count = 0;
    switch (ContainerData(id, bytes)) {
    case OWN_NAME: return cursor.String(name, READER_NAME_LENGTH);
    case OWN_FACES: return cursor.U16(count) && cursor.Skip(8u * count);
    case OWN_BYTES: return cursor.Skip(bytes);
    default: return true;
    }
}

bool IsExtendedDataEntry(uint32_t id)
{
    return id >= 0x8002 && id <= 0x800F;
}

void FreeNodes(ChunkNode* node)
{
    while (node) {
        ChunkNode* next = node->next;
        FreeNodes(node->child);
        free(node);
        node = next;
    }
}

// Reads the children of `parent`, whose body is `cursor`, recursively.
bool ReadChildren(ChunkNode* parent, ChunkCursor cursor, int depth)
{
    if (!SkipOwnData(parent->id, cursor))
        return false;
    ChunkNode* last = nullptr;
    while (cursor.Left() > 0) {
        uint32_t position = cursor.position;
        uint16_t id = 0;
        uint32_t length = 0;
        if (cursor.Left() < 6) {
            PushReaderError(ERR_INVALID_CHUNK);
            return false;
        }
        if (!cursor.U16(id) || !cursor.U32(length))
            return false;
        bool extended = parent->id == 0x8001;
        // Only the entries of an extended-data chunk are kept; anything else
        // ends it.
        if (extended && !IsExtendedDataEntry(id))
            return true;
        if (length < 6) {
            PushReaderError(ERR_INVALID_CHUNK);
            return false;
        }
        if (length - 6 > cursor.Left()) {
            if (extended)
                return true;
            // A wrong length in one chunk need not lose the file: the chunk
            // ends where its parent does.
            NoteCutChunk(id, position);
            length = 6 + cursor.Left();
        }
        ChunkNode* node = (ChunkNode*)calloc(1, sizeof(ChunkNode));
        if (!node) {
            PushReaderError(ERR_NO_MEM);
            return false;
        }
        node->id = id;
        node->length = length;
        node->position = position;
        node->fileSlot = parent->fileSlot;
        if (last)
            last->next = node;
        else
            parent->child = node;
        last = node;
        uint32_t bytes;
        if (ContainerData(id, bytes) != NOT_CONTAINER) {
            if (depth >= kMaxDepth) {
                PushReaderError(ERR_INVALID_CHUNK);
                return false;
            }
            ChunkCursor body = {cursor.position, position + length};
            if (!ReadChildren(node, body, depth + 1))
                return false;
        }
        cursor.position = position + length;
    }
    return true;
}

void FreeIndexes(SceneDatabase* database)
{
    free(database->objects);
    free(database->materials);
    database->objects = nullptr;
    database->materials = nullptr;
    database->objectCount = 0;
    database->materialCount = 0;
    database->objectIndexStale = true;
    database->materialIndexStale = true;
}

void ResetDatabase(SceneDatabase* database)
{
    FreeNodes(database->root);
    database->root = nullptr;
    FreeIndexes(database);
}

bool DecodeName(ChunkNode* node, char* name)
{
    ChunkCursor cursor;
    return OpenBody(node, cursor) && cursor.String(name, READER_NAME_LENGTH);
}

// Index entries for the children of `parent` with `id`; `named` gives the
// chunk whose body holds an entry's name (null: the entry gets an empty name).
bool BuildIndex(ChunkNode* parent, uint32_t id, ChunkNode* (*named)(ChunkNode*), IndexEntry*& entries,
                uint32_t& count)
{
    count = 0;
    for (ChunkNode* node = parent ? parent->child : nullptr; node; node = node->next)
        count += node->id == id;
    entries = count ? (IndexEntry*)calloc(count, sizeof(IndexEntry)) : nullptr;
    if (count && !entries) {
        count = 0;
        PushReaderError(ERR_NO_MEM);
        return false;
    }
    uint32_t i = 0;
    for (ChunkNode* node = parent ? parent->child : nullptr; node; node = node->next) {
        if (node->id != id)
            continue;
        entries[i].node = node;
        entries[i].hasMesh = FindChunk(node, 0x4100) != nullptr;
        ChunkNode* nameNode = named(node);
        if (nameNode && !DecodeName(nameNode, entries[i].name)) {
            free(entries);
            entries = nullptr;
            count = 0;
            return false;
        }
        i++;
    }
    return true;
}

ChunkNode* ObjectName(ChunkNode* object)
{
    return object;
}

ChunkNode* MaterialName(ChunkNode* entry)
{
    return FindChild(entry, 0xA000);
}

}  // namespace

ChunkNode* FindChunk(ChunkNode* node, uint32_t id)
{
    if (!node)
        return nullptr;
    if (node->id == id)
        return node;
    for (ChunkNode* child = node->child; child; child = child->next)
        if (ChunkNode* found = FindChunk(child, id))
            return found;
    return nullptr;
}

ChunkNode* FindChild(ChunkNode* node, uint32_t id)
{
    for (ChunkNode* child = node ? node->child : nullptr; child; child = child->next)
        if (child->id == id)
            return child;
    return nullptr;
}

void NewSceneDatabase(SceneDatabase** database)
{
    if (!database) {
        PushReaderError(ERR_INVALID_ARG);
        return;
    }
    if (!ProvideRecord(database))
        return;
    ResetDatabase(*database);
}

void FreeSceneDatabase(SceneDatabase** database)
{
    FreeRecord(database, ResetDatabase);
}

bool DatabaseReadyToCount(SceneDatabase* database, bool (*update)(SceneDatabase*))
{
    if (!database) {
        PushReaderError(ERR_INVALID_ARG);
        return false;
    }
    return !ReaderErrorPending && database->root && update(database);
}

bool DatabaseReadyToFetch(const SceneDatabase* database, const void* out, bool libraryRoot)
{
    if (!database || !out) {
        PushReaderError(ERR_INVALID_ARG);
        return false;
    }
    if (ReaderErrorPending)
        return false;
    if (!database->root) {
        PushReaderError(ERR_INVALID_DATABASE);
        return false;
    }
    uint32_t root = database->root->id;
    if (root != 0x4D4D && root != 0xC23D && !(libraryRoot && root == 0x3DAA)) {
        PushReaderError(ERR_WRONG_DATABASE);
        return false;
    }
    return true;
}

void ReadSceneDatabase(ChunkFile* file, SceneDatabase* database)
{
    if (!file || !database) {
        PushReaderError(ERR_INVALID_ARG);
        return;
    }
    if (file->mode != CHUNK_FILE_READ || ReaderErrorPending)
        return;
    ResetDatabase(database);

    ChunkNode* root = (ChunkNode*)calloc(1, sizeof(ChunkNode));
    if (!root) {
        PushReaderError(ERR_NO_MEM);
        PushReaderError(ERR_CREATING_DATABASE);
        return;
    }
    root->fileSlot = file->slot;
    database->root = root;
    // Unbounded but by the file, so a file too short for a header is a read error.
    ChunkCursor cursor = {0, UINT32_MAX};
    uint16_t id = 0;
    if (!MakeFileCurrent(file->slot) || !cursor.U16(id) || !cursor.U32(root->length)) {
        PushReaderError(ERR_CREATING_DATABASE);
        return;
    }
    root->id = id;
    if (id != 0x4D4D && id != 0x3DAA && id != 0xC23D)
        return;
    if (root->length < 6 || root->length > file->size) {
        PushReaderError(ERR_INVALID_CHUNK);
        PushReaderError(ERR_CREATING_DATABASE);
        return;
    }
    ChunkCursor body = {6, root->length};
    if (!ReadChildren(root, body, 1)) {
        PushReaderError(ERR_READING_DATABASE);
        PushReaderError(ERR_CREATING_DATABASE);
    }
}

bool UpdateObjectIndex(SceneDatabase* database)
{
    if (!database->objectIndexStale)
        return true;
    ChunkNode* editor = FindChunk(database->root, 0x3D3D);
    if (!BuildIndex(editor, 0x4000, ObjectName, database->objects, database->objectCount))
        return false;
    database->objectIndexStale = false;
    return true;
}

bool UpdateMaterialIndex(SceneDatabase* database)
{
    if (!database->materialIndexStale)
        return true;
    ChunkNode* parent = FindChunk(database->root, 0x3D3D);
    if (!parent)
        parent = FindChunk(database->root, 0x3DAA);
    if (!BuildIndex(parent, 0xAFFF, MaterialName, database->materials, database->materialCount))
        return false;
    database->materialIndexStale = false;
    return true;
}
