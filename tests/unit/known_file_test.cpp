#include "storage/KnownFile.h"
#include "storage/EntryFile.h"
#include "entries/EntrySnapshot.h"
#include "entries/EntryTree.h"
#include "storage/EntryMerge.h"
#include "EntryTreeTestSupport.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

// A top-level entry's record ('K') or a child's ('e').
std::string Record(char kind, const std::string& text)
{
    std::string bytes(1, kind);
    const std::uint32_t size = static_cast<std::uint32_t>(text.size());
    for (int shift = 0; shift < 32; shift += 8)
        bytes += static_cast<char>((size >> shift) & 0xFF);
    return bytes + text;
}

std::string K(const std::string& text) { return Record('K', text); }
std::string E(const std::string& text) { return Record('e', text); }

EntrySnapshot Snapshot(const std::string& bytes)
{
    EntrySnapshot snapshot;
    EXPECT_TRUE(DecodeSnapshot(bytes, snapshot));
    return snapshot;
}


// The entries' texts on one line, children in brackets: "a b[x y]".
std::string Shape(const EntrySnapshot& entries)
{
    std::string shape;
    for (const SnapshotEntry& top : entries) {
        shape += (shape.empty() ? "" : " ") + top.text;
        for (size_t k = 0; k < top.children.size(); ++k)
            shape += (k == 0 ? "[" : " ") + top.children[k].text + (k + 1 == top.children.size() ? "]" : "");
    }
    return shape;
}

// A record whose text the file does not hold whole yet.
const std::string kCutShort = std::string("K\x09\x00\x00\x00", 5) + "par";

const FileStamp kRead = {10, 1000};
const FileStamp kLater = {12, 2000};

TEST(KnownFile, ContentHashOfPiecesIsTheHashOfTheWholeAndTellsOneByte)
{
    std::string bytes;
    for (int i = 0; i < 100; ++i)
        bytes += static_cast<char>(i * 37);
    const std::uint64_t whole = HashOf(bytes);
    for (size_t first = 0; first <= bytes.size(); first += 7) {
        for (size_t second = first; second <= bytes.size(); second += 11) {
            ContentHash pieces;
            pieces.Add(std::string_view(bytes).substr(0, first));
            pieces.Add(std::string_view());
            pieces.Add(std::string_view(bytes).substr(first, second - first));
            pieces.Add(std::string_view(bytes).substr(second));
            ASSERT_EQ(pieces.Value(), whole) << first << " " << second;
        }
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        for (int flip : {0x01, 0x80, 0xFF}) {
            std::string changed = bytes;
            changed[at] = static_cast<char>(changed[at] ^ flip);
            ASSERT_NE(HashOf(changed), whole) << at << " " << flip;
        }
    }
    EXPECT_NE(HashOf(std::string(1, '\0')), HashOf(""));
    EXPECT_NE(HashOf(bytes + std::string(1, '\0')), whole);
}

// Short texts and long ones are hashed two ways, which meet at some length.
TEST(KnownFile, TextsHashTellsOneByteAndWhichTextItIsIn)
{
    for (size_t length = 0; length <= 140; length += length < 20 ? 1 : 7) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i * 7 % 26);
        for (const std::wstring& unicode : {std::wstring(), std::wstring(L"\u00e9t\u00e9"), std::wstring(60, L'\u4e2d')}) {
            const std::uint64_t hash = TextsHash(text, unicode);
            ASSERT_EQ(TextsHash(std::string(text), std::wstring(unicode)), hash);
            for (size_t at = 0; at < text.size(); ++at) {
                for (int flip : {0x01, 0x80}) {
                    std::string changed = text;
                    changed[at] = static_cast<char>(changed[at] ^ flip);
                    ASSERT_NE(TextsHash(changed, unicode), hash) << length << " " << at;
                }
            }
            for (size_t at = 0; at < unicode.size(); ++at) {
                std::wstring changed = unicode;
                changed[at] = static_cast<wchar_t>(changed[at] ^ 0x100);
                ASSERT_NE(TextsHash(text, changed), hash) << length << " " << at;
            }
            // The same bytes split otherwise between the two texts.
            if (!text.empty()) {
                ASSERT_NE(TextsHash(text.substr(1), std::wstring(1, static_cast<wchar_t>(text[0])) + unicode), hash);
            }
            ASSERT_NE(TextsHash(text + std::string(1, '\0'), unicode), hash);
        }
    }
}

TEST(KnownFile, OnlyAnotherStampCallsForTheBytesAndTheSameBytesUnderItAreNoChange)
{
    const FileStamp known = {10, 1000, 42};
    struct StampCase {
        const char* what;
        FileStamp now;
        bool read;
    };
    const StampCase cases[] = {
        {"the same stamp", known, false},
        {"another size", {11, 1000, 42}, true},
        {"another time", {10, 1001, 42}, true},
        {"another file put in its place", {10, 1000, 43}, true},
        {"a look that could not tell the file", {10, 1000, 0}, true},
    };
    KnownFile nothingKnown;
    KnownFile file;
    file.Remember(KnownEntriesOf(Snapshot(K("a"))), known, HashOf(K("a")));
    for (const StampCase& c : cases) {
        EXPECT_EQ(file.MayHaveChanged(c.now), c.read) << c.what;
        EXPECT_TRUE(nothingKnown.MayHaveChanged(c.now)) << c.what;
    }
    // Copied back or touched: the bytes are read once, found the same, and
    // the new stamp is the file's from then on.
    const FollowOutcome outcome = file.Take(K("a"), cases[3].now, VersionedEntries{Snapshot(K("changed here")), {}});
    EXPECT_EQ(outcome.step, FollowStep::Nothing);
    EXPECT_FALSE(file.MayHaveChanged(cases[3].now));
    EXPECT_TRUE(file.MayHaveChanged(known));
    file.Forget();
    EXPECT_TRUE(file.MayHaveChanged(cases[3].now));
}

// The entries in memory after loading `read` and adding `typed` at the top.
VersionedEntries Typed(const std::string& read, const char* typed)
{
    EntryTree tree;
    EXPECT_TRUE(DecodeEntries(read, tree));
    EntryChange change;
    EntryId added = kNoEntry;
    if (*typed != '\0')
        tree.Add(typed, kNoEntry, change, added);
    return TakeVersioned(tree);
}

// What the entries in memory do after a look at the file: the file that was
// read, what it holds now, and what was typed since.
TEST(KnownFile, TakesTheFileNowAsTheEntriesInMemoryRequire)
{
    const std::string ab = K("a") + K("b");
    const struct {
        const char* name;
        std::string read;  // empty: nothing was read (the first start)
        std::string now;
        const char* typed;
        FollowStep step;
        std::string shown;  // after Show or Merge
    } cases[] = {
        {"the same bytes", ab, ab, "", FollowStep::Nothing, ""},
        {"nothing unsaved: the file's entries", ab, K("a") + K("b") + K("c"), "", FollowStep::Show, "a b c"},
        {"nothing read yet and nothing typed", "", ab, "", FollowStep::Show, "a b"},
        {"a group changed elsewhere", K("g") + E("x"), K("g") + E("x") + E("y"), "", FollowStep::Show, "g[x y]"},
        // A file without history (an earlier version's, a backup copied
        // back) tells its changes against the file as last read.
        {"removed elsewhere", K("a") + K("b") + E("x"), K("b"), "", FollowStep::Show, "b"},
        {"removed elsewhere, typed here", ab, K("a"), "here", FollowStep::Merge, "here a"},
        {"an entry typed here and one added elsewhere", ab, ab + K("there"), "here", FollowStep::Merge,
         "here a b there"},
        {"typed before a file came from elsewhere", "", ab, "here", FollowStep::Merge, ""},
        {"half written", ab, ab + kCutShort, "", FollowStep::TryAgain, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KnownFile known;
        if (!c.read.empty())
            known.Remember(KnownEntriesOf(Snapshot(c.read)), kRead, HashOf(c.read));
        const FollowOutcome outcome = known.Take(c.now, kLater, Typed(c.read, c.typed));
        EXPECT_EQ(outcome.step, c.step);
        if (c.step == FollowStep::TryAgain) {
            EXPECT_FALSE(known.MayHaveChanged(kRead)) << "a half-written file is not taken as read";
            continue;
        }
        if (!c.shown.empty()) {
            EXPECT_EQ(Shape(outcome.entries), c.shown);
        }
        EXPECT_EQ(outcome.unsaved, c.step == FollowStep::Merge);
        if (c.read.empty() && *c.typed != '\0') {
            EXPECT_EQ(outcome.entries.size(), 3u) << "both sides' entries";
        }
        EXPECT_FALSE(known.MayHaveChanged(kLater)) << "the file now is what was read";
    }
}

TEST(KnownFile, ACopyThatKeptTheStampIsStillToldByItsBytes)
{
    KnownFile known;
    known.Remember(KnownEntries(), kRead, HashOf(K("a")));
    // Another file of the same size and time: a copy keeps its original's time.
    const FollowOutcome outcome = known.Take(K("b"), kRead, Typed(K("a"), ""));
    EXPECT_NE(outcome.step, FollowStep::Nothing);
    EXPECT_NE((" " + Shape(outcome.entries) + " ").find(" b "), std::string::npos);
}

TEST(KnownFile, AFileDamagedForGoodIsTakenAsFarAsItReadsWhenASaveCanWaitNoLonger)
{
    const std::string damaged = K("a") + kCutShort;
    KnownFile known;
    known.Remember(KnownEntries(), kRead, HashOf(K("a")));
    const FollowOutcome outcome = known.Take(damaged, kLater, Typed(K("a"), "new"), true);
    EXPECT_TRUE(outcome.damaged);
    EXPECT_EQ(outcome.step, FollowStep::Merge);
    EXPECT_EQ(Shape(outcome.entries), "new a");
    EXPECT_FALSE(known.MayHaveChanged(kLater));
}

TEST(KnownFile, WhetherIdentitiesAreDerivedIsRememberedForTheSameEntriesOnly)
{
    const EntrySnapshot read = Snapshot(K("g") + E("x"));
    KnownFile known;
    EXPECT_EQ(known.DerivableOf(KnownEntriesOf(read)), KnownFile::Derivable::Unknown);
    known.Remember(KnownEntriesOf(read), kRead, HashOf(K("g") + E("x")), KnownFile::Derivable::Yes);
    EXPECT_EQ(known.DerivableOf(KnownEntriesOf(read)), KnownFile::Derivable::Yes);
    EntrySnapshot other = read;
    other[0].children[0].uid += 1;
    EXPECT_EQ(known.DerivableOf(KnownEntriesOf(other)), KnownFile::Derivable::Unknown) << "another identity";
    other = read;
    other[0].children[0].unicode = L"x";
    EXPECT_EQ(known.DerivableOf(KnownEntriesOf(other)), KnownFile::Derivable::Unknown) << "another text";
    known.Take(K("g") + E("y"), kLater, VersionedEntries{read, {}});
    EXPECT_EQ(known.DerivableOf(KnownEntriesOf(Snapshot(K("g") + E("y")))), KnownFile::Derivable::Unknown)
        << "a file from elsewhere";
}

TEST(KnownFile, SameEntriesComparesTextsIdentitiesAndChildren)
{
    const EntrySnapshot group = Snapshot(K("g") + E("x"));
    EXPECT_TRUE(SameEntries(group, Snapshot(K("g") + E("x"))));
    EXPECT_FALSE(SameEntries(group, Snapshot(K("g") + E("y"))));
    EXPECT_FALSE(SameEntries(group, Snapshot(K("g"))));
    EntrySnapshot other = group;
    other[0].uid += 1;
    EXPECT_FALSE(SameEntries(group, other));
    other = group;
    other[0].unicode = L"g";
    EXPECT_FALSE(SameEntries(group, other));
}

}  // namespace

// What is known of the tree's entries is what is known of its snapshot: the
// user's entries alone, with their Unicode texts. Texts of many megabytes
// (here 17) are hashed on two threads, half of the entries each, in the
// entries' order.
TEST(KnownFile, WhatIsKnownOfTheTreeIsWhatItsSnapshotGives)
{
    EntryTree small;
    Copy(small, "copied");
    const EntryId group = small.Append(small.Root(), "g");
    small.Append(group, "?", nullptr, L"\u4e2d");
    small.Append(small.Root(), "e");
    EXPECT_EQ(KnownEntriesOf(small).size(), 3u);
    EXPECT_TRUE(KnownEntriesOf(small) == KnownEntriesOf(TakeSnapshot(small)));

    EntryTree tree;
    for (int group = 0; group < 9; ++group) {
        const EntryId top = tree.Append(tree.Root(), std::string(1200000 + group, static_cast<char>('a' + group)));
        for (int child = 0; child < group % 4; ++child)
            tree.Append(top, std::string(500000, static_cast<char>('k' + child)) + std::to_string(group));
    }
    const KnownEntries known = KnownEntriesOf(tree);
    const KnownEntries alone = KnownEntriesOf(TakeSnapshot(tree));
    ASSERT_EQ(known.size(), 9u + 0 + 1 + 2 + 3 + 0 + 1 + 2 + 3 + 0);
    EXPECT_TRUE(known == alone);
}

// A look that takes the hashes of the entries whose text did not change
// since the last look knows what a look hashing every text knows, through
// any edit of the tree: renamed, removed, added, moved, replaced from a
// snapshot, taken back.
TEST(KnownFile, WhatIsKnownOfTheTreeAfterEditsIsWhatHashingEveryTextGives)
{
    std::mt19937 random(7);
    const auto pick = [&](size_t size) { return static_cast<size_t>(random() % size); };
    EntryTree tree;
    TreeTextHashes hashes;
    std::vector<EntryId> ids;
    for (int step = 0; step < 600; ++step) {
        ids.clear();
        for (EntryId top : tree.Children(tree.Root()))
            if (tree.IsUserEntry(top)) {
                ids.push_back(top);
                ids.insert(ids.end(), tree.Children(top).begin(), tree.Children(top).end());
            }
        const std::string text(1 + pick(3), static_cast<char>('a' + pick(4)));
        EntryChange change;
        switch (ids.empty() ? 0 : pick(5)) {
        case 0: {
            const EntryId parent = ids.empty() || pick(2) == 0 ? tree.Root() : ids[pick(ids.size())];
            tree.Insert(parent, pick(2) == 0 ? kNoEntry : tree.Children(parent).empty() ? kNoEntry : tree.Children(parent).back(), text);
            break;
        }
        case 1:
            tree.Rename(ids[pick(ids.size())], text, change);
            break;
        case 2:
            tree.Remove(ids[pick(ids.size())]);
            break;
        case 3: {
            // The top-level entries in another order, one text changed.
            EntrySnapshot snapshot = TakeSnapshot(tree);
            std::shuffle(snapshot.begin(), snapshot.end(), random);
            if (!snapshot.empty())
                snapshot[pick(snapshot.size())].text += text;
            tree.ReplaceUserEntries(snapshot);
            break;
        }
        default:
            tree.Undo();
        }
        ASSERT_TRUE(KnownEntriesOf(tree, &hashes) == KnownEntriesOf(TakeSnapshot(tree))) << step;
    }
}
