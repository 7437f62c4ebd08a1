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

// A copy that could not be moved aside stays in the folder and is found at
// every look: it is taken in once as it is, and again only once the sync
// service wrote it anew.
TEST(ConflictCopy, IsTakenInOnceAsItIs)
{
    const std::string path = "C:\\Sync\\quipmark-LAPTOP.dat";
    const FileStamp stamp{120, 5000};
    const std::uint64_t hash = 77;
    // Each machine renamed an entry of the group the other holds as it was.
    VersionedEntries ours{{Entry(1, "group", {Entry(11, "renamed here"), Entry(12, "b")})}, {{{1, 1}}, {}, true}};
    VersionedEntries copy{{Entry(1, "group", {Entry(11, "renamed there"), Entry(12, "b")})}, {{{2, 1}}, {}, true}};
    ours.entries[0].children[0].textVersion = Version{{1, 1}};
    copy.entries[0].children[0].textVersion = Version{{2, 1}};
    CopiesTakenIn taken;
    MergeOutcome first;
    ASSERT_TRUE(taken.Take(path, stamp, hash, ours, copy, first));
    EXPECT_EQ(first.keptBoth, 1u);
    // Saved; found again at the next look, as it is.
    MergeOutcome again;
    EXPECT_FALSE(taken.Take(path, stamp, hash, {first.merged, first.history}, copy, again));
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
