#pragma once
#include "entries/EntrySnapshot.h"
#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// The identities loading gives a data file's entries, entry by entry in the
// file's order. An entry keeps the identity the file stores for it; an
// entry of a file without identities (written by an earlier version), or
// one whose stored identity is 0 or an earlier entry's, gets one derived
// from the file alone: from its group's identity, its text and how many of
// its group's earlier entries have the same text. Every machine that loads
// one file so gives its entries the same identities.
class LoadedIdentities {
public:
    // `group` is the identity given to the entry's top-level entry, 0 for a
    // top-level entry; `stored` the file's identity for it, 0 for none.
    EntryUid Next(EntryUid group, std::string_view text, EntryUid stored = 0);

private:
    std::unordered_set<EntryUid> m_given;
    // How many entries of a group have had a text, by a hash of both.
    std::unordered_map<std::uint64_t, std::uint64_t> m_occurrences;
};

// A 64-bit FNV-1a hash, continued from `hash`.
std::uint64_t HashBytes(std::string_view bytes, std::uint64_t hash = 14695981039346656037ull);
std::uint64_t HashNumber(std::uint64_t value, std::uint64_t hash);
