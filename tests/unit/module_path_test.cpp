#include "storage/DataPath.h"
#include "framework/ModulePath.h"
#include <gtest/gtest.h>

TEST(DataPath, LiesInTheProgramsFolder)
{
    EXPECT_EQ(DataPathForModule("C:\\Tools\\Quip\\quipmark.exe"), "C:\\Tools\\Quip\\quipmark.dat");
    EXPECT_EQ(DataPathForModule("C:\\quipmark.exe"), "C:\\quipmark.dat");
    EXPECT_EQ(DataPathForModule("\\\\server\\share\\q.exe"), "\\\\server\\share\\quipmark.dat");
}

TEST(DataPath, IsEmptyWithoutABackslash)
{
    EXPECT_EQ(DataPathForModule("quipmark.exe"), "");
    EXPECT_EQ(DataPathForModule("C:/tools/quipmark.exe"), "");
    EXPECT_EQ(DataPathForModule(""), "");
}

TEST(ModulePath, TitleIsTheFileNameWithoutExtension)
{
    EXPECT_EQ(FileTitleOf("C:\\Tools\\quipmark.exe"), "quipmark");
    EXPECT_EQ(FileTitleOf("C:\\Tools.d\\quipmark"), "quipmark");
    EXPECT_EQ(FileTitleOf("quip.mark.exe"), "quip.mark");
    EXPECT_EQ(FileTitleOf("C:\\.hidden"), ".hidden");
}
