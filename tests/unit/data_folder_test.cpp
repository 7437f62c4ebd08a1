#include "app/ConflictCopyMerge.h"
#include "app/DataPath.h"
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

}  // namespace
