// Entries' identities: kept in the data file after every earlier record,
// derived alike on every machine for a file without them, and kept by the
// tree through a replacement of its entries.
#include "EntryTreeTestSupport.h"
#include "storage/EntryFile.h"
#include "entries/EntrySnapshot.h"
#include "entries/EntryIdentity.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

using Flat = std::vector<std::tuple<bool, EntryUid, std::string, std::wstring>>;

Flat FlatOf(const EntrySnapshot& snapshot)
{
    Flat flat;
    for (const SnapshotEntry& top : snapshot) {
        flat.emplace_back(false, top.uid, top.text, top.unicode);
        for (const SnapshotEntry& child : top.children)
            flat.emplace_back(true, child.uid, child.text, child.unicode);
    }
    return flat;
}

Flat Decoded(const std::string& bytes, bool intact = true)
{
    EntrySnapshot snapshot;
    EXPECT_EQ(DecodeSnapshot(bytes, snapshot), intact);
    return FlatOf(snapshot);
}

std::string Record(char tag, const std::string& payload)
{
    std::string bytes(1, tag);
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((payload.size() >> shift) & 0xFF);
    return bytes + payload;
}

std::string I(const std::vector<EntryUid>& uids)
{
    std::string payload;
    for (EntryUid uid : uids)
        AppendIdentity(payload, uid);
    return Record('I', payload);
}

// Entries added, renamed and dropped in a group, some with Unicode texts.
EntryTree Edited()
{
    EntryTree tree;
    EntryChange change;
    EntryId group = kNoEntry, added = kNoEntry;
    tree.Add("plain", kNoEntry, change, added);
    tree.Add("group", kNoEntry, change, group);
    tree.Add("?", group, change, added, L"\u0416");
    tree.Add("child", group, change, added);
    tree.Rename(added, "renamed", change);
    tree.Drop(group, kNoEntry, "dropped", change);
    return tree;
}

TEST(EntryIdentity, IdentitiesComeBackFromTheFileAfterEveryOtherRecord)
{
    const EntryTree tree = Edited();
    const std::string bytes = EncodeEntries(tree);
    const std::string records = WithoutIdentities(bytes);
    ASSERT_GT(bytes.size(), records.size() + kRecordHeaderSize + 5 * kIdentitySize);
    EXPECT_EQ(bytes[records.size()], kIdentityTag);
    EXPECT_EQ(bytes[records.size() + kRecordHeaderSize + 5 * kIdentitySize], kVersionTag) << "one for each entry";
    EXPECT_EQ(Decoded(bytes), FlatOf(TakeSnapshot(tree)));
    const EntryTree loaded = Loaded(bytes);
    EXPECT_EQ(FlatOf(TakeSnapshot(loaded)), FlatOf(TakeSnapshot(tree)));
    EXPECT_EQ(EncodeEntries(loaded), bytes);
    EXPECT_FALSE(loaded.IsModified());
    EXPECT_EQ(tree.Uid(tree.Root()) | tree.Uid(tree.ClipboardBranch()), 0u);
}

TEST(EntryIdentity, AFileWithoutIdentitiesGetsTheSameOnesWhereverItIsLoaded)
{
    // Same texts side by side and in two groups still make entries of their own.
    const std::string bytes = K("a") + K("a") + K("g") + E("a") + E("a") + K("h") + E("a");
    const Flat decoded = Decoded(bytes);
    EXPECT_EQ(FlatOf(TakeSnapshot(Loaded(bytes))), decoded);
    EXPECT_EQ(FlatOf(TakeSnapshot(Loaded(bytes))), decoded) << "another machine";
    std::set<EntryUid> uids;
    for (const auto& entry : decoded)
        uids.insert(std::get<1>(entry));
    EXPECT_EQ(uids.size(), decoded.size());
    EXPECT_EQ(uids.count(0), 0u);

    // Nobody changed it: saved as loaded. A rename writes the identities,
    // and the other entries keep theirs.
    EntryTree tree = Loaded(bytes);
    EXPECT_EQ(EncodeEntries(tree), bytes);
    EntryChange change;
    tree.Rename(IdOf(tree, "h"), "H", change);
    const std::string renamed = EncodeEntries(tree);
    EXPECT_EQ(WithoutIdentities(renamed), K("a") + K("a") + K("g") + E("a") + E("a") + K("H") + E("a"));
    EXPECT_EQ(Decoded(renamed), FlatOf(TakeSnapshot(tree)));
    EXPECT_EQ(std::get<1>(Decoded(renamed)[5]), std::get<1>(decoded[5]));
}

// Derived identities are what every earlier version derives: hashing many
// texts side by side changes none of them.
TEST(EntryIdentity, PlacesHashedSideBySideAreThoseHashedOneByOne)
{
    // Every byte value, in runs of every length around the eight bytes a
    // step of the wide loop takes, and enough bytes for a second thread.
    std::vector<std::string> texts = {"", "a", std::string(100, 'x'), "", "group"};
    for (size_t size : {1u, 7u, 8u, 9u, 64u, 1000u, 3u, 0u, 250u, 2u, 15u, 16u, 17u, 5000u, 2500000u, 2000001u}) {
        std::string text(size, '\0');
        for (size_t i = 0; i < size; ++i)
            text[i] = static_cast<char>((i * 131 + size) & 0xFF);
        texts.push_back(text);
    }
    std::vector<EntryUid> groups;
    std::vector<std::string_view> views;
    for (size_t i = 0; i < texts.size(); ++i) {
        groups.push_back(i % 3 == 0 ? 0 : 0x1234567890ull * i);
        views.push_back(texts[i]);
    }
    for (size_t count = 0; count <= views.size(); ++count) {
        std::vector<std::uint64_t> places(count);
        PlaceHashes(groups.data(), views.data(), count, places.data());
        for (size_t i = 0; i < count; ++i)
            ASSERT_EQ(places[i], HashBytes(texts[i], HashNumber(groups[i], HashBytes("entry")))) << count << " " << i;
    }
    // The first entry of a file without identities: its place's hash, then
    // its occurrence, hashed on.
    EXPECT_EQ(std::get<1>(Decoded(K("a"))[0]), HashNumber(0, HashBytes("a", HashNumber(0, HashBytes("entry")))));
}

// The identities of a whole file, however they are batched, are those the
// file's entries get one after the other: also where a stored identity is
// one a later entry, or a later group, would otherwise derive.
TEST(EntryIdentity, AFilesIdentitiesAreThoseItsEntriesGetOneByOne)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> texts;
        std::vector<FileEntry> entries;
        const size_t count = random() % 12;
        for (size_t i = 0; i < count; ++i)
            texts.push_back(std::string(1, static_cast<char>('a' + random() % 3)));
        for (size_t i = 0; i < count; ++i)
            entries.push_back({random() % 3 == 0, texts[i], 0});
        // Stored identities taken from what the file would derive, so that
        // they clash with the entries after them.
        const std::vector<EntryUid> derived = IdentitiesOf(entries);
        for (size_t i = 0; i < count; ++i)
            if (random() % 3 == 0)
                entries[i].stored = derived[random() % count];
        LoadedIdentities oneByOne;
        std::vector<EntryUid> expected;
        EntryUid group = 0;
        for (const FileEntry& entry : entries) {
            expected.push_back(oneByOne.Next(entry.topLevel ? 0 : group, entry.text, entry.stored));
            if (entry.topLevel)
                group = expected.back();
        }
        ASSERT_EQ(IdentitiesOf(entries), expected) << round;
        // As a file is read: batches that end anywhere, hashed before the
        // stored identities at the file's end are known.
        PlaceHasher streamed;
        for (size_t from = 0; from < count;) {
            const size_t batch = std::min<size_t>(count - from, random() % 4);
            std::vector<FileEntry> unstored(entries.begin() + from, entries.begin() + from + batch);
            for (FileEntry& entry : unstored)
                entry.stored = 0;
            streamed.Add(unstored.data(), unstored.size());
            from += batch;
        }
        ASSERT_EQ(streamed.Identities(entries), expected) << round;
    }
}

// A large file's identities are hashed on another thread while it is
// read, before its stored identities are known: read in pieces, it gets
// those a snapshot of it gets, also where a group's stored identity is not
// the one its children were hashed in.
TEST(EntryIdentity, ALargeFileReadInPiecesGetsTheIdentitiesOfOneRead)
{
    std::string entries;
    for (int group = 0; group < 40; ++group) {
        entries += K(group % 7 == 0 ? "same group" : "group " + std::to_string(group));
        for (int child = 0; child < 30; ++child)
            entries += E(std::string(child % 3 == 0 ? 11000 : 17, static_cast<char>('a' + child % 5)));
    }
    ASSERT_GT(entries.size(), 4u << 20);
    // The first group's identity stored, and every other derived (0).
    std::vector<EntryUid> uids(40 * 31, 0);
    uids[0] = 42;
    const std::string stored = entries + I(uids);
    for (const std::string& bytes : {entries, stored}) {
        EntryFileReader reader(bytes.size());
        for (size_t at = 0; at < bytes.size(); at += 100000)
            ASSERT_TRUE(reader.Add(std::string_view(bytes).substr(at, 100000)));
        EntryTree tree;
        ASSERT_TRUE(reader.Finish(tree));
        EXPECT_EQ(FlatOf(TakeSnapshot(tree)), Decoded(bytes));
    }
    EXPECT_NE(std::get<1>(Decoded(stored)[1]), std::get<1>(Decoded(entries)[1]));
}

TEST(EntryIdentity, AMalformedIdentityRecordIsCorruptButEveryEntryIsLoaded)
{
    const std::string entries = K("A") + K("B") + E("c") + Record('U', "\x00\x00\x00\x00\xB1\x03"s);
    const Flat loaded = {{false, 11, "A", L"\u03B1"}, {false, 12, "B", L""}, {true, 13, "c", L""}};
    struct Case {
        std::string tail;
        const char* what;
    };
    const Case cases[] = {
        {I({11, 12}), "one identity short"},
        {I({11, 12, 13, 14}), "one too many"},
        {Record('I', std::string(23, '\x01')), "a length not of whole identities"},
        {I({11, 12, 13}) + I({11, 12, 13}), "a second record"},
        {I({11, 12, 13}) + K("late"), "an entry after it"},
        {I({11, 12, 13}) + Record('U', "\x01\x00\x00\x00\xB2\x03"s), "a Unicode text after it"},
        {I({11, 12, 13}).substr(0, 20), "cut short"},
    };
    for (const Case& c : cases) {
        const Flat decoded = Decoded(entries + c.tail, false);
        ASSERT_EQ(decoded.size(), 3u) << c.what;
        EXPECT_EQ(std::get<2>(decoded[2]), "c") << c.what;
        EntryTree tree;
        EXPECT_FALSE(DecodeEntries(entries + c.tail, tree)) << c.what;
        EXPECT_EQ(FlatOf(TakeSnapshot(tree)), decoded) << c.what;
    }
    EXPECT_EQ(Decoded(entries + I({11, 12, 13})), loaded);
    // An identity of none, or one given twice, is replaced by a derived one.
    const Flat repaired = Decoded(entries + I({11, 0, 11}));
    EXPECT_EQ(std::get<1>(repaired[0]), 11u);
    EXPECT_NE(std::get<1>(repaired[1]), 0u);
    EXPECT_NE(std::get<1>(repaired[2]), 11u);
}

// What a reader that knows the entries' and the Unicode records but not the
// identities does with a file that has them: every entry and Unicode text
// is loaded before it stops at the identity record.
TEST(EntryIdentity, AnEarlierReaderLoadsEveryEntryBeforeTheIdentities)
{
    const EntryTree tree = Edited();
    const std::string bytes = EncodeEntries(tree);
    std::vector<std::string> texts;
    size_t unicodeTexts = 0;
    const bool intact = DecodeEntries(
        bytes, [&](RecordKind, std::string_view text) { texts.emplace_back(text); },
        [&](size_t, std::wstring) { ++unicodeTexts; });
    EXPECT_FALSE(intact);
    EXPECT_EQ(texts, (std::vector<std::string>{"group", "dropped", "?", "renamed", "plain"}));
    EXPECT_EQ(unicodeTexts, 1u);
}

TEST(EntryIdentity, ReplacingTheEntriesKeepsTheIdsOfThoseThatStay)
{
    EntryTree tree = Loaded(K("a") + K("g") + E("c") + E("d") + K("b") + K("h") + E("e"));
    Copy(tree, "copied");
    EntryChange change;
    EntryId ignored = kNoEntry;
    tree.Add("removed", kNoEntry, change, ignored);
    tree.Remove(ignored);
    tree.SetModified(false);
    FollowingView view(tree);
    const EntryId a = IdOf(tree, "a"), g = IdOf(tree, "g"), d = IdOf(tree, "d"), b = IdOf(tree, "b"),
                  h = IdOf(tree, "h");
    EntrySnapshot snapshot = TakeSnapshot(tree);
    // b moves before a, g's c goes and x comes, a is renamed, h becomes an
    // entry of its own and y a new group.
    std::rotate(snapshot.begin(), snapshot.begin() + 2, snapshot.begin() + 3);
    snapshot[1].text = "A";
    snapshot[2].children.erase(snapshot[2].children.begin());
    SnapshotEntry x;
    x.uid = 77;
    x.text = "x";
    x.unicode = L"\u03B1";
    snapshot[2].children.push_back(x);
    snapshot[3].children.clear();
    SnapshotEntry y, z;
    y.uid = 78;
    y.text = "y";
    z.uid = 79;
    z.text = "z";
    y.children.push_back(z);
    snapshot.push_back(y);

    const EntryChange replaced = tree.ReplaceUserEntries(snapshot);
    view.Follow(replaced);
    view.ExpectInStep();
    EXPECT_EQ(Shape(tree), "^[copied] b A g[d x] h y[z]");
    EXPECT_EQ(FlatOf(TakeSnapshot(tree)), FlatOf(snapshot));
    for (EntryId kept : {g, d, a, h})
        EXPECT_TRUE(tree.Contains(kept));
    EXPECT_FALSE(tree.Contains(b)) << "moved past entries that stay: shown anew";
    EXPECT_EQ(replaced.inserted.size(), 4u) << "b, x, y, z";
    EXPECT_EQ(replaced.removed.size(), 3u) << "b, c, e";
    EXPECT_FALSE(tree.IsModified());
    EXPECT_EQ(tree.UndoTexts(), std::vector<std::string>{"removed"});
    EXPECT_TRUE(tree.ReplaceUserEntries(snapshot).Empty()) << "the same entries again";
}

}  // namespace
