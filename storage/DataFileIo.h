#pragma once
#include "storage/KnownFile.h"
#include <windows.h>
#include <functional>
#include <string>
#include <string_view>

// Reading and replacing the data file where other programs may hold it for
// a moment: a sync agent uploading it, a virus scanner, this program on
// another machine saving into a shared folder.

// How long a read or a save waits for a file another program holds before
// it reports; the program's windows stay responsive meanwhile.
const DWORD kHeldFilePatienceMs = 4000;

// Another program has the file open in a way that keeps this one out, for
// now.
bool IsHeldFileError(DWORD error);
// The first start has no data file yet; that is no error.
bool IsMissingFile(DWORD error);
// `error`, or `fallback` where a failed call left no error of its own.
DWORD ErrorOr(DWORD error, DWORD fallback);

// Handles the messages of this thread's windows for `ms` milliseconds: the
// tray icon and the dialog answer while a save waits.
void WaitHandlingMessages(DWORD ms);

// What reads a file piece by piece: `start` is told the file's size before
// its first piece, and again before a read tried anew; `piece` takes each
// piece in order. Either may throw std::bad_alloc, which ends the read with
// ERROR_NOT_ENOUGH_MEMORY.
struct PieceReader {
    std::function<void(size_t size)> start;
    std::function<void(std::string_view piece)> piece;
};

// Reads the file through a buffer of its own, sharing it with readers,
// writers and renamers, as ReadWholeFile does, but hands it to `reader`
// piece by piece: no copy of the whole file is made.
DWORD ReadInPieces(const std::string& path, const PieceReader& reader, FileStamp* stamp = nullptr,
                   DWORD patienceMs = 0);

// Reads the whole file into `bytes`, sharing it with readers, writers and
// renamers; `stamp`, when given, is the file's as read. The result is 0, or
// the system's error code when the file could not be opened or read, after
// `patienceMs` of trying again while another program held it. After a read
// error `bytes` holds what was read before it.
DWORD ReadWholeFile(const std::string& path, std::string& bytes, FileStamp* stamp = nullptr,
                    DWORD patienceMs = 0);

// The stamp of the file at `path`; false, with the system's error set, when
// there is no such file or its attributes cannot be read.
bool LookAtFile(const std::string& path, FileStamp& stamp);
// The file's size and write time alone, without opening it (`fileIndex` 0):
// cheaper than LookAtFile, which opens the file to learn which it is.
bool LookAtSizeAndTime(const std::string& path, FileStamp& stamp);

// Whether `path` is on one of this computer's own fixed drives, whose
// folders' change notices can be relied on. A network share, a removable
// drive or a drive of unknown kind may send none.
bool IsOnLocalFixedDrive(const std::string& path);

// Replaces the file at `path` with what `write` writes to the handle it is
// given, in one step: the bytes go to "<path>.tmp" in the same folder
// first, which then takes the file's place. "<path>.tmp" is made anew by
// one save at a time, on this machine or another sharing the folder, so
// whatever `write` reads of the file before it writes stays true until it
// is replaced; `write` is given the stamp of the file it replaces, as seen
// under that claim (null where there is no such file). A leftover of a save that was cut short is taken over once
// it has stayed still for a while. On failure the old file is untouched, no
// temporary file of this save is left, and the result is the system's
// error code; 0 on success, with `written` the new file's stamp.
DWORD ReplaceFileContent(const std::string& path, const std::function<bool(HANDLE, const FileStamp*)>& write,
                         FileStamp* written = nullptr);
