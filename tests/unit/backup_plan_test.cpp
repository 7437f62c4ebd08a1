#include "storage/BackupPlan.h"
#include <gtest/gtest.h>
#include <map>

namespace {

const std::string kData = "C:\\Q\\quipmark.dat";

// A folder of named files and their bytes; folders appear as "<dir>".
class FakeFolder : public BackupFolder {
public:
    std::map<std::string, std::string> files;

    Presence Find(const std::string& path) const override
    {
        const auto found = files.find(path);
        if (found == files.end())
            return Presence::Missing;
        return found->second == "<dir>" ? Presence::Other : Presence::File;
    }
    bool SameBytes(const std::string& first, const std::string& second) const override
    {
        const auto a = files.find(first), b = files.find(second);
        return a != files.end() && b != files.end() && a->second == b->second;
    }
};

TEST(BackupPlan, NamesTheNewestBackupAsTheMessagesDoAndNumbersOlderOnes)
{
    EXPECT_EQ(BackupName(kData), "C:\\Q\\quipmark.dat.bak");
    EXPECT_EQ(OlderBackupName(kData, 1), "C:\\Q\\quipmark.dat.1.bak");
    EXPECT_EQ(OlderBackupName(kData, 12), "C:\\Q\\quipmark.dat.12.bak");
}

TEST(BackupPlan, AnOlderBackupOfOtherBytesMovesToTheLowestFreeNumber)
{
    FakeFolder folder;
    folder.files[kData] = "new";
    EXPECT_EQ(PlanBackup(kData, folder).step, BackupStep::Copy) << "no backup yet";

    folder.files[BackupName(kData)] = "old";
    BackupPlan plan = PlanBackup(kData, folder);
    EXPECT_EQ(plan.step, BackupStep::MoveAsideAndCopy);
    EXPECT_EQ(plan.olderName, OlderBackupName(kData, 1));

    folder.files[OlderBackupName(kData, 1)] = "older";
    folder.files[OlderBackupName(kData, 2)] = "oldest";
    plan = PlanBackup(kData, folder);
    EXPECT_EQ(plan.step, BackupStep::MoveAsideAndCopy);
    EXPECT_EQ(plan.olderName, OlderBackupName(kData, 3));
}

TEST(BackupPlan, TheSameBytesAreNotKeptTwice)
{
    FakeFolder folder;
    folder.files[kData] = "same";
    folder.files[BackupName(kData)] = "same";
    EXPECT_EQ(PlanBackup(kData, folder).step, BackupStep::Nothing);
}

TEST(BackupPlan, WhatIsNotAFileIsNeverMovedAndNoNumberMeansNoCopy)
{
    FakeFolder folder;
    folder.files[kData] = "new";
    folder.files[BackupName(kData)] = "<dir>";
    EXPECT_EQ(PlanBackup(kData, folder).step, BackupStep::Copy) << "the copy fails with the system's reason";

    folder.files[BackupName(kData)] = "old";
    folder.files[OlderBackupName(kData, 1)] = "<dir>";
    EXPECT_EQ(PlanBackup(kData, folder).olderName, OlderBackupName(kData, 2)) << "a folder takes its number";

    for (unsigned number = 1; number <= kMostOlderBackups; ++number)
        folder.files[OlderBackupName(kData, number)] = "x";
    EXPECT_EQ(PlanBackup(kData, folder).step, BackupStep::NoFreeName);
}

}  // namespace
