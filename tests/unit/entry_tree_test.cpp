#include "EntryTreeTestSupport.h"
#include "entries/EntryFile.h"
#include <gtest/gtest.h>
#include <iterator>
#include <new>
#include <string>
#include <vector>

namespace {

// Loads the data file bytes `bytes` into a new tree, as the start does.
struct LoadedTree {
    explicit LoadedTree(const std::string& bytes) { EXPECT_TRUE(DecodeEntries(bytes, tree)); }
    EntryTree tree;
};

// `count` top-level entries.
std::string Numbered(const std::string& prefix, int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += K(prefix + std::to_string(i));
    return bytes;
}

}  // namespace

TEST(EntryTree, StartsWithTheRootAndAnEmptyClipboardBranch)
{
    const EntryTree tree;
    EXPECT_EQ(Outline(tree), OutlineOf(""));
    EXPECT_EQ(tree.Count(), 2u);
    EXPECT_EQ(tree.Label(tree.Root()), "Quipmark Menu List") << "the label differs from the text";
    EXPECT_FALSE(tree.LabelShowsWholeText(tree.Root()));
    EXPECT_EQ(tree.Image(tree.Root()), EntryImage::Program);
    EXPECT_EQ(tree.Image(tree.ClipboardBranch()), EntryImage::Entry) << "no history yet";
    EXPECT_EQ(tree.Kind(tree.ClipboardBranch()), EntryKind::TopLevel);
    EXPECT_EQ(tree.Kind(kNoEntry), EntryKind::None);
    EXPECT_FALSE(tree.IsModified());
    for (EntryId fixed : {tree.Root(), tree.ClipboardBranch(), kNoEntry})
        EXPECT_FALSE(tree.IsUserEntry(fixed)) << fixed;
}

TEST(EntryTree, AddPlacesTheEntryByTheSelection)
{
    const std::string start = K("plain") + K("group") + E("g1") + E("g2");
    const std::string rest = "  plain\n  group\n    g1\n    g2\n";
    struct Case {
        const char* selected;
        std::string outline;
    };
    const Case cases[] = {
        {"nothing", OutlineOf("    copied\n  new\n" + rest)},
        {"root", OutlineOf("    copied\n  new\n" + rest)},
        {"branch", OutlineOf("    copied\n  new\n" + rest)},
        {"history entry", OutlineOf("    copied\n  new\n" + rest)},
        {"removed entry", OutlineOf("    copied\n  new\n" + rest)},
        {"plain", OutlineOf("    copied\n  plain\n    new\n  group\n    g1\n    g2\n")},
        {"group", OutlineOf("    copied\n  plain\n  group\n    g1\n    g2\n    new\n")},
        {"first child", OutlineOf("    copied\n  plain\n  group\n    g1\n    g2\n    new\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        LoadedTree loaded(start);
        EntryTree& tree = loaded.tree;
        EntryChange removal = tree.Remove(tree.Append(tree.Root(), "gone"));
        Copy(tree, "copied");
        tree.SetModified(false);
        const std::string selected = c.selected;
        const EntryId group = TopLevel(tree, 2);
        const EntryId selection = selected == "root"            ? tree.Root()
                                  : selected == "branch"        ? tree.ClipboardBranch()
                                  : selected == "history entry" ? ChildOf(tree, tree.ClipboardBranch(), 0)
                                  : selected == "removed entry" ? removal.removed.at(0)
                                  : selected == "plain"         ? TopLevel(tree, 1)
                                  : selected == "group"         ? group
                                  : selected == "first child"   ? ChildOf(tree, group, 0)
                                                                : kNoEntry;
        FollowingView view(tree);
        EntryChange change;
        EntryId added = kNoEntry;
        ASSERT_EQ(tree.Add("new", selection, change, added), AddOutcome::Added);
        view.Follow(change);
        view.ExpectInStep();
        EXPECT_EQ(tree.Text(added), "new");
        EXPECT_EQ(change.inserted, std::vector<EntryId>{added});
        EXPECT_EQ(change.changed, std::vector<EntryId>{tree.Parent(added)}) << "the parent's image may change";
        EXPECT_TRUE(tree.IsModified());
        EXPECT_EQ(Outline(tree), c.outline);
        EXPECT_EQ(tree.History().Texts(), std::vector<std::string>{"copied"}) << "the history is left alone";
    }
}

TEST(EntryTree, AddStopsAtFiveHundredEntriesCountingTheFixedOnesAndTheHistory)
{
    struct Case {
        int userEntries;
        int historyEntries;
        bool added;
    };
    const Case cases[] = {{497, 0, true}, {498, 0, false}, {482, 15, true}, {483, 15, false}, {520, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.userEntries) + " + " + std::to_string(c.historyEntries));
        LoadedTree loaded(Numbered("e", c.userEntries));
        EntryTree& tree = loaded.tree;
        for (int i = 0; i < c.historyEntries; ++i)
            Copy(tree, "history " + std::to_string(i));
        const std::string before = Outline(tree);
        EntryChange change;
        EntryId added = 1;
        EXPECT_EQ(tree.Add("one more", kNoEntry, change, added), c.added ? AddOutcome::Added : AddOutcome::Full);
        EXPECT_EQ(added != kNoEntry, c.added);
        if (!c.added) {
            EXPECT_TRUE(change.Empty());
            EXPECT_EQ(Outline(tree), before);
            EXPECT_FALSE(tree.IsModified());
        }
    }

    // A larger tree refuses until it is below the limit again.
    LoadedTree loaded(Numbered("e", 520));
    EntryTree& tree = loaded.tree;
    EntryChange change;
    EntryId added = kNoEntry;
    for (int i = 0; i < 22; ++i)
        tree.Remove(TopLevel(tree, 1));
    EXPECT_EQ(tree.Add("refused", kNoEntry, change, added), AddOutcome::Full);
    tree.Remove(TopLevel(tree, 1));
    EXPECT_EQ(tree.Add("accepted", kNoEntry, change, added), AddOutcome::Added);
    EXPECT_EQ(tree.Count(), 500u);
}

TEST(EntryTree, NoEntryGoesBelowAChildEntry)
{
    LoadedTree loaded(K("group") + E("child"));
    EntryTree& tree = loaded.tree;
    const EntryId child = ChildOf(tree, TopLevel(tree, 1), 0);
    EntryChange change;
    EXPECT_EQ(tree.Insert(child, kNoEntry, "below", &change), kNoEntry);
    EXPECT_EQ(tree.Append(child, "below", &change), kNoEntry);
    EXPECT_TRUE(change.Empty());
    EXPECT_EQ(tree.Count(), 4u);
    EXPECT_FALSE(tree.HasChildren(child));
}

TEST(EntryTree, AnEmptyTextIsNeverAnEntry)
{
    EntryTree tree;
    const EntryId entry = tree.Append(tree.Root(), "keep");
    EntryChange change;
    EntryId added = 1;
    EXPECT_EQ(tree.Add("", kNoEntry, change, added), AddOutcome::EmptyText);
    EXPECT_EQ(added, kNoEntry);
    EXPECT_FALSE(tree.Rename(entry, "", change));
    EXPECT_EQ(tree.Drop(entry, kNoEntry, "", change), kNoEntry);
    EXPECT_TRUE(change.Empty());
    EXPECT_EQ(Outline(tree), OutlineOf("  keep\n"));
    EXPECT_FALSE(tree.IsModified());
}

TEST(EntryTree, RemoveTakesUserEntriesWithTheirChildrenIntoTheUndoStore)
{
    LoadedTree loaded(K("plain") + K("group") + E("a") + E("b") + E("c"));
    EntryTree& tree = loaded.tree;
    Copy(tree, "copied");
    const std::string outline = Outline(tree);
    for (EntryId fixed : {tree.Root(), tree.ClipboardBranch(), ChildOf(tree, tree.ClipboardBranch(), 0), kNoEntry}) {
        EXPECT_TRUE(tree.Remove(fixed).Empty()) << fixed;
    }
    EXPECT_EQ(Outline(tree), outline);
    EXPECT_TRUE(tree.UndoTexts().empty());
    EXPECT_FALSE(tree.IsModified());

    FollowingView view(tree);
    const EntryId group = TopLevel(tree, 2);
    const std::vector<EntryId> children = tree.Children(group);
    const EntryChange change = tree.Remove(group);
    EXPECT_EQ(change.removed, (std::vector<EntryId>{group, children[0], children[1], children[2]}));
    EXPECT_EQ(change.changed, std::vector<EntryId>{tree.Root()});
    view.Follow(change);
    view.ExpectInStep();
    EXPECT_EQ(tree.UndoTexts(), (std::vector<std::string>{"group", "a", "b", "c"}));
    EXPECT_EQ(Outline(tree), OutlineOf("    copied\n  plain\n"));
    EXPECT_EQ(tree.Count(), 4u);
    EXPECT_TRUE(tree.IsModified());
    for (EntryId gone : change.removed)
        EXPECT_FALSE(tree.Contains(gone));

    // The last child of a group goes: the group is a plain entry again.
    LoadedTree small(K("group") + E("only"));
    FollowingView smallView(small.tree);
    smallView.Follow(small.tree.Remove(ChildOf(small.tree, TopLevel(small.tree, 1), 0)));
    smallView.ExpectInStep();
    EXPECT_EQ(small.tree.Image(TopLevel(small.tree, 1)), EntryImage::Entry);
}

TEST(EntryTree, UndoBringsBackTheLastRemovalAtTheEndOfTheTopLevel)
{
    LoadedTree loaded(K("group") + E("one") + E("two") + K("plain") + K("last"));
    EntryTree& tree = loaded.tree;
    tree.Remove(TopLevel(tree, 1));
    tree.Remove(TopLevel(tree, 1));
    tree.SetModified(false);  // as a save leaves it
    FollowingView view(tree);
    view.Follow(tree.Undo());
    view.ExpectInStep();
    EXPECT_EQ(Outline(tree), OutlineOf("  last\n  plain\n")) << "only the second removal comes back";
    EXPECT_TRUE(tree.UndoTexts().empty());
    EXPECT_TRUE(tree.IsModified()) << "what came back is not in the data file";
    EXPECT_TRUE(tree.Undo().Empty()) << "the store is empty";

    // A group comes back with its children in their order, a child entry
    // as a plain top-level entry.
    LoadedTree other(K("group") + E("one") + E("two") + K("plain"));
    EntryTree& tree2 = other.tree;
    FollowingView view2(tree2);
    view2.Follow(tree2.Remove(TopLevel(tree2, 1)));
    view2.Follow(tree2.Undo());
    view2.ExpectInStep();
    EXPECT_EQ(Outline(tree2), OutlineOf("  plain\n  group\n    one\n    two\n"));
    view2.Follow(tree2.Remove(ChildOf(tree2, TopLevel(tree2, 2), 1)));
    view2.Follow(tree2.Undo());
    view2.ExpectInStep();
    EXPECT_EQ(Outline(tree2), OutlineOf("  plain\n  group\n    one\n  two\n"));
    EXPECT_EQ(tree2.Image(TopLevel(tree2, 3)), EntryImage::Entry);
}

TEST(EntryTree, RenameGivesAUserEntryANewTextUnderTheSameId)
{
    LoadedTree loaded(K("old") + E("child"));
    EntryTree& tree = loaded.tree;
    Copy(tree, "copied");
    EntryChange change;
    for (EntryId fixed : {tree.Root(), tree.ClipboardBranch(), ChildOf(tree, tree.ClipboardBranch(), 0), kNoEntry})
        EXPECT_FALSE(tree.Rename(fixed, "renamed", change)) << fixed;
    EXPECT_TRUE(change.Empty());
    EXPECT_FALSE(tree.IsModified());

    const EntryId entry = TopLevel(tree, 1);
    FollowingView view(tree);
    ASSERT_TRUE(tree.Rename(entry, "new", change));
    view.Follow(change);
    view.ExpectInStep();
    EXPECT_EQ(change.changed, std::vector<EntryId>{entry});
    EXPECT_TRUE(change.inserted.empty() && change.removed.empty());
    EXPECT_EQ(Outline(tree), OutlineOf("    copied\n  new\n    child\n"));
    EXPECT_TRUE(tree.IsModified());
    EXPECT_TRUE(tree.Rename(ChildOf(tree, entry, 0), "renamed child", change));
    EXPECT_EQ(Outline(tree), OutlineOf("    copied\n  new\n    renamed child\n"));
}

TEST(EntryTree, LabelsShowOneLineOfAtMostTheLongestLabelAndTheTextStaysWhole)
{
    struct Case {
        std::string text;
        std::string label;
        bool whole;
    };
    const Case cases[] = {
        {"plain", "plain", true},
        {"one\r\n\r\ntwo\tthree", "one / two three", false},
        {std::string(259, 'l'), std::string(259, 'l'), true},
        {std::string(260, 'l'), std::string(259, 'l'), false},
        {std::string(10 * 1024 * 1024, 'q') + "tail", std::string(259, 'q'), false},
    };
    EntryTree tree;
    for (const Case& c : cases) {
        const EntryId id = tree.Append(tree.Root(), c.text);
        EXPECT_EQ(tree.Label(id), c.label);
        EXPECT_EQ(tree.Text(id), c.text);
        EXPECT_EQ(tree.LabelShowsWholeText(id), c.whole) << c.label;
    }

    EntryTree pilcrow("\xB6");
    EXPECT_EQ(pilcrow.Label(pilcrow.Append(pilcrow.Root(), "one\r\ntwo")), "one\xB6two");
    Copy(pilcrow, "caf\xE9 ?", L"caf\u00e9 \u263a\r\nx");
    const EntryId history = ChildOf(pilcrow, pilcrow.ClipboardBranch(), 0);
    EXPECT_EQ(pilcrow.UnicodeLabel(history), L"caf\u00e9 \u263a\u00B6x");
    EXPECT_EQ(pilcrow.UnicodeText(history), L"caf\u00e9 \u263a\r\nx");
    EXPECT_EQ(pilcrow.UnicodeLabel(TopLevel(pilcrow, 1)), L"") << "no Unicode text, no Unicode label";
}

TEST(EntryTree, OwnEntriesDropOnlyOutsideTheHistoryAndOutsideThemselves)
{
    LoadedTree loaded(K("plain") + K("group") + E("one") + E("two"));
    EntryTree& tree = loaded.tree;
    Copy(tree, "copied");
    const EntryId root = tree.Root(), branch = tree.ClipboardBranch();
    const EntryId history = ChildOf(tree, branch, 0), plain = TopLevel(tree, 1), group = TopLevel(tree, 2);
    const EntryId two = ChildOf(tree, group, 1);
    const EntryId gone = tree.Append(root, "gone");
    tree.Discard(gone);
    struct Case {
        EntryId dragged, target;
        bool allowed;
        const char* what;
    };
    const Case cases[] = {
        {kNoEntry, root, true, "text on the root"},
        {kNoEntry, two, true, "text on a child"},
        {kNoEntry, branch, false, "text on the branch"},
        {kNoEntry, history, false, "text on a history entry"},
        {kNoEntry, gone, false, "text on an entry that went"},
        {group, group, false, "a group on itself"},
        {group, two, false, "a group into itself"},
        {root, plain, false, "the root"},
        {plain, branch, false, "onto the branch"},
        {gone, plain, false, "an entry that went"},
        {two, group, true, "a child on its own group"},
        {group, plain, true, "a group on another entry"},
        {history, plain, true, "a history entry"},
        {two, root, true, "a child on the root"},
    };
    tree.SetModified(false);
    for (const Case& c : cases) {
        EXPECT_EQ(tree.CanDropOn(c.dragged, c.target), c.allowed) << c.what;
        if (c.allowed)
            continue;
        const std::string outline = Outline(tree);
        EntryChange change;
        EXPECT_EQ(tree.Drop(c.target, c.dragged, "text", change), kNoEntry) << c.what;
        EXPECT_TRUE(change.Empty()) << c.what;
        EXPECT_EQ(Outline(tree), outline) << c.what;
        EXPECT_FALSE(tree.IsModified()) << c.what;
    }
}

TEST(EntryTree, DropsLandByTheTargetAndGroupCopiesOnTheTopLevel)
{
    const std::string start = K("plain") + K("group") + E("one") + E("two") + E("three") + K("other") + E("x");
    struct Case {
        const char* dragged;  // "text" for text from elsewhere
        const char* target;
        std::string rest;
    };
    const Case cases[] = {
        {"text", "root", "  new\n  plain\n  group\n    one\n    two\n    three\n  other\n    x\n"},
        {"text", "plain", "  plain\n    new\n  group\n    one\n    two\n    three\n  other\n    x\n"},
        {"text", "group", "  plain\n  group\n    new\n    one\n    two\n    three\n  other\n    x\n"},
        {"text", "one", "  plain\n  group\n    one\n    new\n    two\n    three\n  other\n    x\n"},
        {"plain", "root", "  plain\n  plain\n  group\n    one\n    two\n    three\n  other\n    x\n"},
        {"three", "plain", "  plain\n    three\n  group\n    one\n    two\n    three\n  other\n    x\n"},
        {"three", "one", "  plain\n  group\n    one\n    three\n    two\n    three\n  other\n    x\n"},
        {"group", "root", "  group\n    three\n    two\n    one\n  plain\n  group\n    one\n    two\n    three\n"
                          "  other\n    x\n"},
        {"group", "plain", "  plain\n  group\n    three\n    two\n    one\n  group\n    one\n    two\n    three\n"
                           "  other\n    x\n"},
        {"group", "x", "  plain\n  group\n    one\n    two\n    three\n  other\n    x\n  group\n    three\n"
                       "    two\n    one\n"},
        {"other", "two", "  plain\n  group\n    one\n    two\n    three\n  other\n    x\n  other\n    x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " on " + c.target);
        LoadedTree loaded(start);
        EntryTree& tree = loaded.tree;
        const std::string names[] = {"root", "plain", "group", "one", "two", "three", "other", "x"};
        const EntryId group = TopLevel(tree, 2), other = TopLevel(tree, 3);
        const EntryId ids[] = {tree.Root(), TopLevel(tree, 1), group, ChildOf(tree, group, 0),
                               ChildOf(tree, group, 1), ChildOf(tree, group, 2), other, ChildOf(tree, other, 0)};
        auto idOf = [&](const std::string& name) {
            for (size_t i = 0; i < std::size(names); ++i)
                if (names[i] == name)
                    return ids[i];
            return kNoEntry;
        };
        FollowingView view(tree);
        EntryChange change;
        const EntryId dropped = tree.Drop(idOf(c.target), idOf(c.dragged), "new", change);
        ASSERT_NE(dropped, kNoEntry);
        view.Follow(change);
        view.ExpectInStep();
        EXPECT_EQ(change.inserted.at(0), dropped) << "the new entry comes first";
        EXPECT_TRUE(tree.IsModified());
        EXPECT_EQ(Outline(tree), OutlineOf(c.rest));
    }
}

TEST(EntryTree, ADroppedCopyIsAnOrdinaryEntryWithTheWholeText)
{
    const std::string longText = std::string(300, 'L') + "end";
    LoadedTree loaded(K("plain") + K(longText));
    EntryTree& tree = loaded.tree;
    Copy(tree, "caf\xE9 ?", L"caf\u00e9 \u263a");
    EntryChange change;
    const EntryId copy = tree.Drop(TopLevel(tree, 1), TopLevel(tree, 2), "", change);
    EXPECT_EQ(tree.Text(copy), longText);
    const EntryId kept = tree.Drop(TopLevel(tree, 1), ChildOf(tree, tree.ClipboardBranch(), 0), "", change);
    EXPECT_EQ(tree.Text(kept), "caf\xE9 ?");
    EXPECT_EQ(tree.UnicodeText(kept), L"caf\u00e9 \u263a") << "the copy keeps every character";
    EXPECT_TRUE(tree.IsUserEntry(kept));
    EXPECT_EQ(tree.History().Texts().size(), 1u);

    // The drop path has no limit.
    LoadedTree full(Numbered("e", 498));
    EXPECT_NE(full.tree.Drop(full.tree.Root(), kNoEntry, "dropped", change), kNoEntry);
    EXPECT_EQ(full.tree.Count(), 501u);
}

TEST(EntryTree, TheClipboardBranchFollowsTheHistory)
{
    EntryTree tree;
    const EntryId entry = tree.Append(tree.Root(), "user entry");
    FollowingView view(tree);
    auto record = [&](const std::string& text, const std::wstring& unicode = std::wstring()) {
        HistoryChange listChange;
        const EntryChange change = tree.RecordClipboard(text, unicode, kAsciiComparison, listChange);
        view.Follow(change);
        view.ExpectInStep();
        EXPECT_EQ(change.removed.size(), listChange.removed.size());
        EXPECT_EQ(change.inserted.size(), listChange.added ? 1u : 0u);
        std::vector<std::string> branch;
        for (EntryId id : tree.Children(tree.ClipboardBranch()))
            branch.push_back(tree.Text(id));
        EXPECT_EQ(branch, tree.History().Texts());
        return change;
    };
    for (int i = 1; i <= 16; ++i)
        record("text " + std::to_string(i));
    EXPECT_EQ(tree.History().Texts().size(), 15u);
    EXPECT_EQ(tree.Text(ChildOf(tree, tree.ClipboardBranch(), 14)), "text 2");
    EXPECT_EQ(tree.Image(tree.ClipboardBranch()), EntryImage::Group);
    const EntryId oldest = ChildOf(tree, tree.ClipboardBranch(), 14);
    const EntryId matching = ChildOf(tree, tree.ClipboardBranch(), 5);  // "text 11"
    const EntryChange change = record("TEXT 11");
    EXPECT_EQ(change.removed, (std::vector<EntryId>{oldest, matching}));
    EXPECT_EQ(change.changed, std::vector<EntryId>{tree.ClipboardBranch()});
    record("");  // no text: the oldest of a full history goes
    EXPECT_EQ(tree.History().Texts().size(), 14u);
    record("caf\xE9 ?", L"caf\u00e9 \u263a");
    EXPECT_EQ(tree.UnicodeText(ChildOf(tree, tree.ClipboardBranch(), 0)), L"caf\u00e9 \u263a");
    EXPECT_FALSE(tree.IsModified()) << "the history is never saved";
    // Only the history changes its entries: discarding one would leave the
    // branch a step behind, and the next record would remove the wrong one.
    EXPECT_TRUE(tree.Discard(ChildOf(tree, tree.ClipboardBranch(), 0)).Empty());
    record("another text");

    const EntryChange cleared = tree.ClearHistory();
    view.Follow(cleared);
    view.ExpectInStep();
    EXPECT_EQ(cleared.removed.size(), 15u);
    EXPECT_EQ(Outline(tree), OutlineOf("  user entry\n"));
    EXPECT_TRUE(tree.History().Texts().empty());
    EXPECT_EQ(tree.Image(tree.ClipboardBranch()), EntryImage::Entry);
    EXPECT_TRUE(tree.Contains(entry));
    EXPECT_FALSE(tree.IsModified());
}

namespace {

// A case fold that runs out of memory, as any step of a record can.
unsigned char FoldShortOfMemory(unsigned char)
{
    throw std::bad_alloc();
}

}  // namespace

TEST(EntryTree, ARecordThatFailsLeavesTheHistoryAndTheBranchAsTheyWere)
{
    EntryTree tree;
    Copy(tree, "first");
    const std::string outline = Outline(tree);
    const size_t count = tree.Count();
    const TextComparison failing = {FoldShortOfMemory, FoldAsciiCaseWide, Latin1ToUnicode};
    HistoryChange listChange;
    EXPECT_THROW(tree.RecordClipboard("fir", std::wstring(), failing, listChange), std::bad_alloc);
    EXPECT_EQ(Outline(tree), outline);
    EXPECT_EQ(tree.Count(), count) << "no entry left behind";
    EXPECT_EQ(tree.History().Texts(), std::vector<std::string>{"first"});
}

TEST(EntryTree, IdsAreNeverGivenTwice)
{
    EntryTree tree;
    const EntryId removed = tree.Append(tree.Root(), "removed");
    const EntryId discarded = tree.Append(tree.Root(), "discarded");
    Copy(tree, "history");
    const EntryId history = ChildOf(tree, tree.ClipboardBranch(), 0);
    tree.Remove(removed);
    tree.Discard(discarded);
    tree.ClearHistory();
    EntryChange change;
    EntryId added = kNoEntry;
    for (int i = 0; i < 1000; ++i) {
        tree.Add("new " + std::to_string(i), kNoEntry, change, added);
        tree.Remove(added);
    }
    tree.Undo();
    for (EntryId gone : {removed, discarded, history}) {
        EXPECT_FALSE(tree.Contains(gone));
        EXPECT_EQ(tree.Text(gone), "");
        EXPECT_EQ(tree.Kind(gone), EntryKind::None);
        EXPECT_FALSE(tree.IsUserEntry(gone));
        EntryChange none;
        EXPECT_FALSE(tree.Rename(gone, "x", none));
        EXPECT_TRUE(tree.Remove(gone).Empty());
    }
    EXPECT_EQ(tree.Count(), 3u);
}
