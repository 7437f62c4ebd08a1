#pragma once
#include "entries/EntrySnapshot.h"
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
    // A copy's entries; false when it cannot be read now (the sync agent
    // holds it, say) or is damaged (half written, perhaps). Such a copy
    // stays where it is and is tried again later; the user hears of it
    // once.
    bool Read(const std::string& copyPath, EntrySnapshot& entries);
    // Moves a merged copy to the lowest free "quipmark.dat.<n>.bak" beside
    // the data file; false, with the copy left where it is, when it could
    // not. The backup's name goes to `kept`.
    bool PutAside(const std::string& dataPath, const std::string& copyPath, std::string& kept) const;

private:
    // The copies whose fault the user was told of.
    std::set<std::string> m_told;
};
