#include "storage/EntryMerge.h"
#include "entries/EntryIdentity.h"
#include "entries/SequenceMerge.h"
#include "entries/UidTable.h"
#include <algorithm>
#include <tuple>

namespace {

enum Version { kBase, kOurs, kTheirs };

// An entry on each side, null where the side lacks it, and whether the
// merge has placed it.
struct Versions {
    const SnapshotEntry* on[3] = {nullptr, nullptr, nullptr};
    bool placed = false;
};

bool SameText(const SnapshotEntry& one, const SnapshotEntry& other)
{
    return one.text == other.text && one.unicode == other.unicode;
}

bool TextBefore(const SnapshotEntry& one, const SnapshotEntry& other)
{
    return std::tie(one.text, one.unicode) < std::tie(other.text, other.unicode);
}

size_t CountOf(const EntrySnapshot& snapshot)
{
    size_t count = snapshot.size();
    for (const SnapshotEntry& top : snapshot)
        count += top.children.size();
    return count;
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
        : m_sides{&base, &ours, &theirs}, m_versions(std::max({CountOf(base), CountOf(ours), CountOf(theirs)}))
    {
        for (Version side : {kBase, kOurs, kTheirs})
            Index(side);
    }

    MergeOutcome Run()
    {
        MergeOutcome outcome;
        outcome.merged.reserve(m_sides[kOurs]->size() + m_sides[kTheirs]->size());
        for (EntryUid uid : MergeOrder(UidsOf(*m_sides[kBase]), UidsOf(*m_sides[kOurs]), UidsOf(*m_sides[kTheirs]))) {
            // A copy: placing the children below may add to the table, which
            // then moves its values.
            const Versions versions = VersionsOf(uid);
            if (versions.placed)
                continue;
            SnapshotEntry merged;
            merged.uid = uid;
            const std::vector<EntryUid> ours = ChildUids(versions.on[kOurs]), theirs = ChildUids(versions.on[kTheirs]);
            merged.children.reserve(std::max(ours.size(), theirs.size()));
            for (EntryUid child : MergeOrder(ChildUids(versions.on[kBase]), ours, theirs))
                Place(child, merged.children, outcome.keptBoth);
            const Decision decision = Decide(versions);
            const SnapshotEntry* kept = decision.kept;
            // Children that stay keep their group, though one side removed
            // it: nothing typed in it is lost.
            if (kept == nullptr && !merged.children.empty())
                kept = Present(versions);
            if (kept == nullptr)
                continue;
            MarkPlaced(uid);
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
    // Where an identity names two entries of a side, or is 0, the side is
    // a copy in which the later entries get identities of their own,
    // derived as loading a file derives them.
    void Index(Version side)
    {
        if (Enter(side, *m_sides[side]))
            return;
        Enter(side, *m_sides[side], true);
        m_copies[side] = *m_sides[side];
        LoadedIdentities identities(CountOf(m_copies[side]));
        for (SnapshotEntry& top : m_copies[side]) {
            top.uid = identities.Next(0, top.text, top.uid);
            for (SnapshotEntry& child : top.children)
                child.uid = identities.Next(top.uid, child.text, child.uid);
        }
        m_sides[side] = &m_copies[side];
        Enter(side, m_copies[side]);
    }

    // False where an identity is 0 or names two entries. `forget` takes the
    // side's entries out again.
    bool Enter(Version side, const EntrySnapshot& snapshot, bool forget = false)
    {
        auto enter = [&](const SnapshotEntry& entry) {
            if (entry.uid == 0)
                return false;
            const SnapshotEntry*& slot = m_versions.Insert(entry.uid, Versions()).first->on[side];
            if (forget || slot != nullptr) {
                slot = forget ? nullptr : slot;
                return forget;
            }
            slot = &entry;
            return true;
        };
        for (const SnapshotEntry& top : snapshot) {
            if (!enter(top))
                return false;
            for (const SnapshotEntry& child : top.children)
                if (!enter(child))
                    return false;
        }
        return true;
    }

    // The table's values move whenever it grows (Beside adds to it), so
    // none is held across a step that may add: these read and mark by
    // identity.
    Versions VersionsOf(EntryUid uid) const
    {
        const Versions* versions = m_versions.Find(uid);
        return versions != nullptr ? *versions : Versions();
    }

    void MarkPlaced(EntryUid uid) { m_versions.Insert(uid, Versions()).first->placed = true; }

    static std::vector<EntryUid> ChildUids(const SnapshotEntry* entry)
    {
        return entry != nullptr ? UidsOf(entry->children) : std::vector<EntryUid>();
    }

    static const SnapshotEntry* Present(const Versions& versions)
    {
        for (Version side : {kOurs, kTheirs, kBase})
            if (versions.on[side] != nullptr)
                return versions.on[side];
        return nullptr;
    }

    static Decision Decide(const Versions& versions)
    {
        const SnapshotEntry* base = versions.on[kBase];
        const SnapshotEntry* ours = versions.on[kOurs];
        const SnapshotEntry* theirs = versions.on[kTheirs];
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
        const Versions versions = VersionsOf(uid);
        if (versions.placed)
            return;
        const Decision decision = Decide(versions);
        if (decision.kept == nullptr)
            return;
        MarkPlaced(uid);
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
        while (hash == 0 || m_versions.Contains(hash))
            hash = HashNumber(hash, uid);
        m_versions.Insert(hash, Versions()).first->placed = true;
        SnapshotEntry entry;
        entry.uid = hash;
        entry.text = source.text;
        entry.unicode = source.unicode;
        return entry;
    }

    const EntrySnapshot* m_sides[3];
    EntrySnapshot m_copies[3];
    UidTable<Versions> m_versions;
};

}  // namespace

MergeOutcome MergeEntries(const EntrySnapshot& base, const EntrySnapshot& ours, const EntrySnapshot& theirs)
{
    return Merge(base, ours, theirs).Run();
}
