#pragma once
#include "entries/EntrySnapshot.h"
#include "entries/EntryTree.h"
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

// What is cheap to learn of a file without reading it: its size, its
// last-write time and which file it is (its number on its volume, which a
// file put in its place by renaming, as sync services and this program's
// saves do, changes). Two looks that differ mean the file may have changed;
// two that agree mean it did not. Where the system cannot tell which file
// it is, the number is 0 and the look differs from every full one.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    std::uint64_t fileIndex = 0;
};
bool operator==(const FileStamp& a, const FileStamp& b);
inline bool operator!=(const FileStamp& a, const FileStamp& b) { return !(a == b); }

// A hash of a file's bytes; pieces added in order hash as the whole does. A
// change of any one byte changes it. Kept in memory only, never in a file:
// its lanes are the processor's own words, so that the 32-bit build makes
// no 64-bit multiplication per word (it costs three there), and hashes to
// other values than the 64-bit build.
class ContentHash {
public:
    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    using Lane = std::conditional_t<sizeof(void*) == 8, std::uint64_t, std::uint32_t>;
    static const size_t kStripe = 32;
    void AddStripes(const unsigned char* bytes, size_t stripes);

    Lane m_lanes[4] = {static_cast<Lane>(0x9E3779B185EBCA87ull), static_cast<Lane>(0xC2B2AE3D27D4EB4Full),
                       static_cast<Lane>(0x165667B19E3779F9ull), static_cast<Lane>(0x85EBCA77C2B2AE63ull)};
    unsigned char m_pending[kStripe] = {};
    size_t m_pendingSize = 0;
    std::uint64_t m_length = 0;
};
std::uint64_t HashOf(std::string_view bytes);

// What the known file keeps of an entry as the data file last held it: its
// identity, its level and a hash of its texts (never the texts twice), to
// tell whether a save writes the entries last read or written. The entries
// are kept in one list, each top-level entry followed by its children, so
// that a load or a save makes it in one allocation.
struct KnownEntry {
    EntryUid uid = 0;
    std::uint64_t texts = 0;
    bool child = false;
};
inline bool operator==(const KnownEntry& a, const KnownEntry& b)
{
    return a.uid == b.uid && a.texts == b.texts && a.child == b.child;
}
using KnownEntries = std::vector<KnownEntry>;
std::uint64_t TextsHash(const std::string& text, const std::wstring& unicode);
KnownEntries KnownEntriesOf(const EntrySnapshot& entries);

// The hashes of a tree's texts as the last look at it made them, by entry,
// with the tree's count of text changes then: the next look at the same
// tree hashes again only the entries whose text changed since, so that a
// save of large texts after one edit hashes one entry, not all of them.
struct TreeTextHashes {
    const EntryTree* tree = nullptr;
    std::uint64_t textChanges = 0;
    std::vector<EntryId> ids;
    std::vector<std::uint64_t> hashes;
};
// `hashes`, where given, is used and then kept up to date.
KnownEntries KnownEntriesOf(const EntryTree& tree, TreeTextHashes* hashes = nullptr);

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
// whenever the folder reports a change, the file's stamp is looked at, and
// where it differs the file's bytes are taken through here and merged with
// the entries in memory (storage/EntryMerge.h), which needs no earlier
// version of either.
class KnownFile {
public:
    // Nothing read or written yet: the first start, or a file that could
    // not be read. Any file found later is an outside change.
    bool Knows() const { return m_known; }
    const FileStamp& Stamp() const { return m_stamp; }
    // `derivable`, where known: whether the entries' identities are those
    // that loading derives (IdentitiesDerivable), so that the next save of
    // the same entries need not hash every text to learn it again.
    enum class Derivable { Unknown, Yes, No };
    void Remember(KnownEntries entries, const FileStamp& stamp, std::uint64_t hash,
                  Derivable derivable = Derivable::Unknown);
    void Forget();
    // What was remembered of `entries`' identities, when they are the known ones.
    Derivable DerivableOf(const KnownEntries& entries) const;

    // The cheap look: the file may have changed, and its bytes must be
    // read, only when its stamp differs from the one remembered. With
    // nothing known, any file differs.
    bool MayHaveChanged(const FileStamp& now) const;
    // The same, of a stamp without the file's identity (LookAtSizeAndTime).
    bool SizeOrTimeChanged(const FileStamp& now) const;

    // Takes the file's bytes now; `ours` are the entries in memory. The same
    // bytes under another stamp are no change, and the stamp is remembered.
    // The stamp becomes the file's unless the outcome is TryAgain. A file damaged
    // partway is taken as far as it reads only when `acceptDamaged` (a
    // save that can wait no longer): otherwise a writer may still be at
    // work and the step is TryAgain.
    FollowOutcome Take(std::string_view bytes, const FileStamp& stamp, const VersionedEntries& ours,
                       bool acceptDamaged = false);

private:
    bool m_known = false;
    KnownEntries m_base;
    Derivable m_derivable = Derivable::Unknown;
    FileStamp m_stamp;
    std::uint64_t m_hash = 0;
};
