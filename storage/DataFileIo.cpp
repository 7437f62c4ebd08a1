#include "storage/DataFileIo.h"
#include "framework/Handles.h"
#include <algorithm>
#include <memory>
#include <new>

namespace {

// Another save's "<path>.tmp" that has not changed for this long is a
// leftover: a save of the whole collection takes a fraction of it.
const DWORD kLeftoverStillMs = 2000;
const DWORD kRetryStepMs = 50;

std::uint64_t Join(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The file's number on its volume, as the system's own layer gives it.
// GetFileInformationByHandle gives it too, but asks for the volume's serial
// number as well, which under Wine is a call to another process costing
// more than the rest of a look together. The number alone tells a file put
// in the place of another: a file of another volume at the same path with
// the same number, size and write time is none that a user meets.
bool FileIndexOf(HANDLE file, std::uint64_t& index)
{
    struct IoStatus {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using QueryFile = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    const int kFileInternalInformation = 6;
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto query = ntdll != nullptr
                           ? reinterpret_cast<QueryFile>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationFile")))
                           : nullptr;
    LARGE_INTEGER number;
    IoStatus io = {};
    if (query == nullptr || query(file, &io, &number, sizeof number, kFileInternalInformation) < 0) {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file, &info))
            return false;
        index = Join(info.nFileIndexHigh, info.nFileIndexLow);
        return true;
    }
    index = static_cast<std::uint64_t>(number.QuadPart);
    return true;
}

bool StampOf(HANDLE file, FileStamp& stamp, DWORD* attributes = nullptr)
{
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) ||
        !FileIndexOf(file, stamp.fileIndex))
        return false;
    stamp.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    stamp.writeTime = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart);
    if (attributes != nullptr)
        *attributes = basic.FileAttributes;
    return true;
}

// A clock of this wait alone, immune to the tick count's wrap.
class Patience {
public:
    explicit Patience(DWORD ms) : m_start(GetTickCount()), m_ms(ms) {}
    bool Left() const { return GetTickCount() - m_start < m_ms; }

private:
    DWORD m_start;
    DWORD m_ms;
};

// Reads through a buffer of this size at most: as large as the pieces a
// save writes, and no larger than the file.
const size_t kPieceSize = 1 << 20;

DWORD ReadOnce(const std::string& path, const PieceReader& reader, FileStamp* stamp)
{
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return GetLastError();
    FileStamp before;
    if (!StampOf(file.Get(), before))
        return ErrorOr(GetLastError(), ERROR_READ_FAULT);
    if (before.size > 0x7FFFFFFF)
        return ERROR_FILE_TOO_LARGE;
    const size_t size = static_cast<size_t>(before.size);
    DWORD error = 0;
    try {
        reader.start(size);
        std::unique_ptr<char[]> buffer(new char[std::max<size_t>(1, std::min(size, kPieceSize))]);
        size_t done = 0;
        while (done < size) {
            DWORD got = 0;
            if (!ReadFile(file.Get(), buffer.get(), static_cast<DWORD>(std::min(size - done, kPieceSize)), &got,
                          nullptr)) {
                error = ErrorOr(GetLastError(), ERROR_READ_FAULT);
                break;
            }
            if (got == 0)
                break;
            done += got;
            reader.piece(std::string_view(buffer.get(), got));
        }
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    if (stamp != nullptr) {
        *stamp = before;
        // What was read is the file's whole content only if it held still.
        FileStamp after;
        if (error == 0 && StampOf(file.Get(), after) && after != before)
            error = ERROR_LOCK_VIOLATION;
    }
    return error;
}

// Makes "<path>.tmp" anew for this save, waiting while another save has
// it. A leftover of a save that was cut short is told from a save at work
// by staying still.
DWORD CreateTemp(const std::string& tempPath, ScopedHandle& temp)
{
    const Patience patience(kHeldFilePatienceMs + kLeftoverStillMs);
    FileStamp seen;
    bool haveSeen = false;
    DWORD stillSince = GetTickCount();
    for (;;) {
        temp.Reset(CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (temp.IsValid())
            return 0;
        const DWORD error = GetLastError();
        const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!exists && !IsHeldFileError(error))
            return error;
        FileStamp now;
        if (exists && LookAtFile(tempPath, now)) {
            if (!haveSeen || now != seen) {
                seen = now;
                haveSeen = true;
                stillSince = GetTickCount();
            } else if (GetTickCount() - stillSince >= kLeftoverStillMs) {
                DeleteFileA(tempPath.c_str());
                haveSeen = false;
                continue;
            }
        }
        if (!patience.Left())
            return exists ? ERROR_SHARING_VIOLATION : error;
        WaitHandlingMessages(kRetryStepMs);
    }
}

// Gives a file that another program holds a few seconds to be let go.
template <typename Attempt>
DWORD TryPatiently(const Attempt& attempt)
{
    const Patience patience(kHeldFilePatienceMs);
    for (;;) {
        const DWORD error = attempt();
        if (!IsHeldFileError(error) || !patience.Left())
            return error;
        WaitHandlingMessages(kRetryStepMs);
    }
}

}  // namespace

bool IsHeldFileError(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool IsMissingFile(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

void WaitHandlingMessages(DWORD ms)
{
    const Patience patience(ms);
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                // The loop that waits for it must still see it.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!patience.Left())
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - (GetTickCount() - start), QS_ALLINPUT);
    }
}

DWORD ReadInPieces(const std::string& path, const PieceReader& reader, FileStamp* stamp, DWORD patienceMs)
{
    const Patience patience(patienceMs);
    for (;;) {
        const DWORD error = ReadOnce(path, reader, stamp);
        if (!IsHeldFileError(error) || !patience.Left())
            return error;
        WaitHandlingMessages(kRetryStepMs);
    }
}

DWORD ReadWholeFile(const std::string& path, std::string& bytes, FileStamp* stamp, DWORD patienceMs)
{
    bytes.clear();
    const PieceReader whole{[&](size_t size) {
                                bytes.clear();
                                bytes.reserve(size);
                            },
                            [&](std::string_view piece) { bytes.append(piece.data(), piece.size()); }};
    return ReadInPieces(path, whole, stamp, patienceMs);
}

DWORD ReplaceFileContent(const std::string& path, const std::function<bool(HANDLE, const FileStamp*)>& write,
                         FileStamp* written)
{
    if (path.empty())
        return ERROR_PATH_NOT_FOUND;
    const std::string tempPath = path + ".tmp";
    ScopedHandle file;
    DWORD error = CreateTemp(tempPath, file);
    if (error != 0)
        return error;
    // A file that another program holds without letting others replace it
    // is given a few seconds. The same look tells which file is replaced,
    // and whether it is read-only: not ours to replace, though a program
    // with every right may open it for writing (Wine's, run as root).
    FileStamp replaced;
    bool replacedKnown = false;
    error = TryPatiently([&]() -> DWORD {
        ScopedHandle existing(CreateFileA(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!existing.IsValid())
            return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : GetLastError();
        DWORD attributes = 0;
        replacedKnown = StampOf(existing.Get(), replaced, &attributes);
        return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? ERROR_ACCESS_DENIED : 0;
    });
    FileStamp stamp;
    if (error == 0 && (!write(file.Get(), replacedKnown ? &replaced : nullptr) || !FlushFileBuffers(file.Get()) ||
                       !StampOf(file.Get(), stamp)))
        error = ErrorOr(GetLastError(), ERROR_WRITE_FAULT);
    if (!file.Close() && error == 0)
        error = ErrorOr(GetLastError(), ERROR_WRITE_FAULT);
    if (error == 0) {
        error = TryPatiently([&]() -> DWORD {
            return MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : ErrorOr(GetLastError(), ERROR_WRITE_FAULT);
        });
    }
    if (error != 0) {
        DeleteFileA(tempPath.c_str());
        return error;
    }
    if (written != nullptr)
        *written = stamp;
    return 0;
}

bool LookAtFile(const std::string& path, FileStamp& stamp)
{
    // Opened for no access at all, which no other program's hold on the
    // file refuses, to learn which file it is.
    const ScopedHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return (file.IsValid() && StampOf(file.Get(), stamp)) || LookAtSizeAndTime(path, stamp);
}

bool IsOnLocalFixedDrive(const std::string& path)
{
    // The volume's root, also of a folder mounted on another drive's
    // folder, or of a share named by its server.
    char volume[MAX_PATH + 1] = "";
    return GetVolumePathNameA(path.c_str(), volume, sizeof(volume)) && GetDriveTypeA(volume) == DRIVE_FIXED;
}

bool LookAtSizeAndTime(const std::string& path, FileStamp& stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    stamp = FileStamp();
    stamp.size = Join(data.nFileSizeHigh, data.nFileSizeLow);
    stamp.writeTime = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    return true;
}

DWORD ErrorOr(DWORD error, DWORD fallback)
{
    return error != 0 ? error : fallback;
}
