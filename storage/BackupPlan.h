#pragma once
#include <string>

// What a name in the data file's folder holds, as far as choosing a
// backup's name needs it.
enum class Presence { Missing, File, Other };

class BackupFolder {
public:
    virtual ~BackupFolder() = default;
    virtual Presence Find(const std::string& path) const = 0;
    // True only when both files could be read and hold the same bytes.
    virtual bool SameBytes(const std::string& first, const std::string& second) const = 0;
};

enum class BackupStep {
    // "<file>.bak" holds these very bytes already.
    Nothing,
    // Copy the file to "<file>.bak", which holds no file of other bytes.
    Copy,
    // Move the older "<file>.bak" to `olderName` first, then copy.
    MoveAsideAndCopy,
    // Every numbered name is taken: there is nowhere to keep the older backup.
    NoFreeName,
};

struct BackupPlan {
    BackupStep step = BackupStep::Copy;
    std::string olderName;
};

// The newest backup of the data file is always "<file>.bak", the name the
// program's messages give. A backup never replaces an older one whose bytes
// differ: that one moves aside to "<file>.<n>.bak", the lowest number free.
std::string BackupName(const std::string& dataPath);
std::string OlderBackupName(const std::string& dataPath, unsigned number);
BackupPlan PlanBackup(const std::string& dataPath, const BackupFolder& folder);

// Numbered backups are looked for up to this number.
const unsigned kMostOlderBackups = 9999;
