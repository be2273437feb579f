// The pending-error list, its texts and the open-file table.
#include "reader3ds_fixture.h"

#include <string>

using ::testing::ElementsAre;

TEST(ReaderErrorText, GivesEachCodeItsFixedText)
{
    struct Case {
        int32_t code;
        const char* text;
    } cases[] = {
        {0, "NO_FTK_ERRORS: No errors are pending"},
        {1, "ERR_NO_MEM: Not enough memory to complete operation"},
        {2, "ERR_INVALID_ARG: The argument passed to the function is invalid.  Usually caused by a NULL pointer "
            "or an out of range numeric argument."},
        {3, "ERR_INVALID_DATA: The structure passed as an argument to the function has invalid or out of range "
            "data in its fields."},
        {4, "ERR_INVALID_CHUNK: An invalid chunk structure was encountered while reading the database. Usually "
            "caused by a corrupt database or file"},
        {5, "ERR_INVALID_DATABASE: The database passed as an argument has not be created yet."},
        {6, "ERR_WRONG_DATABASE: The database passed as an argument is the wrong kind of database for this "
            "function."},
        {7, "ERR_UNFOUND_CHUNK: The database is missing important file chunks needed to fill out the requested "
            "structure.  Usually caused by a corrupt database or file"},
        {8, "ERR_WRONG_OBJECT: The name passed to the functions exists, but is not the type of object asked "
            "for.  For example, asking for a mesh object with the GetCameraByName3ds function."},
        {9, "ERR_NO_SUCH_FILE: The filename passed as an argument for reading does not exist"},
        {10, "ERR_INIT_FAILED: Failed to initialize structure passed as an argument"},
        {11, "ERR_OPENING_FILE: Could not open requested file"},
        {12, "ERR_CLOSING_FILE: Could not close requested file"},
        {13, "ERR_READING_FILE: Error occured while reading file"},
        {14, "ERR_CREATING_DATABASE: Error occured while creating database"},
        {15, "ERR_READING_DATABASE: Error occured while reading database"},
        {16, "ERR_WRITING_DATABASE: Error occured while writing database"},
        {17, "ERR_WRITING_FILE: Error occured while writing file"},
        {18, "ERR_STRING_TOO_LONG: String encountered in file, structure, or as an argument was longer than "
             "expected.  Possibly caused by an uninitialed pointer, corrupt file or database"},
        {19, "ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file limit of 252 files."},
        {22, "N_ERRORS: More errors were reported then could be recorded."},
        {20, "Unknown error code was encountered"},
        {21, "Unknown error code was encountered"},
        {-1, "Unknown error code was encountered"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.text, ReaderErrorText(c.code)) << c.code;
}

TEST_F(Reader3ds, ListKeepsTheFirstNineteenErrorsInOrder)
{
    EXPECT_FALSE(ReaderErrorPending);
    EXPECT_STREQ(ReaderErrorText(ERR_NO_MEM), PushReaderError(ERR_NO_MEM));
    for (int32_t code = 2; code <= 25; code++)
        PushReaderError(code);
    EXPECT_TRUE(ReaderErrorPending);
    std::vector<int32_t> expected;
    for (int32_t code = 1; code <= 19; code++)
        expected.push_back(code);
    EXPECT_EQ(expected, PendingCodes());
    EXPECT_EQ(std::string(ReaderErrorText(19)), PendingTexts().back());

    ClearReaderErrors();
    EXPECT_FALSE(ReaderErrorPending);
    EXPECT_TRUE(PendingCodes().empty());
    PushReaderError(ERR_READING_FILE);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_READING_FILE));
    ClearReaderErrors();
}

TEST_F(Reader3ds, MissingFileIsAnOpeningError)
{
    EXPECT_EQ(nullptr, OpenChunkFile("no-such-file.3ds", "r"));
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_OPENING_FILE));
    EXPECT_THAT(PendingTexts(), ElementsAre("ERR_OPENING_FILE: Could not open requested file"));
    ClearReaderErrors();
}

TEST_F(Reader3ds, PendingErrorStopsTheNextOpen)
{
    std::string name = Write({1, 2, 3});
    PushReaderError(ERR_READING_FILE);
    EXPECT_EQ(nullptr, OpenChunkFile(name.c_str(), "r"));
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_READING_FILE, ERR_INIT_FAILED));
    ClearReaderErrors();
    file = OpenChunkFile(name.c_str(), "r");
    EXPECT_NE(nullptr, file);
}

TEST_F(Reader3ds, BadArgumentsAndModesAreRefused)
{
    std::string name = Write({1, 2, 3});
    struct Case {
        const char* name;
        const char* mode;
        int32_t code;
    } cases[] = {
        {nullptr, "r", ERR_INVALID_ARG},
        {name.c_str(), nullptr, ERR_INVALID_ARG},
        {name.c_str(), "xb", ERR_INIT_FAILED},
        {name.c_str(), "", ERR_INIT_FAILED},
        {name.c_str(), "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbr", ERR_STRING_TOO_LONG},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nullptr, OpenChunkFile(c.name, c.mode)) << c.mode;
        EXPECT_THAT(PendingCodes(), ElementsAre(c.code)) << (c.mode ? c.mode : "null mode");
        ClearReaderErrors();
    }
    // The deciding letter may follow others within the first 30 characters.
    file = OpenChunkFile(name.c_str(), "bbbbbbbbbbbbbbbbbbbbbbbbbbbbr");
    EXPECT_NE(nullptr, file);
    EXPECT_TRUE(PendingCodes().empty());
}

TEST_F(Reader3ds, SameNameSharesOneFileAndOtherModeIsRefused)
{
    std::string name = Write({1, 2, 3});
    file = OpenChunkFile(name.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(file, OpenChunkFile(name.c_str(), "r"));
    EXPECT_EQ(nullptr, OpenChunkFile(name.c_str(), "w"));
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_OPENING_FILE));
    ClearReaderErrors();
    // The refused open left the file readable.
    NewSceneDatabase(&database);
    ReadSceneDatabase(file, database);
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_READING_FILE, ERR_CREATING_DATABASE));
    ClearReaderErrors();
}

TEST_F(Reader3ds, TableHoldsTwoHundredFiftyTwoFiles)
{
    std::vector<ChunkFile*> files;
    for (int i = 0; i < 252; i++) {
        ChunkFile* opened = OpenChunkFile(("table-" + std::to_string(i) + ".tmp").c_str(), "w");
        ASSERT_NE(nullptr, opened) << i;
        files.push_back(opened);
    }
    EXPECT_EQ(nullptr, OpenChunkFile("table-252.tmp", "w"));
    EXPECT_THAT(PendingTexts(), ElementsAre("ERR_TOO_MANY_FILES: The toolkit has reached its maximum open file "
                                            "limit of 252 files."));
    ClearReaderErrors();
    EXPECT_EQ(nullptr, OpenChunkFile("table-7.tmp", "w")) << "an open name is no way past a full table";
    EXPECT_THAT(PendingCodes(), ElementsAre(ERR_TOO_MANY_FILES));
    ClearReaderErrors();

    CloseChunkFile(files[100]);
    ChunkFile* reopened = OpenChunkFile("table-252.tmp", "w");
    EXPECT_NE(nullptr, reopened);
    EXPECT_TRUE(PendingCodes().empty());
    files[100] = reopened;
    for (ChunkFile* opened : files)
        CloseChunkFile(opened);
    for (int i = 0; i <= 252; i++)
        remove(("table-" + std::to_string(i) + ".tmp").c_str());
    EXPECT_TRUE(PendingCodes().empty());
}

TEST_F(Reader3ds, NullArgumentsAreRecorded)
{
    CountMeshes(nullptr);
    FetchMesh(nullptr, 0, &mesh);
    CountMaterials(nullptr);
    ReadSceneDatabase(nullptr, nullptr);
    NewSceneDatabase(nullptr);
    EXPECT_EQ(std::vector<int32_t>(5, ERR_INVALID_ARG), PendingCodes());
    ClearReaderErrors();
}
