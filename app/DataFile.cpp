#include "app/QuipMarkDlg.h"
#include "storage/BackupPlan.h"
#include "storage/DataFileIo.h"
#include "storage/EntryFile.h"
#include "framework/AppMessageBox.h"
#include "framework/Handles.h"
#include "settings/SettingsStore.h"
#include <new>

namespace {

// The data file's folder as the choice of a backup's name sees it.
class DataFolder : public BackupFolder {
public:
    Presence Find(const std::string& path) const override
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return IsMissingFile(GetLastError()) ? Presence::Missing : Presence::Other;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Presence::Other : Presence::File;
    }

    bool SameBytes(const std::string& first, const std::string& second) const override
    {
        WIN32_FILE_ATTRIBUTE_DATA a, b;
        if (!GetFileAttributesExA(first.c_str(), GetFileExInfoStandard, &a) ||
            !GetFileAttributesExA(second.c_str(), GetFileExInfoStandard, &b) ||
            a.nFileSizeHigh != b.nFileSizeHigh || a.nFileSizeLow != b.nFileSizeLow)
            return false;
        std::string firstBytes, secondBytes;
        return ReadWholeFile(first, firstBytes) == 0 && ReadWholeFile(second, secondBytes) == 0 &&
               firstBytes == secondBytes;
    }
};

// Keeps the data file's bytes as its newest backup, moving an older backup
// of other bytes aside first (storage/BackupPlan.h). 0, or the system's error,
// with the backup that could not be written in `failedPath`.
DWORD KeepBackupOf(const std::string& dataPath, std::string& failedPath)
{
    const BackupPlan plan = PlanBackup(dataPath, DataFolder());
    const std::string backup = BackupName(dataPath);
    failedPath = backup;
    switch (plan.step) {
    case BackupStep::Nothing:
        return 0;
    case BackupStep::NoFreeName:
        failedPath = OlderBackupName(dataPath, kMostOlderBackups);
        return ERROR_FILE_EXISTS;
    case BackupStep::MoveAsideAndCopy:
        if (!MoveFileExA(backup.c_str(), plan.olderName.c_str(), MOVEFILE_WRITE_THROUGH)) {
            failedPath = plan.olderName;
            return ErrorOr(GetLastError(), ERROR_WRITE_FAULT);
        }
        break;
    case BackupStep::Copy:
        break;
    }
    // Never over an existing file: whatever took the name meanwhile stays.
    if (!CopyFileA(dataPath.c_str(), backup.c_str(), TRUE))
        return ErrorOr(GetLastError(), ERROR_WRITE_FAULT);
    return 0;
}

}  // namespace

void CQuipMarkDlg::UseMachineIdentity()
{
    const CSettingsStore store;
    std::uint64_t machine = store.MachineId();
    // The tree drew a random one; it becomes this machine's for good.
    if (machine == 0 && store.SaveMachineId(m_entries.Machine()))
        machine = m_entries.Machine();
    m_storedEdits = store.MachineEdits();
    m_entries.SetMachine(machine, m_storedEdits);
}

bool CQuipMarkDlg::LoadEntries()
{
    if (DataPath().empty())
        return false;
    bool intact = false;
    const DWORD error = m_sync.Load(intact);
    if (IsMissingFile(error))
        return false;
    m_tree.ShowAll();
    RefreshCount();
    if (error != 0) {
        // The file is there but could not be read (another program holds
        // it, access is denied, it is too large, the entries did not fit in
        // memory): a save must not replace what was never loaded, so its
        // bytes are kept first.
        m_originalUnsaved = true;
        ReportFileReadError(DataPath(), error);
        return false;
    }
    if (!intact) {
        // The next save writes only what was loaded; the damaged original is
        // kept beside it first, or else just before that save.
        std::string failedPath;
        if (KeepBackupOf(DataPath(), failedPath) != 0)
            m_originalUnsaved = true;
        AppMessageBox("Corrupt quipmark.dat file, only partial data loaded", MB_OK);
    }
    return true;
}

DWORD CQuipMarkDlg::KeepUnloadedOriginal(std::string& failedPath) const
{
    if (!m_originalUnsaved)
        return 0;
    const DWORD error = KeepBackupOf(DataPath(), failedPath);
    // Gone meanwhile: there is nothing left to lose.
    if (error == 0 || (GetFileAttributesA(DataPath().c_str()) == INVALID_FILE_ATTRIBUTES &&
                       IsMissingFile(GetLastError())))
        return 0;
    return error;
}

bool CQuipMarkDlg::SaveEntries()
{
    // A save already waiting for the file finishes the job.
    if (m_sync.IsSaving())
        return false;
    DWORD error = 0;
    // The file that could not be written: the data file, or a backup of it.
    std::string failedPath = DataPath();
    try {
        error = KeepUnloadedOriginal(failedPath);
        // The edits this save may take elsewhere are counted in the registry
        // first: a count the file then forgets (a backup put back) is never
        // given out again.
        // The registry keeps the highest count; a save without new edits
        // writes nothing there.
        const std::uint64_t edits = m_entries.EditCount();
        if (edits > m_storedEdits && CSettingsStore().SaveMachineEdits(edits))
            m_storedEdits = edits;
        if (error == 0) {
            failedPath = DataPath();
            error = m_sync.Save([this, &failedPath](const FollowOutcome& outcome, const EntryChange& change) {
                return OnMergedBeforeSave(outcome, change, failedPath);
            });
        }
    } catch (const std::bad_alloc&) {
        // A failed save like any other, reported once the memory is given back.
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    if (error != 0) {
        ReportFileError(failedPath, error);
        return false;
    }
    // The file now holds everything that was loaded or taken in.
    m_originalUnsaved = false;
    DeleteImportedLists();
    SetModified(false);
    return true;
}

bool CQuipMarkDlg::OnMergedBeforeSave(const FollowOutcome& outcome, const EntryChange& change,
                                      std::string& failedPath)
{
    Follow(change);
    RefreshCount();
    if (!outcome.damaged)
        return true;
    // Damaged by whoever wrote it last: what could be read is in the
    // entries, and its bytes are kept beside it before they are replaced.
    const DWORD error = KeepBackupOf(DataPath(), failedPath);
    SetLastError(error);
    return error == 0;
}

void CQuipMarkDlg::OnDataFileChanged(bool slow)
{
    // A label being edited names its entry: the file waits for the edit.
    if (TreeView_GetEditControl(m_tree.Handle()) != nullptr) {
        m_sync.FollowLater();
        return;
    }
    EntryChange change;
    const FollowOutcome outcome = m_sync.Follow(change, slow);
    const bool followed = outcome.step == FollowStep::Show || outcome.step == FollowStep::Merge;
    if (followed) {
        // The file's entries are all in memory now.
        m_originalUnsaved = false;
        Follow(change);
        RefreshCount();
        if (outcome.step == FollowStep::Merge)
            SetModified(outcome.unsaved);
    }
    // A conflict copy comes with a change in the folder; the slow check of
    // a folder that sends no notices looks for one when the file changed.
    if (!slow || followed)
        TakeInConflictCopies();
}
