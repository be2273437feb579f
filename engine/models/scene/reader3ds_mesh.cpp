// Mesh records: the triangle meshes of the named objects of a 3DS database.
#include "models/scene/reader3ds_internal.h"

#include <stdlib.h>
#include <string.h>

namespace {

// A counted array: a word n, then n elements of `size` bytes, all inside the
// chunk. The elements are returned as read; the caller converts them.
bool ReadCountedArray(ChunkCursor& cursor, uint32_t size, uint16_t& count, void*& array)
{
    array = nullptr;
    if (!cursor.U16(count))
        return false;
    if ((uint32_t)count * size > cursor.Left()) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    if (count == 0)
        return true;
    array = malloc((size_t)count * size);
    if (!array) {
        PushReaderError(ERR_NO_MEM);
        return false;
    }
    if (!cursor.Bytes(array, count * size)) {
        free(array);
        array = nullptr;
        return false;
    }
    return true;
}

void ConvertWords(uint16_t* words, uint32_t count)
{
    const uint8_t* raw = (const uint8_t*)words;
    for (uint32_t i = 0; i < count; i++)
        words[i] = LoadU16(raw + 2 * i);
}

// In place and inline: a mesh's points are most of what a file holds, and a
// call per value cost more than the conversion.
void ConvertFloats(float* values, uint32_t count)
{
    const uint8_t* raw = (const uint8_t*)values;
    for (uint32_t i = 0; i < count; i++) {
        const uint8_t* p = raw + 4 * i;
        uint32_t bits = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
        memcpy(&values[i], &bits, 4);
    }
}

// Count and array change together, so a failed read leaves them matching.
template <typename Unit, void (*Convert)(Unit*, uint32_t), typename T>
bool ReadConverted(ChunkCursor& cursor, uint16_t& count, T*& out)
{
    void* array = nullptr;
    uint16_t read = 0;
    if (!ReadCountedArray(cursor, sizeof(T), read, array))
        return false;
    Convert((Unit*)array, read * (uint32_t)(sizeof(T) / sizeof(Unit)));
    free(out);
    out = (T*)array;
    count = read;
    return true;
}

template <typename T>
bool ReadWords(ChunkCursor& cursor, uint16_t& count, T*& out)
{
    return ReadConverted<uint16_t, ConvertWords>(cursor, count, out);
}

template <typename T>
bool ReadFloats(ChunkCursor& cursor, uint16_t& count, T*& out)
{
    return ReadConverted<float, ConvertFloats>(cursor, count, out);
}

void FreeGroups(MeshRecord* mesh)
{
    for (uint16_t i = 0; i < mesh->groupCount; i++)
        free(mesh->groups[i].faces);
    free(mesh->groups);
    mesh->groups = nullptr;
    mesh->groupCount = 0;
}

void ResetMesh(MeshRecord* mesh)
{
    FreeGroups(mesh);
    free(mesh->points);
    free(mesh->faces);
    free(mesh->pointFlags);
    free(mesh->texCoords);
    free(mesh->smoothing);
    free(mesh->proceduralData);
    memset(mesh, 0, sizeof(MeshRecord));
}

bool ReadGroups(ChunkNode* faceChunk, MeshRecord* mesh)
{
    uint32_t count = 0;
    for (ChunkNode* node = faceChunk->child; node; node = node->next)
        count += node->id == 0x4130;
    if (count == 0)
        return true;
    if (count > 0xFFFF) {
        PushReaderError(ERR_INVALID_CHUNK);
        return false;
    }
    mesh->groups = (MaterialGroup*)calloc(count, sizeof(MaterialGroup));
    if (!mesh->groups) {
        PushReaderError(ERR_NO_MEM);
        return false;
    }
    for (ChunkNode* node = faceChunk->child; node; node = node->next) {
        if (node->id != 0x4130)
            continue;
        // Counted as it is filled, so a failure frees exactly what was read.
        MaterialGroup& group = mesh->groups[mesh->groupCount++];
        ChunkCursor cursor;
        if (!OpenBody(node, cursor) || !cursor.String(group.name, READER_NAME_LENGTH) ||
            !ReadWords(cursor, group.faceCount, group.faces))
            return false;
    }
    return true;
}

bool ReadFaces(ChunkNode* node, MeshRecord* mesh)
{
    ChunkCursor cursor;
    if (!OpenBody(node, cursor) || !ReadWords(cursor, mesh->faceCount, mesh->faces))
        return false;
    FreeGroups(mesh);
    if (!ReadGroups(node, mesh))
        return false;
    if (ChunkNode* smoothing = FindChild(node, 0x4150)) {
        if (!OpenBody(smoothing, cursor))
            return false;
        uint32_t count = cursor.Left() / 4;
        uint32_t* values = count ? (uint32_t*)malloc(count * 4u) : nullptr;
        if (count && !values) {
            PushReaderError(ERR_NO_MEM);
            return false;
        }
        for (uint32_t i = 0; i < count; i++) {
            if (!cursor.U32(values[i])) {
                free(values);
                return false;
            }
        }
        free(mesh->smoothing);
        mesh->smoothing = values;
        mesh->smoothingCount = count;
    }
    if (ChunkNode* boxMap = FindChild(node, 0x4190)) {
        if (!OpenBody(boxMap, cursor))
            return false;
        for (auto& name : mesh->boxMaps)
            if (!cursor.String(name, READER_NAME_LENGTH))
                return false;
    }
    return true;
}

bool ReadMapping(ChunkCursor& cursor, MeshRecord* mesh)
{
    MeshMapping& map = mesh->mapping;
    mesh->hasMapping = cursor.U16(map.type) && cursor.Floats(map.tiling, 2) &&
                       cursor.Floats(map.iconPosition, 3) && cursor.Floats(map.matrix, 12) &&
                       cursor.F32(map.scaling) && cursor.F32(map.plateWidth) &&
                       cursor.F32(map.plateHeight) && cursor.F32(map.cylinderHeight);
    return mesh->hasMapping;
}

bool ReadMeshPart(ChunkNode* node, MeshRecord* mesh)
{
    if (node->id == 0x4120)
        return ReadFaces(node, mesh);
    ChunkCursor cursor;
    switch (node->id) {
    case 0x4110: return OpenBody(node, cursor) && ReadFloats(cursor, mesh->vertexCount, mesh->points);
    case 0x4111: return OpenBody(node, cursor) && ReadWords(cursor, mesh->pointFlagCount, mesh->pointFlags);
    case 0x4140: return OpenBody(node, cursor) && ReadFloats(cursor, mesh->texCoordCount, mesh->texCoords);
    case 0x4160: return OpenBody(node, cursor) && cursor.Floats(mesh->matrix, 12);
    case 0x4165: return OpenBody(node, cursor) && cursor.U8(mesh->meshColor);
    case 0x4170: return OpenBody(node, cursor) && ReadMapping(cursor, mesh);
    case 0x4181: return OpenBody(node, cursor) && cursor.String(mesh->proceduralName, READER_NAME_LENGTH);
    case 0x4182: {
        if (!OpenBody(node, cursor))
            return false;
        uint32_t size = cursor.Left();
        uint8_t* data = size ? (uint8_t*)malloc(size) : nullptr;
        if (size && !data) {
            PushReaderError(ERR_NO_MEM);
            return false;
        }
        if (size && !cursor.Bytes(data, size)) {
            free(data);
            return false;
        }
        free(mesh->proceduralData);
        mesh->proceduralData = data;
        mesh->proceduralSize = size;
        return true;
    }
    default:
        return true;
    }
}

// The index-th object that holds a mesh, or null.
ChunkNode* MeshObject(SceneDatabase* database, uint32_t index, const char*& name)
{
    for (uint32_t i = 0; i < database->objectCount; i++) {
        if (!database->objects[i].hasMesh)
            continue;
        if (index-- == 0) {
            name = database->objects[i].name;
            return database->objects[i].node;
        }
    }
    return nullptr;
}

}  // namespace

uint32_t CountMeshes(SceneDatabase* database)
{
    if (!DatabaseReadyToCount(database, UpdateObjectIndex))
        return 0;
    uint32_t count = 0;
    for (uint32_t i = 0; i < database->objectCount; i++)
        count += database->objects[i].hasMesh;
    return count;
}

void FetchMesh(SceneDatabase* database, uint32_t index, MeshRecord** out)
{
    if (!DatabaseReadyToFetch(database, out, false))
        return;
    if (!UpdateObjectIndex(database))
        return;
    const char* name = nullptr;
    ChunkNode* object = MeshObject(database, index, name);
    if (!object)
        return;
    // An object that is not a mesh leaves the caller's record as it was.
    ChunkNode* triangles = FindChild(object, 0x4100);
    if (!triangles) {
        PushReaderError(ERR_WRONG_OBJECT);
        return;
    }
    if (!ProvideRecord(out))
        return;
    MeshRecord* mesh = *out;
    ResetMesh(mesh);
    strcpy(mesh->name, name);
    for (ChunkNode* node = triangles->child; node; node = node->next)
        if (!ReadMeshPart(node, mesh))
            return;
    for (ChunkNode* node = object->child; node; node = node->next)
        if (node->id >= 0x4010 && node->id <= 0x4017)
            mesh->objectFlags |= (uint8_t)(1u << (node->id - 0x4010));
}

void FreeMeshRecord(MeshRecord** record)
{
    FreeRecord(record, ResetMesh);
}
