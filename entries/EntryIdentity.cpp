#include "entries/EntryIdentity.h"
#include "entries/FnvLanes.h"
#include "entries/SideBySide.h"
#include <algorithm>
#include <cstdint>

namespace {

const std::uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

std::uint64_t HashBytes(std::string_view bytes, std::uint64_t hash)
{
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

std::uint64_t HashNumber(std::uint64_t value, std::uint64_t hash)
{
    for (int shift = 0; shift < 64; shift += 8) {
        hash ^= (value >> shift) & 0xFF;
        hash *= kFnvPrime;
    }
    return hash;
}

std::uint64_t PlaceHash(EntryUid group, std::string_view text)
{
    return HashBytes(text, HashNumber(group, HashBytes("entry")));
}

namespace {

// PlaceHashes on this thread alone.
void PlaceHashesHere(const EntryUid* groups, const std::string_view* texts, size_t count, std::uint64_t* places)
{
    // Four texts side by side. A lane whose text is done takes the next; a
    // lane with none left hashes a busy lane's bytes for nothing, so that
    // the four keep step without a test per byte.
    const size_t kLanes = 4;
    const std::uint64_t entrySeed = HashBytes("entry");
    const unsigned char* at[kLanes] = {};
    size_t left[kLanes] = {};
    std::uint64_t hash[kLanes] = {};
    size_t text[kLanes];
    std::fill(text, text + kLanes, count);
    size_t next = 0;
    const auto takeNext = [&](size_t lane) {
        while (left[lane] == 0) {
            if (text[lane] != count)
                places[text[lane]] = hash[lane];
            text[lane] = next;
            if (next == count)
                return;
            at[lane] = reinterpret_cast<const unsigned char*>(texts[next].data());
            left[lane] = texts[next].size();
            hash[lane] = HashNumber(groups[next], entrySeed);
            ++next;
        }
    };
    for (;;) {
        size_t busy = kLanes;
        size_t step = SIZE_MAX;
        for (size_t lane = 0; lane < kLanes; ++lane) {
            takeNext(lane);
            if (text[lane] != count) {
                busy = std::min(busy, lane);
                step = std::min(step, left[lane]);
            }
        }
        if (busy == kLanes)
            return;
        for (size_t lane = 0; lane < kLanes; ++lane)
            if (text[lane] == count)
                at[lane] = at[busy];
        HashFourLanes(hash, at, step);
        for (size_t lane = 0; lane < kLanes; ++lane) {
            if (text[lane] != count) {
                at[lane] += step;
                left[lane] -= step;
            }
        }
    }
}

}  // namespace

void PlaceHashes(const EntryUid* groups, const std::string_view* texts, size_t count, std::uint64_t* places)
{
    // Half of the texts, by their bytes, are hashed on a second processor.
    size_t total = 0;
    for (size_t i = 0; i < count; ++i)
        total += texts[i].size();
    if (!WorthASecondThread(total)) {
        PlaceHashesHere(groups, texts, count, places);
        return;
    }
    size_t half = 0;
    for (size_t bytes = 0; half < count && bytes < total / 2; ++half)
        bytes += texts[half].size();
    RunSideBySide([&] { PlaceHashesHere(groups, texts, half, places); },
                  [&] { PlaceHashesHere(groups + half, texts + half, count - half, places + half); });
}

EntryUid LoadedIdentities::Next(EntryUid group, std::string_view text, EntryUid stored)
{
    if (stored != 0 && m_given.Insert(stored, 1).second)
        return stored;
    return NextDerived(PlaceHash(group, text));
}

EntryUid LoadedIdentities::NextDerived(std::uint64_t place)
{
    // Entries that need an identity derived count among themselves, so
    // that an entry's depends on such entries before it only.
    // (A place whose hash is 0 counts with the one whose hash is 1: its
    // entries still get identities of their own.)
    const std::uint64_t occurrence = (*m_occurrences.Insert(place != 0 ? place : 1, 0).first)++;
    // A clash of derived identities is one in thousands of millions of
    // millions; hashing on settles it alike on every machine.
    EntryUid uid = HashNumber(occurrence, place);
    while (uid == 0 || !m_given.Insert(uid, 1).second)
        uid = HashNumber(uid, place);
    return uid;
}

PlaceHasher::PlaceHasher(size_t expected, size_t expectedTopLevel) : m_tops(expectedTopLevel)
{
    m_places.reserve(expected);
    m_hashedIn.reserve(expected);
}

void PlaceHasher::Add(const FileEntry* entries, size_t count)
{
    // The places of the entries to derive, hashed in two batches: first
    // every top-level entry's (and a child's before any, as the group 0's),
    // then every child's, in the group whose identity it was hashed with.
    const size_t first = m_places.size();
    m_places.resize(first + count);
    m_hashedIn.resize(first + count, 0);
    std::vector<EntryUid> groups;
    std::vector<std::string_view> texts;
    std::vector<size_t> which;
    groups.reserve(count);
    texts.reserve(count);
    which.reserve(count);
    const auto add = [&](EntryUid group, size_t index) {
        if (entries[index].stored != 0)
            return;
        groups.push_back(group);
        texts.push_back(entries[index].text);
        which.push_back(index);
        m_hashedIn[first + index] = group;
    };
    const auto hashAdded = [&] {
        std::vector<std::uint64_t> hashed(which.size());
        PlaceHashes(groups.data(), texts.data(), which.size(), hashed.data());
        for (size_t k = 0; k < which.size(); ++k)
            m_places[first + which[k]] = hashed[k];
        groups.clear();
        texts.clear();
        which.clear();
    };
    for (size_t index = 0; index < count; ++index) {
        m_topSeen = m_topSeen || entries[index].topLevel;
        if (entries[index].topLevel || !m_topSeen)
            add(0, index);
    }
    hashAdded();
    // Each group's identity as the top-level entries alone give it, which
    // is the one it gets unless it clashes with a child's before it.
    for (size_t index = 0; index < count; ++index) {
        const FileEntry& entry = entries[index];
        if (entry.topLevel)
            m_group = entry.stored != 0 ? m_tops.Next(0, entry.text, entry.stored)
                                        : m_tops.NextDerived(m_places[first + index]);
        else if (m_group != 0)
            add(m_group, index);
    }
    hashAdded();
}

std::vector<EntryUid> PlaceHasher::Identities(const std::vector<FileEntry>& entries)
{
    const size_t count = entries.size();
    if (m_places.size() != count)
        return IdentitiesOf(entries);
    LoadedIdentities identities(count);
    std::vector<EntryUid> uids(count);
    EntryUid group = 0;
    for (size_t index = 0; index < count; ++index) {
        const FileEntry& entry = entries[index];
        if (entry.stored == 0 && !entry.topLevel && m_hashedIn[index] != group)
            m_places[index] = PlaceHash(group, entry.text);
        uids[index] = entry.stored != 0 ? identities.Next(entry.topLevel ? 0 : group, entry.text, entry.stored)
                                        : identities.NextDerived(m_places[index]);
        if (entry.topLevel)
            group = uids[index];
    }
    return uids;
}

std::vector<EntryUid> IdentitiesOf(const std::vector<FileEntry>& entries)
{
    PlaceHasher hasher(entries.size(), static_cast<size_t>(std::count_if(
                                           entries.begin(), entries.end(), [](const FileEntry& entry) { return entry.topLevel; })));
    hasher.Add(entries.data(), entries.size());
    return hasher.Identities(entries);
}
