#include "entries/EntryFile.h"
#include "entries/EntryIdentity.h"
#include "entries/RecordCodec.h"
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
    LoadedIdentities derived;
    EntryUid derivedGroup = 0;
    bool derivable = true;
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
    if (derivable)
        return true;
    piece.clear();
    if (!AppendIdentityRecordHeader(piece, uids.size()))
        return true;  // beyond the record's length: loading derives them
    piece.reserve(piece.size() + uids.size() * kIdentitySize);
    for (EntryUid uid : uids)
        AppendIdentity(piece, uid);
    return write(piece);
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
    const bool intact = DecodeEntries(
        data,
        [&](RecordKind kind, std::string_view text) {
            EntryId id = kNoEntry;
            if (kind == RecordKind::TopLevel)
                id = group = tree.Append(tree.Root(), std::string(text));
            else if (group != kNoEntry)
                id = tree.Append(group, std::string(text));
            loaded.push_back(id);
        },
        [&](size_t ordinal, std::wstring unicode) { tree.SetLoadedUnicodeText(loaded[ordinal], std::move(unicode)); },
        [&](std::vector<EntryUid> identities) { stored = std::move(identities); });
    LoadedIdentities identities;
    for (size_t ordinal = 0; ordinal < loaded.size(); ++ordinal) {
        const EntryId id = loaded[ordinal];
        const EntryId parent = tree.Parent(id);
        tree.SetLoadedUid(id, identities.Next(tree.Uid(parent), tree.Text(id), ordinal < stored.size() ? stored[ordinal] : 0));
    }
    return intact;
}
