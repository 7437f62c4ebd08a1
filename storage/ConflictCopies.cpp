#include "storage/ConflictCopies.h"
#include "storage/EntryFile.h"
#include "storage/BackupPlan.h"
#include "storage/ConflictCopyName.h"
#include "framework/AppMessageBox.h"
#include "storage/DataFileIo.h"
#include "framework/ModulePath.h"
#include <algorithm>
#include <windows.h>

std::vector<std::string> CConflictCopies::Find(const std::string& dataPath) const
{
    std::vector<std::string> copies;
    const std::string folder = FolderOf(dataPath);
    if (folder.empty())
        return copies;
    const std::string dataName = dataPath.substr(folder.size());
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return copies;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsConflictCopyName(found.cFileName, dataName))
            copies.push_back(folder + found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(copies.begin(), copies.end());
    return copies;
}

bool CConflictCopies::Read(const std::string& copyPath, VersionedEntries& entries, FileStamp& stamp, std::uint64_t& hash)
{
    std::string bytes;
    const DWORD error = ReadWholeFile(copyPath, bytes, &stamp);
    hash = HashOf(bytes);
    if (error == 0 && DecodeVersioned(bytes, entries))
        return true;
    entries = VersionedEntries();
    // Gone meanwhile: nothing to tell.
    if (IsMissingFile(error) || !m_told.insert(copyPath).second)
        return false;
    AppMessageBox("A sync service left " + copyPath +
                      " beside your entries, a copy of them from another machine, but it " +
                      (error != 0 ? "cannot be read: " + SystemReason(error) : std::string("is damaged.")) +
                      "\n\nIt stays where it is; Quipmark takes it in once it can be read.",
                  MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CConflictCopies::PutAside(const std::string& dataPath, const std::string& copyPath, std::string& kept)
{
    for (unsigned number = 1; number <= kMostOlderBackups; ++number) {
        kept = OlderBackupName(dataPath, number);
        if (GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        // Never over a file: whatever took the name meanwhile stays, and
        // the next number is tried.
        if (MoveFileExA(copyPath.c_str(), kept.c_str(), MOVEFILE_WRITE_THROUGH)) {
            m_takenIn.Forget(copyPath);
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    kept.clear();
    return false;
}
