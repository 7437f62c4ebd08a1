#include "app/QuipMarkDlg.h"
#include "app/BackupPlan.h"
#include "entries/EntryFile.h"
#include "framework/AppMessageBox.h"
#include "framework/FileBytes.h"
#include "framework/Handles.h"
#include <algorithm>
#include <functional>
#include <string_view>
#include <new>

namespace {

bool WriteAll(HANDLE file, std::string_view bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0)
            return false;
        done += wrote;
    }
    return true;
}

// Gathers small pieces into writes of a useful size; large pieces go to the
// file as they are.
class BufferedWriter {
public:
    explicit BufferedWriter(HANDLE file) : m_file(file) { m_buffer.reserve(kSize); }

    bool Write(std::string_view bytes)
    {
        if (m_buffer.size() + bytes.size() > kSize && !Flush())
            return false;
        if (bytes.size() >= kSize)
            return WriteAll(m_file, bytes);
        m_buffer.append(bytes.data(), bytes.size());
        return true;
    }

    bool Flush()
    {
        const bool written = WriteAll(m_file, m_buffer);
        m_buffer.clear();
        return written;
    }

private:
    static constexpr size_t kSize = 64 * 1024;
    HANDLE m_file;
    std::string m_buffer;
};

// Replaces the file at `path` with what `write` writes to the handle it is
// given, in one step: the bytes go to "<path>.tmp" in the same folder first,
// which then takes the file's place. On failure the old file is untouched,
// no temporary file is left, and the result is the system's error code; 0 on
// success.
DWORD ReplaceFileContent(const std::string& path, const std::function<bool(HANDLE)>& write)
{
    if (path.empty())
        return ERROR_PATH_NOT_FOUND;
    // A file that another program holds, or that is read-only, is not ours
    // to replace.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    {
        ScopedHandle existing(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!existing.IsValid() && GetLastError() != ERROR_FILE_NOT_FOUND)
            return GetLastError();
    }
    // One fixed name: only one instance ever saves, and a leftover of a save
    // that was cut short is simply overwritten by the next one.
    const std::string tempPath = path + ".tmp";
    const char* temp = tempPath.c_str();
    DWORD error = 0;
    {
        ScopedHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            error = GetLastError();
        else if (!write(file.Get()) || !FlushFileBuffers(file.Get()))
            error = GetLastError();
        if (!file.Close() && error == 0)
            error = GetLastError();
    }
    if (error == 0 &&
        !MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != 0) {
        DeleteFileA(temp);
        return error != 0 ? error : ERROR_WRITE_FAULT;
    }
    return 0;
}

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

DWORD ErrorOr(DWORD error, DWORD fallback)
{
    return error != 0 ? error : fallback;
}

// Keeps the data file's bytes as its newest backup, moving an older backup
// of other bytes aside first (app/BackupPlan.h). 0, or the system's error,
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

bool CQuipMarkDlg::LoadEntries()
{
    if (m_dataPath.empty())
        return false;
    std::string bytes;
    const DWORD readError = ReadWholeFile(m_dataPath, bytes);
    if (readError != 0 && IsMissingFile(readError))
        return false;

    bool intact = false;
    DWORD error = readError;
    try {
        intact = DecodeEntries(bytes, m_entries);
    } catch (const std::bad_alloc&) {
        // The entries did not fit in memory: what was loaded stays, and the
        // file is one that could not be read whole.
        if (error == 0)
            error = ERROR_NOT_ENOUGH_MEMORY;
    }
    m_tree.ShowAll();
    RefreshCount();
    m_lastRead = TakeSnapshot(m_entries);
    if (error != 0) {
        // The file is there but could not be read (another program holds
        // it, access is denied, it is too large): a save must not replace
        // what was never loaded, so its bytes are kept first.
        m_originalUnsaved = true;
        ReportFileReadError(m_dataPath, error);
        return false;
    }
    if (!intact) {
        // The next save writes only what was loaded; the damaged original is
        // kept beside it first, or else just before that save.
        std::string failedPath;
        if (KeepBackupOf(m_dataPath, failedPath) != 0)
            m_originalUnsaved = true;
        AppMessageBox("Corrupt quipmark.dat file, only partial data loaded", MB_OK);
    }
    return true;
}

DWORD CQuipMarkDlg::KeepUnloadedOriginal(std::string& failedPath) const
{
    if (!m_originalUnsaved)
        return 0;
    const DWORD error = KeepBackupOf(m_dataPath, failedPath);
    // Gone meanwhile: there is nothing left to lose.
    if (error == 0 || (GetFileAttributesA(m_dataPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
                       IsMissingFile(GetLastError())))
        return 0;
    return error;
}

bool CQuipMarkDlg::WriteEntries(HANDLE file) const
{
    // Running short of memory here is a failed write: the half-written
    // temporary file must still go.
    try {
        BufferedWriter writer(file);
        return EncodeEntries(m_entries, [&](std::string_view piece) { return writer.Write(piece); }) &&
               writer.Flush();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

bool CQuipMarkDlg::SaveEntries()
{
    DWORD error = 0;
    // The file that could not be written: the data file, or a backup of it.
    std::string failedPath = m_dataPath;
    try {
        error = KeepUnloadedOriginal(failedPath);
        if (error == 0) {
            failedPath = m_dataPath;
            error = ReplaceFileContent(m_dataPath, [this](HANDLE file) { return WriteEntries(file); });
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
    m_lastRead = TakeSnapshot(m_entries);
    DeleteImportedLists();
    SetModified(false);
    return true;
}
