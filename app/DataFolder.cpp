#include "app/QuipMarkDlg.h"
#include "storage/CopiesTakenIn.h"
#include "storage/DataPath.h"
#include "storage/EntryMerge.h"
#include "framework/AppMessageBox.h"
#include "framework/ModulePath.h"
#include "framework/ScopedFlag.h"

namespace {

std::string Entries(size_t count)
{
    return std::to_string(count) + (count == 1 ? " entry" : " entries");
}

// What the choice of a folder did, in one short message.
std::string FolderChoiceMessage(const std::string& folder, size_t here, size_t there, size_t after, bool joined)
{
    const std::string kept = "Your entries are now kept in " + folder;
    if (!joined)
        return kept + " (" + Entries(here) + ").";
    return kept + ", joined with those already there: " + Entries(here) + " from here and " + Entries(there) +
           " from there make " + Entries(after) + ".";
}

}  // namespace

void CQuipMarkDlg::OnDataFolder()
{
    std::string folder;
    if (!m_location.AskForFolder(m_hWnd, DataPath(), folder))
        return;
    bool holdsData = false;
    VersionedEntries there;
    // A data file there that cannot be read whole was reported; nothing moves.
    if (!m_location.ReadFolder(folder, holdsData, there))
        return;
    const FolderChoice choice = PlanFolderChoice(DataPath(), folder, holdsData);
    if (choice == FolderChoice::Stay)
        return;
    const VersionedEntries here = TakeVersioned(m_entries);
    size_t after = CountEntries(here.entries);
    if (choice == FolderChoice::Merge) {
        // The two collections merge as any two versions do: an entry that
        // both hold (the same one, synced before) is one, and what either
        // side removed or renamed since it last met the other stays so.
        const MergeOutcome merged = MergeVersions(here, there);
        after = CountEntries(merged.merged);
        Follow(m_entries.ReplaceUserEntries(merged.merged, &merged.history));
    }
    // The file left behind stays as it was: nothing of it is lost, and it
    // is what another installation beside it still reads.
    const std::string previous = DataPath();
    UseDataPath(DataPathInFolder(folder));
    SetModified(true);
    if (!SaveEntries()) {
        // Reported; the entries stay where they were, with those of the
        // chosen folder among them, to be saved there.
        UseDataPath(previous);
        return;
    }
    m_location.Remember(folder, DataPath());
    AppMessageBox(FolderChoiceMessage(folder, CountEntries(here.entries), CountEntries(there.entries), after,
                                      choice == FolderChoice::Merge),
                  MB_OK | MB_ICONINFORMATION);
    // Copies a sync service left there before are taken in now, not at the
    // folder's next change.
    TakeInConflictCopies();
}

void CQuipMarkDlg::TakeInConflictCopies()
{
    // A second notice while the first one's save error or message is open
    // finds the copies of the first; the next notice after it sees the rest.
    if (m_takingInCopies)
        return;
    const ScopedFlag taking(m_takingInCopies);
    std::vector<std::string> merged;
    CopiesTakenIn& takenIn = m_conflictCopies.TakenIn();
    for (const std::string& path : m_conflictCopies.Find(DataPath())) {
        VersionedEntries copy;
        FileStamp stamp;
        std::uint64_t hash = 0;
        MergeOutcome outcome;
        // A copy taken in that could not be moved aside is found again.
        if (!m_conflictCopies.Read(path, copy, stamp, hash) ||
            !takenIn.Take(path, stamp, hash, TakeVersioned(m_entries), copy, outcome))
            continue;
        EntryChange change;
        try {
            change = m_entries.ReplaceUserEntries(outcome.merged, &outcome.history);
        } catch (...) {
            takenIn.Forget(path);  // nothing of it came in
            throw;
        }
        Follow(change);
        SetModified(true);
        merged.push_back(path);
    }
    // A failed save was told; the copies stay and are taken in again later.
    if (merged.empty() || !SaveEntries())
        return;
    std::string told;
    for (const std::string& path : merged) {
        std::string kept;
        const std::string name = path.substr(FolderOf(path).size());
        told += "\n" + name + (m_conflictCopies.PutAside(DataPath(), path, kept)
                                   ? ", now kept as " + kept.substr(FolderOf(kept).size())
                                   : ", which stays where it is (it could not be moved)");
    }
    AppMessageBox("A sync service left a copy of your entries beside " + DataPath() +
                      " when two machines saved at once. Quipmark took it in; nothing of either is lost:\n" +
                      told,
                  MB_OK | MB_ICONINFORMATION);
}
