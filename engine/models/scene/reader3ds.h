// The 3D Studio file reader: a plain function library with process-wide state
// (the open-file table, the current file and the pending-error list).
//
// A file is read into a tree of chunk headers (SceneDatabase); chunk bodies are
// decoded only when a mesh or material is fetched. The reader never aborts and
// writes nothing to the engine log: every failure records a numbered error in
// the pending list and ends the operation, returning null or 0 where it returns
// something. While an error is pending the operations stop early, so a caller
// checks ReaderErrorPending after each call and clears the list when done.
//
// Records handed out by the fetches belong to the caller, who frees them with
// the matching Free... call; the free calls accept a null record.
#pragma once

#include <stdint.h>

enum ReaderErrorCode : int32_t {
    NO_FTK_ERRORS = 0,
    ERR_NO_MEM = 1,
    ERR_INVALID_ARG = 2,
    ERR_INVALID_DATA = 3,
    ERR_INVALID_CHUNK = 4,
    ERR_INVALID_DATABASE = 5,
    ERR_WRONG_DATABASE = 6,
    ERR_UNFOUND_CHUNK = 7,
    ERR_WRONG_OBJECT = 8,
    ERR_NO_SUCH_FILE = 9,
    ERR_INIT_FAILED = 10,
    ERR_OPENING_FILE = 11,
    ERR_CLOSING_FILE = 12,
    ERR_READING_FILE = 13,
    ERR_CREATING_DATABASE = 14,
    ERR_READING_DATABASE = 15,
    ERR_WRITING_DATABASE = 16,
    ERR_WRITING_FILE = 17,
    ERR_STRING_TOO_LONG = 18,
    ERR_TOO_MANY_FILES = 19,
    N_ERRORS = 22,
};

// The pending list holds this many errors; the entry after the last recorded
// one has code 0, so users walk it from ReaderErrorList() until a code 0.
const uint32_t READER_ERROR_SLOTS = 19;
// Files the reader keeps open at once.
const uint32_t READER_MAX_FILES = 252;
// Names (object, material, map file) longer than the classic 3D Studio limit
// are kept whole up to READER_NAME_LENGTH characters and cut beyond it, the
// same cut everywhere, so a material group still finds its material. Neither
// is an error: the reader notes them in ReaderLongNames for the loader's
// Warning record.
const uint32_t READER_CLASSIC_NAME_LENGTH = 16;
const uint32_t READER_NAME_LENGTH = 255;

struct ReaderNameNote {
    uint32_t longest;  // characters of the longest name over the classic limit; 0: none
    bool cut;          // some name was longer than READER_NAME_LENGTH
    char first[READER_NAME_LENGTH + 1];  // the first such name, as kept
};
extern ReaderNameNote ReaderLongNames;
void ClearReaderLongNames();

// A chunk whose length runs past its parent's end is read up to that end,
// so it is its parent's last child. Not an error either, as one wrong length
// need not lose the file: the reader notes such chunks in ReaderCutChunks
// for the loader's Warning record.
struct ReaderCutNote {
    uint32_t count;          // chunks cut; 0: none
    uint32_t firstId;        // the first one's id
    uint32_t firstPosition;  // and the offset of its header in the file
};
extern ReaderCutNote ReaderCutChunks;
void ClearReaderCutChunks();

struct ReaderErrorEntry {
    int32_t code;
    const char* text;
};

// True while at least one error was recorded and not cleared.
extern bool ReaderErrorPending;

const ReaderErrorEntry* ReaderErrorList();
void ClearReaderErrors();
// Records `code` and returns its text.
const char* PushReaderError(int32_t code);
// The fixed text of a code; "Unknown error code was encountered" for others.
const char* ReaderErrorText(int32_t code);

struct ChunkFile;
struct SceneDatabase;

// Mode: the first 'r' or 'w' decides (read or write). Opening a name already
// open in the same mode returns that same file; a name open in the other mode
// is refused (ERR_OPENING_FILE).
ChunkFile* OpenChunkFile(const char* name, const char* mode);
void CloseChunkFile(ChunkFile* file);

void NewSceneDatabase(SceneDatabase** database);
// Builds the chunk tree of a file opened for reading; the file must stay open
// while meshes and materials are fetched from the database.
void ReadSceneDatabase(ChunkFile* file, SceneDatabase* database);
void FreeSceneDatabase(SceneDatabase** database);

struct Point3 {
    float x, y, z;
};
struct TexCoord {
    float u, v;
};
struct Face3ds {
    uint16_t a, b, c, flags;  // corners as vertex numbers of the mesh
};

struct MaterialGroup {
    char name[READER_NAME_LENGTH + 1];
    uint16_t faceCount;
    uint16_t* faces;  // face numbers within the mesh; not checked against its face count
};

struct MeshMapping {
    uint16_t type;
    float tiling[2];
    float iconPosition[3];
    float matrix[12];
    float scaling, plateWidth, plateHeight, cylinderHeight;
};

struct MeshRecord {
    char name[READER_NAME_LENGTH + 1];
    uint16_t vertexCount;
    Point3* points;
    uint16_t faceCount;
    Face3ds* faces;  // corners are not checked against vertexCount
    uint16_t groupCount;
    MaterialGroup* groups;

    uint16_t pointFlagCount;
    uint16_t* pointFlags;
    uint16_t texCoordCount;
    TexCoord* texCoords;
    float matrix[12];
    uint32_t smoothingCount;
    uint32_t* smoothing;
    uint8_t meshColor;
    bool hasMapping;
    MeshMapping mapping;
    char boxMaps[6][READER_NAME_LENGTH + 1];
    char proceduralName[READER_NAME_LENGTH + 1];
    uint32_t proceduralSize;
    uint8_t* proceduralData;
    uint8_t objectFlags;  // bit k set when flag chunk 0x4010 + k is present
};

struct ColorF {
    float r, g, b;
};

// Bits of TextureMap::tiling, as 3D Studio writes them.
const uint16_t MAP_TILING_DECAL = 0x0001;
const uint16_t MAP_TILING_MIRROR = 0x0002;
const uint16_t MAP_TILING_NEGATIVE = 0x0008;
const uint16_t MAP_TILING_NO_TILE = 0x0010;
const uint16_t MAP_TILING_SUMMED_AREA = 0x0020;

struct TextureMap {
    char name[READER_NAME_LENGTH + 1];
    float strength;
    uint16_t tiling;  // MAP_TILING_ bits; 0: tiled
    float blur;
    float scale[2];   // u and v; 1 when the file gives none
    float offset[2];  // u and v, added after the scale
    float rotation;
    ColorF tint1, tint2, tintR, tintG, tintB;
};

enum MaterialMapSlot {
    MAP_TEXTURE1, MAP_TEXTURE2, MAP_OPACITY, MAP_BUMP, MAP_SPECULAR, MAP_SHININESS,
    MAP_SELFILLUM, MAP_REFLECTION, MAP_TEXTURE1_MASK, MAP_TEXTURE2_MASK, MAP_OPACITY_MASK,
    MAP_BUMP_MASK, MAP_SHININESS_MASK, MAP_SPECULAR_MASK, MAP_SELFILLUM_MASK,
    MAP_REFLECTION_MASK, MAP_SLOT_COUNT
};

struct MaterialRecord {
    char name[READER_NAME_LENGTH + 1];
    ColorF ambient, diffuse, specular;
    float shininess;  // a fraction: a percentage of 50 is 0.5
    float shininess2, blur, transparency, transparencyFalloff, selfIllumination;
    float wireSize;
    uint16_t shading;
    bool twoSided, decal, additive, faceMap, soft, wireAbsolute, wire;
    TextureMap maps[MAP_SLOT_COUNT];  // maps[MAP_TEXTURE1] is the texture map
};

// Named objects holding a triangle mesh (0x4100 anywhere under the object).
uint32_t CountMeshes(SceneDatabase* database);
// Fills *out (allocated when null) from the mesh at `index` of that count; an
// index beyond it leaves the record as it was.
void FetchMesh(SceneDatabase* database, uint32_t index, MeshRecord** out);
void FreeMeshRecord(MeshRecord** record);

uint32_t CountMaterials(SceneDatabase* database);
void FetchMaterial(SceneDatabase* database, uint32_t index, MaterialRecord** out);
void FreeMaterialRecord(MaterialRecord** record);
