#pragma once
#include "entries/EntryTree.h"
#include "storage/RecordCodec.h"
#include <cstdint>
#include <functional>
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
    std::vector<Read> m_entries;
    std::vector<std::pair<size_t, std::wstring>> m_unicodeTexts;
    std::vector<EntryUid> m_stored;
    std::vector<OrdinalVersions> m_versions;
    EntryHistory m_history;
    bool m_haveHistory = false;
    RecordReader m_reader;
};

// A data file's bytes as a snapshot; false when corrupt (the entries before
// the fault are in `out`). Entries of a file without identity records get
// the identities that every machine derives alike from the file, the same
// that loading such a file gives them in the tree.
bool DecodeSnapshot(std::string_view bytes, EntrySnapshot& out);
// The same with the entries' versions and the file's history; a file
// without a "V" record has none and is not tracked (EntryHistory).
bool DecodeVersioned(std::string_view bytes, VersionedEntries& out);
