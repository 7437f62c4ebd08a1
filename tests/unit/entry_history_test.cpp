// What the data file keeps of the entries' history: every edit counted as
// this machine's, the removals remembered up to their bound, all of it in a
// record after those that earlier versions read, and records of later
// versions skipped.
#include "EntryTreeTestSupport.h"
#include "storage/EntryFile.h"
#include "storage/EntryMerge.h"
#include <gtest/gtest.h>
#include <string>

namespace {

std::string VersionText(const Version& version)
{
    std::string text;
    for (const VersionDot& dot : version)
        text += (text.empty() ? "" : ",") + std::to_string(dot.machine) + ":" + std::to_string(dot.count);
    return text;
}

// Each entry's texts and versions, and the history: "plain 7:1|7:1 ..."
std::string Versions(const VersionedEntries& versioned)
{
    std::string all;
    for (const SnapshotEntry& top : versioned.entries) {
        for (const SnapshotEntry* entry = &top; entry != nullptr;
             entry = entry == &top ? (top.children.empty() ? nullptr : &top.children[0])
                   : entry == &top.children.back() ? nullptr : entry + 1)
            all += entry->text + " " + VersionText(entry->textVersion) + "|" + VersionText(entry->placeVersion) + " ";
    }
    all += "seen " + VersionText(versioned.history.seen) + " removed";
    for (const Removal& removal : versioned.history.removed)
        all += " " + std::to_string(removal.uid) + "@" + VersionText(removal.version);
    return all;
}

TEST(EntryHistory, EveryEditCountsAsThisMachinesAndComesBackFromTheFile)
{
    EntryTree tree = Loaded(K("old") + K("gone") + K("kept"));
    tree.SetMachine(7, 0);
    const EntryId old = IdOf(tree, "old"), gone = IdOf(tree, "gone");
    const EntryUid goneUid = tree.Uid(gone);
    EntryChange change;
    EntryId group = kNoEntry, added = kNoEntry;
    tree.Add("group", kNoEntry, change, group);          // 1
    tree.Add("child", group, change, added);             // 2
    tree.Rename(old, "renamed", change);                 // 3
    tree.Drop(group, kNoEntry, "dropped", change);       // 4
    tree.Remove(gone);                                   // 5
    tree.Undo();                                         // 6: a new entry
    const std::string expected = "group 7:1|7:1 dropped 7:4|7:4 child 7:2|7:2 renamed 7:3| kept | gone 7:6|7:6 "
                                 "seen 7:6 removed " + std::to_string(goneUid) + "@";
    EXPECT_EQ(Versions(TakeVersioned(tree)), expected);
    VersionedEntries read;
    ASSERT_TRUE(DecodeVersioned(EncodeEntries(tree), read));
    EXPECT_EQ(Versions(read), expected);
    EntryTree loaded = Loaded(EncodeEntries(tree));
    EXPECT_EQ(Versions(TakeVersioned(loaded)), expected);
    EXPECT_EQ(EncodeEntries(loaded), EncodeEntries(tree));
    // Another machine's file of a lower count never takes this machine's back.
    loaded.SetMachine(7, 0);
    loaded.SetLoadedHistory(EntryHistory());
    EXPECT_EQ(loaded.EditCount(), 6u);
}

TEST(EntryHistory, ReadersOfEveryVersionLoadEveryEntryOfANewFile)
{
    EntryTree tree = Loaded(K("a") + K("b") + E("c"));
    tree.SetMachine(9, 0);
    EntryChange change;
    tree.Rename(IdOf(tree, "a"), "A", change);
    const std::string bytes = EncodeEntries(tree);
    // A reader that knows the records up to the identities loads every
    // entry before it stops at the versions, and calls the file partly loaded.
    std::string texts;
    EXPECT_FALSE(DecodeEntries(
        bytes, [&](RecordKind, std::string_view text) { texts += std::string(text) + " "; },
        [](size_t, std::wstring) {}, [](std::vector<std::uint64_t>) {}));
    EXPECT_EQ(texts, "A b c ");
    // This one skips whatever a later version adds after them.
    const std::string later = bytes + std::string("X\x03\x00\x00\x00xyz", 8) + std::string("Q\x00\x00\x00\x00", 5);
    VersionedEntries read, readLater;
    ASSERT_TRUE(DecodeVersioned(bytes, read));
    ASSERT_TRUE(DecodeVersioned(later, readLater));
    EXPECT_EQ(Versions(readLater), Versions(read));
    // But not what runs past the end, nor an entry's record after them.
    EXPECT_FALSE(DecodeVersioned(bytes + std::string("X\x09\x00\x00\x00xyz", 8), readLater));
    EXPECT_FALSE(DecodeVersioned(later + K("late"), readLater));
    EXPECT_FALSE(DecodeVersioned(bytes + std::string("x\x00\x00\x00\x00", 5), readLater));
    // A damaged history: the entries load, the file is partly loaded.
    std::string damaged = bytes;
    damaged.back() = static_cast<char>(0x80);
    EXPECT_FALSE(DecodeVersioned(damaged, readLater));
    EXPECT_EQ(readLater.entries.size(), 2u);
}

// Where each entry was put (after which entry), and where each removed one
// was, come back from the file, which names only what differs from the
// order it holds; a reader of the version before skips them.
TEST(EntryHistory, WhereEachEntryWasPutComesBackFromTheFile)
{
    EntryTree tree = Loaded(K("a") + K("b") + K("c") + E("d"));
    const std::string unplaced = EncodeEntries(tree);
    tree.SetMachine(7, 0);
    EntryChange change;
    EntryId x = kNoEntry;
    tree.Add("x", IdOf(tree, "d"), change, x);
    auto placesRecord = [](const std::string& bytes) {
        bool found = false;
        DecodeEntries(
            bytes, [](RecordKind, std::string_view) {}, [](size_t, std::wstring) {}, [](std::vector<std::uint64_t>) {},
            [](EntryHistory, std::vector<OrdinalVersions>) {},
            [&](std::vector<OrdinalPlace>, std::vector<OrdinalPlace>) { found = true; });
        return found;
    };
    EXPECT_FALSE(placesRecord(EncodeEntries(tree))) << "an entry put after the one before it in the file needs no place";
    tree.Remove(IdOf(tree, "b"));
    EXPECT_TRUE(placesRecord(EncodeEntries(tree)));
    auto places = [](const VersionedEntries& versioned) {
        std::string all;
        for (const SnapshotEntry& top : versioned.entries)
            for (const SnapshotEntry* entry = &top; entry != nullptr;
                 entry = entry == &top ? (top.children.empty() ? nullptr : &top.children[0])
                       : entry == &top.children.back() ? nullptr : entry + 1)
                all += entry->text + "@" + std::to_string(entry->after) + " ";
        for (const Removal& removal : versioned.history.removed)
            all += "-" + std::to_string(removal.uid) + "@" + std::to_string(removal.after) + " ";
        return all;
    };
    const VersionedEntries here = TakeVersioned(tree);
    const EntryUid a = tree.Uid(IdOf(tree, "a")), c = tree.Uid(IdOf(tree, "c"));
    EXPECT_EQ(here.entries[1].after, here.history.removed[0].uid) << "c stays after b, removed";
    EXPECT_EQ(here.history.removed[0].after, a) << "b was after a";
    EXPECT_EQ(here.entries[1].children[1].after, tree.Uid(IdOf(tree, "d")));
    EXPECT_EQ(here.entries[1].uid, c);
    const std::string bytes = EncodeEntries(tree);
    VersionedEntries read;
    ASSERT_TRUE(DecodeVersioned(bytes, read));
    EXPECT_EQ(places(read), places(here));
    EXPECT_EQ(places(TakeVersioned(Loaded(bytes))), places(here));
    // The version before reads every record up to the history's and skips
    // this one as a later version's.
    size_t entries = 0;
    EXPECT_TRUE(DecodeEntries(
        bytes, [&](RecordKind, std::string_view) { ++entries; }, [](size_t, std::wstring) {},
        [](std::vector<std::uint64_t>) {}, [](EntryHistory, std::vector<OrdinalVersions>) {}));
    EXPECT_EQ(entries, 4u);
    // Once, straight after the history.
    std::string record;
    ASSERT_TRUE(AppendPlaceRecord(record, {}, {}));
    EXPECT_FALSE(DecodeVersioned(bytes + record, read));
    EXPECT_FALSE(DecodeVersioned(unplaced + record, read));
}

// Removals are remembered up to the bound. Past it, an entry removed long
// ago that another machine still holds with a version stays removed (the
// edits seen tell it); one without a version (as a file of an earlier
// version has it) comes back.
TEST(EntryHistory, RemovalsPastTheBoundStayRemovedButForEntriesWithoutAVersion)
{
    const size_t count = EntryHistory::kMostRemovals + 3;
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += K("entry " + std::to_string(i));
    EntryTree before = Loaded(bytes);
    before.SetMachine(5, 0);
    EntryChange change;
    before.Rename(IdOf(before, "entry " + std::to_string(count - 1)), "edited", change);
    EntryTree tree = Loaded(EncodeEntries(before));
    tree.SetMachine(6, 0);
    // All but the first, the last first.
    while (tree.Children(tree.Root()).size() > 2)
        tree.Remove(tree.Children(tree.Root()).back());
    // Meanwhile the other machine edited the first.
    before.Rename(IdOf(before, "entry 0"), "zero", change);
    const VersionedEntries elsewhere = TakeVersioned(before);
    const VersionedEntries here = TakeVersioned(tree);
    ASSERT_EQ(here.history.removed.size(), EntryHistory::kMostRemovals);
    EXPECT_EQ(here.history.removed.front().uid, elsewhere.entries[count - 3].uid) << "the oldest two are forgotten";
    const MergeOutcome merged = MergeVersions(here, elsewhere);
    ASSERT_EQ(merged.merged.size(), 2u);
    EXPECT_EQ(merged.merged[0].text, "zero");
    EXPECT_EQ(merged.merged[1].text, "entry " + std::to_string(count - 2));
    EXPECT_EQ(merged.history.removed.size(), EntryHistory::kMostRemovals);
    // The bytes of a remembered removal: its identity, its version's.
    EXPECT_LE(EncodeEntries(tree).size(), 24 + 16 * EntryHistory::kMostRemovals);
}

}  // namespace
