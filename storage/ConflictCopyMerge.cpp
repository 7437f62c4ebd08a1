#include "storage/ConflictCopyMerge.h"
#include <unordered_map>

namespace {

bool SameTexts(const SnapshotEntry& a, const SnapshotEntry& b)
{
    return a.text == b.text && a.unicode == b.unicode;
}

// The entries of `first` that `second` holds alike, at one level.
EntrySnapshot CommonLevel(const std::vector<SnapshotEntry>& first, const std::vector<SnapshotEntry>& second)
{
    std::unordered_map<EntryUid, const SnapshotEntry*> byUid;
    for (const SnapshotEntry& entry : second)
        byUid.emplace(entry.uid, &entry);
    EntrySnapshot common;
    for (const SnapshotEntry& entry : first) {
        const auto found = byUid.find(entry.uid);
        if (found == byUid.end() || !SameTexts(entry, *found->second))
            continue;
        SnapshotEntry kept;
        kept.uid = entry.uid;
        kept.text = entry.text;
        kept.unicode = entry.unicode;
        kept.children = CommonLevel(entry.children, found->second->children);
        common.push_back(std::move(kept));
    }
    return common;
}

}  // namespace

EntrySnapshot CommonEntries(const EntrySnapshot& first, const EntrySnapshot& second)
{
    return CommonLevel(first, second);
}

MergeOutcome MergeConflictCopy(const EntrySnapshot& lastRead, const EntrySnapshot& ours,
                               const EntrySnapshot& copy)
{
    return MergeEntries(CommonEntries(lastRead, copy), ours, copy);
}
