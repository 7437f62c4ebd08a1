#include "storage/EntryMerge.h"
#include "storage/KnownFile.h"
#include "entries/EntryIdentity.h"
#include "entries/UidTable.h"
#include <algorithm>
#include <memory>
#include <tuple>

namespace {

enum Side { kOurs = 0, kTheirs = 1, kBoth = 2 };

// One identity's entry on each side, and what the merge makes of it.
struct Info {
    const SnapshotEntry* on[2] = {nullptr, nullptr};
    EntryUid parentOn[2] = {0, 0};  // 0: the top level
    bool kept = false;
    int textFrom = kOurs;
    bool conflict = false;
    int placeFrom = kOurs;
    EntryUid parent = 0;
    EntryUid beside = 0;  // the entry that keeps the other text
    EntryUid madeBefore = 0;  // that entry, made by an earlier merge
    EntryUid taken = 0;       // the edit a text taken from a side without history counts as
    bool isBeside = false;
    bool alone = false;  // the other side's version was removed: this one's versions alone
    size_t keptChildren = 0;
    EntryUid foldedFrom = 0;  // a group of the same text added on the other side, folded into this one
    const SnapshotEntry* foldedIn = nullptr;  // that entry, or one without children
    EntryUid sameAs = 0;  // an entry of the same text added apart, folded into this one earlier
    EntryUid after = 0;   // the entry it follows in the merge
    // The texts changed apart kept beside this entry, each in an entry of its
    // own whose identity comes from this one's and the text: the first such
    // entry, and in each the next.
    EntryUid firstValue = 0;
    EntryUid nextValue = 0;
    EntryUid valueOf = 0;  // in such an entry: the entry whose text it keeps
    bool valueOn[2] = {false, false};  // it is such an entry, unedited, on that side
    // The text chosen among all of the entry's texts, and its version; in an
    // entry made for a text kept beside, the version of that text (from 1,
    // a place in Merge's list of them: an Info holds nothing to free).
    const SnapshotEntry* valueText = nullptr;
    std::uint32_t valueVersion = 0;
};

// Every identity's Info, in blocks that never move once made: a reference
// into the table holds for the whole merge, however many entries it meets
// (a second text kept beside makes one). The blocks are made as entries
// come, so that a merge does not first clear room for the most it could meet.
class InfoTable {
public:
    explicit InfoTable(size_t expected) : m_places(expected) {}

    // The Info of `uid`, made when there was none.
    Info& At(EntryUid uid)
    {
        if (const std::uint32_t* place = m_places.Find(uid))
            return Placed(*place);
        if (m_size == m_blocks.size() * kBlock)
            m_blocks.push_back(std::make_unique<Info[]>(kBlock));
        m_places.Insert(uid, m_size);
        return Placed(m_size++);
    }

    const Info* Find(EntryUid uid) const
    {
        const std::uint32_t* place = m_places.Find(uid);
        return place != nullptr ? &m_blocks[*place / kBlock][*place % kBlock] : nullptr;
    }

    bool Contains(EntryUid uid) const { return m_places.Contains(uid); }

private:
    static const std::uint32_t kBlock = 1024;
    Info& Placed(std::uint32_t place) { return m_blocks[place / kBlock][place % kBlock]; }

    UidTable<std::uint32_t> m_places;
    std::vector<std::unique_ptr<Info[]>> m_blocks;
    std::uint32_t m_size = 0;
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

// Whether `later` and `earlier` are both one machine's edits alone, `later`
// the newer: entries so made one after the other on one machine were never
// added apart, so neither can be the other folded into it. (An entry from a
// file without versions, folded into, holds exactly the folded one's.)
bool OneMachineLater(const Version& later, const Version& earlier)
{
    return later.size() == 1 && earlier.size() == 1 && later[0].machine == earlier[0].machine &&
           later[0].count > earlier[0].count;
}

// The identity of the entry that keeps `text` beside the entry `of`, when
// both sides changed its text apart: alike on every machine.
EntryUid BesideUid(EntryUid of, const SnapshotEntry& text)
{
    std::uint64_t hash = HashBytes(text.text, HashNumber(of, HashBytes("both kept")));
    for (wchar_t c : text.unicode)
        hash = HashNumber(static_cast<std::uint64_t>(c), hash);
    return hash != 0 ? hash : 1;
}

Version Without(const Version& version, MachineId machine)
{
    Version rest;
    for (const VersionDot& dot : version)
        if (dot.machine != machine)
            rest.push_back(dot);
    return rest;
}

// Which of two versions of one thing holds the other: kOurs, kTheirs, kBoth
// when they are the same, -1 when they were changed apart.
int Newer(const Version& ours, const Version& theirs)
{
    const bool oursHolds = Holds(ours, theirs), theirsHolds = Holds(theirs, ours);
    if (oursHolds && theirsHolds)
        return kBoth;
    return oursHolds ? kOurs : theirsHolds ? kTheirs : -1;
}

class Merge {
public:
    Merge(const VersionedEntries& ours, const VersionedEntries& theirs, const LastKnownTexts* lastKnown)
        : m_sides{&ours.entries, &theirs.entries}, m_history{&ours.history, &theirs.history},
          m_infos(CountOf(ours.entries) + CountOf(theirs.entries)),
          m_tracked(ours.history.tracked && theirs.history.tracked), m_lastKnown(lastKnown)
    {
        for (Side side : {kOurs, kTheirs}) {
            Index(side);
            for (const Removal& removal : m_history[side]->removed) {
                const auto made = m_removedBy[side].Insert(removal.uid, removal.version);
                if (!made.second)
                    Join(*made.first, removal.version);
                if (removal.placed)
                    NoteWhereRemoved(removal);
            }
        }
        if (m_tracked)
            LinkValues();
    }

    MergeOutcome Run()
    {
        const std::vector<EntryUid> all = AllUids();
        // Only an entry whose removal the other side names can have been folded there.
        for (const EntryHistory* history : m_history)
            for (const Removal& removal : history->removed)
                if (m_infos.Contains(removal.uid))
                    RejoinFolded(removal.uid);
        for (EntryUid uid : all)
            Decide(uid);
        std::vector<EntryUid> nested;
        for (EntryUid uid : all)
            if (KeepGroupOf(uid))
                nested.push_back(uid);
        // Entries moved into each other's groups apart. A group that holds an
        // entry without children of its own goes to the top level first, so
        // that a group it was moved into keeps its place; what still nests
        // (groups that hold only each other) is taken in the order of
        // identities, so that either side's first gives the same.
        for (size_t i = 0; i < all.size() && !nested.empty(); ++i) {
            const Info& info = At(all[i]);
            if (info.kept && info.parent != 0)
                ++At(info.parent).keptChildren;
        }
        std::sort(nested.begin(), nested.end());
        nested.erase(std::unique(nested.begin(), nested.end()), nested.end());
        for (EntryUid uid : nested)
            if (At(uid).keptChildren == 0)
                LiftGroupOf(uid);
        for (EntryUid uid : nested)
            LiftGroupOf(uid);
        MergeOutcome outcome;
        const std::vector<EntryUid> top = Order(0);
        outcome.merged.reserve(top.size());
        for (EntryUid uid : top) {
            outcome.merged.push_back(Made(uid));
            const std::vector<EntryUid> children = Order(uid);
            std::vector<SnapshotEntry>& made = outcome.merged.back().children;
            made.reserve(children.size());
            for (EntryUid child : children)
                made.push_back(Made(child));
        }
        outcome.history.seen = Joined(m_history[kOurs]->seen, m_history[kTheirs]->seen);
        for (EntryUid machine : m_besides)
            SetCount(outcome.history.seen, machine, 1);
        for (EntryUid machine : m_taken)
            SetCount(outcome.history.seen, machine, 1);
        outcome.history.removed = Removed();
        outcome.keptBoth = m_besides.size() + m_keptApart;
        return outcome;
    }

private:
    Info& At(EntryUid uid) { return m_infos.At(uid); }

    // Where a removed entry was, the same whichever side tells it first.
    void NoteWhereRemoved(const Removal& removal)
    {
        const auto made = m_whereRemoved.Insert(removal.uid, removal.after);
        if (!made.second && removal.after < *made.first)
            *made.first = removal.after;
    }

    // The entries an earlier merge made for a text kept beside another,
    // unedited on every side that holds them, each linked to the entry it
    // keeps a text of: where that entry is on both sides, a merge chooses
    // among all of its texts at once; a removal of it that saw such a text
    // takes that too. Such an entry carries the version of its text and its
    // own identity as an edit that no machine counts in what it has seen:
    // whether it was made depends on which versions met first, and machines
    // that met the same versions hold the same history.
    void LinkValues()
    {
        std::vector<EntryUid> made;
        for (Side side : {kOurs, kTheirs}) {
            auto note = [&](const SnapshotEntry& entry) {
                if (entry.anchored && entry.after != 0 && entry.children.empty() && entry.textVersion.size() >= 2 &&
                    CountOf(entry.textVersion, entry.uid) == 1 && BesideUid(entry.after, entry) == entry.uid) {
                    At(entry.uid).valueOn[side] = true;
                    made.push_back(entry.uid);
                }
            };
            for (const SnapshotEntry& top : *m_sides[side]) {
                note(top);
                for (const SnapshotEntry& child : top.children)
                    note(child);
            }
        }
        for (EntryUid uid : made) {
            Info& info = At(uid);
            if (info.valueOf != 0 || (info.on[kOurs] != nullptr && !info.valueOn[kOurs]) ||
                (info.on[kTheirs] != nullptr && !info.valueOn[kTheirs]))
                continue;
            const EntryUid of = info.on[info.valueOn[kOurs] ? kOurs : kTheirs]->after;
            if (!m_infos.Contains(of) || (At(of).on[kOurs] == nullptr && At(of).on[kTheirs] == nullptr))
                continue;
            info.valueOf = of;
            info.nextValue = At(of).firstValue;
            At(of).firstValue = uid;
        }
    }

    // Where an identity names two entries of a side, or is 0, the side is a
    // copy in which the later entries get identities of their own, derived as
    // loading a file derives them.
    void Index(Side side)
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
    bool Enter(Side side, const EntrySnapshot& snapshot, bool forget = false)
    {
        auto enter = [&](const SnapshotEntry& entry, EntryUid parent) {
            if (entry.uid == 0)
                return false;
            Info& info = At(entry.uid);
            if (forget || info.on[side] != nullptr) {
                info.on[side] = forget ? nullptr : info.on[side];
                return forget;
            }
            info.on[side] = &entry;
            info.parentOn[side] = parent;
            return true;
        };
        for (const SnapshotEntry& top : snapshot) {
            if (!enter(top, 0))
                return false;
            for (const SnapshotEntry& child : top.children)
                if (!enter(child, top.uid))
                    return false;
        }
        return true;
    }

    std::vector<EntryUid> AllUids() const
    {
        std::vector<EntryUid> all;
        all.reserve(CountOf(*m_sides[kOurs]) + CountOf(*m_sides[kTheirs]));
        for (const EntrySnapshot* side : m_sides)
            for (const SnapshotEntry& top : *side) {
                all.push_back(top.uid);
                for (const SnapshotEntry& child : top.children)
                    all.push_back(child.uid);
            }
        return all;
    }

    // Whether the removals either side names saw every edit of this
    // version of an entry.
    bool RemovalSaw(const SnapshotEntry& entry) const
    {
        Version removed;
        bool named = false;
        for (const UidTable<Version>& names : m_removedBy) {
            if (const Version* version = names.Find(entry.uid)) {
                Join(removed, *version);
                named = true;
            }
        }
        return named && Holds(removed, Joined(entry.textVersion, entry.placeVersion));
    }

    // Whether `side` removed the entry the other side holds: it has seen
    // that version, or the removals either side names saw every edit of it
    // between them (the only way to tell for an entry without a version).
    bool RemovedBy(Side side, const SnapshotEntry& entry) const
    {
        if (RemovalSaw(entry))
            return true;
        const Version whole = Joined(entry.textVersion, entry.placeVersion);
        const EntryHistory& history = *m_history[side];
        return history.tracked && !whole.empty() && Holds(history.seen, whole);
    }

    // An entry folded into another of the same text added apart (its
    // removal named by the side that holds the other, which holds its
    // adding) is still that other entry on the side that never met the
    // fold: its edits since go there, rather than bringing it back beside
    // the one it was folded into, and a removal there of the other, which
    // never saw its adding, leaves the other.
    void RejoinFolded(EntryUid uid)
    {
        Info& info = At(uid);
        if ((info.on[kOurs] == nullptr) == (info.on[kTheirs] == nullptr) || info.sameAs != 0)
            return;
        const Side present = info.on[kOurs] != nullptr ? kOurs : kTheirs;
        const Side absent = present == kOurs ? kTheirs : kOurs;
        const SnapshotEntry& entry = *info.on[present];
        const Version* removal = m_removedBy[absent].Find(uid);
        // An entry kept beside another that a merge let go (its text went
        // elsewhere) is remembered without its own edit: no fold.
        if (removal == nullptr || removal->empty() || !entry.children.empty() ||
            (CountOf(entry.textVersion, uid) != 0 && CountOf(*removal, uid) == 0))
            return;
        const std::vector<const SnapshotEntry*>* same = nullptr;
        if (RemovedBy(absent, entry)) {
            // Gone as it is (removals carried over are mostly so): only one
            // that this side removed, without its fold, can hold it.
            same = &RemovedHere(present);
        } else {
            if (!m_byTextMade[absent]) {
                m_byTextMade[absent] = true;
                for (const SnapshotEntry& top : *m_sides[absent]) {
                    if (top.children.empty())
                        m_byText[absent].Insert(TextsHash(top.text, top.unicode) | 1, {}).first->push_back(&top);
                    for (const SnapshotEntry& child : top.children)
                        m_byText[absent].Insert(TextsHash(child.text, child.unicode) | 1, {}).first->push_back(&child);
                }
            }
            same = m_byText[absent].Find(TextsHash(entry.text, entry.unicode) | 1);
        }
        if (same == nullptr)
            return;
        // Folded there, the other's text holds the adding, or the removal
        // put it after the other; a move of the other made after meeting the
        // adding folds nothing.
        const EntryUid* where = m_whereRemoved.Find(uid);
        for (const SnapshotEntry* other : *same) {
            Info& into = At(other->uid);
            const Version otherVersion = Joined(other->textVersion, other->placeVersion);
            if (other->uid == uid || into.sameAs != 0 || !SameText(*other, entry) || !Holds(otherVersion, *removal) ||
                OneMachineLater(otherVersion, *removal) ||
                !(Holds(other->textVersion, *removal) || (where != nullptr && *where == other->uid)))
                continue;
            if (into.on[present] == nullptr) {
                into.on[present] = &entry;
                into.parentOn[present] = info.parentOn[present];
                m_rejoined[present].Insert(uid, other->uid);
            } else if (into.foldedIn == nullptr) {
                // Both are there too, met before the fold: the one holds the other's edits.
                into.foldedIn = &entry;
            } else {
                continue;
            }
            into.sameAs = uid;
            info.sameAs = other->uid;
            // What was put after it follows the one it was folded into.
            m_folded.push_back({uid, Joined(*removal, Joined(entry.textVersion, entry.placeVersion)), other->uid, true});
            NoteWhereRemoved(m_folded.back());
            return;
        }
    }

    // The entries without children that `side` names removed and the other
    // side holds, made when first needed.
    const std::vector<const SnapshotEntry*>& RemovedHere(Side side)
    {
        std::vector<const SnapshotEntry*>& removed = m_removedHere[side];
        if (!m_removedHereMade[side]) {
            m_removedHereMade[side] = true;
            const Side other = side == kOurs ? kTheirs : kOurs;
            for (const Removal& removal : m_history[side]->removed) {
                const Info* info = m_infos.Find(removal.uid);
                if (info != nullptr && info->on[side] == nullptr && info->on[other] != nullptr &&
                    info->on[other]->children.empty())
                    removed.push_back(info->on[other]);
            }
        }
        return removed;
    }

    void Decide(EntryUid uid)
    {
        Info& info = At(uid);
        // Decided with the entry whose text it keeps.
        if (info.valueOf != 0)
            return;
        DecideEntry(uid, info);
        // Where its texts were not chosen among (it is on one side, or a
        // removal saw it), the texts kept beside it that a removal of it
        // saw went with it, and one that is the text it keeps is that text
        // once; the others are entries of their own.
        if (info.valueText != nullptr || info.firstValue == 0)
            return;
        const SnapshotEntry* kept = KeepForUnseenText(uid, info) ? info.valueText
                                  : info.kept                    ? info.on[info.textFrom == kTheirs ? kTheirs : kOurs]
                                                                 : nullptr;
        for (EntryUid value = info.firstValue; value != 0;) {
            Info& beside = At(value);
            const EntryUid next = beside.nextValue;
            beside.nextValue = 0;
            if (RemovedWith(uid, ValueVersion(beside)) ||
                (kept != nullptr && (SameText(*kept, Held(beside)) || TypedOver(uid, *kept, ValueVersion(beside))))) {
                LetGo(value);
            } else {
                beside.valueOf = 0;
                if (!KeepsTextOfRemoved(uid, value))
                    DecideEntry(value, beside);
            }
            value = next;
        }
        info.firstValue = 0;
    }

    // An entry removed where a text kept beside it was not seen by the
    // removal stays, with that text (the first, where there are more), as
    // one that the other side changed after the removal.
    bool KeepForUnseenText(EntryUid uid, Info& info)
    {
        if (info.kept || (info.on[kOurs] == nullptr && info.on[kTheirs] == nullptr))
            return false;
        const SnapshotEntry* chosen = nullptr;
        Version version;
        for (EntryUid value = info.firstValue; value != 0; value = At(value).nextValue) {
            const Info& beside = At(value);
            const SnapshotEntry* text = &Held(beside);
            const Version valueVersion = ValueVersion(beside);
            // Not where a side that removed the entry had met the text: there
            // it was kept apart from the entry, or removed too.
            bool met = false;
            for (Side side : {kOurs, kTheirs})
                met = met || ((info.on[side] == nullptr || m_removedBy[side].Contains(uid)) &&
                              Holds(m_history[side]->seen, valueVersion));
            if (!met && !RemovedWith(uid, valueVersion) && (chosen == nullptr || TextBefore(*text, *chosen))) {
                chosen = text;
                version = valueVersion;
            }
        }
        if (chosen == nullptr)
            return false;
        info.kept = true;
        info.valueText = chosen;
        info.valueVersion = KeepVersion(version);
        return true;
    }

    void DecideEntry(EntryUid uid, Info& info)
    {
        if (info.kept || info.isBeside || (info.sameAs != 0 && (info.on[kOurs] == nullptr || info.on[kTheirs] == nullptr)))
            return;
        const SnapshotEntry* ours = info.on[kOurs];
        const SnapshotEntry* theirs = info.on[kTheirs];
        if (ours == nullptr || theirs == nullptr) {
            const Side present = ours != nullptr ? kOurs : kTheirs;
            const Side absent = present == kOurs ? kTheirs : kOurs;
            const bool untracked = !m_history[kOurs]->tracked || !m_history[kTheirs]->tracked;
            // Against the file as last read or written: held as it was then
            // by one side, lacked by the other, it was removed there.
            info.textFrom = info.placeFrom = present;
            info.parent = info.parentOn[present];
            info.kept = !(untracked && m_lastKnown != nullptr ? AsLastKnown(*info.on[present])
                                                              : RemovedBy(absent, *info.on[present]) ||
                                                                    LetGoBeside(uid, *info.on[present], absent));
            return;
        }
        // A version of it that a removal saw is gone: where the other side
        // edited it apart from that removal, the other's version alone
        // stays, text and place; where both were removed, nothing.
        const bool gone[2] = {RemovalSaw(*ours), RemovalSaw(*theirs)};
        if (gone[kOurs] && gone[kTheirs]) {
            // Removed, unless it is a group that keeps a child: then as it
            // was last, whichever text and place are newer, or sort later.
            const int text = Newer(ours->textVersion, theirs->textVersion);
            info.textFrom = text == kTheirs || (text < 0 && VersionBefore(ours->textVersion, theirs->textVersion)) ? kTheirs : kOurs;
            info.placeFrom = PlaceFrom(info);
            info.parent = info.parentOn[info.placeFrom == kBoth ? kOurs : info.placeFrom];
            return;
        }
        if (gone[kOurs] || gone[kTheirs]) {
            const Side present = gone[kOurs] ? kTheirs : kOurs;
            info.kept = !LetGoBeside(uid, *info.on[present], present == kOurs ? kTheirs : kOurs);
            info.alone = true;
            info.textFrom = info.placeFrom = present;
            info.parent = info.parentOn[present];
            return;
        }
        info.kept = true;
        const int text = m_tracked ? Newer(ours->textVersion, theirs->textVersion) : -1;
        if (m_tracked && (info.firstValue != 0 || (text < 0 && !SameText(*ours, *theirs)))) {
            ChooseText(uid);
        } else if (SameText(*ours, *theirs)) {
            info.textFrom = kOurs;
        } else if (text == kOurs || text == kTheirs) {
            info.textFrom = text;
        } else if (!m_tracked && m_lastKnown != nullptr && (AsLastKnown(*ours) || AsLastKnown(*theirs))) {
            // The side that holds the text as it was last read or written
            // left it alone: the other's is the change, an edit of its own.
            info.textFrom = AsLastKnown(*theirs) ? kOurs : kTheirs;
            info.taken = HashBytes(info.on[info.textFrom]->text, HashNumber(uid, HashBytes("taken")));
            m_taken.push_back(info.taken);
        } else {
            // Changed apart (or by a side whose changes cannot be told): the
            // text that sorts first keeps the entry, whichever side is whose.
            info.conflict = true;
            info.textFrom = TextBefore(*ours, *theirs) ? kOurs : kTheirs;
            MakeBeside(uid, *info.on[1 - info.textFrom]);
        }
        Info& same = At(uid);
        same.placeFrom = PlaceFrom(same);
        same.parent = same.parentOn[same.placeFrom == kBoth ? kOurs : same.placeFrom];
    }

    // The texts of an entry both sides hold, with the texts an earlier merge
    // kept beside it: each stays that no other's version holds, and that no
    // side without it had met kept beside and let go (removed, or edited
    // into an entry of its own). The one that sorts first keeps the entry,
    // each other follows it as an entry of its own, whichever side is whose
    // and in whichever order the versions met.
    void ChooseText(EntryUid uid)
    {
        struct Text {
            const SnapshotEntry* entry;
            Version version;
            bool on[2];
            EntryUid beside;  // the entry that keeps it beside, made earlier
        };
        std::vector<Text> texts;
        auto add = [&](Side side, const SnapshotEntry& entry, Version version, EntryUid beside) {
            for (Text& text : texts) {
                if (SameText(*text.entry, entry)) {
                    Join(text.version, version);
                    text.on[side] = true;
                    text.beside = text.beside != 0 ? text.beside : beside;
                    return;
                }
            }
            texts.push_back({&entry, std::move(version), {side == kOurs, side == kTheirs}, beside});
        };
        Info& info = At(uid);
        for (Side side : {kOurs, kTheirs})
            add(side, *info.on[side], info.on[side]->textVersion, 0);
        std::vector<EntryUid> before;
        for (EntryUid value = info.firstValue; value != 0; value = At(value).nextValue) {
            for (Side side : {kOurs, kTheirs})
                if (const SnapshotEntry* entry = At(value).on[side])
                    add(side, *entry, Without(entry->textVersion, value), value);
            before.push_back(value);
        }
        // A text typed over it, here or in an entry kept beside this one that
        // a side without it removed since.
        auto replaced = [&](const Text& text) {
            bool typedOver = std::any_of(texts.begin(), texts.end(), [&](const Text& other) {
                return Holds(other.version, text.version) && !Holds(text.version, other.version);
            });
            ForRemovedAfter(uid, [&](Side side, const Removal& removal) {
                if (!text.on[side] && CountOf(removal.version, removal.uid) != 0) {
                    const Version typed = Without(removal.version, removal.uid);
                    typedOver = typedOver || (Holds(typed, text.version) && !Holds(text.version, typed));
                }
            });
            return typedOver;
        };
        auto letGo = [&](const Text& text) {
            if (RemovedWith(uid, text.version))
                return true;
            for (Side side : {kOurs, kTheirs})
                if (!text.on[side] && LetGoBeside(uid, *text.entry, text.version, side))
                    return true;
            return false;
        };
        // Where each side let go of the other's, those stay all the same.
        std::vector<const Text*> kept;
        for (int pass = 0; pass < 2 && kept.empty(); ++pass)
            for (const Text& text : texts)
                if (!replaced(text) && (pass == 1 || !letGo(text)))
                    kept.push_back(&text);
        // Mostly two, seldom a few more: put in order one by one.
        for (size_t i = 1; i < kept.size(); ++i)
            for (size_t k = i; k > 0 && TextBefore(*kept[k]->entry, *kept[k - 1]->entry); --k)
                std::swap(kept[k], kept[k - 1]);
        info.valueText = kept[0]->entry;
        info.valueVersion = KeepVersion(kept[0]->version);
        EntryUid* link = &info.firstValue;
        for (size_t i = 1; i < kept.size(); ++i) {
            EntryUid beside = kept[i]->beside != 0 ? kept[i]->beside : BesideUid(uid, *kept[i]->entry);
            while (m_infos.Contains(beside) && At(beside).valueOf != uid)
                beside = HashNumber(beside, uid);
            m_keptApart += kept[i]->beside == 0 ? 1 : 0;
            Info& made = At(beside);
            made.isBeside = made.kept = true;
            made.on[kOurs] = made.on[kTheirs] = kept[i]->entry;
            made.valueOf = uid;
            made.valueVersion = KeepVersion(kept[i]->version);
            *link = beside;
            link = &made.nextValue;
        }
        *link = 0;
        for (EntryUid value : before)
            if (!At(value).isBeside)
                LetGo(value);
    }

    // Whether the text `kept` shows was typed over this version of a text
    // kept beside it. An entry folded into it (its removal tells where: after
    // it) joined its adding to the text's version, which edits nothing of
    // the text: that machine's part of it does not count.
    bool TypedOver(EntryUid uid, const SnapshotEntry& kept, const Version& value)
    {
        Version typed = kept.textVersion;
        ForRemovedAfter(uid, [&](Side, const Removal& removal) {
            for (const VersionDot& dot : removal.version)
                if (CountOf(typed, dot.machine) == dot.count)
                    typed = Without(typed, dot.machine);
        });
        return Holds(typed, value) && !Holds(value, typed);
    }

    // Calls `visit(side, removal)` for the removals either side names of
    // entries put after `uid` (a text kept beside it, an entry folded into
    // it), in no order. They are indexed when first needed: from each entry
    // a list through the places of the removals in both sides' lists, ours
    // first.
    template <class Visit>
    void ForRemovedAfter(EntryUid uid, Visit visit)
    {
        const std::vector<Removal>& ours = m_history[kOurs]->removed;
        const std::vector<Removal>& theirs = m_history[kTheirs]->removed;
        auto at = [&](std::uint32_t i) -> const Removal& { return i < ours.size() ? ours[i] : theirs[i - ours.size()]; };
        if (m_nextRemovedAfter.empty()) {
            m_nextRemovedAfter.assign(ours.size() + theirs.size() + 1, 0);
            for (std::uint32_t i = 0; i + 1 < m_nextRemovedAfter.size(); ++i) {
                const Removal& removal = at(i);
                if (!removal.placed || removal.after == 0)
                    continue;
                const auto made = m_firstRemovedAfter.Insert(removal.after, i + 1);
                if (!made.second) {
                    m_nextRemovedAfter[i] = *made.first;
                    *made.first = i + 1;
                }
            }
        }
        const std::uint32_t* first = m_firstRemovedAfter.Find(uid);
        for (std::uint32_t i = first != nullptr ? *first : 0; i != 0; i = m_nextRemovedAfter[i - 1])
            visit(i - 1 < ours.size() ? kOurs : kTheirs, at(i - 1));
    }

    // Whether `side` let go of the entry an earlier merge made to keep this
    // text beside `uid`, after this version of it: removed it, or edited it
    // into an entry of its own. The user removed or typed over the text,
    // wherever it is now.
    bool LetGoBeside(EntryUid uid, const SnapshotEntry& text, const Version& version, Side side) const
    {
        const EntryUid made = BesideUid(uid, text);
        const Version* removed = m_removedBy[side].Find(made);
        const Info* edited = m_infos.Find(made);
        return (removed != nullptr && CountOf(*removed, made) != 0 && Holds(*removed, version)) ||
               (edited != nullptr && edited->on[side] != nullptr && !edited->valueOn[side] &&
                Holds(edited->on[side]->textVersion, version));
    }
    // The same for the text an entry shows, unless it was moved since.
    bool LetGoBeside(EntryUid uid, const SnapshotEntry& entry, Side side) const
    {
        return LetGoBeside(uid, entry, Joined(entry.textVersion, entry.placeVersion), side);
    }

    // An entry that kept a text beside another, gone with that text: it is
    // remembered where it was, so that what was put after it stays there.
    // The removal names the version of the text alone, not the entry's
    // own: it is no removal of the entry, which a merge that meets the text
    // again decides anew.
    void LetGo(EntryUid value)
    {
        Info& info = At(value);
        info.kept = false;
        Removal removal{value, {}, 0, true};
        for (const SnapshotEntry* entry : info.on) {
            if (entry != nullptr) {
                Join(removal.version, Without(Joined(entry->textVersion, entry->placeVersion), value));
                removal.after = entry->after;
            }
        }
        m_folded.push_back(removal);
        NoteWhereRemoved(removal);
    }

    // An entry that keeps a text beside `uid` on one side, where the other
    // side holds `uid` with that text and this side removed `uid`: the
    // removal went to the entry, not to the text, which stays in this one.
    bool KeepsTextOfRemoved(EntryUid uid, EntryUid value)
    {
        Info& info = At(value);
        const Info& of = At(uid);
        const Side present = info.on[kOurs] != nullptr ? kOurs : kTheirs;
        const Side absent = present == kOurs ? kTheirs : kOurs;
        const SnapshotEntry* removed = of.on[absent];
        if (of.kept || info.on[absent] != nullptr || of.on[present] != nullptr || removed == nullptr ||
            !SameText(*removed, *info.on[present]) || !Holds(info.on[present]->textVersion, removed->textVersion))
            return false;
        info.kept = true;
        info.textFrom = info.placeFrom = present;
        info.parent = info.parentOn[present];
        return true;
    }

    std::uint32_t KeepVersion(const Version& version)
    {
        m_valueVersions.push_back(version);
        return static_cast<std::uint32_t>(m_valueVersions.size());
    }
    const Version& KeptVersion(const Info& info) const { return m_valueVersions[info.valueVersion - 1]; }

    // An entry as a side holds it: ours where both do.
    static const SnapshotEntry& Held(const Info& info) { return *info.on[info.on[kOurs] != nullptr ? kOurs : kTheirs]; }

    // The version of the text an entry made by an earlier merge keeps beside another.
    static Version ValueVersion(const Info& beside)
    {
        const SnapshotEntry& entry = Held(beside);
        return Without(entry.textVersion, entry.uid);
    }

    // Whether a removal of `uid` either side names saw a text of this
    // version, and where the entry is now: moved since, it kept its texts.
    bool RemovedWith(EntryUid uid, const Version& text)
    {
        const Info& info = At(uid);
        for (const UidTable<Version>& removals : m_removedBy) {
            const Version* removed = removals.Find(uid);
            if (removed != nullptr && Holds(*removed, text) &&
                (info.on[kOurs] == nullptr || Holds(*removed, info.on[kOurs]->placeVersion)) &&
                (info.on[kTheirs] == nullptr || Holds(*removed, info.on[kTheirs]->placeVersion)))
                return true;
        }
        return false;
    }

    // Whose place an entry both sides hold takes: the newer, or kBoth where
    // both place it alike; places changed apart go by the order of versions,
    // so that which side is which changes nothing.
    static int PlaceFrom(const Info& info)
    {
        const Version& ours = info.on[kOurs]->placeVersion;
        const Version& theirs = info.on[kTheirs]->placeVersion;
        const int place = Newer(ours, theirs);
        if (place == kBoth && info.parentOn[kOurs] == info.parentOn[kTheirs])
            return kBoth;
        if (place == kOurs || place == kTheirs)
            return place;
        if (place == kBoth)
            return info.parentOn[kOurs] < info.parentOn[kTheirs] ? kOurs : kTheirs;
        // Moved apart: the later version in the order of versions.
        return VersionBefore(ours, theirs) ? kTheirs : kOurs;
    }

    bool AsLastKnown(const SnapshotEntry& entry) const
    {
        const std::uint64_t* texts = m_lastKnown != nullptr ? m_lastKnown->Find(entry.uid) : nullptr;
        return texts != nullptr && *texts == TextsHash(entry.text, entry.unicode);
    }

    // The second text of an entry that differs on two sides whose versions
    // tell nothing (ChooseText keeps the texts of the others), as an entry
    // of its own after it, with an identity that every machine derives
    // alike. It carries an edit of a machine of that identity, so that it is no
    // removal to a side that never saw it; a merge that meets the same two
    // texts again (a version from before, arriving late) knows it made it
    // by that edit, and makes it no second time.
    void MakeBeside(EntryUid uid, const SnapshotEntry& other)
    {
        std::uint64_t hash = BesideUid(uid, other);
        for (;; hash = HashNumber(hash, uid)) {
            if (hash == 0)
                continue;
            if (CountOf(m_history[kOurs]->seen, hash) != 0 || CountOf(m_history[kTheirs]->seen, hash) != 0) {
                At(uid).madeBefore = hash;
                return;
            }
            if (!m_infos.Contains(hash))
                break;
        }
        Info beside;
        beside.isBeside = true;
        beside.kept = true;
        beside.on[kOurs] = beside.on[kTheirs] = &other;
        m_infos.At(hash) = beside;
        At(uid).beside = hash;
        m_besides.push_back(hash);
    }

    // A group that keeps a child stays, though removed on one side. True
    // when the group is itself a child now.
    bool KeepGroupOf(EntryUid uid)
    {
        const Info& info = At(uid);
        if (!info.kept || info.parent == 0)
            return false;
        Info& group = At(info.parent);
        if (!group.kept) {
            // Where the child is alike on both sides, so is the group: it
            // keeps the place it was removed from.
            group.kept = true;
            if (info.placeFrom != kBoth)
                group.placeFrom = info.placeFrom;
            group.parent = 0;
        }
        return group.parent != 0;
    }

    // A group stays on the top level, where the side that put the child in
    // it has it, wherever a move elsewhere put it.
    void LiftGroupOf(EntryUid uid)
    {
        const Info& info = At(uid);
        if (info.parent == 0)
            return;
        Info& group = At(info.parent);
        if (group.parent == 0)
            return;
        group.placeFrom = info.placeFrom == kBoth ? kOurs : info.placeFrom;
        group.parent = 0;
    }

    // The entries of `parent` in order. Each follows the entry it was put
    // after, as the side whose place it takes has it (where that entry went,
    // where it was put in turn); entries put after the same one follow it the
    // last put first, as where they were put, and before those never put
    // anywhere, each of which follows the nearest such entry before it. So an
    // entry's place depends on the entries alone, not on which side held
    // what: machines that met the same entries in other orders order them
    // alike.
    std::vector<EntryUid> Order(EntryUid parent)
    {
        std::vector<EntryUid> lists[2];
        UidTable<EntryUid> anchorOn[2];
        UidSet isMember;
        // The removed entries that what was put after them still follows.
        UidSet hidden;
        for (Side side : {kOurs, kTheirs}) {
            const std::vector<SnapshotEntry>* list = m_sides[side];
            // A side without the group holds its children in the group folded into it.
            EntryUid from = parent;
            if (parent != 0) {
                if (At(parent).on[side] == nullptr && At(parent).foldedFrom != 0)
                    from = At(parent).foldedFrom;
                const Info& group = At(from);
                list = group.on[side] != nullptr && group.parentOn[side] == 0 ? &group.on[side]->children : nullptr;
            }
            if (list == nullptr)
                continue;
            EntryUid lastUnanchored = 0;
            for (const SnapshotEntry& entry : *list) {
                const EntryUid uid = SideUid(side, entry.uid);
                anchorOn[side].Insert(uid, entry.anchored ? SideUid(side, entry.after) : lastUnanchored);
                if (!entry.anchored)
                    lastUnanchored = uid;
                const Info& info = At(uid);
                if (info.kept && !info.isBeside && info.parent == parent && info.parentOn[side] == from &&
                    (info.placeFrom == side || info.placeFrom == kBoth)) {
                    lists[side].push_back(uid);
                    isMember.Insert(uid, 1);
                }
            }
        }
        std::vector<EntryUid> members = lists[kOurs];
        for (EntryUid uid : lists[kTheirs])
            if (At(uid).placeFrom != kBoth)
                members.push_back(uid);
        // Where each entry follows: the nearest entry it was put after, or put
        // after in turn, that is here (a removed one where it was); else the
        // list's start.
        auto resolve = [&](EntryUid uid, Side side) {
            EntryUid anchor = *anchorOn[side].Find(uid);
            for (size_t steps = 0; steps <= members.size() + m_whereRemoved.Size() + 1; ++steps) {
                if (anchor == 0 || (anchor != uid && isMember.Contains(anchor)))
                    return anchor;
                const EntryUid* next = anchorOn[side].Find(anchor);
                if (next == nullptr)
                    next = anchorOn[1 - side].Find(anchor);
                if (next == nullptr)
                    next = m_whereRemoved.Find(anchor);
                if (next == nullptr)
                    break;
                anchor = *next;
            }
            return EntryUid{0};
        };
        // Whether following the anchors from `uid` on either side reaches `anchor`.
        auto follows = [&](EntryUid uid, EntryUid anchor) {
            for (size_t steps = 0; uid != 0 && steps <= members.size() + m_whereRemoved.Size() + 1; ++steps) {
                const EntryUid* next = anchorOn[kOurs].Find(uid);
                if (next == nullptr)
                    next = anchorOn[kTheirs].Find(uid);
                if (next == nullptr)
                    next = m_whereRemoved.Find(uid);
                if (next == nullptr)
                    return false;
                if (*next == anchor)
                    return true;
                uid = *next;
            }
            return false;
        };
        // Every list is made before any is walked: a list is not moved while
        // it is walked.
        std::vector<std::vector<EntryUid>> followers(1);  // the first: those put first
        UidTable<std::uint32_t> followersOf(2 * members.size());
        auto listAfter = [&](EntryUid anchor) -> std::vector<EntryUid>& {
            if (anchor == 0)
                return followers[0];
            const auto made = followersOf.Insert(anchor, static_cast<std::uint32_t>(followers.size()));
            if (made.second)
                followers.emplace_back();
            return followers[*made.first];
        };
        std::vector<EntryUid> besides;
        for (EntryUid uid : members) {
            listAfter(uid);
            for (EntryUid beside : BesidesOf(At(uid), besides)) {
                listAfter(beside);
                isMember.Insert(beside, 1);
            }
        }
        for (EntryUid uid : members) {
            Info& info = At(uid);
            Side from = info.placeFrom == kTheirs ? kTheirs : kOurs;
            EntryUid anchor = resolve(uid, from);
            if (info.placeFrom == kBoth) {
                // Put alike, then one side moved what it followed away: the
                // side that has that entry where it is now tells; else the
                // nearer, or the one that compares first.
                const EntryUid other = resolve(uid, kTheirs);
                auto current = [&](EntryUid followed, Side side) {
                    return followed == 0 || At(followed).placeFrom == side || At(followed).placeFrom == kBoth;
                };
                const bool oursCurrent = current(anchor, kOurs), theirsCurrent = current(other, kTheirs);
                if (other != anchor && (oursCurrent == theirsCurrent
                                            ? follows(other, anchor) || (!follows(anchor, other) && other < anchor)
                                            : theirsCurrent)) {
                    anchor = other;
                    from = kTheirs;
                }
            }
            // The entry keeps the one it was put after, though that one went:
            // where it was is remembered, and a version that still holds it
            // may come.
            info.after = *anchorOn[from].Find(uid);
            if (info.placeFrom == kBoth) {
                // Both sides lead to the same: the one that names it, else
                // the one that compares first, whichever side is whose.
                const EntryUid ours = *anchorOn[kOurs].Find(uid), theirs = *anchorOn[kTheirs].Find(uid);
                if (ours != theirs && resolve(uid, kOurs) == resolve(uid, kTheirs))
                    info.after = ours == anchor ? ours : theirs == anchor ? theirs : std::min(ours, theirs);
            }
            // Under the entry it was put after, where that one is here or was
            // here: a removed entry keeps its place among its siblings,
            // unseen, so that what was put after it stays there.
            EntryUid under = info.after;
            if (under != 0 && under != anchor && !isMember.Contains(under)) {
                for (EntryUid removed = under; removed != 0 && removed != anchor && !isMember.Contains(removed) &&
                                               hidden.Insert(removed, 1).second;) {
                    const EntryUid* next = anchorOn[from].Find(removed);
                    if (next == nullptr)
                        next = anchorOn[1 - from].Find(removed);
                    if (next == nullptr)
                        next = m_whereRemoved.Find(removed);
                    const EntryUid before = next != nullptr ? *next : anchor;
                    listAfter(before).push_back(removed);
                    removed = before;
                }
            } else {
                under = anchor;
            }
            listAfter(under).push_back(uid);
            for (EntryUid beside : BesidesOf(info, besides)) {
                At(beside).after = uid;
                listAfter(uid).push_back(beside);
            }
        }
        std::vector<EntryUid> order;
        order.reserve(members.size());
        // Depth first from the list's start, without recursion: a list can
        // be one long chain.
        std::vector<std::pair<const std::vector<EntryUid>*, size_t>> stack;
        auto enter = [&](EntryUid anchor) {
            std::vector<EntryUid>* next = &listAfter(anchor);
            // An entry folded into another is where its removal tells: after
            // that one, unseen, and what was put after it follows it there,
            // as in every merge after this one, until an edit brings it back.
            for (const auto& [gone, stays] : FoldSameAdditions(*next, parent == 0)) {
                next->erase(std::find(next->begin(), next->end(), gone));
                hidden.Insert(gone, 1);
                listAfter(stays).push_back(gone);  // made before the walk, as every member's
            }
            // Mostly one entry, seldom a few: put in order one by one.
            for (size_t i = 1; i < next->size(); ++i)
                for (size_t k = i; k > 0 && PutBefore((*next)[k], (*next)[k - 1]); --k)
                    std::swap((*next)[k], (*next)[k - 1]);
            stack.push_back({next, 0});
        };
        UidSet placed(members.size());
        auto walk = [&] {
            while (!stack.empty()) {
                auto& [list, index] = stack.back();
                if (index == list->size()) {
                    stack.pop_back();
                    continue;
                }
                const EntryUid uid = (*list)[index++];
                if (hidden.Contains(uid)) {
                    if (placed.Insert(uid, 1).second)
                        enter(uid);
                    continue;
                }
                if (!At(uid).kept || !placed.Insert(uid, 1).second)
                    continue;
                order.push_back(uid);
                enter(uid);
            }
        };
        enter(0);
        walk();
        // Entries put after each other in a circle (each side put one after
        // the other): from the one whose identity compares first.
        std::vector<EntryUid> rest;
        for (EntryUid uid : members)
            if (At(uid).kept && !placed.Contains(uid))
                rest.push_back(uid);
        std::sort(rest.begin(), rest.end());
        for (EntryUid uid : rest) {
            if (!placed.Insert(uid, 1).second)
                continue;
            At(uid).after = order.empty() ? 0 : order.back();
            order.push_back(uid);
            enter(uid);
            walk();
        }
        return order;
    }

    // The entries that keep a text of `info`'s entry beside it, in `besides`.
    const std::vector<EntryUid>& BesidesOf(const Info& info, std::vector<EntryUid>& besides)
    {
        besides.clear();
        if (info.beside != 0)
            besides.push_back(info.beside);
        for (EntryUid value = info.valueText != nullptr ? info.firstValue : 0; value != 0; value = At(value).nextValue)
            besides.push_back(value);
        return besides;
    }

    // Which of two entries put after the same one comes first: the last
    // put, those never put anywhere after all others.
    bool PutBefore(EntryUid x, EntryUid y)
    {
        Version va, vb;
        const bool anchoredA = PlaceOf(x, va), anchoredB = PlaceOf(y, vb);
        if (anchoredA != anchoredB)
            return anchoredA;
        if (va != vb)
            return VersionBefore(vb, va);
        return x < y;
    }

    // The version of where an entry was put, and whether it was put anywhere
    // (not so an entry of a snapshot that tells none); of a removed one, the
    // version removed, which every merge that knows of the removal knows.
    bool PlaceOf(EntryUid uid, Version& place)
    {
        const Info* info = m_infos.Find(uid);
        for (const UidTable<Version>& removed : m_removedBy)
            if (const Version* version = removed.Find(uid); version != nullptr && (info == nullptr || !info->kept))
                Join(place, *version);
        if (!place.empty())
            return true;
        if (info != nullptr && info->isBeside) {
            place = info->valueVersion == 0 ? Version{{uid, 1}} : KeptVersion(*info);
            return true;
        }
        const SnapshotEntry* entry = info == nullptr ? nullptr : info->on[info->placeFrom == kTheirs ? kTheirs : kOurs];
        if (entry == nullptr && info != nullptr)
            entry = info->on[info->on[kOurs] != nullptr ? kOurs : kTheirs];
        if (entry != nullptr) {
            place = entry->placeVersion;
            return entry->anchored;
        }
        return true;
    }

    // The entry of `uid` on `side`, where an earlier fold made it another.
    EntryUid SideUid(Side side, EntryUid uid) const
    {
        const EntryUid* rejoined = m_rejoined[side].Size() != 0 ? m_rejoined[side].Find(uid) : nullptr;
        return rejoined != nullptr ? *rejoined : uid;
    }

    // The same text added on both sides after the same entry is one entry:
    // the identity that compares first stays, the other counts as removed.
    // On the top level, a group so takes the other's children. An entry kept
    // for a text of it that a removal never saw was no adding: it shows that
    // text, not the one its side holds.
    std::vector<std::pair<EntryUid, EntryUid>> FoldSameAdditions(const std::vector<EntryUid>& siblings, bool top)
    {
        std::vector<std::pair<EntryUid, EntryUid>> folded;
        std::vector<EntryUid> added[2];
        for (EntryUid uid : siblings) {
            const Info& info = At(uid);
            if (!info.isBeside && info.kept && info.valueText == nullptr &&
                (info.on[kOurs] == nullptr || info.on[kTheirs] == nullptr) && (top || !HasKeptChildren(uid)))
                added[info.on[kOurs] != nullptr ? kOurs : kTheirs].push_back(uid);
        }
        if (added[kOurs].empty() && added[kTheirs].empty())
            return folded;
        // A removed entry that what was put after it still follows, on one
        // side alone, and the same text added apart on the other, whose
        // identity compares first: had the two met before the removal, the
        // one would have been folded into the other, and the removal, which
        // never saw the other's adding, would have left it. So it is here:
        // the other holds its edits, and it waits after the other, unseen.
        for (EntryUid uid : siblings) {
            const Info& info = At(uid);
            if (info.kept || info.isBeside || info.valueOf != 0 ||
                (info.on[kOurs] == nullptr) == (info.on[kTheirs] == nullptr))
                continue;
            const Side side = info.on[kOurs] != nullptr ? kOurs : kTheirs;
            const SnapshotEntry& entry = *info.on[side];
            for (auto other = added[1 - side].begin(); other != added[1 - side].end() && entry.children.empty(); ++other) {
                Info& into = At(*other);
                const SnapshotEntry& same = *into.on[1 - side];
                if (*other < uid && into.foldedIn == nullptr && into.firstValue == 0 && SameText(entry, same) &&
                    !OneMachineLater(Joined(same.textVersion, same.placeVersion), Joined(entry.textVersion, entry.placeVersion))) {
                    into.foldedIn = &entry;
                    folded.push_back({uid, *other});
                    added[1 - side].erase(other);
                    break;
                }
            }
        }
        if (added[kOurs].empty() || added[kTheirs].empty())
            return folded;
        std::vector<bool> paired(added[kTheirs].size(), false);
        for (EntryUid one : added[kOurs]) {
            for (size_t k = 0; k < added[kTheirs].size(); ++k) {
                const EntryUid other = added[kTheirs][k];
                if (paired[k] || !SameText(*At(one).on[kOurs], *At(other).on[kTheirs]))
                    continue;
                paired[k] = true;
                const EntryUid gone = std::max(one, other), stays = std::min(one, other);
                Info& info = At(gone);
                info.kept = false;
                const SnapshotEntry& entry = *info.on[gone == one ? kOurs : kTheirs];
                m_folded.push_back({gone, Joined(entry.textVersion, entry.placeVersion), stays, true});
                NoteWhereRemoved(m_folded.back());
                At(stays).foldedIn = &entry;
                FoldChildren(gone, stays, entry);
                folded.push_back({gone, stays});
                break;
            }
        }
        return folded;
    }

    // The children of a group folded into another go with it. A version of
    // the folded group arriving late holds them at the same place version
    // under the other parent: the parent that compares first, the one that
    // stays, takes them there too.
    void FoldChildren(EntryUid gone, EntryUid stays, const SnapshotEntry& group)
    {
        for (const SnapshotEntry& child : group.children) {
            Info& info = At(child.uid);
            if (info.kept && info.parent == gone) {
                info.parent = stays;
                At(stays).foldedFrom = gone;
            }
        }
    }

    bool HasKeptChildren(EntryUid uid)
    {
        for (Side side : {kOurs, kTheirs}) {
            const SnapshotEntry* entry = At(uid).on[side];
            if (entry == nullptr)
                continue;
            for (const SnapshotEntry& child : entry->children) {
                const Info& info = At(child.uid);
                if (info.kept && info.parent == uid)
                    return true;
            }
        }
        return false;
    }

    SnapshotEntry Made(EntryUid uid)
    {
        const Info& info = At(uid);
        SnapshotEntry entry;
        entry.uid = uid;
        entry.after = info.after;
        if (info.isBeside) {
            entry.text = info.on[kOurs]->text;
            entry.unicode = info.on[kOurs]->unicode;
            entry.textVersion = Version{{uid, 1}};
            entry.placeVersion = entry.textVersion;
            if (info.valueVersion != 0) {
                entry.placeVersion = KeptVersion(info);
                Join(entry.textVersion, entry.placeVersion);
            }
            entry.anchored = true;
            return entry;
        }
        // Put alike on both sides, where one side read it from a file
        // without places: where it was put is known all the same.
        entry.anchored = std::any_of(std::begin(info.on), std::end(info.on), [&](const SnapshotEntry* side) {
            return side != nullptr && side->anchored && (info.placeFrom == kBoth || side == info.on[info.placeFrom]);
        });
        if (!entry.anchored)
            entry.after = 0;
        const SnapshotEntry& text = info.valueText != nullptr ? *info.valueText : *info.on[info.textFrom];
        entry.text = text.text;
        entry.unicode = text.unicode;
        const SnapshotEntry* ours = info.on[kOurs];
        const SnapshotEntry* theirs = info.on[kTheirs];
        if (ours != nullptr && theirs != nullptr && !info.alone) {
            entry.textVersion = Joined(ours->textVersion, theirs->textVersion);
            if (info.conflict) {
                // The text's own version, so that an edit made on it later
                // replaces it; for texts of one version, or of a side whose
                // versions tell nothing, an edit of the merge's own.
                entry.textVersion = text.textVersion;
                if (!m_tracked || ours->textVersion == theirs->textVersion)
                    SetCount(entry.textVersion, info.beside != 0 ? info.beside : info.madeBefore, 1);
            }
            entry.placeVersion = Joined(ours->placeVersion, theirs->placeVersion);
        } else {
            // A text chosen among the entry's texts takes no place with it.
            entry.textVersion = text.textVersion;
            entry.placeVersion = info.valueText != nullptr ? info.on[info.placeFrom == kTheirs ? kTheirs : kOurs]->placeVersion
                                                           : text.placeVersion;
        }
        if (info.valueText != nullptr)
            entry.textVersion = KeptVersion(info);
        if (info.taken != 0)
            SetCount(entry.textVersion, info.taken, 1);
        // One entry for the same text added on both: its text holds the
        // adding of both, so that a removal that saw only one of them leaves
        // it. Its place stays its own: where a text typed over it later went
        // beside, a removal that saw that text and that place takes it.
        if (info.foldedIn != nullptr)
            Join(entry.textVersion, Joined(info.foldedIn->textVersion, info.foldedIn->placeVersion));

        return entry;
    }

    // The removals either side names and the entries folded here, each
    // entry once with every version of it removed, in an order that depends
    // on nothing but them, so that merges that met them in other orders
    // agree: the removals of versions `seen` tells least of (the fewest
    // edits) first, those of entries without a version, which only this
    // list tells, last; the first go where there are too many.
    std::vector<Removal> Removed()
    {
        UidTable<Version> versions(m_removedBy[kOurs].Size() + m_removedBy[kTheirs].Size() + m_folded.size());
        std::vector<Removal> removed;
        auto add = [&](const Removal& removal) {
            const auto made = versions.Insert(removal.uid, removal.version);
            if (made.second)
                removed.push_back({removal.uid, {}});
            else
                Join(*made.first, removal.version);
        };
        for (Side side : {kOurs, kTheirs})
            for (const Removal& removal : m_history[side]->removed)
                add(removal);
        for (const Removal& removal : m_folded)
            add(removal);
        std::vector<std::pair<std::uint64_t, size_t>> keys(removed.size());
        for (size_t i = 0; i < removed.size(); ++i) {
            removed[i].version = *versions.Find(removed[i].uid);
            if (const EntryUid* after = m_whereRemoved.Find(removed[i].uid)) {
                removed[i].after = *after;
                removed[i].placed = true;
            }
            std::uint64_t edits = 0;
            for (const VersionDot& dot : removed[i].version)
                edits += dot.count;
            keys[i] = {removed[i].version.empty() ? ~std::uint64_t{0} : edits, i};
        }
        std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first : removed[a.second].uid < removed[b.second].uid;
        });
        const size_t drop = removed.size() > EntryHistory::kMostRemovals ? removed.size() - EntryHistory::kMostRemovals : 0;
        std::vector<Removal> ordered;
        ordered.reserve(removed.size() - drop);
        for (size_t i = drop; i < keys.size(); ++i)
            ordered.push_back(std::move(removed[keys[i].second]));
        return ordered;
    }

    const EntrySnapshot* m_sides[2];
    const EntryHistory* m_history[2];
    EntrySnapshot m_copies[2];
    InfoTable m_infos;
    // The removals each side names, by identity.
    UidTable<Version> m_removedBy[2];
    bool m_tracked;
    const LastKnownTexts* m_lastKnown;
    // The edits texts taken from a side without history count as.
    std::vector<EntryUid> m_taken;
    // The identities of the entries made for a second text, of sides whose
    // versions tell nothing.
    std::vector<EntryUid> m_besides;
    // The entries made for a text changed apart, of sides that tell versions.
    size_t m_keptApart = 0;
    // The versions of the texts chosen among an entry's texts.
    std::vector<Version> m_valueVersions;
    // Entries folded into another.
    std::vector<Removal> m_folded;
    // Each side's entries without children by the hash of their texts, made
    // when first needed.
    UidTable<std::vector<const SnapshotEntry*>> m_byText[2];
    bool m_byTextMade[2] = {false, false};
    std::vector<const SnapshotEntry*> m_removedHere[2];
    bool m_removedHereMade[2] = {false, false};
    // The entries of each side that are another's, folded into it earlier.
    UidTable<EntryUid> m_rejoined[2];
    // Where each removed entry was, as the removals tell it.
    UidTable<EntryUid> m_whereRemoved;
    // The removals of entries put after each entry, made when first needed:
    // from 1, the place of the first such removal in both sides' lists, and
    // after each place, the next.
    UidTable<std::uint32_t> m_firstRemovedAfter;
    std::vector<std::uint32_t> m_nextRemovedAfter;

};

// Everything of a version as numbers, to order versions alike everywhere.
std::vector<std::uint64_t> FlatUids(const VersionedEntries& versioned)
{
    std::vector<std::uint64_t> all;
    auto add = [&](EntryUid uid, const std::vector<const Version*>& versions) {
        all.push_back(uid);
        for (const Version* version : versions) {
            for (const VersionDot& dot : *version) {
                all.push_back(dot.machine);
                all.push_back(dot.count);
            }
            all.push_back(0);
        }
    };
    for (const Removal& removal : versioned.history.removed) {
        add(removal.uid, {&removal.version});
        all.push_back(removal.placed ? removal.after : ~std::uint64_t{0});
    }
    all.push_back(0);
    auto addEntry = [&](const SnapshotEntry& entry) {
        add(entry.uid, {&entry.textVersion, &entry.placeVersion});
        all.push_back(TextsHash(entry.text, entry.unicode));
        all.push_back(entry.anchored ? entry.after : ~std::uint64_t{0});
    };
    for (const SnapshotEntry& top : versioned.entries) {
        addEntry(top);
        for (const SnapshotEntry& child : top.children)
            addEntry(child);
        all.push_back(0);  // where a group ends
    }
    return all;
}

bool OrderBefore(const VersionedEntries& one, const VersionedEntries& other)
{
    return FlatUids(one) < FlatUids(other);
}

}  // namespace

MergeOutcome MergeVersions(const VersionedEntries& ours, const VersionedEntries& theirs, const LastKnownTexts* lastKnown)
{
    // Every change is an edit counted in the history (a removal too): a
    // side that has seen every edit of the other's is its descendant, and
    // the merge is that side as it is. So machines that have met every
    // version end with one order, though merges of other pairs on the way
    // placed entries made apart each their own way.
    if (ours.history.tracked && theirs.history.tracked) {
        const bool oursHolds = Holds(ours.history.seen, theirs.history.seen);
        const bool theirsHolds = Holds(theirs.history.seen, ours.history.seen);
        // Both have seen the same edits, met in other pairs: the one whose
        // order of identities comes first, alike on every machine.
        const bool oursFirst = oursHolds && (!theirsHolds || !OrderBefore(theirs, ours));
        if (oursHolds || theirsHolds)
            return {oursFirst ? ours.entries : theirs.entries, oursFirst ? ours.history : theirs.history, 0};
    }
    return Merge(ours, theirs, lastKnown).Run();
}
