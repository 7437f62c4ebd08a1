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

}  // namespace
