#include "storage/BackupPlan.h"

std::string BackupName(const std::string& dataPath)
{
    return dataPath + ".bak";
}

std::string OlderBackupName(const std::string& dataPath, unsigned number)
{
    return dataPath + "." + std::to_string(number) + ".bak";
}

BackupPlan PlanBackup(const std::string& dataPath, const BackupFolder& folder)
{
    BackupPlan plan;
    const std::string newest = BackupName(dataPath);
    // Something other than a file of that name (a folder, a name that cannot
    // be examined) is not ours to move: the copy then fails with the
    // system's reason, and nothing is replaced.
    if (folder.Find(newest) != Presence::File)
        return plan;
    if (folder.SameBytes(dataPath, newest)) {
        plan.step = BackupStep::Nothing;
        return plan;
    }
    for (unsigned number = 1; number <= kMostOlderBackups; ++number) {
        std::string older = OlderBackupName(dataPath, number);
        if (folder.Find(older) == Presence::Missing) {
            plan.step = BackupStep::MoveAsideAndCopy;
            plan.olderName = std::move(older);
            return plan;
        }
    }
    plan.step = BackupStep::NoFreeName;
    return plan;
}
