#pragma once
#include "entries/EntrySnapshot.h"
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>
#include "entries/UidTable.h"

// The identities loading gives a data file's entries, entry by entry in the
// file's order. An entry keeps the identity the file stores for it; an
// entry of a file without identities (written by an earlier version), or
// one whose stored identity is 0 or an earlier entry's, gets one derived
// from the file alone: from its group's identity, its text and how many
// earlier entries of its group with the same text got one derived. Every
// machine that loads one file so gives its entries the same identities.
class LoadedIdentities {
public:
    // `expected`: about how many entries the file holds.
    explicit LoadedIdentities(size_t expected = 0) : m_given(expected), m_occurrences(expected) {}

    // `group` is the identity given to the entry's top-level entry, 0 for a
    // top-level entry; `stored` the file's identity for it, 0 for none.
    EntryUid Next(EntryUid group, std::string_view text, EntryUid stored = 0);
    // Next for an entry without a stored identity, whose PlaceHash is known.
    EntryUid NextDerived(std::uint64_t place);

private:
    UidSet m_given;
    // How many entries of a group have had a text, by a hash of both.
    UidTable<std::uint64_t> m_occurrences;
};

// One entry of a data file as it comes to be given its identity: a
// top-level entry, or a child of the nearest top-level entry before it; its
// text; the file's identity for it, 0 for none.
struct FileEntry {
    bool topLevel = true;
    std::string_view text;
    EntryUid stored = 0;
};

// The identities LoadedIdentities gives `entries`, in their order, the
// derived ones hashed several texts at a time.
std::vector<EntryUid> IdentitiesOf(const std::vector<FileEntry>& entries);

// IdentitiesOf in two steps, so that the hashing, nearly all of the work,
// can go on as a file is read: Add takes the file's entries a batch at a
// time, in order, and hashes each one's place in the group its top-level
// entry's stored or derived identity makes; Identities then gives every
// entry its identity, hashing again only where a group's differs from the
// one its children were hashed in (it clashed with a child's before it).
class PlaceHasher {
public:
    explicit PlaceHasher(size_t expected = 0, size_t expectedTopLevel = 0);
    void Add(const FileEntry* entries, size_t count);
    // `entries` are those added, with the same texts; all of them are
    // hashed anew when their count differs.
    std::vector<EntryUid> Identities(const std::vector<FileEntry>& entries);

private:
    LoadedIdentities m_tops;
    EntryUid m_group = 0;
    bool m_topSeen = false;
    std::vector<std::uint64_t> m_places;
    // The group each entry's place was hashed in.
    std::vector<EntryUid> m_hashedIn;
};

// What an entry's derived identity is made from: a hash of its group's
// identity and its text.
std::uint64_t PlaceHash(EntryUid group, std::string_view text);
// PlaceHash of `count` entries at once, each of `groups[i]` and `texts[i]`.
void PlaceHashes(const EntryUid* groups, const std::string_view* texts, size_t count, std::uint64_t* places);

// A 64-bit FNV-1a hash, continued from `hash`.
std::uint64_t HashBytes(std::string_view bytes, std::uint64_t hash = 14695981039346656037ull);
std::uint64_t HashNumber(std::uint64_t value, std::uint64_t hash);
