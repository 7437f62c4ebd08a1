#include "AllocationFailure.h"
#include "GuiTestSupport.h"
#include "tests/RecordBytes.h"
#include <cstdlib>

namespace {

using namespace std::string_literals;

const std::string kWorkedExample = K("Hi") + K("Sig") + E("Yours") + E("Best,\r\nMe");

// A folder prepared by CTest in which saving fails, as a Windows path.
std::string HostileFolder(const char* name)
{
    const char* unixDir = std::getenv("QUIPMARK_HOSTILE_DIR");
    if (unixDir == nullptr)
        return std::string();
    std::string path = std::string("Z:") + unixDir + "/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : path;
}

class DataFile : public DialogTest {
protected:
    // Loads `bytes` as the data file, answering any message box.
    void StartAnswering(const std::string& bytes)
    {
        MessageBoxAnswerer boxes(IDOK);
        StartWith(bytes);
    }

    // `boxes` answered one message box, whose text begins with `start`.
    static void ExpectOneBox(const MessageBoxAnswerer& boxes, const std::string& start)
    {
        ASSERT_EQ(boxes.Count(), 1);
        EXPECT_EQ(boxes.Texts()[0].rfind(start, 0), 0u) << boxes.Texts()[0];
    }

    // Saving must fail: the old bytes stay, Save stays enabled, the user is
    // told which file could not be written.
    void ExpectSaveFails(const std::string& oldBytes, const std::string& failedPath = std::string())
    {
        dialog->SetModified(true);
        MessageBoxAnswerer boxes(IDOK);
        EXPECT_FALSE(dialog->SaveEntries());
        const std::string file = !failedPath.empty() ? failedPath : !dataPath.empty() ? dataPath : "the data file";
        ExpectOneBox(boxes, "Unable to save " + file + ".\n");
        EXPECT_TRUE(Enabled(IDC_SAVE));
        if (!oldBytes.empty()) {
            EXPECT_EQ(ReadBytesOfFile(dataPath), oldBytes);
        }
        EXPECT_EQ(LeftoverTempFiles(), 0);
    }

    // Starts while another program holds the data file, `bytes`, without
    // sharing, as backup and virus-scanning programs hold a file while they
    // read it. The caller closes the handle returned.
    HANDLE StartWhileHeld(const std::string& bytes)
    {
        WriteBytesToFile(dataPath, bytes);
        HANDLE held = CreateFileA(dataPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(held, INVALID_HANDLE_VALUE);
        MessageBoxAnswerer boxes(IDOK);
        StartDialog();
        ExpectOneBox(boxes, "Unable to read " + dataPath + ".\n");
        return held;
    }

    // Counted beside the data file, which some tests move out of the test's folder.
    int LeftoverTempFiles()
    {
        WIN32_FIND_DATAA found;
        const std::string besideData = dataPath.substr(0, dataPath.rfind('\\') + 1);
        HANDLE search = FindFirstFileA((besideData + "*.tmp").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        int count = 1;
        while (FindNextFileA(search, &found))
            ++count;
        FindClose(search);
        return count;
    }
};

TEST_F(DataFile, AMissingFileLoadsNothingAndSaysNothing)
{
    MessageBoxAnswerer boxes(IDOK);
    StartDialog();
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "2");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(DataFile, CorruptFileLoadsWhatCameBeforeTellsOnceAndKeepsTheOriginal)
{
    const std::string bytes = K("good") + E("child") + "k\x01\x00\x00\x00x"s + K("lost");
    MessageBoxAnswerer boxes(IDOK);
    StartWith(bytes);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Texts()[0], "Corrupt quipmark.dat file, only partial data loaded");
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), bytes);

    ASSERT_TRUE(dialog->SaveEntries());
    EXPECT_EQ(ReadBytesOfFile(dataPath), K("good") + E("child"));
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), bytes) << "the damaged original survives the save";
}

TEST_F(DataFile, SaveWritesTheFileInPlaceOfALeftoverOfAnInterruptedSave)
{
    WriteBytesToFile(dataPath + ".tmp", K("half-written"));
    StartAnswering(kWorkedExample);
    dialog->SetModified(true);
    MessageBoxAnswerer boxes(IDOK);
    ASSERT_TRUE(dialog->SaveEntries()) << "the leftover is not in the way";
    EXPECT_EQ(ReadBytesOfFile(dataPath), kWorkedExample) << "the leftover was not loaded";
    EXPECT_FALSE(Enabled(IDC_SAVE));
    EXPECT_EQ(LeftoverTempFiles(), 0);
}

TEST_F(DataFile, SaveIntoAFileHeldByAnotherProgramFailsAndKeepsIt)
{
    StartAnswering(kWorkedExample);
    HANDLE held = CreateFileA(dataPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectSaveFails("");
    CloseHandle(held);
    EXPECT_EQ(ReadBytesOfFile(dataPath), kWorkedExample);
}

TEST_F(DataFile, SaveIntoAFolderThatCannotBeWrittenFails)
{
    const std::string locked = HostileFolder("locked");
    if (locked.empty())
        GTEST_SKIP() << "no immutable folder could be made on this machine";
    StartDialog();
    dataPath = locked + "\\quipmark.dat";
    dialog->UseDataPath(dataPath);
    ExpectSaveFails("");
    EXPECT_FALSE(FileExists(dataPath));
}

TEST_F(DataFile, AWriteThatFailsPartWayLeavesTheOldFileWhole)
{
    const std::string full = HostileFolder("full");
    if (full.empty())
        GTEST_SKIP() << "no small file system could be mounted on this machine";
    StartDialog();
    dataPath = full + "\\quipmark.dat";
    WriteBytesToFile(dataPath, kWorkedExample);
    dialog->UseDataPath(dataPath);
    dialog->AppendEntry(Entries().Root(), std::string(200000, 'b'));
    ExpectSaveFails(kWorkedExample);
    DeleteFileA(dataPath.c_str());
}

TEST_F(DataFile, SaveIntoAReadOnlyFileFailsKeepsItAndStopsTheExit)
{
    StartAnswering(kWorkedExample);
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectSaveFails(kWorkedExample);

    dialog->AppendEntry(Entries().Root(), "new");
    SetCheckBox(IDC_SAVE_ON_EXIT, true);
    MessageBoxAnswerer boxes(IDOK);
    Click(IDC_EXIT);
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_FALSE(dialog->IsEnding()) << "unsaved entries must not be dropped";
    EXPECT_TRUE(Enabled(IDC_SAVE));

    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    Click(IDC_EXIT);
    EXPECT_TRUE(dialog->IsEnding());
    EXPECT_EQ(WithoutIdentities(ReadBytesOfFile(dataPath)), kWorkedExample + K("new"));
}

TEST_F(DataFile, AFileNotLoadedIsNeverReplacedWhileItsBytesCannotBeKept)
{
    HANDLE held = StartWhileHeld(kWorkedExample);
    dialog->AppendEntry(Entries().Root(), "new");
    // Still held: nothing can be read, so nothing is kept or replaced.
    ExpectSaveFails("", dataPath + ".bak");
    CloseHandle(held);
    // Readable now, but there is no keeping it aside: a folder has the
    // backup's name.
    ASSERT_TRUE(CreateDirectoryA((dataPath + ".bak").c_str(), nullptr));
    ExpectSaveFails(kWorkedExample, dataPath + ".bak");
}

TEST_F(DataFile, ABackupNeverReplacesAnOlderOneOfOtherBytes)
{
    const std::string older = K("older backup");
    WriteBytesToFile(dataPath + ".bak", older);
    const std::string damaged = K("good") + "k\x01\x00\x00\x00x"s;
    StartAnswering(damaged);
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), damaged) << "the newest backup has the name the messages give";
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".1.bak"), older);
    CloseDialog();

    // The same damaged file again: its bytes are kept already.
    StartAnswering(damaged);
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), damaged);
    EXPECT_FALSE(FileExists(dataPath + ".2.bak"));
    CloseDialog();

    // A file held at start loads nothing; saved over later, it is kept
    // first, and so are the two backups before it. Readable by then, its
    // entries are merged with the new one.
    CloseHandle(StartWhileHeld(kWorkedExample));
    dialog->AppendEntry(Entries().Root(), "new");
    dialog->SetModified(true);
    ASSERT_TRUE(dialog->SaveEntries());
    // Two additions at one place, with nothing known in common: the merge
    // orders them by their identities, the same on every machine.
    const std::string saved = WithoutIdentities(ReadBytesOfFile(dataPath));
    EXPECT_TRUE(saved == K("new") + kWorkedExample || saved == kWorkedExample + K("new")) << saved;
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), kWorkedExample) << "the entries never loaded survive";
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".1.bak"), older);
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".2.bak"), damaged);
}

TEST_F(DataFile, RunningOutOfMemoryWhileLoadingIsAnUnreadableFileAndTheStartGoesOn)
{
    // The file's bytes are read whole; the copy of the large entry's text
    // is the first allocation that fails.
    const std::string tooMuch(100000, 'm');
    const std::string bytes = K("kept") + K(tooMuch) + K("never loaded");
    WriteBytesToFile(dataPath, bytes);
    {
        MessageBoxAnswerer boxes(IDOK);
        {
            const LargeAllocationsFail shortOfMemory(tooMuch.size(), 1);
            StartDialog();
        }
        ASSERT_NO_FATAL_FAILURE(ExpectOneBox(boxes, "Unable to read " + dataPath + ".\n"))
            << "reported like an unreadable file";
    }
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "3") << "the start went on past the load";
    EXPECT_NE(GetMenuState(GetSystemMenu(Hwnd(), FALSE), 4, MF_BYPOSITION) & MF_GRAYED, 0u);

    dialog->SetModified(true);
    ASSERT_TRUE(dialog->SaveEntries());
    EXPECT_EQ(ReadBytesOfFile(dataPath + ".bak"), bytes) << "the entries never loaded survive";
    // What was loaded stays, and the rest, readable now, is merged in.
    const std::string saved = ReadBytesOfFile(dataPath);
    for (const std::string& record : {K("kept"), K(tooMuch), K("never loaded")})
        EXPECT_NE(saved.find(record), std::string::npos);
}

TEST_F(DataFile, NoDataPathMeansNothingLoadsAndSavingIsReported)
{
    StartDialog();
    dataPath.clear();
    dialog->UseDataPath(dataPath);
    ExpectSaveFails("");
}

}  // namespace
