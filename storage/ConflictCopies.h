#pragma once
#include "entries/EntrySnapshot.h"
#include "storage/CopiesTakenIn.h"
#include <set>
#include <string>
#include <vector>

// The copies of the data file that sync services leave beside it when two
// machines saved at once (storage/ConflictCopyName.h names them), read for the
// merge and then kept with the numbered backups, where they no longer count
// as copies to merge.
class CConflictCopies {
public:
    // The copies beside `dataPath` now, in the order of their names.
    std::vector<std::string> Find(const std::string& dataPath) const;
    // A copy's entries, with its stamp and the hash of its bytes as read;
    // false when it cannot be read now (the sync agent holds it, say) or is
    // damaged (half written, perhaps). Such a copy stays where it is and is
    // tried again later; the user hears of it once.
    bool Read(const std::string& copyPath, VersionedEntries& entries, FileStamp& stamp, std::uint64_t& hash);
    // The copies taken in this session; one moved aside is forgotten.
    CopiesTakenIn& TakenIn() { return m_takenIn; }
    // Moves a merged copy to the lowest free "quipmark.dat.<n>.bak" beside
    // the data file; false, with the copy left where it is, when it could
    // not. The backup's name goes to `kept`.
    bool PutAside(const std::string& dataPath, const std::string& copyPath, std::string& kept);

private:
    CopiesTakenIn m_takenIn;
    // The copies whose fault the user was told of.
    std::set<std::string> m_told;
};
