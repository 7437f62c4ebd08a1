#include "entries/EntrySnapshot.h"
#include "entries/EntryTree.h"
#include <utility>

namespace {

SnapshotEntry SnapshotOf(const EntryTree& tree, EntryId id)
{
    const EntryTree::Texts texts = tree.TextsOf(id);
    SnapshotEntry entry;
    entry.uid = texts.uid;
    entry.text = texts.text;
    entry.unicode = texts.unicode;
    entry.textVersion = texts.textVersion;
    entry.placeVersion = texts.placeVersion;
    entry.after = texts.after;
    entry.anchored = texts.anchored;
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

size_t CountEntries(const EntrySnapshot& snapshot)
{
    size_t count = snapshot.size();
    for (const SnapshotEntry& entry : snapshot)
        count += entry.children.size();
    return count;
}

VersionedEntries TakeVersioned(const EntryTree& tree)
{
    return {TakeSnapshot(tree), tree.EditHistory()};
}
