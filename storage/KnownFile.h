#pragma once
#include "entries/EntrySnapshot.h"
#include <cstdint>
#include <string_view>

// What is cheap to learn of a file without reading it: its size and
// last-write time. Two looks that differ mean the file changed; two that
// agree do not prove it did not (a copy keeps its original's time).
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
};
bool operator==(const FileStamp& a, const FileStamp& b);
inline bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }

// A hash of a file's bytes; pieces added in order hash as the whole does.
class ContentHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const { return m_value; }

private:
    std::uint64_t m_value = 14695981039346656037ull;
};
std::uint64_t HashOf(std::string_view bytes);

// Whether two snapshots hold the same entries with the same identities and
// versions.
bool SameEntries(const EntrySnapshot& a, const EntrySnapshot& b);

// What the entries in memory must do after a look at a changed data file.
enum class FollowStep {
    // The file holds what this program last read or wrote.
    Nothing,
    // The file holds every entry in memory: show the file's.
    Show,
    // The file's changes were merged into the entries in memory, which the
    // file lacks some of: they must be saved.
    Merge,
    // The file is half written: look again shortly.
    TryAgain,
};

struct FollowOutcome {
    FollowStep step = FollowStep::Nothing;
    // The entries to show after Show or Merge, and their history.
    EntrySnapshot entries;
    EntryHistory history;
    // After Merge: the entries differ from the file's and must be saved.
    bool unsaved = false;
    // The file was damaged and taken as far as it could be read.
    bool damaged = false;
    // Texts that both sides changed, kept twice.
    size_t keptBoth = 0;
};

// The data file as this program last read or wrote it: enough of the file
// to tell any later change by anyone (its stamp and the hash of its bytes).
// Nothing the program has not seen is ever written over: before a save, and
// whenever the folder reports a change, the file's bytes are taken through
// here and merged with the entries in memory (storage/EntryMerge.h), which
// needs no earlier version of either.
class KnownFile {
public:
    // Nothing read or written yet: the first start, or a file that could
    // not be read. Any file found later is an outside change.
    bool Knows() const { return m_known; }
    const FileStamp& Stamp() const { return m_stamp; }

    void Remember(const FileStamp& stamp, std::uint64_t hash);
    void Forget();

    // The slow check's cheap look: a stamp that differs from the one
    // remembered calls for a read. With nothing known, any file differs.
    bool MayHaveChanged(const FileStamp& now) const;

    // Takes the file's bytes now; `ours` are the entries in memory. The
    // stamp becomes the file's unless the outcome is TryAgain. A file damaged
    // partway is taken as far as it reads only when `acceptDamaged` (a
    // save that can wait no longer): otherwise a writer may still be at
    // work and the step is TryAgain.
    FollowOutcome Take(std::string_view bytes, const FileStamp& stamp, const VersionedEntries& ours,
                       bool acceptDamaged = false);

private:
    bool m_known = false;
    FileStamp m_stamp;
    std::uint64_t m_hash = 0;
};
