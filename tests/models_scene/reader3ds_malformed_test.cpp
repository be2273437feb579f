// Damaged files: every bad length, count or string ends in recorded errors,
// never in a hang, a read outside the file or a crash (the sanitizer build
// checks the reads and the leaks).
#include "reader3ds_fixture.h"
#include <string>

using writer3ds::ChunkWriter;

namespace {

const std::vector<int32_t> TREE_ERROR = {ERR_INVALID_CHUNK, ERR_READING_DATABASE, ERR_CREATING_DATABASE};
const std::vector<int32_t> ROOT_ERROR = {ERR_INVALID_CHUNK, ERR_CREATING_DATABASE};
const std::vector<int32_t> NONE = {};

// Offsets of the chunks of a small scene, for the cases to damage.
struct Layout {
    ChunkWriter w;
    size_t root, editor, object, points, faces, group, material, name;
};

Layout Build()
{
    Layout l;
    ChunkWriter& w = l.w;
    l.root = w.Begin(0x4D4D);
    l.editor = w.Begin(0x3D3D);
    l.material = w.Begin(0xAFFF);
    l.name = w.Begin(0xA000);
    w.String("stone");
    w.End();
    w.End();
    l.object = w.Begin(0x4000);
    w.String("rock");
    w.Begin(0x4100);
    l.points = w.Begin(0x4110);
    w.U16(3);
    for (int i = 0; i < 9; i++)
        w.F32((float)i);
    w.End();
    l.faces = w.Begin(0x4120);
    w.U16(1);
    w.U16(0), w.U16(1), w.U16(2), w.U16(0);
    l.group = w.Begin(0x4130);
    w.String("stone");
    w.U16(1);
    w.U16(0);
    w.End();
    w.End();
    w.End();
    w.End();
    w.End();
    w.End();
    return l;
}

struct Case {
    const char* what;
    std::vector<uint8_t> (*make)();
    std::vector<int32_t> readErrors;
    std::vector<int32_t> fetchErrors;  // over all counts and fetches
};

const Case CASES[] = {
    {"intact", [] { return Build().w.Data(); }, NONE, NONE},
    {"empty file", [] { return std::vector<uint8_t>(); }, {ERR_READING_FILE, ERR_CREATING_DATABASE}, NONE},
    {"header cut short", [] { return std::vector<uint8_t>{0x4D, 0x4D, 9}; },
     {ERR_READING_FILE, ERR_CREATING_DATABASE}, NONE},
    {"root length 0", [] { Layout l = Build(); l.w.PatchU32(l.root + 2, 0); return l.w.Data(); }, ROOT_ERROR,
     NONE},
    {"root length 5", [] { Layout l = Build(); l.w.PatchU32(l.root + 2, 5); return l.w.Data(); }, ROOT_ERROR,
     NONE},
    {"root past the end of the file",
     [] { Layout l = Build(); l.w.PatchU32(l.root + 2, (uint32_t)l.w.Size() + 1); return l.w.Data(); },
     ROOT_ERROR, NONE},
    {"file cut in the middle",
     [] { std::vector<uint8_t> b = Build().w.Data(); b.resize(b.size() / 2); return b; }, ROOT_ERROR, NONE},
    {"child length 0", [] { Layout l = Build(); l.w.PatchU32(l.editor + 2, 0); return l.w.Data(); }, TREE_ERROR,
     NONE},
    {"child length 3", [] { Layout l = Build(); l.w.PatchU32(l.points + 2, 3); return l.w.Data(); }, TREE_ERROR,
     NONE},
    // Cut at the parent's end (see ChunkPastItsParentIsCutAtTheParentsEnd).
    {"child past its parent",
     [] { Layout l = Build(); l.w.PatchU32(l.points + 2, 0x10000); return l.w.Data(); }, NONE, NONE},
    {"huge child length",
     [] { Layout l = Build(); l.w.PatchU32(l.object + 2, 0xFFFFFFFF); return l.w.Data(); }, NONE, NONE},
    {"trailing bytes shorter than a header",
     [] {
         Layout l = Build();
         std::vector<uint8_t> b = l.w.Data();
         b.insert(b.end(), {1, 2, 3});
         uint32_t length = (uint32_t)b.size();
         for (int i = 0; i < 4; i++)
             b[l.root + 2 + i] = (uint8_t)(length >> (8 * i));
         return b;
     },
     TREE_ERROR, NONE},
    {"face count past its chunk", [] { Layout l = Build(); l.w.PatchU16(l.faces + 6, 500); return l.w.Data(); },
     TREE_ERROR, {ERR_INVALID_CHUNK}},
    {"point count past its chunk",
     [] { Layout l = Build(); l.w.PatchU16(l.points + 6, 4); return l.w.Data(); }, NONE, {ERR_INVALID_CHUNK}},
    {"group count past its chunk",
     [] { Layout l = Build(); l.w.PatchU16(l.group + 12, 2); return l.w.Data(); }, NONE, {ERR_INVALID_CHUNK}},
    {"object name running to the end of its chunk",
     [] {
         ChunkWriter w;
         w.Begin(0x4D4D), w.Begin(0x3D3D), w.Begin(0x4000);
         w.Bytes("rocky", 5);
         w.End(), w.End(), w.End();
         return w.Data();
     },
     {ERR_READING_FILE, ERR_READING_DATABASE, ERR_CREATING_DATABASE}, {ERR_READING_FILE}},
    {"group name without terminator in its chunk",
     [] {
         ChunkWriter w;
         w.Begin(0x4D4D), w.Begin(0x3D3D), w.Begin(0x4000), w.String("o"), w.Begin(0x4100), w.Begin(0x4120);
         w.U16(0);
         w.Begin(0x4130);
         w.Bytes("abc", 3);
         w.End(), w.End(), w.End(), w.End(), w.End(), w.End();
         return w.Data();
     },
     NONE, {ERR_READING_FILE}},
    {"containers nested beyond reason",
     [] {
         ChunkWriter w;
         w.Begin(0x4D4D);
         for (int i = 0; i < 5000; i++)
             w.Begin(0x3D3D);
         for (int i = 0; i < 5000; i++)
             w.End();
         w.End();
         return w.Data();
     },
     TREE_ERROR, NONE},
    {"foreign chunk in extended data",
     [] {
         ChunkWriter w;
         w.Begin(0x4D4D), w.Begin(0x3D3D), w.Begin(0xAFFF);
         w.Begin(0xA000), w.String("x"), w.End();
         w.Begin(0x8001);
         w.Begin(0x8003), w.End();
         w.Begin(0x1234), w.U32(0), w.End();  // ends the entry's list
         w.End();
         w.End(), w.End(), w.End();
         return w.Data();
     },
     NONE, NONE},
};

std::vector<int32_t> TakeErrors()
{
    std::vector<int32_t> codes = PendingCodes();
    ClearReaderErrors();
    return codes;
}

}  // namespace

TEST_F(Reader3ds, DamagedFilesEndInRecordedErrors)
{
    for (const Case& c : CASES) {
        SCOPED_TRACE(c.what);
        Read(c.make());
        EXPECT_EQ(c.readErrors, TakeErrors());
        std::vector<int32_t> fetchErrors;
        uint32_t materials = CountMaterials(database);
        for (uint32_t i = 0; i < materials; i++)
            FetchMaterial(database, i, &material);
        std::vector<int32_t> step = TakeErrors();
        fetchErrors.insert(fetchErrors.end(), step.begin(), step.end());
        uint32_t meshes = CountMeshes(database);
        for (uint32_t i = 0; i < meshes; i++)
            FetchMesh(database, i, &mesh);
        step = TakeErrors();
        fetchErrors.insert(fetchErrors.end(), step.begin(), step.end());
        EXPECT_EQ(c.fetchErrors, fetchErrors);
        if (mesh) {
            // A failed fetch never leaves a count without its array.
            EXPECT_TRUE(!mesh->vertexCount || mesh->points);
            EXPECT_TRUE(!mesh->groupCount || mesh->groups);
        }
        Close();
    }
}

TEST_F(Reader3ds, IntactFileFetchesWhatTheDamagedOnesBreak)
{
    Read(Build().w.Data());
    ASSERT_EQ(1u, CountMeshes(database));
    FetchMesh(database, 0, &mesh);
    EXPECT_TRUE(PendingCodes().empty());
    ASSERT_EQ(3, mesh->vertexCount);
    EXPECT_FLOAT_EQ(8, mesh->points[2].z);
    ASSERT_EQ(1, mesh->groupCount);
    EXPECT_STREQ("stone", mesh->groups[0].name);
}

TEST_F(Reader3ds, PendingErrorStopsTheFetches)
{
    Read(Build().w.Data());
    PushReaderError(ERR_READING_FILE);
    EXPECT_EQ(0u, CountMeshes(database));
    FetchMesh(database, 0, &mesh);
    EXPECT_EQ(nullptr, mesh);
    EXPECT_EQ(std::vector<int32_t>{ERR_READING_FILE}, PendingCodes());
    ClearReaderErrors();
    EXPECT_EQ(1u, CountMeshes(database));
}

TEST_F(Reader3ds, ChunkPastItsParentIsCutAtTheParentsEnd)
{
    // The file reads with no error, noting `count` cut chunks, the first
    // `id` at `position`, and gives its one mesh.
    auto readCut = [&](const Layout& layout, uint32_t count, uint32_t id, size_t position) {
        Read(layout.w.Data());
        EXPECT_EQ(NONE, TakeErrors());
        EXPECT_EQ(count, ReaderCutChunks.count);
        EXPECT_EQ(id, ReaderCutChunks.firstId);
        EXPECT_EQ(position, ReaderCutChunks.firstPosition);
        ASSERT_EQ(1u, CountMeshes(database));
        FetchMesh(database, 0, &mesh);
    };

    // The points run past their mesh: cut there, they swallow the faces
    // that followed them, and the file still reads.
    Layout l = Build();
    l.w.PatchU32(l.points + 2, 0x10000);
    ASSERT_NO_FATAL_FAILURE(readCut(l, 1, 0x4110, l.points));
    EXPECT_EQ(NONE, TakeErrors());
    ASSERT_EQ(3, mesh->vertexCount);
    EXPECT_FLOAT_EQ(8, mesh->points[2].z);
    EXPECT_EQ(0, mesh->faceCount);
    Close();

    // A container cut at its parent's end still gives the children inside
    // it; every cut is counted and the first is named.
    l = Build();
    l.w.PatchU32(l.object + 2, 0xFFFFFFFF);
    l.w.PatchU32(l.points + 2, 0x10000);
    ClearReaderCutChunks();
    ASSERT_NO_FATAL_FAILURE(readCut(l, 2, 0x4000, l.object));
    EXPECT_STREQ("rock", mesh->name);
    EXPECT_EQ(3, mesh->vertexCount);
    ASSERT_EQ(1u, CountMaterials(database));
    EXPECT_EQ(NONE, TakeErrors());
    ClearReaderCutChunks();
    EXPECT_EQ(0u, ReaderCutChunks.count);
}
