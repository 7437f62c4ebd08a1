#include "storage/EntryFile.h"
#include "entries/EntryIdentity.h"
#include "storage/RecordCodec.h"
#include <limits>
#include <utility>
#include <vector>

bool EncodeEntries(const EntryTree& tree, const std::function<bool(std::string_view)>& write)
{
    std::string header;
    // The ordinal the next non-empty record's entry has on loading, and the
    // entries that carry a Unicode text with theirs.
    size_t ordinal = 0;
    std::vector<std::pair<size_t, EntryId>> unicodeEntries;
    // The entries' identities in ordinal order, and whether loading the file
    // without them would give every entry its own all the same.
    std::vector<EntryUid> uids;
    LoadedIdentities derived(tree.Count());
    EntryUid derivedGroup = 0;
    bool derivable = true;
    std::vector<OrdinalVersions> versioned;
    auto record = [&](RecordKind kind, EntryId id) {
        const std::string& text = tree.Text(id);
        // An empty record makes no entry on loading, so it has no ordinal.
        if (!text.empty()) {
            if (!tree.UnicodeText(id).empty())
                unicodeEntries.emplace_back(ordinal, id);
            ++ordinal;
            const EntryUid uid = derived.Next(kind == RecordKind::TopLevel ? 0 : derivedGroup, text);
            if (kind == RecordKind::TopLevel)
                derivedGroup = uid;
            derivable = derivable && uid == tree.Uid(id);
            uids.push_back(tree.Uid(id));
            if (!tree.TextVersion(id).empty() || !tree.PlaceVersion(id).empty())
                versioned.push_back({ordinal - 1, tree.TextVersion(id), tree.PlaceVersion(id)});
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
    if (!derivable) {
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
    return !AppendVersionRecord(piece, history, versioned) || write(piece);
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

bool DecodeEntries(std::string_view data, EntryTree& tree)
{
    EntryId group = kNoEntry;
    // The entries in file order, for the "U" records that name them by ordinal.
    std::vector<EntryId> loaded;
    std::vector<EntryUid> stored;
    // Each entry gets its derived identity as it comes, so that the entries
    // loaded before running short of memory have theirs; the "I" record,
    // when it comes, gives them the file's.
    LoadedIdentities derived;
    const bool intact = DecodeEntries(
        data,
        [&](RecordKind kind, std::string_view text) {
            EntryId id = kNoEntry;
            if (kind == RecordKind::TopLevel) {
                const EntryUid uid = derived.Next(0, text);
                id = group = tree.Append(tree.Root(), std::string(text));
                tree.SetLoadedUid(id, uid);
            } else if (group != kNoEntry) {
                const EntryUid uid = derived.Next(tree.Uid(group), text);
                id = tree.Append(group, std::string(text));
                tree.SetLoadedUid(id, uid);
            }
            loaded.push_back(id);
        },
        [&](size_t ordinal, std::wstring unicode) { tree.SetLoadedUnicodeText(loaded[ordinal], std::move(unicode)); },
        [&](std::vector<EntryUid> identities) { stored = std::move(identities); },
        [&](EntryHistory history, std::vector<OrdinalVersions> versions) {
            for (OrdinalVersions& entry : versions)
                tree.SetLoadedVersions(loaded[entry.ordinal], std::move(entry.text), std::move(entry.place));
            tree.SetLoadedHistory(std::move(history));
        });
    if (stored.empty())
        return intact;
    LoadedIdentities identities(loaded.size());
    for (size_t ordinal = 0; ordinal < loaded.size(); ++ordinal) {
        const EntryId id = loaded[ordinal];
        tree.SetLoadedUid(id, identities.Next(tree.Uid(tree.Parent(id)), tree.Text(id), stored[ordinal]));
    }
    return intact;
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
        });
    // As loading gives them to the tree's entries (DecodeEntries above).
    LoadedIdentities identities(places.size());
    for (size_t ordinal = 0; ordinal < places.size(); ++ordinal) {
        const EntryUid group = places[ordinal].second == kTop ? 0 : out[places[ordinal].first].uid;
        SnapshotEntry& entry = at(ordinal);
        entry.uid = identities.Next(group, entry.text, ordinal < stored.size() ? stored[ordinal] : 0);
    }
    return intact;
}
