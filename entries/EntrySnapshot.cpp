#include "entries/EntrySnapshot.h"
#include "entries/EntryIdentity.h"
#include "entries/EntryTree.h"
#include "entries/RecordCodec.h"
#include <utility>

namespace {

SnapshotEntry SnapshotOf(const EntryTree& tree, EntryId id)
{
    SnapshotEntry entry;
    entry.uid = tree.Uid(id);
    entry.text = tree.Text(id);
    entry.unicode = tree.UnicodeText(id);
    return entry;
}

}  // namespace

EntrySnapshot TakeSnapshot(const EntryTree& tree)
{
    EntrySnapshot snapshot;
    snapshot.reserve(tree.Children(tree.Root()).size());
    for (EntryId top : tree.Children(tree.Root())) {
        if (!tree.IsUserEntry(top))
            continue;
        snapshot.push_back(SnapshotOf(tree, top));
        std::vector<SnapshotEntry>& children = snapshot.back().children;
        children.reserve(tree.Children(top).size());
        for (EntryId child : tree.Children(top))
            children.push_back(SnapshotOf(tree, child));
    }
    return snapshot;
}

bool DecodeSnapshot(std::string_view bytes, EntrySnapshot& out)
{
    out.clear();
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
        [&](std::vector<EntryUid> identities) { stored = std::move(identities); });
    // As loading gives them to the tree's entries (entries/EntryFile.cpp).
    LoadedIdentities identities;
    for (size_t ordinal = 0; ordinal < places.size(); ++ordinal) {
        const EntryUid group = places[ordinal].second == kTop ? 0 : out[places[ordinal].first].uid;
        SnapshotEntry& entry = at(ordinal);
        entry.uid = identities.Next(group, entry.text, ordinal < stored.size() ? stored[ordinal] : 0);
    }
    return intact;
}
