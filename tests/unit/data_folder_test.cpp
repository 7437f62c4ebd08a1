#include "storage/ConflictCopyMerge.h"
#include "storage/CopiesTakenIn.h"
#include "storage/DataPath.h"
#include <gtest/gtest.h>

namespace {

TEST(DataPath, LiesInTheChosenFolderElseBesideTheProgram)
{
    const std::string program = "C:\\Tools\\quipmark.exe";
    const struct {
        const char* chosen;
        const char* path;
    } cases[] = {
        {"", "C:\\Tools\\quipmark.dat"},
        {"C:\\Users\\alex\\OneDrive\\Quipmark", "C:\\Users\\alex\\OneDrive\\Quipmark\\quipmark.dat"},
        {"C:\\Users\\alex\\OneDrive\\Quipmark\\", "C:\\Users\\alex\\OneDrive\\Quipmark\\quipmark.dat"},
        {"D:\\", "D:\\quipmark.dat"},
        {"\\\\server\\share", "\\\\server\\share\\quipmark.dat"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DataPathFor(c.chosen, program), c.path) << c.chosen;
    EXPECT_EQ(DataPathInFolder(""), "");
}

TEST(DataPath, ChoosingAFolderStaysMergesOrMoves)
{
    const std::string current = "C:\\Tools\\quipmark.dat";
    const struct {
        const char* folder;
        bool holdsDataFile;
        FolderChoice choice;
    } cases[] = {
        {"C:\\Tools", true, FolderChoice::Stay},
        {"c:\\tools\\", true, FolderChoice::Stay},
        {"C:/Tools/", true, FolderChoice::Stay},
        {"C:\\Tools\\Sub", true, FolderChoice::Merge},
        {"C:\\Tool", false, FolderChoice::Move},
        {"D:\\", false, FolderChoice::Move},
        {"D:\\", true, FolderChoice::Merge},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlanFolderChoice(current, c.folder, c.holdsDataFile), c.choice) << c.folder;
    EXPECT_EQ(PlanFolderChoice("D:\\quipmark.dat", "d:", true), FolderChoice::Stay);
}

SnapshotEntry Entry(EntryUid uid, const char* text, std::vector<SnapshotEntry> children = {})
{
    SnapshotEntry entry;
    entry.uid = uid;
    entry.text = text;
    entry.children = std::move(children);
    return entry;
}

// The entries as "uid:text" in order, children in brackets.
std::string Describe(const EntrySnapshot& entries)
{
    std::string text;
    for (const SnapshotEntry& entry : entries) {
        text += std::to_string(entry.uid) + ":" + entry.text;
        if (!entry.children.empty())
            text += "[" + Describe(entry.children) + "]";
        text += " ";
    }
    return text;
}

TEST(ConflictCopy, HasInCommonOnlyWhatBothHoldAlikeAtTheSameLevel)
{
    SnapshotEntry unicodeHere = Entry(6, "?");
    unicodeHere.unicode = L"\x4F60";
    SnapshotEntry unicodeThere = Entry(6, "?");
    unicodeThere.unicode = L"\x597D";
    const EntrySnapshot lastRead = {Entry(1, "kept"), Entry(2, "renamed there"),
                                    Entry(3, "group", {Entry(31, "child"), Entry(32, "moved")}),
                                    Entry(4, "only here"), unicodeHere};
    const EntrySnapshot copy = {Entry(3, "group", {Entry(31, "child")}), Entry(32, "moved"),
                                Entry(2, "new name"), Entry(1, "kept"), Entry(5, "only there"), unicodeThere};
    EXPECT_EQ(Describe(CommonEntries(lastRead, copy)), "1:kept 3:group[31:child ] ");
}

// A conflict copy is one machine's version from before it saw the other's
// changes: what it lacks or holds otherwise is no removal and no edit, so
// nothing typed on either machine goes; what this machine removed or
// renamed since it last read the file stays so.
TEST(ConflictCopy, KeepsEverythingTypedOnEitherMachineAndWhatWasDoneHereSince)
{
    const EntrySnapshot lastRead = {Entry(1, "kept"), Entry(2, "removed here"), Entry(3, "renamed here"),
                                    Entry(4, "renamed there"), Entry(5, "missing from the copy"),
                                    Entry(6, "group", {Entry(61, "child")})};
    const EntrySnapshot ours = {Entry(1, "kept"), Entry(3, "new name here"), Entry(4, "renamed there"),
                                Entry(5, "missing from the copy"), Entry(6, "group", {Entry(61, "child")}),
                                Entry(7, "added here")};
    const EntrySnapshot copy = {Entry(1, "kept"), Entry(2, "removed here"), Entry(3, "renamed here"),
                                Entry(4, "new name there"), Entry(6, "group", {Entry(61, "child"), Entry(62, "child there")}),
                                Entry(8, "added there")};
    const std::string merged = Describe(MergeConflictCopy(lastRead, ours, copy).merged);
    for (const char* text : {"1:kept ", ":new name here ", ":renamed there ", ":new name there ",
                             "5:missing from the copy ", "62:child there ", "7:added here ", "8:added there "})
        EXPECT_NE(merged.find(text), std::string::npos) << text << " missing from " << merged;
    for (const char* text : {"removed here", ":renamed here "})
        EXPECT_EQ(merged.find(text), std::string::npos) << text << " is back in " << merged;
}

// A copy that could not be moved aside stays in the folder and is found at
// every look: it is taken in once as it is, and again only once the sync
// service wrote it anew.
TEST(ConflictCopy, IsTakenInOnceAsItIs)
{
    const std::string path = "C:\\Sync\\quipmark-LAPTOP.dat";
    const FileStamp stamp{120, 5000};
    const std::uint64_t hash = 77;
    const EntrySnapshot lastRead = {Entry(1, "group", {Entry(11, "a"), Entry(12, "b")})};
    const EntrySnapshot ours = {Entry(1, "group", {Entry(11, "renamed here"), Entry(12, "b")})};
    const EntrySnapshot copy = {Entry(1, "group", {Entry(11, "renamed there"), Entry(12, "b")})};
    CopiesTakenIn taken;
    MergeOutcome first;
    ASSERT_TRUE(taken.Take(path, stamp, hash, lastRead, ours, copy, first));
    EXPECT_EQ(first.keptBoth, 1u);
    // Saved; found again at the next look, as it is.
    MergeOutcome again;
    EXPECT_FALSE(taken.Take(path, stamp, hash, first.merged, first.merged, copy, again));
    EXPECT_TRUE(again.merged.empty());

    const struct {
        std::string path;
        FileStamp stamp;
        std::uint64_t hash;
        bool held;
    } cases[] = {
        {path, stamp, hash, true},
        {"c:\\sync\\QUIPMARK-laptop.dat", stamp, hash, true},
        {path, {121, 5000}, hash, false},
        {path, {120, 5001}, hash, false},
        {path, stamp, 78, false},  // written anew, its time kept
        {"C:\\Sync\\quipmark (1).dat", stamp, hash, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(taken.Holds(c.path, c.stamp, c.hash), c.held) << c.path << " " << c.stamp.size << " " << c.hash;
    taken.Forget(path);
    EXPECT_FALSE(taken.Holds(path, stamp, hash)) << "moved aside: a copy of that name later is a new one";
}

}  // namespace
