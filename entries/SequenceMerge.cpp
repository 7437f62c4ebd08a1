#include "entries/SequenceMerge.h"
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

std::vector<size_t> LongestIncreasing(const std::vector<size_t>& values)
{
    // tails[k]: the position of the smallest value that ends a run of k + 1.
    std::vector<size_t> tails;
    std::vector<size_t> before(values.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        const auto at = std::lower_bound(tails.begin(), tails.end(), values[i],
                                         [&](size_t position, size_t value) { return values[position] < value; });
        if (at != tails.begin())
            before[i] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<size_t> run(tails.size());
    size_t position = tails.empty() ? 0 : tails.back();
    for (size_t k = run.size(); k-- > 0;) {
        run[k] = position;
        position = before[position];
    }
    return run;
}

namespace {

using Positions = std::unordered_map<EntryUid, size_t>;

Positions PositionsOf(const std::vector<EntryUid>& list)
{
    Positions positions;
    positions.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        positions.emplace(list[i], i);
    return positions;
}

// The identities of `base` that `side` keeps in base's order, as much of
// them as can be.
std::unordered_set<EntryUid> KeptInOrder(const std::vector<EntryUid>& side, const Positions& inBase)
{
    std::vector<size_t> basePositions;
    for (EntryUid uid : side) {
        const auto found = inBase.find(uid);
        if (found != inBase.end())
            basePositions.push_back(found->second);
    }
    std::unordered_set<EntryUid> kept;
    std::vector<size_t> run = LongestIncreasing(basePositions);
    kept.reserve(run.size());
    size_t index = 0;
    for (EntryUid uid : side) {
        if (inBase.count(uid) == 0)
            continue;
        if (std::binary_search(run.begin(), run.end(), index))
            kept.insert(uid);
        ++index;
    }
    return kept;
}

using Stretch = std::vector<EntryUid>;

// `second`'s identities that `first` lacks, each after the nearest of
// `second`'s earlier identities that `first` has; those before any such
// just before the first of them that `first` has, or else after `first`.
void Interleave(const Stretch& first, const Stretch& second, Stretch& out)
{
    const std::unordered_set<EntryUid> inFirst(first.begin(), first.end());
    std::unordered_map<EntryUid, Stretch> after;
    Stretch leading;
    Stretch* current = &leading;
    EntryUid firstShared = 0;
    for (EntryUid uid : second) {
        if (inFirst.count(uid) != 0) {
            current = &after[uid];
            if (firstShared == 0)
                firstShared = uid;
        } else {
            current->push_back(uid);
        }
    }
    for (EntryUid uid : first) {
        if (uid == firstShared)
            out.insert(out.end(), leading.begin(), leading.end());
        out.push_back(uid);
        const auto found = after.find(uid);
        if (found != after.end())
            out.insert(out.end(), found->second.begin(), found->second.end());
    }
    if (firstShared == 0)
        out.insert(out.end(), leading.begin(), leading.end());
}

// The stretches of the three lists between two entries that all keep.
void MergeStretch(const Stretch& base, const Stretch& ours, const Stretch& theirs, Stretch& out)
{
    // What one side left as it was follows the other; the side that changed
    // it still brings along what the other lacks (an entry one side edited
    // where the other moved or removed it).
    if (ours == base)
        Interleave(theirs, ours, out);
    else if (theirs == base || ours == theirs || ours < theirs)
        Interleave(ours, theirs, out);
    else
        Interleave(theirs, ours, out);
}

std::ptrdiff_t Offset(size_t position)
{
    return static_cast<std::ptrdiff_t>(position);
}

}  // namespace

std::vector<EntryUid> MergeOrder(const std::vector<EntryUid>& base, const std::vector<EntryUid>& ours,
                                 const std::vector<EntryUid>& theirs)
{
    const Positions inBase = PositionsOf(base);
    const std::unordered_set<EntryUid> oursKept = KeptInOrder(ours, inBase);
    const std::unordered_set<EntryUid> theirsKept = KeptInOrder(theirs, inBase);
    // The entries that stay in their order on both sides: those in both runs
    // are in base's order in each, so in the same order everywhere.
    std::vector<EntryUid> anchors;
    for (EntryUid uid : base)
        if (oursKept.count(uid) != 0 && theirsKept.count(uid) != 0)
            anchors.push_back(uid);
    anchors.push_back(0);  // the end of every list; no entry's identity
    const Positions oursAt = PositionsOf(ours), theirsAt = PositionsOf(theirs);
    auto positionIn = [](const Positions& positions, const std::vector<EntryUid>& list, EntryUid uid) {
        return uid == 0 ? list.size() : positions.at(uid);
    };

    std::vector<EntryUid> merged;
    merged.reserve(ours.size() + theirs.size());
    size_t b = 0, o = 0, t = 0;
    for (EntryUid anchor : anchors) {
        const size_t bEnd = positionIn(inBase, base, anchor);
        const size_t oEnd = positionIn(oursAt, ours, anchor);
        const size_t tEnd = positionIn(theirsAt, theirs, anchor);
        // Most entries follow straight on from the one before on every side.
        if (bEnd != b || oEnd != o || tEnd != t)
            MergeStretch(Stretch(base.begin() + Offset(b), base.begin() + Offset(bEnd)),
                         Stretch(ours.begin() + Offset(o), ours.begin() + Offset(oEnd)),
                         Stretch(theirs.begin() + Offset(t), theirs.begin() + Offset(tEnd)), merged);
        if (anchor != 0)
            merged.push_back(anchor);
        b = bEnd + 1;
        o = oEnd + 1;
        t = tEnd + 1;
    }
    // An entry one side moved to another stretch came in twice: it stays
    // where it comes first.
    std::unordered_set<EntryUid> seen;
    seen.reserve(merged.size());
    merged.erase(std::remove_if(merged.begin(), merged.end(), [&](EntryUid uid) { return !seen.insert(uid).second; }),
                 merged.end());
    return merged;
}
