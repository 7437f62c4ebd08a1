#include "storage/KnownFile.h"
#include "entries/EntryTree.h"
#include "entries/SideBySide.h"
#include "entries/UidTable.h"
#include "storage/EntryFile.h"
#include "storage/EntryMerge.h"
#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
const std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
const std::uint64_t kPrime3 = 0x165667B19E3779F9ull;
const std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
const std::uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

const std::uint32_t kPrime32_1 = 0x9E3779B1u;
const std::uint32_t kPrime32_2 = 0x85EBCA77u;

template <class Word>
Word RotateLeft(Word value, int by)
{
    return static_cast<Word>((value << by) | (value >> (8 * sizeof(Word) - by)));
}

// Mixes one word into a lane. For a given lane every word gives another
// result, and for a given word every lane does: a change of one word
// carries through to the end.
template <class Word>
Word Round(Word lane, Word word)
{
    if constexpr (sizeof(Word) == 8)
        return RotateLeft<Word>(lane + word * kPrime2, 31) * kPrime1;
    else
        return RotateLeft<Word>(lane + word * kPrime32_2, 13) * kPrime32_1;
}

template <class Word = std::uint64_t>
Word WordAt(const unsigned char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Most entries are a line or two, which a content hash takes in at a cost
// that its lanes' last mixing, in 64-bit words, makes several times that
// of reading them. Texts up to this many bytes in all are hashed apart.
const size_t kShortTexts = 128;

std::uint32_t Mix32(std::uint32_t lane, std::uint32_t word)
{
    return RotateLeft<std::uint32_t>(lane + word * kPrime32_2, 13) * kPrime32_1;
}

std::uint32_t Avalanche32(std::uint32_t value)
{
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    value *= 0xC2B2AE35u;
    return value ^ (value >> 16);
}

// The texts in 32-bit words, the processor's cheapest in either build, into
// two lanes that start from the two lengths. Each step is one to one in the
// lane for a given word and in the word for a given lane, and so is the last
// mixing in each lane: texts of the same lengths that differ in any one byte
// hash to other values.
std::uint64_t ShortTextsHash(std::string_view text, std::string_view unicode)
{
    std::uint32_t a = kPrime32_1 ^ static_cast<std::uint32_t>(text.size());
    std::uint32_t b = kPrime32_2 ^ static_cast<std::uint32_t>(unicode.size() * 0x10001u);
    for (const std::string_view bytes : {text, unicode}) {
        size_t at = 0;
        for (; at + 8 <= bytes.size(); at += 8) {
            a = Mix32(a, WordAt<std::uint32_t>(reinterpret_cast<const unsigned char*>(bytes.data()) + at));
            b = Mix32(b, WordAt<std::uint32_t>(reinterpret_cast<const unsigned char*>(bytes.data()) + at + 4));
        }
        unsigned char tail[8] = {};
        if (at < bytes.size())
            std::memcpy(tail, bytes.data() + at, bytes.size() - at);
        a = Mix32(a, WordAt<std::uint32_t>(tail));
        b = Mix32(b, WordAt<std::uint32_t>(tail + 4));
    }
    a = Avalanche32(a + b);
    b = Avalanche32(b ^ a);
    return (static_cast<std::uint64_t>(a) << 32) | b;
}

KnownEntry KnownOf(EntryUid uid, const std::string& text, const std::wstring& unicode, bool child)
{
    return {uid, TextsHash(text, unicode), child};
}

}  // namespace

bool operator==(const FileStamp& a, const FileStamp& b)
{
    return a.size == b.size && a.writeTime == b.writeTime && a.fileIndex == b.fileIndex;
}

void ContentHash::Add(std::string_view bytes)
{
    const unsigned char* at = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t left = bytes.size();
    m_length += left;
    if (left == 0)
        return;
    if (m_pendingSize > 0) {
        const size_t taken = std::min(left, kStripe - m_pendingSize);
        std::memcpy(m_pending + m_pendingSize, at, taken);
        m_pendingSize += taken;
        at += taken;
        left -= taken;
        if (m_pendingSize < kStripe)
            return;
        AddStripes(m_pending, 1);
        m_pendingSize = 0;
    }
    AddStripes(at, left / kStripe);
    at += left / kStripe * kStripe;
    left %= kStripe;
    if (left > 0)
        std::memcpy(m_pending, at, left);
    m_pendingSize = left;
}

void ContentHash::AddStripes(const unsigned char* bytes, size_t stripes)
{
    // Four lanes side by side, a word each in turn: the processor works on
    // the four at once, at about the speed the bytes come from memory.
    Lane a = m_lanes[0], b = m_lanes[1], c = m_lanes[2], d = m_lanes[3];
    for (size_t i = 0; i < stripes; ++i, bytes += kStripe) {
        for (size_t at = 0; at < kStripe; at += 4 * sizeof(Lane)) {
            a = Round(a, WordAt<Lane>(bytes + at));
            b = Round(b, WordAt<Lane>(bytes + at + sizeof(Lane)));
            c = Round(c, WordAt<Lane>(bytes + at + 2 * sizeof(Lane)));
            d = Round(d, WordAt<Lane>(bytes + at + 3 * sizeof(Lane)));
        }
    }
    m_lanes[0] = a;
    m_lanes[1] = b;
    m_lanes[2] = c;
    m_lanes[3] = d;
}

std::uint64_t ContentHash::Value() const
{
    std::uint64_t hash = m_length * kPrime5;
    for (const Lane lane : m_lanes)
        hash = (hash ^ Round(std::uint64_t{0}, std::uint64_t{lane})) * kPrime1 + kPrime4;
    size_t i = 0;
    for (; i + 8 <= m_pendingSize; i += 8)
        hash = RotateLeft(hash ^ Round(std::uint64_t{0}, WordAt(m_pending + i)), 27) * kPrime1 + kPrime4;
    for (; i < m_pendingSize; ++i)
        hash = RotateLeft(hash ^ (m_pending[i] * kPrime5), 11) * kPrime1;
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    hash ^= hash >> 32;
    return hash;
}

std::uint64_t HashOf(std::string_view bytes)
{
    ContentHash hash;
    hash.Add(bytes);
    return hash.Value();
}

std::uint64_t TextsHash(const std::string& text, const std::wstring& unicode)
{
    const std::string_view unicodeBytes(reinterpret_cast<const char*>(unicode.data()), unicode.size() * sizeof(wchar_t));
    if (text.size() + unicodeBytes.size() <= kShortTexts)
        return ShortTextsHash(text, unicodeBytes);
    ContentHash hash;
    // The 8-bit text's length first: no two pairs of texts hash as one.
    const std::uint64_t length = text.size();
    hash.Add(std::string_view(reinterpret_cast<const char*>(&length), sizeof length));
    hash.Add(text);
    hash.Add(std::string_view(reinterpret_cast<const char*>(unicode.data()), unicode.size() * sizeof(wchar_t)));
    return hash.Value();
}

KnownEntries KnownEntriesOf(const EntrySnapshot& entries)
{
    KnownEntries known;
    for (const SnapshotEntry& top : entries) {
        known.push_back(KnownOf(top.uid, top.text, top.unicode, false));
        for (const SnapshotEntry& child : top.children)
            known.push_back(KnownOf(child.uid, child.text, child.unicode, true));
    }
    return known;
}

KnownEntries KnownEntriesOf(const EntryTree& tree, TreeTextHashes* hashes)
{
    // The user's entries in order, each looked up once, with the bytes of
    // their texts.
    std::vector<EntryTree::Texts> texts;
    std::vector<EntryId> ids;
    texts.reserve(tree.Count());
    ids.reserve(tree.Count());
    KnownEntries known;
    known.reserve(tree.Count());
    const auto list = [&](EntryId id, bool child) {
        texts.push_back(tree.TextsOf(id));
        ids.push_back(id);
        known.push_back({texts.back().uid, 0, child});
    };
    for (EntryId top : tree.Children(tree.Root())) {
        if (!tree.IsUserEntry(top))
            continue;
        list(top, false);
        for (EntryId child : tree.Children(top))
            list(child, true);
    }
    // The hashes of the last look are good for the entries whose text has
    // not changed since. Entries are met in about the order of then: a
    // short look ahead finds most, past the entries removed in between; the
    // rest (entries moved far, or past many removed) are looked up by id.
    const bool earlier = hashes != nullptr && hashes->tree == &tree;
    std::vector<std::pair<EntryId, size_t>> earlierById;
    size_t next = 0;
    const auto earlierPlace = [&](EntryId id) {
        const size_t end = std::min(hashes->ids.size(), next + 16);
        for (size_t k = next; k < end; ++k)
            if (hashes->ids[k] == id)
                return k;
        if (earlierById.empty()) {
            earlierById.reserve(hashes->ids.size());
            for (size_t k = 0; k < hashes->ids.size(); ++k)
                earlierById.emplace_back(hashes->ids[k], k);
            std::sort(earlierById.begin(), earlierById.end());
        }
        const auto found = std::lower_bound(earlierById.begin(), earlierById.end(), std::make_pair(id, size_t{0}));
        return found != earlierById.end() && found->first == id ? found->second : hashes->ids.size();
    };
    const auto bytesOf = [&](size_t i) { return texts[i].text.size() + texts[i].unicode.size() * sizeof(wchar_t); };
    std::vector<size_t> toHash;
    toHash.reserve(texts.size());
    size_t total = 0;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (earlier && texts[i].textChange != 0 && texts[i].textChange <= hashes->textChanges) {
            const size_t place = earlierPlace(ids[i]);
            if (place < hashes->ids.size()) {
                known[i].texts = hashes->hashes[place];
                next = place + 1;
                continue;
            }
        }
        toHash.push_back(i);
        total += bytesOf(i);
    }
    const auto hash = [&](size_t from, size_t to) {
        for (; from != to; ++from)
            known[toHash[from]].texts = TextsHash(texts[toHash[from]].text, texts[toHash[from]].unicode);
    };
    // The content hash takes about a quarter of FNV-1a's time a byte.
    if (!WorthASecondThread(total / 4)) {
        hash(0, toHash.size());
    } else {
        // Half of the texts, by their bytes, are hashed on a second processor.
        size_t half = 0;
        for (size_t counted = 0; half < toHash.size() && counted < total / 2; ++half)
            counted += bytesOf(toHash[half]);
        RunSideBySide([&] { hash(half, toHash.size()); }, [&] { hash(0, half); });
    }
    if (hashes != nullptr) {
        // Made whole before it is kept: running out of memory leaves the
        // earlier hashes, which stay true of their count.
        std::vector<std::uint64_t> kept(known.size());
        for (size_t i = 0; i < known.size(); ++i)
            kept[i] = known[i].texts;
        hashes->tree = &tree;
        hashes->textChanges = tree.TextChanges();
        hashes->ids.swap(ids);
        hashes->hashes.swap(kept);
    }
    return known;
}

bool SameEntries(const EntrySnapshot& a, const EntrySnapshot& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].uid != b[i].uid || a[i].text != b[i].text || a[i].unicode != b[i].unicode ||
            a[i].textVersion != b[i].textVersion || a[i].placeVersion != b[i].placeVersion ||
            !SameEntries(a[i].children, b[i].children))
            return false;
    }
    return true;
}

void KnownFile::Remember(KnownEntries entries, const FileStamp& stamp, std::uint64_t hash, Derivable derivable)
{
    m_base = std::move(entries);
    m_derivable = derivable;
    m_stamp = stamp;
    m_hash = hash;
    m_known = true;
}

KnownFile::Derivable KnownFile::DerivableOf(const KnownEntries& entries) const
{
    return m_known && entries == m_base ? m_derivable : Derivable::Unknown;
}

void KnownFile::Forget()
{
    m_base.clear();
    m_derivable = Derivable::Unknown;
    m_stamp = FileStamp();
    m_hash = 0;
    m_known = false;
}

bool KnownFile::MayHaveChanged(const FileStamp& now) const
{
    return !m_known || now != m_stamp;
}

bool KnownFile::SizeOrTimeChanged(const FileStamp& now) const
{
    return !m_known || now.size != m_stamp.size || now.writeTime != m_stamp.writeTime;
}

FollowOutcome KnownFile::Take(std::string_view bytes, const FileStamp& stamp, const VersionedEntries& ours,
                              bool acceptDamaged)
{
    FollowOutcome outcome;
    const std::uint64_t hash = HashOf(bytes);
    if (m_known && hash == m_hash) {
        // The same bytes under another stamp (copied back, touched): only
        // the stamp is new.
        m_stamp = stamp;
        return outcome;
    }
    VersionedEntries theirs;
    if (!DecodeVersioned(bytes, theirs)) {
        if (!acceptDamaged) {
            outcome.step = FollowStep::TryAgain;
            return outcome;
        }
        outcome.damaged = true;
    }
    // A file without history (an earlier version's, a backup copied back)
    // tells its changes against the file as it was last read or written.
    LastKnownTexts lastKnown;
    if (m_known && !theirs.history.tracked) {
        for (const KnownEntry& entry : m_base)
            lastKnown.Insert(entry.uid, entry.texts);
    }
    KnownEntries known = KnownEntriesOf(theirs.entries);
    MergeOutcome merged = MergeVersions(ours, theirs, m_known && !theirs.history.tracked ? &lastKnown : nullptr);
    outcome.unsaved = !SameEntries(merged.merged, theirs.entries) || merged.history.seen != theirs.history.seen ||
                      merged.history.removed != theirs.history.removed;
    outcome.step = outcome.unsaved ? FollowStep::Merge : FollowStep::Show;
    outcome.keptBoth = merged.keptBoth;
    outcome.entries = std::move(merged.merged);
    outcome.history = std::move(merged.history);
    Remember(std::move(known), stamp, hash);
    return outcome;
}
