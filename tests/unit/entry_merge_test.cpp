// Merging two versions of the entries without the one both started from:
// the result is what a merge against that one gives, whichever side is
// which, and machines that meet each other's versions late, in any order,
// all end with the same entries.
#include "storage/EntryMerge.h"
#include "storage/EntryFile.h"
#include "entries/EntryTree.h"
#include "entries/LongestIncreasing.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace {

// An entry's identity by its name in the cases: names compare as their
// identities do.
EntryUid UidOf(const std::string& name)
{
    EntryUid uid = 0;
    for (size_t i = 0; i < 8; ++i)
        uid = uid << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0);
    return uid;
}

// "a b=B g[c d=D]": entries by name, "name=text" for a text other than the
// name, a group's children in brackets.
EntrySnapshot Parse(const std::string& shape)
{
    EntrySnapshot snapshot;
    std::vector<SnapshotEntry>* list = &snapshot;
    std::string word;
    auto finish = [&] {
        if (word.empty())
            return;
        const size_t equals = word.find('=');
        SnapshotEntry entry;
        entry.uid = UidOf(word.substr(0, equals));
        entry.text = equals == std::string::npos ? word : word.substr(equals + 1);
        list->push_back(entry);
        word.clear();
    };
    for (char c : shape) {
        if (c == ' ' || c == '[' || c == ']')
            finish();
        if (c == '[')
            list = &snapshot.back().children;
        else if (c == ']')
            list = &snapshot;
        else if (c != ' ')
            word += c;
    }
    finish();
    return snapshot;
}

// The texts so: "a g[c d]".
std::string Texts(const EntrySnapshot& snapshot)
{
    std::string shape;
    for (const SnapshotEntry& top : snapshot) {
        shape.append(shape.empty() ? "" : " ").append(top.text);
        for (size_t k = 0; k < top.children.size(); ++k)
            shape.append(k == 0 ? "[" : " ").append(top.children[k].text);
        shape.append(top.children.empty() ? "" : "]");
    }
    return shape;
}

// Everything a merge gives, identities and versions included.
std::string Everything(const VersionedEntries& outcome)
{
    std::string all;
    auto version = [&](const Version& v) {
        for (const VersionDot& dot : v)
            all += std::to_string(dot.machine) + ":" + std::to_string(dot.count) + ",";
    };
    for (const SnapshotEntry& top : outcome.entries) {
        for (const SnapshotEntry* entry = &top; entry != nullptr;) {
            all += std::to_string(entry->uid) + "=" + entry->text + (entry->anchored ? "@" + std::to_string(entry->after) : "") + "(";
            version(entry->textVersion);
            all += "|";
            version(entry->placeVersion);
            all += ") ";
            entry = entry == &top && !top.children.empty() ? &top.children[0]
                  : entry != &top && entry != &top.children.back() ? entry + 1 : nullptr;
        }
    }
    version(outcome.history.seen);
    for (const Removal& removal : outcome.history.removed) {
        all += " -" + std::to_string(removal.uid) + (removal.placed ? "@" + std::to_string(removal.after) : "") + "(";
        version(removal.version);
        all += ")";
    }
    return all;
}

std::string Everything(const MergeOutcome& outcome)
{
    return Everything(VersionedEntries{outcome.merged, outcome.history});
}

// What a machine holds after merging `b` into `a`.
VersionedEntries Merged(const VersionedEntries& a, const VersionedEntries& b)
{
    MergeOutcome outcome = MergeVersions(a, b);
    return {std::move(outcome.merged), std::move(outcome.history)};
}

const MachineId kBaseMachine = 1;

// `side` as a machine makes it from `base` (each of whose entries one
// machine made): its changed texts and places, and its new entries, are
// edits of `machine`.
// The nearest entry before base's `at` that stayed in its place or was
// removed, 0 for none.
EntryUid BaseAnchor(const std::vector<SnapshotEntry>& base, size_t at, const std::set<EntryUid>& stayed,
                    const std::set<EntryUid>& inSide)
{
    while (at-- > 0)
        if (stayed.count(base[at].uid) != 0 || inSide.count(base[at].uid) == 0)
            return base[at].uid;
    return 0;
}

VersionedEntries Versioned(const EntrySnapshot& base, const EntrySnapshot& side, MachineId machine)
{
    std::map<EntryUid, std::pair<EntryUid, const SnapshotEntry*>> inBase;  // parent, entry
    std::map<EntryUid, size_t> basePlace;
    for (size_t i = 0; i < base.size(); ++i) {
        inBase[base[i].uid] = {0, &base[i]};
        basePlace[base[i].uid] = i;
        for (size_t k = 0; k < base[i].children.size(); ++k) {
            inBase[base[i].children[k].uid] = {base[i].uid, &base[i].children[k]};
            basePlace[base[i].children[k].uid] = k;
        }
    }
    const Version made{{kBaseMachine, 1}}, changed{{kBaseMachine, 1}, {machine, 1}};
    VersionedEntries versioned{side, {changed, {}, true}};
    std::set<EntryUid> inSide;
    for (const SnapshotEntry& top : side) {
        inSide.insert(top.uid);
        for (const SnapshotEntry& child : top.children)
            inSide.insert(child.uid);
    }
    // Entries that stay under their group in base's order, as many as can.
    auto mark = [&](std::vector<SnapshotEntry>& list, EntryUid parent) {
        std::vector<size_t> places, indexes;
        for (size_t i = 0; i < list.size(); ++i) {
            const auto found = inBase.find(list[i].uid);
            if (found != inBase.end() && found->second.first == parent) {
                places.push_back(basePlace[list[i].uid]);
                indexes.push_back(i);
            }
        }
        std::set<size_t> stay;
        for (size_t at : LongestIncreasing(places))
            stay.insert(indexes[at]);
        std::set<EntryUid> stayed;
        for (size_t i : stay)
            stayed.insert(list[i].uid);
        static const std::vector<SnapshotEntry> none;
        const std::vector<SnapshotEntry>* baseList = parent == 0 ? &base : &none;
        for (const SnapshotEntry& top : base)
            if (top.uid == parent)
                baseList = &top.children;
        for (size_t i = 0; i < list.size(); ++i) {
            const auto found = inBase.find(list[i].uid);
            const bool known = found != inBase.end();
            list[i].textVersion = known && found->second.second->text == list[i].text ? made : changed;
            list[i].placeVersion = stay.count(i) != 0 ? made : changed;
            if (!known)
                list[i].textVersion = list[i].placeVersion = Version{{machine, 1}};
            // Put where it is; one that stayed, after the nearest entry
            // before it in base that stayed too or was removed, as moves
            // and removals leave it.
            list[i].anchored = true;
            list[i].after = i == 0 ? 0 : list[i - 1].uid;
            if (stay.count(i) != 0)
                list[i].after = BaseAnchor(*baseList, basePlace[list[i].uid], stayed, inSide);
        }
        // The removed, with where they were.
        for (size_t b = 0; b < baseList->size(); ++b)
            if (inSide.count((*baseList)[b].uid) == 0 && (parent == 0 || inSide.count(parent) != 0))
                versioned.history.removed.push_back({(*baseList)[b].uid, made, BaseAnchor(*baseList, b, stayed, inSide), true});
    };
    mark(versioned.entries, 0);
    for (SnapshotEntry& top : versioned.entries)
        mark(top.children, top.uid);
    return versioned;
}

TEST(EntryMerge, TwoVersionsMergeAsAgainstTheVersionBothStartedFrom)
{
    struct Case {
        const char* base;
        const char* ours;
        const char* theirs;
        const char* merged;
        size_t keptBoth;
    };
    const Case cases[] = {
        {"a b", "a b", "a b", "a b", 0},
        {"a b", "a x b", "a b", "a x b", 0},
        {"a b", "a b", "x a b y", "x a b y", 0},
        // Added apart after the same entry: one order, the later edit first.
        {"a b", "a x b", "a y b", "a y x b", 0},
        {"a b c", "a c", "a b x c", "a x c", 0},
        {"a b c", "a c", "a b c", "a c", 0},
        {"a b c", "a b=B c", "a c", "a B c", 0},
        {"a b", "a=A b", "a b", "A b", 0},
        {"a b", "a=A b", "a=A b", "A b", 0},
        {"a b", "a=B b", "a=A b", "A B b", 1},
        {"a b", "a=A b", "a b=B", "A B", 0},
        {"a b", "", "a b", "", 0},
        {"", "a", "b", "b a", 0},
        {"", "x=one", "x=two", "one two", 1},
        {"g[c d]", "g[c d e]", "g[c=C d]", "g[C d e]", 0},
        {"g[c d]", "g[c d x]", "", "g[x]", 0},
        {"g[c d]", "g[c=C d]", "", "g[C]", 0},
        {"g[c d]", "g[c d]", "", "", 0},
        {"g[c d]", "g=G[c d]", "g[d]", "G[d]", 0},
        {"g[c] h", "g=G[c] h", "g=H[c] h", "G[c] H h", 1},
        {"g[c d]", "g[c=X d]", "g[c=Y d]", "g[X Y d]", 1},
        {"a g[c]", "a g[c] x", "a h[z] g[c]", "a h[z] g[c] x", 0},
        // Moves keep their place and their children; a text typed under a
        // moved group stays in it.
        {"g[c d]", "g[d c]", "g[c d]", "g[d c]", 0},
        {"a b c", "b c a", "a b c", "b c a", 0},
        {"a g[c]", "g[c a]", "a g[c]", "g[c a]", 0},
        {"g[c] h", "h g[c]", "g[c x] h", "h g[c x]", 0},
        {"g[c d] h", "g[d] h[c]", "g[c=C d] h", "g[d] h[C]", 0},
        {"a i", "i[a]", "a=A i", "i[A]", 0},
        {"a i", "i[a]", "a[i]", "i[a]", 0},
        {"g h", "g[h]", "h[g]", "h[g]", 0},
        // A group moved into one that went into a third apart: the one that
        // holds a child of its own goes to the top, the other keeps its move.
        {"a b m", "b[a] m", "a[x] m[b]", "a[x] m[b]", 0},
        // The same text added at the same place on both is one entry.
        {"a b", "a x=t b", "a y=t b", "a t b", 0},
        {"a b", "a x=t b", "a b y=t", "a t b t", 0},
        // Groups too, with the children of both, the same text among them once.
        {"a b", "a x=t[c] b", "a y=t[d] b", "a t[d c] b", 0},
        {"a b", "a x=t[c=u e] b", "a y=t[d=u] b", "a t[u e] b", 0},
        // Both renamed one entry of a group while one added at the top.
        {"g[a b c d e f h i]", "g[a=A1 b c d e f h i] x", "g[a=A2 b c d e f h i]", "g[A1 A2 b c d e f h i] x", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + " | " + c.ours + " | " + c.theirs);
        const EntrySnapshot base = Parse(c.base);
        const VersionedEntries ours = Versioned(base, Parse(c.ours), 2), theirs = Versioned(base, Parse(c.theirs), 3);
        const MergeOutcome outcome = MergeVersions(ours, theirs);
        EXPECT_EQ(Texts(outcome.merged), c.merged);
        EXPECT_EQ(outcome.keptBoth, c.keptBoth);
        EXPECT_EQ(Everything(MergeVersions(theirs, ours)), Everything(outcome)) << "whichever side is whose";
        // The result holds both: taking either in again changes nothing.
        const VersionedEntries result{outcome.merged, outcome.history};
        EXPECT_EQ(Everything(MergeVersions(result, ours)), Everything(outcome));
        EXPECT_EQ(Everything(MergeVersions(theirs, result)), Everything(outcome));
        // Nor does either, arriving late with an edit of its own since.
        for (VersionedEntries late : {ours, theirs}) {
            const MachineId machine = late.history.seen.back().machine;
            SnapshotEntry added;
            added.uid = UidOf("late");
            added.text = "late";
            added.textVersion = added.placeVersion = Version{{machine, 2}};
            late.entries.push_back(added);
            SetCount(late.history.seen, machine, 2);
            EntrySnapshot merged = MergeVersions(result, late).merged;
            const auto at = std::find_if(merged.begin(), merged.end(), [](const SnapshotEntry& e) { return e.text == "late"; });
            EXPECT_TRUE(at != merged.end());
            if (at != merged.end())
                merged.erase(at);
            EXPECT_EQ(Texts(merged), Texts(outcome.merged)) << "a late version";
        }
    }
}

// Entries added and removed apart on three machines take one order,
// whichever merges met them first: every grouping and order of the three
// versions ends alike, and each side's own order of what stays stays.
TEST(EntryMerge, AdditionsApartTakeOneOrderWhicheverMergesMetThem)
{
    std::mt19937 random(7);
    const EntrySnapshot base = Parse("a b c d");
    for (int round = 0; round < 300; ++round) {
        VersionedEntries sides[3];
        for (size_t s = 0; s < 3; ++s) {
            EntrySnapshot side = base;
            if (random() % 3 == 0)
                side.erase(side.begin() + static_cast<std::ptrdiff_t>(random() % side.size()));
            for (size_t n = random() % 4; n-- > 0;) {
                const std::string name = "n" + std::to_string(s) + std::to_string(n);
                side.insert(side.begin() + static_cast<std::ptrdiff_t>(random() % (side.size() + 1)), Parse(name)[0]);
            }
            sides[s] = Versioned(base, side, 2 + s);
            // Each added by an edit of its own, the first added first.
            for (SnapshotEntry& entry : sides[s].entries)
                if (entry.text[0] == 'n')
                    entry.textVersion = entry.placeVersion = {{2 + s, 100 - static_cast<std::uint64_t>(entry.text[2] - '0')}};
            SetCount(sides[s].history.seen, 2 + s, 100);
        }
        const std::string all = Texts(Merged(Merged(sides[0], sides[1]), sides[2]).entries);
        for (const auto& [a, b, c] : {std::make_tuple(0, 1, 2), std::make_tuple(1, 2, 0), std::make_tuple(2, 0, 1)}) {
            EXPECT_EQ(Texts(Merged(Merged(sides[a], sides[b]), sides[c]).entries), all) << round;
            EXPECT_EQ(Texts(Merged(sides[c], Merged(sides[b], sides[a])).entries), all) << round;
        }
        const EntrySnapshot merged = Parse(all);
        for (const VersionedEntries& side : sides) {
            std::string kept, own;
            for (const SnapshotEntry& entry : side.entries)
                if (std::any_of(merged.begin(), merged.end(), [&](const SnapshotEntry& m) { return m.text == entry.text; }))
                    own += entry.text + " ";
            for (const SnapshotEntry& entry : merged)
                if (std::any_of(side.entries.begin(), side.entries.end(), [&](const SnapshotEntry& e) { return e.text == entry.text; }))
                    kept += entry.text + " ";
            EXPECT_EQ(kept, own) << round;
        }
    }
}

// The same text added apart on two machines, folded into one entry by a
// third: a version of the folded entry edited since, met later, is still
// that one entry, and the one it was folded into goes only with both.
TEST(EntryMerge, ATextFoldedIntoTheSameTextStaysOneWhateverCameAfter)
{
    auto entry = [](const char* name, Version text, Version place) {
        SnapshotEntry made;
        made.uid = UidOf(name);
        made.text = name[0] == 'x' ? "x" : "t";
        made.textVersion = std::move(text);
        made.placeVersion = std::move(place);
        return made;
    };
    auto ts = [](const MergeOutcome& outcome) {
        const std::string texts = Texts(outcome.merged);
        return std::count(texts.begin(), texts.end(), 't');
    };
    const SnapshotEntry x = entry("x", {}, {});
    const VersionedEntries added{{x, entry("u", {{2, 1}}, {{2, 1}})}, {{{2, 1}}, {}, true}};
    const VersionedEntries addedToo{{x, entry("v", {{3, 1}}, {{3, 1}})}, {{{3, 1}}, {}, true}};
    const VersionedEntries moved{{entry("v", {{3, 1}}, {{3, 2}}), x}, {{{3, 2}}, {}, true}};
    const VersionedEntries removed{{x}, {{{2, 2}}, {{UidOf("u"), {{2, 1}}}}, true}};
    const MergeOutcome folded = MergeVersions(added, addedToo);
    ASSERT_EQ(Texts(folded.merged), "x t");
    const VersionedEntries foldedThere{folded.merged, folded.history};
    for (const VersionedEntries* late : {&moved, &removed}) {
        const MergeOutcome outcome = MergeVersions(foldedThere, *late);
        EXPECT_EQ(ts(outcome), 1) << Texts(outcome.merged);
        EXPECT_EQ(Everything(MergeVersions(*late, foldedThere)), Everything(outcome));
        const VersionedEntries other = late == &moved ? removed : moved;
        const MergeOutcome all = MergeVersions({outcome.merged, outcome.history}, other);
        EXPECT_EQ(ts(all), 1) << Texts(all.merged);
    }
    // Renamed where only the one adding was met, then removed there: the
    // other adding's text stays, beside or alone.
    SnapshotEntry typedOver = entry("u", {{2, 1}, {4, 1}}, {{2, 1}});
    typedOver.text = "r";
    const VersionedEntries renamed{{x, typedOver}, {{{2, 1}, {4, 1}}, {}, true}};
    const VersionedEntries renamedThenRemoved{{x}, {{{2, 1}, {4, 2}}, {{UidOf("u"), {{2, 1}, {4, 1}}}}, true}};
    const MergeOutcome both = MergeVersions(foldedThere, renamed);
    EXPECT_EQ(Texts(MergeVersions({both.merged, both.history}, renamedThenRemoved).merged), "x t");
    EXPECT_EQ(Texts(MergeVersions(foldedThere, renamedThenRemoved).merged), "x t");
    // Removed where it was added, on a machine that held the other apart
    // (elsewhere), while the fold's machine went on: the other's adding stays.
    const VersionedEntries apart{{entry("v", {{3, 1}}, {{3, 1}}), x}, {{{2, 2}, {3, 1}}, {{UidOf("u"), {{2, 1}}}}, true}};
    VersionedEntries foldedLater = foldedThere;
    SetCount(foldedLater.history.seen, 5, 1);
    const MergeOutcome kept = MergeVersions(apart, foldedLater);
    EXPECT_EQ(ts(kept), 1) << Texts(kept.merged);
    EXPECT_EQ(Everything(MergeVersions(foldedLater, apart)), Everything(kept));
    // The same text added elsewhere and moved by a machine that had met the
    // adding was never folded: the entry removed where only its adding was
    // met, and moved since, stays beside it.
    const VersionedEntries removedHere{{entry("v", {{3, 1}}, {{2, 2}, {3, 1}}), x},
                                       {{{2, 2}, {3, 2}}, {{UidOf("u"), {{2, 1}}}}, true}};
    const VersionedEntries movedHere{{x, entry("u", {{2, 1}}, {{2, 1}, {4, 1}})}, {{{2, 1}, {4, 1}}, {}, true}};
    EXPECT_EQ(ts(MergeVersions(removedHere, movedHere)), 2);
    // Two entries of one text made one after the other on one machine were
    // never added apart: the first, removed there and moved elsewhere in the
    // meantime, stays beside the second rather than vanishing into it.
    const VersionedEntries movedFirst{{entry("v", {{3, 2}}, {{3, 2}}), entry("u", {{3, 1}}, {{3, 1}, {4, 1}})},
                                      {{{3, 2}, {4, 1}}, {}, true}};
    const VersionedEntries removedFirst{{entry("v", {{3, 2}}, {{3, 2}})}, {{{3, 3}}, {{UidOf("u"), {{3, 1}}}}, true}};
    const MergeOutcome sequence = MergeVersions(movedFirst, removedFirst);
    EXPECT_EQ(ts(sequence), 2) << Texts(sequence.merged);
    EXPECT_EQ(Everything(MergeVersions(removedFirst, movedFirst)), Everything(sequence));
    // What was put after the folded entry is where it would be had the
    // versions met in another order: after the folded entry, hidden after
    // the other, so that it follows it again once a rename brings it back;
    // after the other where a removal of the folded entry came first.
    auto put = [](SnapshotEntry made, const char* after) {
        made.anchored = true;
        made.after = UidOf(after);
        return made;
    };
    SnapshotEntry follower = put(Parse("f")[0], "v");
    follower.textVersion = follower.placeVersion = {{3, 2}};
    SnapshotEntry renamedV = put(entry("v", {{3, 3}}, {{3, 1}}), "x");
    renamedV.text = "r";
    const VersionedEntries first{{put(x, ""), put(entry("u", {{2, 1}}, {{2, 1}}), "x")}, {{{2, 1}}, {}, true}};
    const VersionedEntries second{{put(x, ""), put(entry("v", {{3, 1}}, {{3, 1}}), "x"), follower}, {{{3, 2}}, {}, true}};
    const VersionedEntries secondRenamed{{put(x, ""), renamedV, follower}, {{{3, 3}}, {}, true}};
    const VersionedEntries secondRemoved{{put(x, "")}, {{{3, 1}, {4, 1}}, {{UidOf("v"), {{3, 1}}, UidOf("x"), true}}, true}};
    const VersionedEntries foldFirst = Merged(first, second);
    ASSERT_EQ(Texts(foldFirst.entries), "x t f");
    EXPECT_EQ(Texts(Merged(foldFirst, secondRenamed).entries), Texts(Merged(first, secondRenamed).entries));
    EXPECT_EQ(Texts(Merged(foldFirst, secondRemoved).entries), Texts(Merged(Merged(first, secondRemoved), second).entries));
}

// Two versions that saw the same edits yet differ (merges of other pairs on
// the way made them) give one of them, the same whichever is whose: however
// they differ, in a text or in what a removal saw.
TEST(EntryMerge, VersionsThatSawTheSameEditsMergeAlikeEitherWay)
{
    const Version seen{{2, 1}, {3, 1}};
    const VersionedEntries one{Parse("a b"), {seen, {{UidOf("c"), {{2, 1}}}}, true}};
    VersionedEntries removedOther = one, renamed = one;
    removedOther.history.removed[0].version = seen;
    renamed.entries[1].text = "B";
    for (const VersionedEntries* other : {&removedOther, &renamed}) {
        const std::string merged = Everything(MergeVersions(one, *other));
        EXPECT_EQ(Everything(MergeVersions(*other, one)), merged);
        EXPECT_TRUE(merged == Everything(one) || merged == Everything(*other));
    }
    // Entries that neither side moved, in two orders that merges of other
    // pairs gave them (one side has seen an edit the other has not): groups
    // too, removed on both sides and kept for a child edited apart.
    VersionedEntries groups{Parse("i[x] h[y]"), {seen, {{UidOf("i"), {}}, {UidOf("h"), {}}}, true}};
    groups.entries[0].children[0].textVersion = {{3, 1}};
    for (VersionedEntries ordered : {VersionedEntries{Parse("a b"), {seen, {}, true}}, groups}) {
        VersionedEntries swapped = ordered;
        std::swap(swapped.entries[0], swapped.entries[1]);
        SetCount(ordered.history.seen, 4, 1);
        SetCount(swapped.history.seen, 5, 1);
        EXPECT_EQ(Everything(MergeVersions(swapped, ordered)), Everything(MergeVersions(ordered, swapped)));
    }
}

// An entry moved into another group on each of three machines apart ends in
// one of them, the same whichever two versions a machine met first: the
// place chosen between two moves orders among a third as the one chosen,
// though it carries the edits of both.
TEST(EntryMerge, MovesMadeApartOnThreeMachinesEndAlikeInEveryOrderOfMerging)
{
    std::mt19937 random(20261209);
    const char* groups[] = {"g", "h", "k"};
    for (int trial = 0; trial < 200; ++trial) {
        // Each machine has seen some of the others' edits, never their move.
        std::uint64_t own[3];
        for (std::uint64_t& count : own)
            count = 1 + random() % 9;
        VersionedEntries sides[3];
        for (int m = 0; m < 3; ++m) {
            Version& seen = sides[m].history.seen;
            for (int o = 0; o < 3; ++o)
                if (const std::uint64_t count = o == m ? own[o] : random() % own[o])
                    SetCount(seen, 101 + static_cast<MachineId>(o), count);
            sides[m].entries = Parse("g h k");
            SnapshotEntry moved = Parse("x")[0];
            moved.placeVersion = seen;
            for (SnapshotEntry& group : sides[m].entries)
                if (group.text == groups[m])
                    group.children.push_back(moved);
        }
        const std::string first = Texts(Merged(Merged(sides[0], sides[1]), sides[2]).entries);
        int order[] = {0, 1, 2};
        do {
            const VersionedEntries &a = sides[order[0]], &b = sides[order[1]], &c = sides[order[2]];
            EXPECT_EQ(Texts(Merged(Merged(a, b), c).entries), first) << "trial " << trial;
            EXPECT_EQ(Texts(Merged(a, Merged(b, c)).entries), first) << "trial " << trial;
        } while (std::next_permutation(order, order + 3));
    }
}

// Three machines rename one entry, each having seen at most one other's
// version: the texts that no rename made after seeing them replaced stay,
// each once, in one order, whichever two versions met first.
TEST(EntryMerge, TextsChangedApartOnThreeMachinesEndAlikeInEveryOrderOfMerging)
{
    std::mt19937 random(20261210);
    for (int trial = 0; trial < 300; ++trial) {
        const std::uint64_t own[3] = {1 + random() % 5, 1 + random() % 5, 1 + random() % 5};
        VersionedEntries sides[3];
        int sawRename[3] = {-1, -1, -1};
        for (int m = 0; m < 3; ++m) {
            Version& seen = sides[m].history.seen;
            SetCount(seen, 101 + static_cast<MachineId>(m), own[m]);
            if (m > 0 && random() % 3 != 0) {
                sawRename[m] = static_cast<int>(random() % static_cast<unsigned>(m));
                Join(seen, sides[sawRename[m]].history.seen);
            }
            sides[m].history.tracked = true;
            sides[m].entries = Parse("a x b");
            SnapshotEntry& renamed = sides[m].entries[1];
            renamed.text = "t" + std::to_string(m);
            renamed.textVersion = seen;
            for (SnapshotEntry& entry : sides[m].entries) {
                entry.anchored = true;
                entry.after = &entry == &sides[m].entries[0] ? 0 : (&entry)[-1].uid;
            }
        }
        std::set<std::string> expected;
        for (int m = 0; m < 3; ++m)
            if (std::find(std::begin(sawRename), std::end(sawRename), m) == std::end(sawRename))
                expected.insert("t" + std::to_string(m));
        const EntrySnapshot first = Merged(Merged(sides[0], sides[1]), sides[2]).entries;
        std::set<std::string> texts;
        for (const SnapshotEntry& entry : first)
            texts.insert(entry.text);
        texts.erase("a");
        texts.erase("b");
        EXPECT_EQ(texts, expected) << "trial " << trial << ": " << Texts(first);
        EXPECT_EQ(first.size(), expected.size() + 2) << "trial " << trial << ": " << Texts(first);
        int order[] = {0, 1, 2};
        do {
            const VersionedEntries &a = sides[order[0]], &b = sides[order[1]], &c = sides[order[2]];
            EXPECT_EQ(Texts(Merged(Merged(a, b), c).entries), Texts(first)) << "trial " << trial;
            EXPECT_EQ(Texts(Merged(a, Merged(b, c)).entries), Texts(first)) << "trial " << trial;
        } while (std::next_permutation(order, order + 3));
    }
}

// Two machines renamed x apart; a third merged both (x keeps "p", "q" is
// kept beside it) and then its user, or the machine that typed "q", did
// something: what they did stands, and the versions from before, arriving
// late, bring nothing back.
TEST(EntryMerge, ATextKeptBesideItsEntryIsOneOfItsTexts)
{
    const EntrySnapshot base = Parse("a x b");
    const VersionedEntries typedP = Versioned(base, Parse("a x=p b"), 2), typedQ = Versioned(base, Parse("a x=q b"), 3);
    MergeOutcome both = MergeVersions(typedP, typedQ);
    ASSERT_EQ(Texts(both.merged), "a p q b");
    auto edit = [](VersionedEntries version, MachineId machine, const std::string& text, const std::string& to) {
        SetCount(version.history.seen, machine, CountOf(version.history.seen, machine) + 1);
        for (auto at = version.entries.begin(); at != version.entries.end(); ++at) {
            if (at->text != text)
                continue;
            if (to.empty()) {
                version.history.removed.push_back({at->uid, Joined(at->textVersion, at->placeVersion), at->after, true});
                version.entries.erase(at);
            } else {
                at->text = to;
                SetCount(at->textVersion, machine, CountOf(version.history.seen, machine));
            }
            break;
        }
        return version;
    };
    const VersionedEntries merged{both.merged, both.history};
    // Removed where only its own text was met: the text kept beside it,
    // which the removal never saw, is the entry's, as where the removal
    // met the rename itself.
    const VersionedEntries removedP = edit(typedP, 2, "p", "");
    EXPECT_EQ(Everything(VersionedEntries{MergeVersions(removedP, merged).merged, {}}),
              Everything(VersionedEntries{MergeVersions(removedP, typedQ).merged, {}}));
    // The removed entry's text typed again there, as an entry of its own:
    // that is no adding of the entry kept for the other text.
    VersionedEntries retyped = removedP;
    SetCount(retyped.history.seen, 2, CountOf(retyped.history.seen, 2) + 1);
    SnapshotEntry again = Parse("w=p")[0];
    again.after = UidOf("a");
    again.anchored = true;
    again.textVersion = again.placeVersion = {{2, CountOf(retyped.history.seen, 2)}};
    retyped.entries.insert(retyped.entries.begin() + 1, again);
    EXPECT_EQ(Texts(Merged(retyped, merged).entries), "a p q b");
    // And the text kept beside it removed where both were met: nothing of
    // the entry stays, whichever removal was met first.
    const VersionedEntries removedQ = edit(merged, 4, "q", "");
    EXPECT_EQ(Texts(Merged(Merged(removedP, merged), removedQ).entries), "a b");
    EXPECT_EQ(Texts(Merged(removedQ, Merged(merged, removedP)).entries), "a b");
    // Or that text typed over there, as an entry of its own: the new text stays alone.
    const VersionedEntries renamedQ = edit(merged, 4, "q", "s");
    EXPECT_EQ(Texts(Merged(Merged(removedP, merged), renamedQ).entries), "a s b");
    // The entry removed where the text beside it was kept, and that text
    // typed over where it was typed: the new text replaces it.
    const VersionedEntries removedX = edit(merged, 4, "p", ""), typedT = edit(typedQ, 3, "q", "t");
    EXPECT_EQ(Texts(Merged(removedX, typedT).entries), "a t b");
    // Typed over where it was typed, and the new text removed where it was
    // kept beside: a version with the old text, met late, does not bring it
    // back.
    const VersionedEntries removedR = edit(Merged(typedP, edit(typedQ, 3, "q", "r")), 4, "r", "");
    const VersionedEntries stale = edit(merged, 5, "a", "A");
    EXPECT_EQ(Texts(Merged(removedR, stale).entries), "A p b");
    struct Case {
        const char* what;
        VersionedEntries edited;
        const char* expected;
    };
    const Case cases[] = {
        {"the text kept beside removed", edit(merged, 4, "q", ""), "a p b"},
        {"the text kept beside renamed: an entry of its own", edit(merged, 4, "q", "s"), "a p s b"},
        {"the entry renamed: the text beside it was not its text", edit(merged, 4, "p", "r"), "a r q b"},
        {"the entry removed: the text beside it stays", edit(merged, 4, "p", ""), "a q b"},
        {"renamed again where it was typed", edit(typedQ, 3, "q", "t"), "a p t b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MergeOutcome outcome = MergeVersions(c.edited, merged);
        EXPECT_EQ(Texts(outcome.merged), c.expected);
        const VersionedEntries result{outcome.merged, outcome.history};
        for (const VersionedEntries* late : {&typedP, &typedQ}) {
            const MergeOutcome again = MergeVersions(result, *late);
            EXPECT_EQ(Texts(again.merged), c.expected) << "a version from before, late";
            EXPECT_EQ(Everything(MergeVersions(*late, result)), Everything(again)) << "whichever side is whose";
        }
    }
}

// A file written by an earlier version has no history: nothing typed on
// either side is lost, and what both hold alike stays one.
TEST(EntryMerge, AFileWithoutHistoryLosesNothingTyped)
{
    const struct {
        const char* ours;
        const char* file;
        const char* merged;
    } cases[] = {
        {"a b", "a b", "a b"},
        {"a b", "a=A b", "A a b"},
        {"a b", "a", "a b"},
        {"a", "a x", "a x"},
        {"g[c]", "g[c d]", "g[c d]"},
    };
    for (const auto& c : cases) {
        const VersionedEntries ours = Versioned(Parse(c.ours), Parse(c.ours), 2);
        VersionedEntries file{Parse(c.file), {}};
        file.history.tracked = false;
        EXPECT_EQ(Texts(MergeVersions(ours, file).merged), c.merged) << c.ours << " | " << c.file;
        EXPECT_EQ(Everything(MergeVersions(file, ours)), Everything(MergeVersions(ours, file)));
    }
}

// One step of the simulation, as the merge's judge sees it: an edit of an
// entry (its making, its text, its place) or its removal, with the edits
// its machine had seen when it made it.
struct Event {
    enum Kind { Made, Text, Place, Removed } kind;
    EntryUid uid;
    VersionDot dot;  // machine 0: an entry every machine started with
    Version past;
    std::string text;
    EntryUid parent;
    EntryUid of = 0;  // made by a merge: the entry whose text it keeps beside
};

std::string Dump(const std::vector<const Event*>& events)
{
    std::string all;
    for (const Event* e : events) {
        all += "\n  " + std::to_string(e->kind) + " " + e->text + " dot " + std::to_string(e->dot.machine) + ":" +
               std::to_string(e->dot.count) + " parent " + std::to_string(e->parent) + " past ";
        for (const VersionDot& d : e->past)
            all += std::to_string(d.machine) + ":" + std::to_string(d.count) + ",";
    }
    return all;
}

bool Saw(const Version& past, const VersionDot& dot)
{
    return dot.machine == 0 || CountOf(past, dot.machine) >= dot.count;
}

// One machine: its entries, edited as the dialog edits them, counting each
// edit as EntryTree does.
class Machine {
public:
    // Without `moves`, edited as the dialog edits: entries are added,
    // renamed and removed, never moved.
    Machine(MachineId id, VersionedEntries start, std::vector<Event>& log, std::mt19937& random, bool moves)
        : m_id(id), m_state(std::move(start)), m_log(log), m_random(random), m_moves(moves)
    {
    }

    VersionedEntries& State() { return m_state; }

    void Edit()
    {
        EntrySnapshot& entries = m_state.entries;
        const size_t what = Pick(8);
        if (what <= 1 || entries.empty()) {
            // Now and then, at the end, a text another machine may add there too.
            const bool same = Pick(4) == 0;
            const bool child = !same && what == 1 && !entries.empty() && Pick(2) == 0;
            std::vector<SnapshotEntry>& list = child ? Group().children : entries;
            SnapshotEntry entry;
            entry.uid = m_random() | (std::uint64_t{1} << 63);
            entry.text = same ? "same-" + std::to_string(Pick(2)) : "m" + std::to_string(m_id) + "-" + std::to_string(++m_typed);
            entry.textVersion = entry.placeVersion = Version{{m_id, Next()}};
            Log(Event::Made, entry, child ? ParentOf(list) : 0);
            PutAt(list, same ? 0 : Pick(list.size() + 1), std::move(entry));
            return;
        }
        SnapshotEntry& group = Group();
        const bool child = !group.children.empty() && Pick(2) == 0;
        std::vector<SnapshotEntry>& list = child ? group.children : entries;
        const size_t at = child ? Pick(list.size()) : static_cast<size_t>(&group - &entries[0]);
        SnapshotEntry& entry = list[at];
        if (what <= 3) {
            entry.text = "m" + std::to_string(m_id) + "-" + std::to_string(++m_typed);
            SetCount(entry.textVersion, m_id, Next());
            Log(Event::Text, entry, 0);
        } else if (what <= 5) {
            const Version seen = m_state.history.seen;
            for (const SnapshotEntry* gone = &entry; gone != nullptr;) {
                m_state.history.removed.push_back({gone->uid, Joined(gone->textVersion, gone->placeVersion), WhereIs(*gone), true});
                m_log.push_back({Event::Removed, gone->uid, {m_id, 0}, seen, "", 0});
                gone = gone == &entry && !entry.children.empty() ? &entry.children[0]
                     : gone != &entry && gone != &entry.children.back() ? gone + 1 : nullptr;
            }
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
            Next();
        } else if (m_moves) {
            Move(list, at, child ? group.uid : 0);
        } else {
            entry.text = "m" + std::to_string(m_id) + "-" + std::to_string(++m_typed);
            SetCount(entry.textVersion, m_id, Next());
            Log(Event::Text, entry, 0);
        }
    }

private:
    size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(m_random); }
    SnapshotEntry& Group() { return m_state.entries[Pick(m_state.entries.size())]; }
    EntryUid ParentOf(const std::vector<SnapshotEntry>& list)
    {
        for (const SnapshotEntry& top : m_state.entries)
            if (&top.children == &list)
                return top.uid;
        return 0;
    }
    std::uint64_t Next()
    {
        const std::uint64_t count = CountOf(m_state.history.seen, m_id) + 1;
        SetCount(m_state.history.seen, m_id, count);
        return count;
    }
    void Log(Event::Kind kind, const SnapshotEntry& entry, EntryUid parent)
    {
        Version past = m_state.history.seen;
        const VersionDot dot{m_id, CountOf(past, m_id)};
        past.erase(std::remove_if(past.begin(), past.end(), [&](const VersionDot& d) { return d.machine == m_id; }), past.end());
        if (dot.count > 1)
            SetCount(past, m_id, dot.count - 1);
        m_log.push_back({kind, entry.uid, dot, past, entry.text, parent});
    }

    // Within its list, a child to another group or the top level, or an
    // entry without children into a group.
    void Move(std::vector<SnapshotEntry>& list, size_t at, EntryUid parent)
    {
        SnapshotEntry entry = list[at];
        // What was put after it stays where it is.
        const EntryUid was = WhereIs(entry);
        for (SnapshotEntry& sibling : list)
            if (sibling.anchored && sibling.after == entry.uid)
                sibling.after = was;
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
        EntrySnapshot& entries = m_state.entries;
        std::vector<SnapshotEntry>* to = &list;
        EntryUid toParent = parent;
        const size_t where = Pick(3);
        if (where == 1 && (parent != 0 || entry.children.empty()) && !entries.empty()) {
            SnapshotEntry& group = Group();
            if (group.uid != entry.uid) {
                to = &group.children;
                toParent = group.uid;
            }
        } else if (where == 2 && parent != 0) {
            to = &entries;
            toParent = 0;
        }
        SetCount(entry.placeVersion, m_id, Next());
        Log(Event::Place, entry, toParent);
        PutAt(*to, Pick(to->size() + 1), std::move(entry));
    }

    // As the tree puts an entry: after the one before it.
    static void PutAt(std::vector<SnapshotEntry>& list, size_t at, SnapshotEntry entry)
    {
        entry.anchored = true;
        entry.after = at == 0 ? 0 : list[at - 1].uid;
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }

    // Where an entry is put, as the tree tells a removal.
    EntryUid WhereIs(const SnapshotEntry& entry) const
    {
        if (entry.anchored)
            return entry.after;
        for (const SnapshotEntry& top : m_state.entries)
            for (const std::vector<SnapshotEntry>* list : {&m_state.entries, &top.children}) {
                EntryUid before = 0;
                for (const SnapshotEntry& sibling : *list) {
                    if (&sibling == &entry)
                        return before;
                    if (!sibling.anchored)
                        before = sibling.uid;
                }
            }
        return 0;
    }

    MachineId m_id;
    VersionedEntries m_state;
    std::vector<Event>& m_log;
    std::mt19937& m_random;
    bool m_moves;
    int m_typed = 0;
};

// What a merge makes, through the file: written by the program and read
// back, as every version goes between machines.
VersionedEntries ThroughTheFile(const VersionedEntries& state)
{
    EntryTree tree;
    tree.ReplaceUserEntries(state.entries, &state.history);
    VersionedEntries read;
    EXPECT_TRUE(DecodeVersioned(EncodeEntries(tree), read));
    return read;
}

// A text a merge joined with an entry's version, before the machine met a
// removal that saw the text's edit.
struct Held {
    EntryUid uid;
    std::string text;
    Version version;  // the entry's, text and place
    Version removed;  // the removals of it the machine knew of
    bool withChildren;
};

void Take(Machine& machine, const VersionedEntries& version, std::vector<Event>& log, std::vector<Held>& joined)
{
    std::set<EntryUid> had;
    for (const SnapshotEntry& top : machine.State().entries) {
        had.insert(top.uid);
        for (const SnapshotEntry& child : top.children)
            had.insert(child.uid);
    }
    MergeOutcome outcome = MergeVersions(machine.State(), version);
    // An entry made for the second text of one changed apart is made alike
    // wherever the two meet: the judge hears of it once.
    for (const SnapshotEntry& top : outcome.merged)
        for (const SnapshotEntry* entry : {&top}) {
            auto note = [&](const SnapshotEntry& made, EntryUid parent) {
                if (had.count(made.uid) != 0 || std::any_of(log.begin(), log.end(), [&](const Event& e) { return e.uid == made.uid; }))
                    return;
                // Seen where the edits of the text it keeps were seen: it is
                // no edit of its own, nor is an entry's made so.
                Version text;
                std::copy_if(made.textVersion.begin(), made.textVersion.end(), std::back_inserter(text),
                             [&](const VersionDot& dot) { return CountOf(outcome.history.seen, dot.machine) != 0; });
                log.push_back({Event::Made, made.uid, text.empty() ? VersionDot{made.uid, 1} : text.back(), text, made.text, parent, made.after});
            };
            note(*entry, 0);
            for (const SnapshotEntry& child : entry->children)
                note(child, entry->uid);
        }
    for (const SnapshotEntry& top : outcome.merged)
        for (const SnapshotEntry* entry = &top; entry != nullptr;) {
            Held now{entry->uid, entry->text, Joined(entry->textVersion, entry->placeVersion), {}, !entry->children.empty()};
            for (const Removal& removal : outcome.history.removed)
                if (removal.uid == entry->uid)
                    Join(now.removed, removal.version);
            joined.push_back(std::move(now));
            entry = entry == &top && !top.children.empty() ? &top.children[0]
                  : entry != &top && entry != &top.children.back() ? entry + 1 : nullptr;
        }
    machine.State() = {std::move(outcome.merged), std::move(outcome.history)};
}

// Each entry's group (0 for the top level) and identity, in order.
std::vector<std::pair<EntryUid, EntryUid>> Placement(const EntrySnapshot& entries)
{
    std::vector<std::pair<EntryUid, EntryUid>> placement;
    for (const SnapshotEntry& top : entries) {
        placement.push_back({0, top.uid});
        for (const SnapshotEntry& child : top.children)
            placement.push_back({top.uid, child.uid});
    }
    return placement;
}

// QUIPMARK_ORACLE_SEED and QUIPMARK_ORACLE_ROUNDS run other and longer
// series, for faults rarer than these rounds show.
int OracleSetting(const char* name, int otherwise)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : otherwise;
}

// Three machines edit apart; a sync service hands each the others' saved
// versions late, in any order, some only as conflict copies (any saved
// version at all, old or new). Once every version has reached every
// machine, all hold the same entries, and each entry is as the steps say:
// removed where a removal saw every edit of it, else with the text of its
// last edit, or, where edits were made apart, every one of their texts;
// in the group of its last move.
void ThreeMachinesApart(bool moves, unsigned series = static_cast<unsigned>(OracleSetting("QUIPMARK_ORACLE_SEED", 20261208)),
                        int rounds = OracleSetting("QUIPMARK_ORACLE_ROUNDS", 600))
{
    std::mt19937 random(series);
    size_t removedSeen = 0, keptBothSeen = 0, movedSeen = 0, foldedSeen = 0, apartRounds = 0, entriesApartRounds = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<Event> log;
        std::vector<Held> joined;
        // Every machine starts from one file without history.
        VersionedEntries start{Parse("a b g[c d] h[e] i"), {}};
        // Each after the one before it, as loading the file puts them.
        for (std::vector<SnapshotEntry>* list = &start.entries; list != nullptr;) {
            for (size_t i = 0; i < list->size(); ++i) {
                (*list)[i].anchored = true;
                (*list)[i].after = i == 0 ? 0 : (*list)[i - 1].uid;
            }
            list = list == &start.entries ? &start.entries[2].children
                 : list == &start.entries[2].children ? &start.entries[3].children : nullptr;
        }
        for (const SnapshotEntry& top : start.entries) {
            log.push_back({Event::Made, top.uid, {0, 0}, {}, top.text, 0});
            for (const SnapshotEntry& child : top.children)
                log.push_back({Event::Made, child.uid, {0, 0}, {}, child.text, top.uid});
        }
        std::vector<Machine> machines;
        for (MachineId id = 101; id <= 103; ++id)
            machines.emplace_back(id, start, log, random, moves);
        std::vector<VersionedEntries> saved;
        for (int step = 0; step < 40; ++step) {
            Machine& machine = machines[random() % machines.size()];
            const unsigned what = random() % 4;
            if (what <= 1)
                machine.Edit();
            else if (what == 2 && !machine.State().history.seen.empty())
                saved.push_back(ThroughTheFile(machine.State()));  // a machine that changed nothing writes nothing
            else if (!saved.empty())
                Take(machine, saved[random() % saved.size()], log, joined);
        }
        for (Machine& machine : machines)
            if (!machine.State().history.seen.empty())
                saved.push_back(ThroughTheFile(machine.State()));
        for (Machine& machine : machines) {
            std::shuffle(saved.begin(), saved.end(), random);
            for (const VersionedEntries& version : saved)
                Take(machine, version, log, joined);
        }
        // Every machine has met every version: which of two is whose
        // changes nothing.
        bool apart = false;
        bool entriesApart = false;  // what a user sees, not only their histories
        for (size_t m = 1; m < machines.size(); ++m) {
            const VersionedEntries& one = machines[0].State();
            const VersionedEntries& other = machines[m].State();
            EXPECT_EQ(Everything(MergeVersions(one, other)), Everything(MergeVersions(other, one)));
            apart = apart || Everything(other) != Everything(one);
            entriesApart = entriesApart || Everything(VersionedEntries{one.entries, {}}) != Everything(VersionedEntries{other.entries, {}});
        }
        apartRounds += apart ? 1 : 0;
        entriesApartRounds += entriesApart ? 1 : 0;
        // Where nothing was moved, each entry is where it was put, after the
        // entry it was put after, on every machine alike: machines that hold
        // the same entries hold them in one order.
        for (size_t m = 1; m < machines.size() && !moves; ++m) {
            const auto one = Placement(machines[0].State().entries), other = Placement(machines[m].State().entries);
            if (std::set<std::pair<EntryUid, EntryUid>>(one.begin(), one.end()) ==
                std::set<std::pair<EntryUid, EntryUid>>(other.begin(), other.end())) {
                EXPECT_EQ(one, other) << "the same entries in another order";
            }
        }
        // Machines that met the same edits in other pairs may still hold
        // some apart (an order, which entry keeps which text) until they meet
        // each other's: the first meets the others' last, and they meet its.
        for (size_t m = 1; m < machines.size(); ++m)
            Take(machines[0], ThroughTheFile(machines[m].State()), log, joined);
        const VersionedEntries last = ThroughTheFile(machines[0].State());
        for (size_t m = 1; m < machines.size(); ++m) {
            Take(machines[m], last, log, joined);
            EXPECT_EQ(Everything(machines[m].State()), Everything(last));
            // Nothing a machine met before changes it now.
            const VersionedEntries& before = saved[random() % saved.size()];
            EXPECT_EQ(Everything(MergeVersions(last, before)), Everything(last));
        }

        // The judge.
        std::map<EntryUid, std::pair<EntryUid, const SnapshotEntry*>> held;  // parent, entry
        std::multiset<std::string> texts;
        for (const SnapshotEntry& top : last.entries) {
            held[top.uid] = {0, &top};
            texts.insert(top.text);
            for (const SnapshotEntry& child : top.children) {
                held[child.uid] = {top.uid, &child};
                texts.insert(child.text);
            }
        }
        std::set<std::pair<EntryUid, std::string>> writtenTexts;
        for (const VersionedEntries& version : saved)
            for (const SnapshotEntry& top : version.entries) {
                writtenTexts.insert({top.uid, top.text});
                for (const SnapshotEntry& child : top.children)
                    writtenTexts.insert({child.uid, child.text});
            }
        std::map<EntryUid, std::vector<const Event*>> byUid;
        for (const Event& event : log)
            byUid[event.uid].push_back(&event);
        size_t expected = 0, groupsKept = 0;
        // Whether an entry put in a group or edited there was edited apart.
        auto filledApart = [&](EntryUid group) {
            std::set<EntryUid> children;
            for (const Event& e : log)
                if (e.parent == group && e.kind != Event::Removed && e.kind != Event::Text)
                    children.insert(e.uid);
            return std::any_of(log.begin(), log.end(), [&](const Event& e) {
                return children.count(e.uid) != 0 && e.dot.machine != 0 && e.kind != Event::Removed;
            });
        };
        for (const auto& [uid, events] : byUid) {
            std::vector<const Event*> edits, removals, lastTexts, lastPlaces;
            for (const Event* event : events)
                (event->kind == Event::Removed ? removals : edits).push_back(event);
            const bool removed = !removals.empty() && std::all_of(edits.begin(), edits.end(), [&](const Event* e) {
                return std::any_of(removals.begin(), removals.end(), [&](const Event* r) { return Saw(r->past, e->dot); });
            });
            // The edits no removal saw, and the texts they were made on: a
            // text that went with a removal is not the one that stays.
            std::vector<const Event*> surviving;
            for (const Event* e : edits)
                if (std::none_of(removals.begin(), removals.end(), [&](const Event* r) { return Saw(r->past, e->dot); }))
                    surviving.push_back(e);
            // An edit stands that no removal saw, or that one of those saw
            // other than through a removal of it, or whose text one of them
            // was made on.
            auto sawPast = [&](const Event* u, const Event* e) {
                return Saw(u->past, e->dot) && std::none_of(removals.begin(), removals.end(), [&](const Event* r) {
                           return Saw(r->past, e->dot) && Saw(u->past, {r->dot.machine, CountOf(r->past, r->dot.machine) + 1});
                       });
            };
            auto stands = [&](const Event* e) {
                return std::any_of(surviving.begin(), surviving.end(), [&](const Event* u) {
                    return u == e || (Saw(u->past, e->dot) && u->text == e->text) || sawPast(u, e);
                });
            };
            // Of those, the edits no later edit of the same kind saw.
            for (const Event* e : edits) {
                const bool isText = e->kind != Event::Place, isPlace = e->kind != Event::Text;
                auto later = [&](const Event* other) {
                    return other != e && Saw(other->past, e->dot) && stands(other);
                };
                if (isText && stands(e) &&
                    std::none_of(edits.begin(), edits.end(), [&](const Event* o) { return o->kind != Event::Place && later(o); }))
                    lastTexts.push_back(e);
                if (isPlace && stands(e) &&
                    std::none_of(edits.begin(), edits.end(), [&](const Event* o) { return o->kind != Event::Text && later(o); }))
                    lastPlaces.push_back(e);
            }
            const auto found = held.find(uid);
            if (removed) {
                removedSeen += removals.empty() ? 0 : 1;
                // Only a group stays that kept a child edited apart.
                if (found != held.end()) {
                    ++groupsKept;
                    // Or one that the same text added apart was folded into.
                    const bool foldedInto = std::any_of(byUid.begin(), byUid.end(), [&](const auto& other) {
                        return other.first != uid && held.count(other.first) == 0 && !other.second.empty() &&
                               other.second.front()->kind == Event::Made && other.second.front()->text == found->second.second->text &&
                               std::none_of(removals.begin(), removals.end(), [&](const Event* r) { return Saw(r->past, other.second.front()->dot); });
                    });
                    if (foldedInto)
                        continue;
                    // Or one that children were put in apart through a group of
                    // the same text added apart and folded into it.
                    const bool filledFolded = std::any_of(byUid.begin(), byUid.end(), [&](const auto& other) {
                        return other.first != uid && held.count(other.first) == 0 && !other.second.empty() &&
                               other.second.front()->kind == Event::Made && other.second.front()->text == events.front()->text && filledApart(other.first);
                    });
                    EXPECT_TRUE(filledApart(uid) || filledFolded) << "removed but back: " << uid << Dump(events);
                    // With one of its texts that a version written held (a
                    // removal carries no text), none older than the one its
                    // children were put in it under.
                    std::vector<const Event*> childEdits;
                    for (const SnapshotEntry& child : found->second.second->children)
                        for (const Event* e : byUid[child.uid])
                            if (e->kind != Event::Removed && e->kind != Event::Text && e->parent == uid && std::none_of(removals.begin(), removals.end(), [&](const Event* r) {
                                    return Saw(r->past, e->dot);
                                }))
                                childEdits.push_back(e);
                    EXPECT_TRUE(std::any_of(edits.begin(), edits.end(), [&](const Event* e) {
                        return e->kind != Event::Place && writtenTexts.count({uid, e->text}) != 0 &&
                               e->text == found->second.second->text &&
                               std::none_of(edits.begin(), edits.end(), [&](const Event* o) {
                                   return o != e && o->kind != Event::Place && Saw(o->past, e->dot) &&
                                          std::any_of(childEdits.begin(), childEdits.end(),
                                                      [&](const Event* c) { return sawPast(c, o); });
                               });
                    })) << "a group kept with an older text: " << found->second.second->text << Dump(events) << "\n children:" << Dump(childEdits);
                }
                continue;
            }
            // Each text edited apart stays, in this entry or the one made
            // for it, unless that one was changed or removed since.
            auto besideRemoved = [&](const std::string& lost) {
                return std::any_of(log.begin(), log.end(), [&](const Event& made) {
                    return made.kind == Event::Made && made.of != 0 && made.text == lost &&
                           byUid[made.uid].size() > 1;
                });
            };
            if (found == held.end()) {
                // Or where it was folded into an entry of the same text, held,
                // or renamed or removed by an edit that saw this one's adding.
                const bool folded = removals.empty() && !lastTexts.empty() && std::all_of(lastTexts.begin(), lastTexts.end(), [&](const Event* e) {
                    return texts.count(e->text) != 0 || std::any_of(log.begin(), log.end(), [&](const Event& r) {
                               return (r.kind == Event::Removed || r.kind == Event::Text) && r.uid != uid && Saw(r.past, e->dot) &&
                                      byUid[r.uid].front()->text == e->text;
                           });
                });
                // Or, made by a merge to keep a text beside another, where
                // that entry took its text or was renamed or removed since.
                const Event& made = *events.front();
                const bool replaced = made.of != 0 && (texts.count(made.text) != 0 || std::any_of(log.begin(), log.end(), [&](const Event& r) {
                                          return (r.kind == Event::Text || r.kind == Event::Removed) && r.uid == made.of && Holds(r.past, made.past);
                                      }));
                // Only where its texts went to entries made for them, when
                // it was removed after two machines had changed it apart.
                for (const Event* e : lastTexts)
                    EXPECT_TRUE(texts.count(e->text) >= 1 || besideRemoved(e->text) || folded || replaced) << "lost: " << uid << Dump(events);
                EXPECT_TRUE(!removals.empty() || folded || replaced) << "lost: " << uid << Dump(events) << "\n of " << made.of << Dump(byUid[made.of]);
                foldedSeen += removals.empty() ? 1 : 0;
                continue;
            }
            ++expected;
            const std::string& text = found->second.second->text;
            // Kept though removed elsewhere, because of an edit made apart: the
            // text of the edits that kept it, never one the removal saw;
            // unless a machine had joined that text with those edits before
            // it met the removal, as a merge against that machine's version
            // gives too.
            std::vector<const Event*> joinedTexts;
            for (const Event* e : edits) {
                const bool superseded = std::any_of(lastTexts.begin(), lastTexts.end(), [&](const Event* o) {
                    return o != e && Saw(o->past, e->dot);
                });
                if (e->kind != Event::Place && !stands(e) && !superseded &&
                    std::any_of(joined.begin(), joined.end(), [&](const Held& h) {
                        return h.uid == uid && h.text == e->text && Saw(h.version, e->dot) && !Saw(h.removed, e->dot) &&
                               std::any_of(surviving.begin(), surviving.end(), [&](const Event* u) { return Saw(h.version, u->dot); });
                    }))
                    joinedTexts.push_back(e);
            }
            auto shown = [&](const std::vector<const Event*>& some) {
                return std::any_of(some.begin(), some.end(), [&](const Event* e) { return e->text == text; });
            };
            // Texts changed apart, once kept as two entries, live apart: where
            // a removal then saw the text the entry kept, it shows the text
            // the edit that kept it was made on, or, kept for a child, the
            // newest text it kept that a version written held.
            auto movedOut = [&](const Event* e) {
                return e->kind != Event::Place && std::any_of(log.begin(), log.end(), [&](const Event& made) {
                           return made.kind == Event::Made && made.of != 0 && made.text == e->text;
                       });
            };
            std::vector<const Event*> keptTexts;
            for (const Event* e : edits)
                if (e->kind != Event::Place && !movedOut(e) && std::none_of(edits.begin(), edits.end(), [&](const Event* o) {
                        return o != e && o->kind != Event::Place && !movedOut(o) && writtenTexts.count({uid, o->text}) != 0 &&
                               Saw(o->past, e->dot);
                    }))
                    keptTexts.push_back(e);
            const bool split = std::any_of(edits.begin(), edits.end(), movedOut);
            // A group kept for what was put in it apart, whose later texts
            // went to entries of their own, may show a name that a version
            // holding the group held: the removal keeps none.
            const bool groupSplit = split && !found->second.second->children.empty() && writtenTexts.count({uid, text}) != 0;
            EXPECT_TRUE(shown(lastTexts) || shown(joinedTexts) || (split && (shown(surviving) || shown(keptTexts))) || groupSplit)
                << "an older text: " << text << Dump(events);
            for (const Event* e : lastTexts)
                EXPECT_TRUE(texts.count(e->text) >= 1 || besideRemoved(e->text) ||
                            std::any_of(joinedTexts.begin(), joinedTexts.end(), [&](const Event* j) {
                                return j->text == text && Saw(j->past, e->dot);
                            }))
                    << "lost: " << e->text << Dump(events);
            keptBothSeen += lastTexts.size() > 1 ? 1 : 0;
            if (lastPlaces.size() == 1 && lastPlaces[0]->kind == Event::Place && removals.empty()) {
                ++movedSeen;
                // A group stays on the top level with its children.
                const EntryUid parent = lastPlaces[0]->parent;
                // Groups moved into each other apart: one move holds.
                // One that holds children stays on the top level, as does one
                // that held a child put in it apart when a merge met its move.
                const bool lifted = std::any_of(joined.begin(), joined.end(), [&](const Held& h) {
                    return h.uid == uid && h.withChildren && Saw(h.version, lastPlaces[0]->dot);
                });
                if ((parent == 0 || held.count(parent) != 0) && !(lifted && found->second.first == 0)) {
                    EXPECT_EQ(found->second.first, found->second.second->children.empty() ? parent : 0) << "not where it was moved: " << text << Dump(events) << "\n group:" << Dump(byUid[parent]);
                }
            }
        }
        // Nothing else.
        EXPECT_EQ(held.size(), expected + groupsKept);
    }
    // The rounds met every case.
    EXPECT_GT(removedSeen, static_cast<size_t>(rounds));
    EXPECT_GT(keptBothSeen, static_cast<size_t>(rounds) / 10);
    EXPECT_GT(movedSeen + (moves ? 0 : rounds + 1), static_cast<size_t>(rounds));
    EXPECT_GT(foldedSeen, static_cast<size_t>(rounds) / 20);
    std::printf("removed %zu, kept both %zu, moved %zu, folded %zu; rounds apart until the machines met each other's last: %zu, "
                "their entries apart: %zu\n",
                removedSeen, keptBothSeen, movedSeen, foldedSeen, apartRounds, entriesApartRounds);
}

TEST(EntryMerge, ThreeMachinesApartEndAlikeAndAsTheirStepsSay)
{
    ThreeMachinesApart(true);
}

TEST(EntryMerge, ThreeMachinesThatMoveNothingHoldOneOrderOnceTheyMetTheSameSaves)
{
    ThreeMachinesApart(false);
    // A series whose last round once lost a text: an entry folded into
    // another seemed to have typed over a text kept beside that one.
    ThreeMachinesApart(false, 14, 58);
}

}  // namespace
