#include "entries/SequenceMerge.h"
#include <algorithm>
#include "entries/UidTable.h"

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

using Positions = UidTable<size_t>;

Positions PositionsOf(const std::vector<EntryUid>& list)
{
    Positions positions(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        positions.Insert(list[i], i);
    return positions;
}

// The identities of `base` that `side` keeps in base's order, as much of
// them as can be.
UidSet KeptInOrder(const std::vector<EntryUid>& side, const Positions& inBase)
{
    std::vector<size_t> basePositions;
    std::vector<EntryUid> inBoth;
    for (EntryUid uid : side) {
        if (const size_t* found = inBase.Find(uid)) {
            basePositions.push_back(*found);
            inBoth.push_back(uid);
        }
    }
    const std::vector<size_t> run = LongestIncreasing(basePositions);
    UidSet kept(run.size());
    for (size_t index : run)
        kept.Insert(inBoth[index], true);
    return kept;
}

using Stretch = std::vector<EntryUid>;

// `second`'s identities that `first` lacks, each after the nearest of
// `second`'s earlier identities that `first` has; those before any such
// just before the first of them that `first` has, or else after `first`.
void Interleave(const Stretch& first, const Stretch& second, Stretch& out)
{
    UidSet inFirst(first.size());
    for (EntryUid uid : first)
        inFirst.Insert(uid, 1);
    UidTable<Stretch> after;
    Stretch leading;
    Stretch* current = &leading;
    EntryUid firstShared = 0;
    for (EntryUid uid : second) {
        if (inFirst.Contains(uid)) {
            current = after.Insert(uid, Stretch()).first;
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
        if (const Stretch* following = after.Find(uid))
            out.insert(out.end(), following->begin(), following->end());
    }
    if (firstShared == 0)
        out.insert(out.end(), leading.begin(), leading.end());
}

// Two stretches without a common entry, each in its own order: the one
// whose next identity compares first goes first. An entry so goes before
// another exactly when the greatest identity up to it in its own stretch
// compares before that of the other, so whichever merges met the entries
// first, and in whatever groups, every machine ends with the same order.
void Alternate(const Stretch& one, const Stretch& other, Stretch& out)
{
    size_t i = 0, k = 0;
    while (i < one.size() || k < other.size()) {
        if (k == other.size() || (i < one.size() && one[i] < other[k]))
            out.push_back(one[i++]);
        else
            out.push_back(other[k++]);
    }
}

bool Disjoint(const Stretch& one, const Stretch& other)
{
    UidSet inOne(one.size());
    for (EntryUid uid : one)
        inOne.Insert(uid, 1);
    return std::none_of(other.begin(), other.end(), [&](EntryUid uid) { return inOne.Contains(uid); });
}

// The stretches of the three lists between two entries that all keep.
void MergeStretch(const Stretch& base, const Stretch& ours, const Stretch& theirs, Stretch& out)
{
    // What one side left as it was follows the other; the side that changed
    // it still brings along what the other lacks (an entry one side edited
    // where the other moved or removed it).
    if (ours == base)
        Interleave(theirs, ours, out);
    else if (theirs == base || ours == theirs)
        Interleave(ours, theirs, out);
    else if (base.empty() && Disjoint(ours, theirs))
        Alternate(ours, theirs, out);
    else if (ours < theirs)
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
    const UidSet oursKept = KeptInOrder(ours, inBase);
    const UidSet theirsKept = KeptInOrder(theirs, inBase);
    // The entries that stay in their order on both sides: those in both runs
    // are in base's order in each, so in the same order everywhere.
    std::vector<EntryUid> anchors;
    for (EntryUid uid : base)
        if (oursKept.Contains(uid) && theirsKept.Contains(uid))
            anchors.push_back(uid);
    anchors.push_back(0);  // the end of every list; no entry's identity
    const Positions oursAt = PositionsOf(ours), theirsAt = PositionsOf(theirs);
    auto positionIn = [](const Positions& positions, const std::vector<EntryUid>& list, EntryUid uid) {
        return uid == 0 ? list.size() : *positions.Find(uid);
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
    UidSet seen(merged.size());
    merged.erase(std::remove_if(merged.begin(), merged.end(), [&](EntryUid uid) { return !seen.Insert(uid, 1).second; }),
                 merged.end());
    return merged;
}
