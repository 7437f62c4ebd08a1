#pragma once
#include "entries/EntryIdentity.h"
#include "entries/EntryTree.h"
#include "entries/SideBySide.h"
#include "storage/RecordCodec.h"
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The data file's bytes for the user's entries (storage/RecordCodec.h): each
// top-level entry and its children in tree order, then the Unicode texts of
// those that carry one; the clipboard history is never saved. A collection
// without Unicode texts is the entries' records alone.
std::string EncodeEntries(const EntryTree& tree);
// The same bytes handed to `write` piece by piece, in order, so that a large
// collection needs no copy of itself in memory; `write` returns false to
// stop, and so does this then.
bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write);
// The same, with the identities' record only when `withIdentities`, which
// must be !IdentitiesDerivable(tree).
bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write, bool withIdentities);
// Whether loading the entries' file without their identities would give
// every entry its own all the same: then the file leaves them out, as
// every earlier version wrote it. Hashes every text.
bool IdentitiesDerivable(const EntryTree& tree);

// Appends the entries the bytes hold, with their Unicode texts, to the top
// level of `tree`; false when the data is corrupt, with the entries and
// Unicode texts before the fault loaded. The modified flag stays as it is.
bool DecodeEntries(std::string_view data, EntryTree& tree);

// Reads the entries of a data file of `size` bytes piece by piece as the
// file is read, each text copied once, straight into the entry it makes:
// no copy of the whole file is needed. Finish then appends them to the top
// level of a tree as DecodeEntries does, and says whether the file was
// intact. Entries of a file without identity records have identities
// derived (IdentitiesDerivable).
class EntryFileReader {
public:
    explicit EntryFileReader(std::uint64_t size);
    ~EntryFileReader();
    EntryFileReader(const EntryFileReader&) = delete;
    EntryFileReader& operator=(const EntryFileReader&) = delete;

    // False once the data is corrupt; later pieces are then ignored.
    bool Add(std::string_view piece);
    bool Finish(EntryTree& tree);
    // Whether the file had the identities' record: without one, every
    // entry's identity is the derived one.
    bool HadIdentities() const { return !m_stored.empty(); }

private:
    struct Read {
        bool topLevel = true;
        std::string text;
    };
    // Texts of this many bytes go to the hasher at once.
    static const size_t kHashedAtOnce = 1 << 20;

    // The entries read since the last batch.
    std::vector<FileEntry> NextBatch();
    std::vector<EntryUid> Identities();

    // Never moves an entry: the hasher reads their texts while more come.
    std::deque<Read> m_entries;
    std::vector<std::pair<size_t, std::wstring>> m_unicodeTexts;
    std::vector<EntryUid> m_stored;
    std::vector<OrdinalVersions> m_versions;
    std::vector<OrdinalPlace> m_places, m_removalPlaces;
    EntryHistory m_history;
    bool m_haveHistory = false;
    RecordReader m_reader;
    size_t m_unhandedBytes = 0;
    size_t m_handed = 0;
    // The entries handed to the hasher, batch by batch, and how many
    // batches it has hashed; it stops taking them once the file is read.
    std::deque<std::vector<FileEntry>> m_batches;
    size_t m_batchesHashed = 0;
    std::atomic<bool> m_hashingStops{false};
    PlaceHasher m_hasher;
    // Where the identities are hashed while the file is read; last, so
    // that it waits for that work before anything it reads goes.
    std::unique_ptr<WorkAside> m_aside;
};

// A data file's bytes as a snapshot; false when corrupt (the entries before
// the fault are in `out`). Entries of a file without identity records get
// the identities that every machine derives alike from the file, the same
// that loading such a file gives them in the tree.
bool DecodeSnapshot(std::string_view bytes, EntrySnapshot& out);
// The same with the entries' versions and the file's history; a file
// without a "V" record has none and is not tracked (EntryHistory).
bool DecodeVersioned(std::string_view bytes, VersionedEntries& out);
