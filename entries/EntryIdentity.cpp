#include "entries/EntryIdentity.h"

std::uint64_t HashBytes(std::string_view bytes, std::uint64_t hash)
{
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t HashNumber(std::uint64_t value, std::uint64_t hash)
{
    for (int shift = 0; shift < 64; shift += 8) {
        hash ^= (value >> shift) & 0xFF;
        hash *= 1099511628211ull;
    }
    return hash;
}

EntryUid LoadedIdentities::Next(EntryUid group, std::string_view text, EntryUid stored)
{
    if (stored != 0 && m_given.Insert(stored, 1).second)
        return stored;
    // Entries that need an identity derived count among themselves, so
    // that an entry's depends on such entries before it only.
    const std::uint64_t place = HashBytes(text, HashNumber(group, HashBytes("entry")));
    // (A place whose hash is 0 counts with the one whose hash is 1: its
    // entries still get identities of their own.)
    const std::uint64_t occurrence = (*m_occurrences.Insert(place != 0 ? place : 1, 0).first)++;
    // A clash of derived identities is one in thousands of millions of
    // millions; hashing on settles it alike on every machine.
    EntryUid uid = HashNumber(occurrence, place);
    while (uid == 0 || m_given.Contains(uid))
        uid = HashNumber(uid, place);
    m_given.Insert(uid, 1);
    return uid;
}
