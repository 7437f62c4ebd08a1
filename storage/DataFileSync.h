#pragma once
#include "storage/KnownFile.h"
#include "entries/EntryTree.h"
#include "framework/FolderWatch.h"
#include <windows.h>
#include <functional>
#include <string>

// Keeps the entries in step with their data file while other programs may
// change it: this program on another machine sharing the folder, a sync
// service bringing another machine's file, the user restoring a backup.
// It remembers what it last read or wrote (KnownFile) and
// - before every save, under the save's claim on the folder, takes in
//   whatever changed the file since, so that no save replaces what this
//   program has not seen;
// - follows changes of the file while the program runs: the folder's change
//   notice (a message to the window), a slow check for folders that send
//   none, and a short retry while the file is held or half written.
// The caller's window passes the message and its timers on; the entries
// change through EntryTree::ReplaceUserEntries, which the views follow.
class CDataFileSync {
public:
    // The window's timers: the slow check, and the retry of a look that
    // found the file held or half written.
    static const UINT_PTR kCheckTimer = 0x5F01;
    static const UINT_PTR kRetryTimer = 0x5F02;
    // The slow check's pace: every few seconds where the folder may send
    // no notices; on the computer's own drives, whose notices are
    // reliable, only now and then, in case one was missed.
    static const UINT kCheckMs = 3000;
    static const UINT kLocalCheckMs = 30000;
    static const unsigned kFullLookEvery = 10;
    static const UINT kRetryMs = 400;

    explicit CDataFileSync(EntryTree& entries) : m_entries(entries) {}
    CDataFileSync(const CDataFileSync&) = delete;
    CDataFileSync& operator=(const CDataFileSync&) = delete;

    const std::string& Path() const { return m_path; }
    // Points at another data file: nothing of it is known yet, and the
    // watch, if any, moves with it.
    void UsePath(const std::string& path);

    // The start's read: appends the data file's entries to the top level of
    // the entries while the file is read piece by piece, patient with a file
    // another program holds for a moment, and remembers the file as read.
    // 0, with `intact` whether the file was undamaged; or the system's
    // error: the file is missing, or could not be read whole (what was read
    // of it is appended, and nothing of the file is known).
    DWORD Load(bool& intact);

    // Sends `message` to `window` when the data file's folder changes, and
    // starts the slow check at the pace its drive needs. Nothing happens
    // when the environment has QUIPMARK_NO_FILE_WATCH set, and there is no
    // slow check with QUIPMARK_NO_SLOW_CHECK (the benchmarks compare and
    // time with those).
    void Watch(HWND window, UINT message);
    void StopWatching();
    bool OwnsTimer(UINT_PTR id) const { return id == kCheckTimer || id == kRetryTimer; }

    // Looks at the file after the folder's notice or a timer (a cheap look
    // at its stamp first, its bytes only when that differs) and takes any
    // outside change into the entries; `change` is what the views must do.
    // A file that cannot be read now is looked at again shortly. The slow
    // check (`slow`) looks at the size and time alone, and only every
    // kFullLookEvery-th time also at which file it is.
    FollowOutcome Follow(EntryChange& change, bool slow = false);
    // The file could not be looked at now (a label is being edited): later.
    void FollowLater();

    // What Save does after taking an outside change into the entries, before
    // it writes them: the views follow; false stops the save with the
    // system's error set (a damaged file whose bytes could not be kept).
    using MergedStep = std::function<bool(const FollowOutcome& outcome, const EntryChange& change)>;
    // Writes the entries to the data file, first taking in what changed it
    // since it was last read or written. 0 or the system's error.
    DWORD Save(const MergedStep& merged);
    bool IsSaving() const { return m_saving; }

private:
    bool WriteEntries(HANDLE file, const FileStamp* replaced, const MergedStep& merged, ContentHash& hash,
                      KnownEntries& written, KnownFile::Derivable& derivable);
    bool TakeOutsideChange(const FileStamp* replaced, const MergedStep& merged);
    void RetrySoon();

    EntryTree& m_entries;
    std::string m_path;
    KnownFile m_known;
    // What the last look at the entries hashed, for the next one.
    TreeTextHashes m_textHashes;
    CFolderWatch m_watch;
    HWND m_window = nullptr;
    UINT m_message = 0;
    // Retries in a row of a file that stays unreadable; after enough, the
    // slow check takes over.
    unsigned m_retries = 0;
    unsigned m_slowLooks = 0;
    bool m_saving = false;
};
