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
    // Every entry counts, a stored identity or not, so that an entry's
    // derived identity depends on the texts before it only.
    const std::uint64_t place = HashBytes(text, HashNumber(group, HashBytes("entry")));
    const std::uint64_t occurrence = m_occurrences[place]++;
    EntryUid uid = stored;
    if (uid == 0 || m_given.count(uid) != 0)
        uid = HashNumber(occurrence, place);
    // A clash of derived identities is one in thousands of millions of
    // millions; hashing on settles it alike on every machine.
    while (uid == 0 || m_given.count(uid) != 0)
        uid = HashNumber(uid, place);
    m_given.insert(uid);
    return uid;
}
