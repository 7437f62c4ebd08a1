#include "entries/EntryMerge.h"
#include "entries/EntryIdentity.h"
#include "entries/SequenceMerge.h"
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

using Index = std::unordered_map<EntryUid, const SnapshotEntry*>;

bool SameText(const SnapshotEntry& one, const SnapshotEntry& other)
{
    return one.text == other.text && one.unicode == other.unicode;
}

bool TextBefore(const SnapshotEntry& one, const SnapshotEntry& other)
{
    return std::tie(one.text, one.unicode) < std::tie(other.text, other.unicode);
}

// The snapshot itself where each of its identities names one entry, else a
// copy in which an identity's later entries get ones of their own, derived
// as loading a file derives them.
const EntrySnapshot& Unique(const EntrySnapshot& snapshot, EntrySnapshot& copy)
{
    std::unordered_set<EntryUid> seen;
    bool unique = true;
    for (const SnapshotEntry& top : snapshot) {
        unique = unique && top.uid != 0 && seen.insert(top.uid).second;
        for (const SnapshotEntry& child : top.children)
            unique = unique && child.uid != 0 && seen.insert(child.uid).second;
    }
    if (unique)
        return snapshot;
    copy = snapshot;
    LoadedIdentities identities;
    for (SnapshotEntry& top : copy) {
        top.uid = identities.Next(0, top.text, top.uid);
        for (SnapshotEntry& child : top.children)
            child.uid = identities.Next(top.uid, child.text, child.uid);
    }
    return copy;
}

Index IndexOf(const EntrySnapshot& snapshot)
{
    Index index;
    for (const SnapshotEntry& top : snapshot) {
        index.emplace(top.uid, &top);
        for (const SnapshotEntry& child : top.children)
            index.emplace(child.uid, &child);
    }
    return index;
}

std::vector<EntryUid> UidsOf(const std::vector<SnapshotEntry>& list)
{
    std::vector<EntryUid> uids;
    uids.reserve(list.size());
    for (const SnapshotEntry& entry : list)
        uids.push_back(entry.uid);
    return uids;
}

// What becomes of one entry: gone (kept null), its text, or where both sides
// changed it each their own way, both texts.
struct Decision {
    const SnapshotEntry* kept = nullptr;
    const SnapshotEntry* alsoKept = nullptr;
};

class Merge {
public:
    Merge(const EntrySnapshot& base, const EntrySnapshot& ours, const EntrySnapshot& theirs)
        : m_base(IndexOf(base)), m_ours(IndexOf(ours)), m_theirs(IndexOf(theirs))
    {
        m_placed.reserve(m_ours.size() + m_theirs.size());
    }

    MergeOutcome Run(const EntrySnapshot& base, const EntrySnapshot& ours, const EntrySnapshot& theirs)
    {
        MergeOutcome outcome;
        outcome.merged.reserve(ours.size() + theirs.size());
        for (EntryUid uid : MergeOrder(UidsOf(base), UidsOf(ours), UidsOf(theirs))) {
            if (m_placed.count(uid) != 0)
                continue;
            SnapshotEntry merged;
            merged.uid = uid;
            for (EntryUid child : MergeOrder(ChildUids(m_base, uid), ChildUids(m_ours, uid), ChildUids(m_theirs, uid)))
                Place(child, merged.children, outcome.keptBoth);
            const Decision decision = Decide(uid);
            const SnapshotEntry* kept = decision.kept;
            // Children that stay keep their group, though one side removed
            // it: nothing typed in it is lost.
            if (kept == nullptr && !merged.children.empty())
                kept = Present(uid);
            if (kept == nullptr)
                continue;
            m_placed.insert(uid);
            merged.text = kept->text;
            merged.unicode = kept->unicode;
            outcome.merged.push_back(std::move(merged));
            if (decision.alsoKept != nullptr) {
                ++outcome.keptBoth;
                outcome.merged.push_back(Beside(uid, *decision.alsoKept));
            }
        }
        return outcome;
    }

private:
    const SnapshotEntry* Find(const Index& index, EntryUid uid) const
    {
        const auto found = index.find(uid);
        return found != index.end() ? found->second : nullptr;
    }

    const SnapshotEntry* Present(EntryUid uid) const
    {
        if (const SnapshotEntry* entry = Find(m_ours, uid))
            return entry;
        if (const SnapshotEntry* entry = Find(m_theirs, uid))
            return entry;
        return Find(m_base, uid);
    }

    std::vector<EntryUid> ChildUids(const Index& index, EntryUid uid) const
    {
        const SnapshotEntry* entry = Find(index, uid);
        return entry != nullptr ? UidsOf(entry->children) : std::vector<EntryUid>();
    }

    Decision Decide(EntryUid uid) const
    {
        const SnapshotEntry* base = Find(m_base, uid);
        const SnapshotEntry* ours = Find(m_ours, uid);
        const SnapshotEntry* theirs = Find(m_theirs, uid);
        if (ours != nullptr && theirs != nullptr) {
            if (SameText(*ours, *theirs) || (base != nullptr && SameText(*theirs, *base)))
                return {ours, nullptr};
            if (base != nullptr && SameText(*ours, *base))
                return {theirs, nullptr};
            // Changed each its own way: the text that sorts first keeps the
            // entry, whichever side is whose, so that two machines merging
            // one another's changes agree.
            return TextBefore(*ours, *theirs) ? Decision{ours, theirs} : Decision{theirs, ours};
        }
        const SnapshotEntry* present = ours != nullptr ? ours : theirs;
        // Removed on one side and left alone on the other: gone. Added on
        // one side, or edited where the other removed it: kept.
        if (present == nullptr || (base != nullptr && SameText(*present, *base)))
            return {};
        return {present, nullptr};
    }

    void Place(EntryUid uid, std::vector<SnapshotEntry>& children, size_t& keptBoth)
    {
        if (m_placed.count(uid) != 0)
            return;
        const Decision decision = Decide(uid);
        if (decision.kept == nullptr)
            return;
        m_placed.insert(uid);
        SnapshotEntry child;
        child.uid = uid;
        child.text = decision.kept->text;
        child.unicode = decision.kept->unicode;
        children.push_back(std::move(child));
        if (decision.alsoKept != nullptr) {
            ++keptBoth;
            children.push_back(Beside(uid, *decision.alsoKept));
        }
    }

    // The second text of an entry both sides changed, as an entry of its own
    // after it, with an identity that every machine derives alike.
    SnapshotEntry Beside(EntryUid uid, const SnapshotEntry& source)
    {
        std::uint64_t hash = HashBytes(source.text, HashNumber(uid, HashBytes("both kept")));
        for (wchar_t c : source.unicode)
            hash = HashNumber(static_cast<std::uint64_t>(c), hash);
        while (hash == 0 || m_placed.count(hash) != 0 || Find(m_base, hash) != nullptr ||
               Find(m_ours, hash) != nullptr || Find(m_theirs, hash) != nullptr)
            hash = HashNumber(hash, uid);
        m_placed.insert(hash);
        SnapshotEntry entry;
        entry.uid = hash;
        entry.text = source.text;
        entry.unicode = source.unicode;
        return entry;
    }

    const Index m_base, m_ours, m_theirs;
    std::unordered_set<EntryUid> m_placed;
};

}  // namespace

MergeOutcome MergeEntries(const EntrySnapshot& base, const EntrySnapshot& ours, const EntrySnapshot& theirs)
{
    EntrySnapshot baseCopy, oursCopy, theirsCopy;
    const EntrySnapshot& uniqueBase = Unique(base, baseCopy);
    const EntrySnapshot& uniqueOurs = Unique(ours, oursCopy);
    const EntrySnapshot& uniqueTheirs = Unique(theirs, theirsCopy);
    return Merge(uniqueBase, uniqueOurs, uniqueTheirs).Run(uniqueBase, uniqueOurs, uniqueTheirs);
}
