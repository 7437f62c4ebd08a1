#include "storage/EntryFile.h"
#include "entries/EntryIdentity.h"
#include "entries/SideBySide.h"
#include "entries/UidTable.h"
#include "storage/RecordCodec.h"
#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

bool IdentitiesDerivable(const EntryTree& tree)
{
    // The user's entries in file order; an empty text makes no entry on
    // loading, so it has no ordinal.
    std::vector<FileEntry> entries;
    std::vector<EntryUid> uids;
    entries.reserve(tree.Count());
    uids.reserve(tree.Count());
    const auto list = [&](EntryId id, bool topLevel) {
        if (tree.Text(id).empty())
            return;
        entries.push_back({topLevel, tree.Text(id), 0});
        uids.push_back(tree.Uid(id));
    };
    for (EntryId top : tree.Children(tree.Root())) {
        if (top == tree.ClipboardBranch())
            continue;
        list(top, true);
        for (EntryId child : tree.Children(top))
            list(child, false);
    }
    return IdentitiesOf(entries) == uids;
}

bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write)
{
    return EncodeEntries(tree, write, !IdentitiesDerivable(tree));
}

bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write, bool withIdentities)
{
    std::string header;
    // The ordinal the next non-empty record's entry has on loading, and the
    // entries that carry a Unicode text with theirs.
    size_t ordinal = 0;
    std::vector<std::pair<size_t, EntryId>> unicodeEntries;
    // The entries' identities in ordinal order.
    std::vector<EntryUid> uids;
    std::vector<OrdinalVersions> versioned;
    // Entries put elsewhere than after the one before them in the file (as
    // loading takes an entry without a place to be): named once every entry
    // is written, as what they follow may come later, or be removed.
    std::vector<std::pair<size_t, EntryUid>> putElsewhere;
    EntryUid previousTop = 0, previousChild = 0;
    auto record = [&](RecordKind kind, EntryId id) {
        const EntryTree::Texts entry = tree.TextsOf(id);
        const std::string& text = entry.text;
        // An empty record makes no entry on loading, so it has no ordinal.
        if (!text.empty()) {
            if (!entry.unicode.empty())
                unicodeEntries.emplace_back(ordinal, id);
            ++ordinal;
            uids.push_back(entry.uid);
            if (!entry.textVersion.empty() || !entry.placeVersion.empty())
                versioned.push_back({ordinal - 1, entry.textVersion, entry.placeVersion});
            if (kind == RecordKind::TopLevel)
                previousChild = 0;
            EntryUid& previous = kind == RecordKind::TopLevel ? previousTop : previousChild;
            if (entry.anchored && entry.after != previous)
                putElsewhere.emplace_back(ordinal - 1, entry.after);
            previous = entry.uid;
        }
        header.clear();
        AppendRecordHeader(header, kind, text.size());
        return write(header) && write(text);
    };
    for (EntryId top : tree.Children(tree.Root())) {
        if (top == tree.ClipboardBranch())
            continue;
        if (!record(RecordKind::TopLevel, top))
            return false;
        for (EntryId child : tree.Children(top))
            if (!record(RecordKind::Child, child))
                return false;
    }
    // After every entry's record, so that a reader that knows only those
    // loads every entry, in its 8-bit form, before it stops at these.
    std::string piece;
    for (const auto& [entryOrdinal, id] : unicodeEntries) {
        // The file's ordinals are 32 bits; an entry beyond them (four
        // thousand million entries) keeps its 8-bit form only.
        if (entryOrdinal > std::numeric_limits<uint32_t>::max())
            break;
        piece.clear();
        AppendUnicodeRecord(piece, static_cast<uint32_t>(entryOrdinal), tree.UnicodeText(id));
        if (!write(piece))
            return false;
    }
    if (withIdentities) {
        piece.clear();
        // Beyond the record's length, loading derives them.
        if (AppendIdentityRecordHeader(piece, uids.size())) {
            piece.reserve(piece.size() + uids.size() * kIdentitySize);
            for (EntryUid uid : uids)
                AppendIdentity(piece, uid);
            if (!write(piece))
                return false;
        }
    }
    // A collection without history (nobody edited it since it came from a
    // file without one) is written as earlier versions wrote it.
    const EntryHistory& history = tree.EditHistory();
    if (versioned.empty() && history.seen.empty() && history.removed.empty())
        return true;
    piece.clear();
    if (AppendVersionRecord(piece, history, versioned) && !write(piece))
        return false;
    // The places name the removed entries by their place in the list of
    // removals, after the entries.
    const std::vector<Removal>& removed = history.removed;
    const bool anyRemovalPlaced = std::any_of(removed.begin(), removed.end(), [](const Removal& removal) { return removal.placed; });
    if (putElsewhere.empty() && !anyRemovalPlaced)
        return true;
    // What they follow, found in one look at the entries and the removals.
    const std::uint32_t kUnnamed = 0;
    UidTable<std::uint32_t> named(putElsewhere.size() + removed.size());
    for (const auto& [entryOrdinal, after] : putElsewhere)
        if (after != 0)
            named.Insert(after, kUnnamed);
    for (const Removal& removal : removed)
        if (removal.placed && removal.after != 0)
            named.Insert(removal.after, kUnnamed);
    auto name = [&](EntryUid uid, size_t code) {
        if (named.Contains(uid) && code <= UINT32_MAX)
            *named.Insert(uid, kUnnamed).first = static_cast<std::uint32_t>(code);
    };
    for (size_t i = 0; i < removed.size(); ++i)
        name(removed[i].uid, ordinal + 1 + i);
    for (size_t i = 0; i < uids.size(); ++i)
        name(uids[i], i + 1);
    // After an entry neither written nor remembered: where it is.
    auto code = [&](EntryUid uid) -> size_t {
        const std::uint32_t* found = uid == 0 ? nullptr : named.Find(uid);
        return uid == 0 ? 0 : found != nullptr && *found != kUnnamed ? *found : SIZE_MAX;
    };
    std::vector<OrdinalPlace> places;
    for (const auto& [entryOrdinal, after] : putElsewhere)
        if (code(after) != SIZE_MAX)
            places.push_back({entryOrdinal, code(after)});
    std::vector<OrdinalPlace> removalPlaces;
    for (size_t i = 0; i < removed.size(); ++i)
        if (removed[i].placed && code(removed[i].after) != SIZE_MAX)
            removalPlaces.push_back({i, code(removed[i].after)});
    piece.clear();
    return !AppendPlaceRecord(piece, places, removalPlaces) || write(piece);
}

std::string EncodeEntries(const EntryTree& tree)
{
    std::string bytes;
    EncodeEntries(tree, [&](std::string_view piece) {
        bytes.append(piece.data(), piece.size());
        return true;
    });
    return bytes;
}

EntryFileReader::EntryFileReader(std::uint64_t size)
    : m_reader(
          size,
          [this](RecordKind kind, std::string_view text) {
              m_entries.push_back({kind == RecordKind::TopLevel, std::string(text)});
              m_unhandedBytes += text.size();
          },
          [this](size_t ordinal, std::wstring unicode) { m_unicodeTexts.emplace_back(ordinal, std::move(unicode)); },
          [this](std::vector<EntryUid> identities) { m_stored = std::move(identities); },
          [this](EntryHistory history, std::vector<OrdinalVersions> versions) {
              m_versions = std::move(versions);
              m_history = std::move(history);
              m_haveHistory = true;
          },
          [this](std::vector<OrdinalPlace> entries, std::vector<OrdinalPlace> removals) {
              m_places = std::move(entries);
              m_removalPlaces = std::move(removals);
          })
{
    // Deriving the identities hashes every byte of the texts, about as long
    // as reading them takes: a large file's are hashed on a second
    // processor while the rest is read.
    if (WorthASecondThread(static_cast<size_t>(std::min<std::uint64_t>(size, SIZE_MAX))))
        m_aside = std::make_unique<WorkAside>();
}

EntryFileReader::~EntryFileReader()
{
    // A read given up (run short of memory, tried anew) waits only for the
    // batch being hashed.
    m_hashingStops = true;
}

bool EntryFileReader::Add(std::string_view piece)
{
    const bool intact = m_reader.Add(piece);
    if (m_aside != nullptr && m_unhandedBytes >= kHashedAtOnce) {
        m_batches.push_back(NextBatch());
        m_aside->Hand([this, batch = &m_batches.back()] {
            if (m_hashingStops)
                return;
            m_hasher.Add(batch->data(), batch->size());
            ++m_batchesHashed;
        });
    }
    return intact;
}

std::vector<FileEntry> EntryFileReader::NextBatch()
{
    // The texts stay where they are until Finish: an entry's place in the
    // list never moves, nor does its text change.
    std::vector<FileEntry> batch;
    batch.reserve(m_entries.size() - m_handed);
    for (; m_handed < m_entries.size(); ++m_handed)
        batch.push_back({m_entries[m_handed].topLevel, m_entries[m_handed].text, 0});
    m_unhandedBytes = 0;
    return batch;
}

std::vector<EntryUid> EntryFileReader::Identities()
{
    std::vector<FileEntry> entries(m_entries.size());
    for (size_t ordinal = 0; ordinal < entries.size(); ++ordinal)
        entries[ordinal] = {m_entries[ordinal].topLevel, m_entries[ordinal].text,
                            ordinal < m_stored.size() ? m_stored[ordinal] : 0};
    if (m_aside == nullptr)
        return IdentitiesOf(entries);
    // Hashing takes longer than reading: the batches the hasher has not
    // started by the end of the file are hashed here, at once, on two
    // processors.
    m_hashingStops = true;
    m_aside->Finish();
    std::vector<FileEntry> rest;
    for (size_t batch = m_batchesHashed; batch < m_batches.size(); ++batch)
        rest.insert(rest.end(), m_batches[batch].begin(), m_batches[batch].end());
    const std::vector<FileEntry> last = NextBatch();
    rest.insert(rest.end(), last.begin(), last.end());
    m_hasher.Add(rest.data(), rest.size());
    return m_hasher.Identities(entries);
}

bool EntryFileReader::Finish(EntryTree& tree)
{
    // The file's entries are listed and given their identities before any
    // goes into the tree, so that the entries loaded before running short of
    // memory have those a whole load gives them.
    const std::vector<EntryUid> uids = Identities();
    // The entries in file order, for the "U" records that name them by ordinal.
    std::vector<EntryId> loaded(m_entries.size(), kNoEntry);
    EntryId group = kNoEntry;
    // Room for every entry, and for each list of children at once.
    tree.ReserveEntries(m_entries.size());
    tree.ReserveChildren(tree.Root(), static_cast<size_t>(std::count_if(
                                          m_entries.begin(), m_entries.end(), [](const Read& read) { return read.topLevel; })));
    auto named = [&](size_t after) -> EntryUid {
        return after == 0 ? 0 : after <= uids.size() ? uids[after - 1] : m_history.removed[after - 1 - uids.size()].uid;
    };
    // Each entry after the one before it, unless the file says otherwise.
    const std::vector<EntryId>& before = tree.Children(tree.Root());
    EntryUid previousTop = before.empty() ? 0 : tree.Uid(before.back()), previousChild = 0;
    auto place = m_places.begin();
    for (size_t ordinal = 0; ordinal < m_entries.size(); ++ordinal) {
        Read& entry = m_entries[ordinal];
        EntryId id = kNoEntry;
        EntryUid& previous = entry.topLevel ? previousTop : previousChild;
        EntryUid after = previous;
        if (place != m_places.end() && place->ordinal + place->count <= ordinal)
            ++place;
        if (place != m_places.end() && place->ordinal <= ordinal)
            after = named(place->after);
        previous = uids[ordinal];
        // Each text moves into its entry: the texts are in memory once.
        if (entry.topLevel) {
            previousChild = 0;
            id = group = tree.AppendLoaded(tree.Root(), std::move(entry.text), uids[ordinal], after);
            size_t children = 0;
            while (ordinal + 1 + children < m_entries.size() && !m_entries[ordinal + 1 + children].topLevel)
                ++children;
            tree.ReserveChildren(group, children);
        } else if (group != kNoEntry)
            id = tree.AppendLoaded(group, std::move(entry.text), uids[ordinal], after);
        loaded[ordinal] = id;
    }
    for (auto& [ordinal, unicode] : m_unicodeTexts)
        tree.SetLoadedUnicodeText(loaded[ordinal], std::move(unicode));
    for (OrdinalVersions& entry : m_versions)
        tree.SetLoadedVersions(loaded[entry.ordinal], std::move(entry.text), std::move(entry.place));
    for (const OrdinalPlace& place : m_removalPlaces)
        for (size_t i = place.ordinal; i < place.ordinal + place.count; ++i) {
            m_history.removed[i].after = named(place.after);
            m_history.removed[i].placed = true;
        }
    if (m_haveHistory)
        tree.SetLoadedHistory(std::move(m_history));
    return m_reader.Finish();
}

bool DecodeEntries(std::string_view data, EntryTree& tree)
{
    EntryFileReader reader(data.size());
    reader.Add(data);
    return reader.Finish(tree);
}

bool DecodeSnapshot(std::string_view bytes, EntrySnapshot& out)
{
    VersionedEntries versioned;
    const bool intact = DecodeVersioned(bytes, versioned);
    out = std::move(versioned.entries);
    return intact;
}

bool DecodeVersioned(std::string_view bytes, VersionedEntries& read)
{
    EntrySnapshot& out = read.entries;
    out.clear();
    read.history = EntryHistory();
    read.history.tracked = false;
    // Each entry's place, in file order: its top-level entry's and, for a
    // child, its own among that one's children.
    std::vector<std::pair<size_t, size_t>> places;
    const size_t kTop = static_cast<size_t>(-1);
    std::vector<EntryUid> stored;
    std::vector<OrdinalPlace> placed, removalsPlaced;
    auto at = [&](size_t ordinal) -> SnapshotEntry& {
        SnapshotEntry& top = out[places[ordinal].first];
        return places[ordinal].second == kTop ? top : top.children[places[ordinal].second];
    };
    const bool intact = DecodeEntries(
        bytes,
        [&](RecordKind kind, std::string_view text) {
            SnapshotEntry entry;
            entry.text = std::string(text);
            if (kind == RecordKind::TopLevel) {
                places.emplace_back(out.size(), kTop);
                out.push_back(std::move(entry));
            } else {
                places.emplace_back(out.size() - 1, out.back().children.size());
                out.back().children.push_back(std::move(entry));
            }
        },
        [&](size_t ordinal, std::wstring unicode) { at(ordinal).unicode = std::move(unicode); },
        [&](std::vector<EntryUid> identities) { stored = std::move(identities); },
        [&](EntryHistory history, std::vector<OrdinalVersions> versions) {
            for (OrdinalVersions& entry : versions) {
                at(entry.ordinal).textVersion = std::move(entry.text);
                at(entry.ordinal).placeVersion = std::move(entry.place);
            }
            read.history = std::move(history);
            read.history.tracked = true;
        },
        [&](std::vector<OrdinalPlace> entries, std::vector<OrdinalPlace> removals) {
            placed = std::move(entries);
            removalsPlaced = std::move(removals);
        });
    // As loading gives them to the tree's entries (DecodeEntries above).
    std::vector<FileEntry> entries(places.size());
    for (size_t ordinal = 0; ordinal < places.size(); ++ordinal)
        entries[ordinal] = {places[ordinal].second == kTop, at(ordinal).text,
                            ordinal < stored.size() ? stored[ordinal] : 0};
    const std::vector<EntryUid> uids = IdentitiesOf(entries);
    for (size_t ordinal = 0; ordinal < places.size(); ++ordinal)
        at(ordinal).uid = uids[ordinal];
    auto named = [&](size_t after) -> EntryUid {
        return after == 0 ? 0 : after <= uids.size() ? uids[after - 1] : read.history.removed[after - 1 - uids.size()].uid;
    };
    // Without a place of its own, an entry is where it is: after the one
    // before it.
    for (SnapshotEntry& top : out) {
        top.anchored = true;
        top.after = &top == &out.front() ? 0 : (&top - 1)->uid;
        for (SnapshotEntry& child : top.children) {
            child.anchored = true;
            child.after = &child == &top.children.front() ? 0 : (&child - 1)->uid;
        }
    }
    for (const OrdinalPlace& place : placed)
        for (size_t i = place.ordinal; i < place.ordinal + place.count; ++i)
            at(i).after = named(place.after);
    for (const OrdinalPlace& place : removalsPlaced)
        for (size_t i = place.ordinal; i < place.ordinal + place.count; ++i) {
            read.history.removed[i].after = named(place.after);
            read.history.removed[i].placed = true;
        }
    return intact;
}
