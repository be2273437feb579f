// Material records: the material entries of a 3DS database or material library.
#include "models/scene/reader3ds_internal.h"

#include <stdlib.h>
#include <string.h>

namespace {

struct MapChunk {
    uint32_t id;
    MaterialMapSlot slot;
};

const MapChunk kMapChunks[] = {
    {0xA200, MAP_TEXTURE1}, {0xA33A, MAP_TEXTURE2}, {0xA210, MAP_OPACITY},
    {0xA230, MAP_BUMP}, {0xA204, MAP_SPECULAR}, {0xA33C, MAP_SHININESS},
    {0xA33D, MAP_SELFILLUM}, {0xA220, MAP_REFLECTION}, {0xA33E, MAP_TEXTURE1_MASK},
    {0xA340, MAP_TEXTURE2_MASK}, {0xA342, MAP_OPACITY_MASK}, {0xA344, MAP_BUMP_MASK},
    {0xA346, MAP_SHININESS_MASK}, {0xA348, MAP_SPECULAR_MASK}, {0xA34A, MAP_SELFILLUM_MASK},
    {0xA34C, MAP_REFLECTION_MASK},
};

void ResetMaterial(MaterialRecord* material)
{
    memset(material, 0, sizeof(MaterialRecord));
    material->wireSize = 1.0f;
    material->shading = 3;
    // A map without scale chunks is drawn once per unit of its coordinates.
    for (TextureMap& map : material->maps)
        map.scale[0] = map.scale[1] = 1.0f;
}

bool ReadColor24(ChunkNode* node, ColorF& color)
{
    ChunkCursor cursor;
    uint8_t rgb[3];
    if (!OpenBody(node, cursor) || !cursor.Bytes(rgb, 3))
        return false;
    color = {rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f};
    return true;
}

bool ReadColorFloat(ChunkNode* node, ColorF& color)
{
    ChunkCursor cursor;
    float rgb[3];
    if (!OpenBody(node, cursor) || !cursor.Floats(rgb, 3))
        return false;
    // Exporters write unclamped floats; NaN fails both tests and becomes 0.
    for (float& c : rgb)
        c = c >= 0.0f ? (c <= 1.0f ? c : 1.0f) : 0.0f;
    color = {rgb[0], rgb[1], rgb[2]};
    return true;
}

// A colour chunk holds its colour as 24-bit bytes (0x0011) or floats
// (0x0010), optionally with a gamma-corrected copy (0x0012, 0x0013). The
// corrected copy wins; of two forms of the same kind the 24-bit one.
bool ReadColor(ChunkNode* node, ColorF& color)
{
    const uint32_t preferred[] = {0x0012, 0x0013, 0x0011, 0x0010};
    for (uint32_t id : preferred) {
        if (ChunkNode* found = FindChunk(node, id))
            return id == 0x0012 || id == 0x0011 ? ReadColor24(found, color) : ReadColorFloat(found, color);
    }
    PushReaderError(ERR_UNFOUND_CHUNK);
    return false;
}

bool ReadPercentChunk(ChunkNode* node, float& value)
{
    ChunkCursor cursor;
    if (!OpenBody(node, cursor))
        return false;
    if (node->id == 0x0031)
        return cursor.F32(value);
    uint16_t percent = 0;
    if (!cursor.U16(percent))
        return false;
    value = (int16_t)percent * 0.01f;
    return true;
}

bool ReadPercentage(ChunkNode* node, float& value)
{
    value = 0;
    ChunkNode* found = FindChunk(node, 0x0030);
    if (!found)
        found = FindChunk(node, 0x0031);
    return !found || ReadPercentChunk(found, value);
}

bool ReadFloatChunk(ChunkNode* node, float& value)
{
    ChunkCursor cursor;
    return OpenBody(node, cursor) && cursor.F32(value);
}

bool ReadMap(ChunkNode* mapChunk, TextureMap& map)
{
    for (ChunkNode* node = mapChunk->child; node; node = node->next) {
        ChunkCursor cursor;
        bool ok = true;
        switch (node->id) {
        case 0xA300: ok = OpenBody(node, cursor) && cursor.String(map.name, READER_NAME_LENGTH); break;
        case 0x0030: case 0x0031: ok = ReadPercentChunk(node, map.strength); break;
        case 0xA351: ok = OpenBody(node, cursor) && cursor.U16(map.tiling); break;
        case 0xA353: ok = ReadFloatChunk(node, map.blur); break;
        case 0xA354: ok = ReadFloatChunk(node, map.scale[0]); break;
        case 0xA356: ok = ReadFloatChunk(node, map.scale[1]); break;
        case 0xA358: ok = ReadFloatChunk(node, map.offset[0]); break;
        case 0xA35A: ok = ReadFloatChunk(node, map.offset[1]); break;
        case 0xA35C: ok = ReadFloatChunk(node, map.rotation); break;
        case 0xA360: ok = ReadColor24(node, map.tint1); break;
        case 0xA362: ok = ReadColor24(node, map.tint2); break;
        case 0xA364: ok = ReadColor24(node, map.tintR); break;
        case 0xA366: ok = ReadColor24(node, map.tintG); break;
        case 0xA368: ok = ReadColor24(node, map.tintB); break;
        default: break;
        }
        if (!ok)
            return false;
    }
    return true;
}

bool ReadFlag(bool& flag)
{
    flag = true;
    return true;
}

// One direct child of a material entry; false when an error was recorded.
bool ReadMaterialPart(ChunkNode* node, MaterialRecord* material, bool& falloffIn)
{
    for (const MapChunk& map : kMapChunks)
        if (node->id == map.id)
            return ReadMap(node, material->maps[map.slot]);
    ChunkCursor cursor;
    switch (node->id) {
    case 0xA000: return OpenBody(node, cursor) && cursor.String(material->name, READER_NAME_LENGTH);
    case 0xA010: return ReadColor(node, material->ambient);
    case 0xA020: return ReadColor(node, material->diffuse);
    case 0xA030: return ReadColor(node, material->specular);
    case 0xA040: return ReadPercentage(node, material->shininess);
    case 0xA041: return ReadPercentage(node, material->shininess2);
    case 0xA050: return ReadPercentage(node, material->transparency);
    case 0xA052: return ReadPercentage(node, material->transparencyFalloff);
    case 0xA053: return ReadPercentage(node, material->blur);
    case 0xA084: return ReadPercentage(node, material->selfIllumination);
    case 0xA087: return ReadFloatChunk(node, material->wireSize);
    case 0xA100: return OpenBody(node, cursor) && cursor.U16(material->shading);
    case 0xA081: return ReadFlag(material->twoSided);
    case 0xA082: return ReadFlag(material->decal);
    case 0xA083: return ReadFlag(material->additive);
    case 0xA085: return ReadFlag(material->wire);
    case 0xA088: return ReadFlag(material->faceMap);
    case 0xA08A: return ReadFlag(falloffIn);
    case 0xA08C: return ReadFlag(material->soft);
    case 0xA08E: return ReadFlag(material->wireAbsolute);
    default:
        // Newer exporters add chunks of their own: pass them over.
        return true;
    }
}

}  // namespace

uint32_t CountMaterials(SceneDatabase* database)
{
    return DatabaseReadyToCount(database, UpdateMaterialIndex) ? database->materialCount : 0;
}

void FetchMaterial(SceneDatabase* database, uint32_t index, MaterialRecord** out)
{
    if (!DatabaseReadyToFetch(database, out, true))
        return;
    if (!UpdateMaterialIndex(database) || index >= database->materialCount)
        return;
    if (!ProvideRecord(out))
        return;
    MaterialRecord* material = *out;
    ResetMaterial(material);
    ChunkNode* entry = database->materials[index].node;
    if (entry->id != 0xAFFF) {
        PushReaderError(ERR_INVALID_CHUNK);
        return;
    }
    bool falloffIn = false;
    for (ChunkNode* node = entry->child; node; node = node->next)
        if (!ReadMaterialPart(node, material, falloffIn))
            return;
    if (falloffIn)
        material->transparencyFalloff = -material->transparencyFalloff;
}

void FreeMaterialRecord(MaterialRecord** record)
{
    FreeRecord<MaterialRecord>(record, nullptr);
}
