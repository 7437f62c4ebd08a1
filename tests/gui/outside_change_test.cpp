#include "GuiTestSupport.h"
#include "TreeTestSupport.h"
#include "storage/DataFileIo.h"
#include "storage/DataFileSync.h"
#include <algorithm>
#include <thread>
#include <utility>

namespace {

const std::string kExample = K("Hi") + K("Sig") + E("Yours") + E("Best");

// Another program holding the data file without sharing, as backup and
// virus-scanning programs do, for `ms` milliseconds from now.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD ms)
        : m_handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
          m_letGo([this, ms] {
              Sleep(ms);
              CloseHandle(m_handle);
          })
    {
        EXPECT_NE(m_handle, INVALID_HANDLE_VALUE);
    }
    ~HeldFile() { m_letGo.join(); }

private:
    HANDLE m_handle;
    std::thread m_letGo;
};

class OutsideChange : public TreeTest {
protected:
    // The first entry on the top level whose text is `text`.
    EntryId Find(const std::string& text)
    {
        for (EntryId id : Entries().InPreOrder())
            if (Entries().IsUserEntry(id) && Entries().Text(id) == text)
                return id;
        return kNoEntry;
    }
};

TEST_F(OutsideChange, AFileHeldForAMomentAtStartIsReadOnceLetGo)
{
    WriteBytesToFile(dataPath, kExample);
    const HeldFile held(dataPath, 800);
    MessageBoxAnswerer boxes(IDOK);
    StartDialog();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "6");
}

TEST_F(OutsideChange, ASaveIntoAFileHeldForAMomentWaitsAndWrites)
{
    StartWith(kExample);
    dialog->AppendEntry(Entries().Root(), "new");
    dialog->SetModified(true);
    const HeldFile held(dataPath, 800);
    MessageBoxAnswerer boxes(IDOK);
    EXPECT_TRUE(dialog->SaveEntries());
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(ReadBytesOfFile(dataPath).rfind(kExample + K("new"), 0), 0u);
}

TEST_F(OutsideChange, TheTreeShowsTheFilesEntriesKeepingTheSelectionAndTheOpenGroups)
{
    WriteBytesToFile(dataPath, K("a") + K("g") + E("x"));
    ShowDialog();
    Tree().ExpandEntry(Find("g"));
    const EntryId x = Find("x");
    Tree().SelectEntry(x);

    WriteBytesToFile(dataPath, K("new") + K("a") + K("g") + E("x") + E("y"));
    // The folder's notice reaches the dialog by itself.
    ASSERT_TRUE(PumpUntil([&] { return Find("y") != kNoEntry; }, 10000)) << TreeOutline();
    EXPECT_EQ(Tree().SelectedEntry(), x);
    EXPECT_TRUE(IsExpanded(Tree().ItemOf(Find("g"))));
    EXPECT_NE(Tree().ItemOf(Find("new")), nullptr) << "the tree shows the new entry";
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "7");
    EXPECT_FALSE(Enabled(IDC_SAVE)) << "nothing unsaved: the file holds it all";
}

TEST_F(OutsideChange, UnsavedChangesAreMergedWithTheFilesAndStayUnsaved)
{
    StartWith(K("a"));
    dialog->AppendEntry(Entries().Root(), "here");
    dialog->SetModified(true);
    WriteBytesToFile(dataPath, K("a") + K("there"));
    dialog->OnDataFileChanged(false);
    EXPECT_NE(Find("here"), kNoEntry);
    EXPECT_NE(Find("there"), kNoEntry);
    EXPECT_TRUE(Enabled(IDC_SAVE));
    ASSERT_TRUE(dialog->SaveEntries());
    const std::string saved = ReadBytesOfFile(dataPath);
    EXPECT_NE(saved.find(K("here")), std::string::npos);
    EXPECT_NE(saved.find(K("there")), std::string::npos);
}

TEST_F(OutsideChange, AHalfWrittenFileIsNeverTakenAsEmpty)
{
    StartWith(kExample);
    WriteBytesToFile(dataPath, K("Hi") + std::string("K\x09\x00\x00\x00", 5));
    dialog->OnDataFileChanged(false);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "6") << "the entries stay until the file is whole";
    WriteBytesToFile(dataPath, K("Hi"));
    ASSERT_TRUE(PumpUntil([&] { return ItemText(IDC_ITEM_COUNT) == "3"; }, 10000)) << TreeOutline();
}

// What a save wrote is known by its bytes: the same bytes under another
// stamp (copied back, touched) are no change, also when the file is large
// enough to be hashed on a second processor as it is written.
TEST_F(OutsideChange, ASavedFileTouchedLaterIsNoChange)
{
    for (const size_t size : {size_t{16}, size_t{64 * 1024}}) {
        EntryTree entries;
        for (int i = 0; i < 498; ++i)
            entries.Append(entries.Root(), std::string(size, static_cast<char>('a' + i % 26)) + std::to_string(i));
        CDataFileSync sync(entries);
        sync.UsePath(dataPath);
        ASSERT_EQ(sync.Save([](const FollowOutcome&, const EntryChange&) { return true; }), 0u) << size;
        {
            const ScopedHandle file(CreateFileA(dataPath.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
            FILETIME written;
            ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
            written.dwHighDateTime += 1;
            ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
        }
        EntryChange change;
        EXPECT_EQ(sync.Follow(change).step, FollowStep::Nothing) << size;
        EXPECT_TRUE(change.Empty()) << size;
    }
}


// The slow check, for folders that send no notices, looks at the size and
// time alone; a file of the same size and time put in the place of this one
// (as a sync service puts its copy) is seen at the latest at its tenth look.
TEST_F(OutsideChange, TheSlowCheckSeesEveryChangeAtLastTheSameSizeAndTimeToo)
{
    for (const bool sameSizeAndTime : {false, true}) {
        EntryTree entries;
        entries.Append(entries.Root(), "a");
        CDataFileSync sync(entries);
        sync.UsePath(dataPath);
        ASSERT_EQ(sync.Save([](const FollowOutcome&, const EntryChange&) { return true; }), 0u);
        FILETIME written;
        {
            const ScopedHandle file(CreateFileA(dataPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(GetFileTime(file.Get(), nullptr, nullptr, &written));
        }
        // Another machine's file: "a" renamed to "b" (and "c" added, where the
        // size may change).
        std::string renamed = ReadBytesOfFile(dataPath);
        renamed[renamed.find('a')] = 'b';
        const std::string other = dataPath + ".other";
        WriteBytesToFile(other, sameSizeAndTime ? renamed : K("b") + K("c"));
        {
            const ScopedHandle file(CreateFileA(other.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                                nullptr));
            ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &written));
        }
        ASSERT_TRUE(MoveFileExA(other.c_str(), dataPath.c_str(), MOVEFILE_REPLACE_EXISTING));
        unsigned looks = 0;
        EntryChange change;
        while (looks < CDataFileSync::kFullLookEvery && sync.Follow(change, true).step == FollowStep::Nothing)
            ++looks;
        EXPECT_EQ(looks, sameSizeAndTime ? CDataFileSync::kFullLookEvery - 1 : 0u);
        const std::vector<EntryId>& top = entries.Children(entries.Root());
        EXPECT_TRUE(std::any_of(top.begin(), top.end(), [&](EntryId id) { return entries.Text(id) == "b"; })) << sameSizeAndTime;
    }
}

// The slow check looks every few seconds where notices may not come, and
// only now and then on the computer's own drives.
TEST(SlowCheckPace, OnlyTheComputersOwnFixedDrivesAreTrustedToSendNotices)
{
    const std::pair<const char*, bool> cases[] = {
        {"C:\\Users\\quipmark.dat", true},
        {"\\\\server\\share\\quipmark.dat", false},
        {"Q:\\not a drive\\quipmark.dat", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsOnLocalFixedDrive(c.first), c.second) << c.first;
}

}  // namespace
