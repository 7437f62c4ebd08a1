#include "EntryTreeTestSupport.h"
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

// `count` top-level entries.
std::string Numbered(int count)
{
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += K("e" + std::to_string(i));
    return bytes;
}

// The code page's test, which every insert asks first: here it runs out of
// memory, as any step of an insert can, once it has let `g_insertsToPass`
// inserts pass (-1: all).
int g_insertsToPass = -1;

bool FitsUntilMemoryRunsOut(const std::wstring&)
{
    if (g_insertsToPass == 0)
        throw std::bad_alloc();
    if (g_insertsToPass > 0)
        --g_insertsToPass;
    return true;
}

}  // namespace

TEST(EntryTree, StartsWithTheRootAndAnEmptyClipboardBranch)
{
    const EntryTree tree;
    EXPECT_EQ(tree.InPreOrder(), (std::vector<EntryId>{tree.Root(), tree.ClipboardBranch()}));
    EXPECT_EQ(tree.Count(), 2u);
    EXPECT_EQ(tree.Text(tree.Root()), "QuipMark Menu List");
    EXPECT_EQ(tree.Label(tree.Root()), "Quipmark Menu List") << "the label differs from the text";
    EXPECT_FALSE(tree.LabelShowsWholeText(tree.Root()));
    EXPECT_EQ(tree.Text(tree.ClipboardBranch()), "Last 15 Clipboard Entries");
    EXPECT_EQ(tree.Kind(tree.Root()), EntryKind::Root);
    EXPECT_EQ(tree.Kind(tree.ClipboardBranch()), EntryKind::TopLevel);
    EXPECT_EQ(tree.Kind(kNoEntry), EntryKind::None);
    EXPECT_EQ(tree.Image(tree.Root()), EntryImage::Program);
    EXPECT_EQ(tree.Image(tree.ClipboardBranch()), EntryImage::Entry) << "no history yet";
    EXPECT_FALSE(tree.IsModified());
    for (EntryId fixed : {tree.Root(), tree.ClipboardBranch(), kNoEntry})
        EXPECT_FALSE(tree.IsUserEntry(fixed)) << fixed;
}

TEST(EntryTree, AddPlacesTheEntryByTheSelection)
{
    // With nothing, the root or the history selected, it comes first on the top level.
    std::vector<std::pair<std::string, std::string>> cases = {
        {"plain", "^[copied] plain[new] group[g1 g2]"},
        {"group", "^[copied] plain group[g1 g2 new]"},
        {"g1", "^[copied] plain group[g1 g2 new]"},
    };
    for (const char* topLevel : {"", "root", "branch", "copied", "gone"})
        cases.push_back({topLevel, "^[copied] new plain group[g1 g2]"});
    for (const auto& [selected, shape] : cases) {
        SCOPED_TRACE(selected);
        EntryTree tree = Loaded(K("plain") + K("group") + E("g1") + E("g2"));
        const EntryId gone = tree.Remove(tree.Append(tree.Root(), "gone")).removed.at(0);
        Copy(tree, "copied");
        tree.SetModified(false);
        EntryChange change;
        EntryId added = kNoEntry;
        ASSERT_EQ(tree.Add("new", selected == "gone" ? gone : IdOf(tree, selected), change, added),
                  AddOutcome::Added);
        EXPECT_EQ(tree.Text(added), "new");
        EXPECT_EQ(change.inserted, std::vector<EntryId>{added});
        EXPECT_EQ(change.changed, std::vector<EntryId>{tree.Parent(added)}) << "the parent's image may change";
        EXPECT_TRUE(tree.IsModified());
        EXPECT_EQ(Shape(tree), shape);
    }
}

TEST(EntryTree, AddStopsAtFiveHundredEntriesCountingTheFixedOnesAndTheHistory)
{
    struct Case {
        int userEntries, historyEntries;
        bool added;
    };
    for (const Case& c : {Case{497, 0, true}, {498, 0, false}, {482, 15, true}, {483, 15, false}, {520, 0, false}}) {
        SCOPED_TRACE(std::to_string(c.userEntries) + " + " + std::to_string(c.historyEntries));
        EntryTree tree = Loaded(Numbered(c.userEntries));
        for (int i = 0; i < c.historyEntries; ++i)
            Copy(tree, "history " + std::to_string(i));
        const size_t count = tree.Count();
        EntryChange change;
        EntryId added = 1;
        EXPECT_EQ(tree.Add("one more", kNoEntry, change, added), c.added ? AddOutcome::Added : AddOutcome::Full);
        EXPECT_EQ(added != kNoEntry, c.added);
        EXPECT_EQ(tree.Count(), count + (c.added ? 1 : 0));
        EXPECT_EQ(change.Empty() && !tree.IsModified(), !c.added);
    }

    // A larger tree refuses until it is below the limit again.
    EntryTree tree = Loaded(Numbered(520));
    EntryChange change;
    EntryId added = kNoEntry;
    for (int i = 0; i < 30 && tree.Add("more", kNoEntry, change, added) == AddOutcome::Full; ++i)
        tree.Remove(TopLevel(tree, 1));
    EXPECT_EQ(tree.Count(), 500u);
}

TEST(EntryTree, NoEntryGoesBelowAChildEntry)
{
    EntryTree tree = Loaded(K("group") + E("child"));
    const EntryId child = IdOf(tree, "child");
    EntryChange change;
    EXPECT_EQ(tree.Insert(child, kNoEntry, "below", &change), kNoEntry);
    EXPECT_EQ(tree.Append(child, "below", &change), kNoEntry);
    EXPECT_TRUE(change.Empty());
    EXPECT_EQ(tree.Count(), 4u);
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
    EXPECT_EQ(Shape(tree), "^ keep");
    EXPECT_FALSE(tree.IsModified());
}

TEST(EntryTree, RemoveTakesUserEntriesWithTheirChildrenIntoTheUndoStore)
{
    EntryTree tree = Loaded(K("plain") + K("group") + E("a") + E("b") + K("last") + E("only"));
    Copy(tree, "copied");
    for (const char* fixed : {"root", "branch", "copied", ""})
        EXPECT_TRUE(tree.Remove(IdOf(tree, fixed)).Empty()) << fixed;
    EXPECT_TRUE(tree.UndoTexts().empty());
    EXPECT_FALSE(tree.IsModified());

    FollowingView view(tree);
    const EntryId group = IdOf(tree, "group");
    const std::vector<EntryId> removed = {group, ChildOf(tree, group, 0), ChildOf(tree, group, 1)};
    const EntryChange change = tree.Remove(group);
    EXPECT_EQ(change.removed, removed);
    EXPECT_EQ(change.changed, std::vector<EntryId>{tree.Root()});
    view.Follow(change);
    EXPECT_EQ(tree.UndoTexts(), (std::vector<std::string>{"group", "a", "b"}));
    EXPECT_TRUE(tree.IsModified());
    // The last child of a group goes: the group is a plain entry again.
    view.Follow(tree.Remove(IdOf(tree, "only")));
    view.ExpectInStep();
    EXPECT_EQ(Shape(tree), "^[copied] plain last");
    EXPECT_EQ(tree.Image(IdOf(tree, "last")), EntryImage::Entry);
}

TEST(EntryTree, UndoBringsBackTheLastRemovalAtTheEndOfTheTopLevel)
{
    EntryTree tree = Loaded(K("group") + E("one") + E("two") + K("plain"));
    FollowingView view(tree);
    view.Follow(tree.Remove(IdOf(tree, "group")));
    tree.SetModified(false);  // as a save leaves it
    view.Follow(tree.Undo());
    EXPECT_EQ(Shape(tree), "^ plain group[one two]") << "a group comes back with its children in their order";
    EXPECT_TRUE(tree.IsModified()) << "what came back is not in the data file";
    EXPECT_TRUE(tree.UndoTexts().empty() && tree.Undo().Empty()) << "the store is empty";

    view.Follow(tree.Remove(IdOf(tree, "plain")));
    view.Follow(tree.Remove(IdOf(tree, "two")));
    view.Follow(tree.Undo());
    view.ExpectInStep();
    EXPECT_EQ(Shape(tree), "^ group[one] two") << "only the last removal comes back, a child as a plain entry";
    EXPECT_EQ(tree.Image(IdOf(tree, "two")), EntryImage::Entry);
}

TEST(EntryTree, UndoAndGroupDropsBringEveryEntryOrNone)
{
    for (bool undo : {true, false}) {
        for (int passing : {1, 2}) {
            SCOPED_TRACE(std::string(undo ? "undo" : "drop") + ", failing after " + std::to_string(passing));
            g_insertsToPass = -1;
            EntryTree tree(" / ", FitsUntilMemoryRunsOut);
            ASSERT_TRUE(DecodeEntries(K("group") + E("one") + E("two") + K("plain"), tree));
            if (undo)
                tree.Remove(IdOf(tree, "group"));
            tree.SetModified(false);
            const std::string before = Shape(tree);
            const size_t count = tree.Count();
            FollowingView view(tree);
            EntryChange change;
            auto act = [&] {
                change = EntryChange();
                if (undo)
                    change = tree.Undo();
                else
                    tree.Drop(IdOf(tree, "plain"), IdOf(tree, "group"), "", change);
            };
            g_insertsToPass = passing;
            EXPECT_THROW(act(), std::bad_alloc);
            EXPECT_EQ(Shape(tree), before);
            EXPECT_EQ(tree.Count(), count) << "no entry left behind";
            EXPECT_FALSE(tree.IsModified());
            EXPECT_EQ(tree.UndoTexts().size(), undo ? 3u : 0u);

            g_insertsToPass = -1;
            act();
            view.Follow(change);
            view.ExpectInStep();
            EXPECT_EQ(Shape(tree), undo ? "^ plain group[one two]" : "^ group[one two] plain group[two one]");
            EXPECT_TRUE(tree.IsModified());
        }
    }
}

TEST(EntryTree, RenameGivesAUserEntryANewTextUnderTheSameId)
{
    EntryTree tree = Loaded(K("old") + E("child"));
    Copy(tree, "copied");
    EntryChange change;
    for (const char* fixed : {"root", "branch", "copied", ""})
        EXPECT_FALSE(tree.Rename(IdOf(tree, fixed), "renamed", change)) << fixed;
    EXPECT_TRUE(change.Empty());
    EXPECT_FALSE(tree.IsModified());

    const EntryId entry = IdOf(tree, "old");
    ASSERT_TRUE(tree.Rename(entry, "new", change));
    EXPECT_EQ(tree.Label(entry), "new");
    EXPECT_EQ(change.changed, std::vector<EntryId>{entry});
    EXPECT_TRUE(change.inserted.empty() && change.removed.empty());
    EXPECT_TRUE(tree.IsModified());
    EXPECT_TRUE(tree.Rename(IdOf(tree, "child"), "renamed child", change));
    EXPECT_EQ(Shape(tree), "^[copied] new[renamed child]");
}

TEST(EntryTree, LabelsShowOneLineOfAtMostTheLongestLabelAndTheTextStaysWhole)
{
    struct Case {
        std::string text, label;
        bool whole;
    };
    const Case cases[] = {
        {"one\r\n\r\ntwo\tthree", "one / two three", false},
        {std::string(259, 'l'), std::string(259, 'l'), true},
        {std::string(260, 'l'), std::string(259, 'l'), false},
    };
    EntryTree tree;
    for (const Case& c : cases) {
        const EntryId id = tree.Append(tree.Root(), c.text);
        EXPECT_EQ(tree.Label(id), c.label);
        EXPECT_EQ(tree.Text(id), c.text);
        EXPECT_EQ(tree.LabelShowsWholeText(id), c.whole) << c.label;
    }

    EntryTree pilcrow("\xB6");
    pilcrow.Append(pilcrow.Root(), "one\r\ntwo");
    Copy(pilcrow, "caf\xE9 ?", L"caf\u00e9 \u263a\r\nx");
    const EntryId history = ChildOf(pilcrow, pilcrow.ClipboardBranch(), 0);
    EXPECT_EQ(pilcrow.UnicodeLabel(history), L"caf\u00e9 \u263a\u00B6x");
    EXPECT_EQ(pilcrow.UnicodeText(history), L"caf\u00e9 \u263a\r\nx");
    EXPECT_EQ(pilcrow.Label(TopLevel(pilcrow, 1)), "one\xB6two");
    EXPECT_EQ(pilcrow.UnicodeLabel(TopLevel(pilcrow, 1)), L"") << "no Unicode text, no Unicode label";
}

TEST(EntryTree, OwnEntriesDropOnlyOutsideTheHistoryAndOutsideThemselves)
{
    EntryTree tree = Loaded(K("plain") + K("group") + E("one") + E("two"));
    Copy(tree, "copied");
    const EntryId gone = tree.Append(tree.Root(), "gone");
    tree.Discard(gone);
    tree.SetModified(false);
    struct Case {
        const char *dragged, *target;  // "" for text from elsewhere; "gone" for an entry that went
        bool allowed;
    };
    const Case cases[] = {
        {"", "root", true},       {"", "two", true},       {"", "branch", false},   {"", "copied", false},
        {"", "gone", false},      {"group", "group", false}, {"group", "two", false}, {"root", "plain", false},
        {"plain", "branch", false}, {"gone", "plain", false}, {"two", "group", true}, {"group", "plain", true},
        {"copied", "plain", true}, {"two", "root", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " on " + c.target);
        const auto id = [&](const std::string& name) { return name == "gone" ? gone : IdOf(tree, name); };
        EXPECT_EQ(tree.CanDropOn(id(c.dragged), id(c.target)), c.allowed);
        if (c.allowed)
            continue;
        EntryChange change;
        EXPECT_EQ(tree.Drop(id(c.target), id(c.dragged), "text", change), kNoEntry);
        EXPECT_TRUE(change.Empty());
        EXPECT_EQ(Shape(tree), "^[copied] plain group[one two]");
        EXPECT_FALSE(tree.IsModified());
    }
}

TEST(EntryTree, DropsLandByTheTargetAndGroupCopiesOnTheTopLevel)
{
    struct Case {
        const char *dragged, *target, *shape;  // dragged "": the text "new" from elsewhere
    };
    const Case cases[] = {
        {"", "root", "^ new plain group[one two three] other[x] last"},
        {"", "plain", "^ plain[new] group[one two three] other[x] last"},
        {"", "group", "^ plain group[new one two three] other[x] last"},
        {"", "one", "^ plain group[one new two three] other[x] last"},
        {"plain", "root", "^ plain plain group[one two three] other[x] last"},
        {"three", "plain", "^ plain[three] group[one two three] other[x] last"},
        {"three", "one", "^ plain group[one three two three] other[x] last"},
        {"group", "root", "^ group[three two one] plain group[one two three] other[x] last"},
        {"group", "plain", "^ plain group[three two one] group[one two three] other[x] last"},
        {"group", "x", "^ plain group[one two three] other[x] group[three two one] last"},
        {"other", "two", "^ plain group[one two three] other[x] other[x] last"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " on " + c.target);
        EntryTree tree = Loaded(K("plain") + K("group") + E("one") + E("two") + E("three") + K("other") + E("x") +
                                K("last"));
        FollowingView view(tree);
        EntryChange change;
        const EntryId dropped = tree.Drop(IdOf(tree, c.target), IdOf(tree, c.dragged), "new", change);
        ASSERT_NE(dropped, kNoEntry);
        view.Follow(change);
        view.ExpectInStep();
        EXPECT_EQ(change.inserted.at(0), dropped) << "the new entry comes first";
        EXPECT_TRUE(tree.IsModified());
        EXPECT_EQ(Shape(tree), c.shape);
    }
}

TEST(EntryTree, ADroppedCopyIsAnOrdinaryEntryWithTheWholeText)
{
    const std::string longText = std::string(300, 'L') + "end";
    EntryTree tree = Loaded(K("plain") + K(longText));
    Copy(tree, "copied");
    EntryChange change;
    EXPECT_EQ(tree.Text(tree.Drop(TopLevel(tree, 1), TopLevel(tree, 2), "", change)), longText);
    const EntryId kept = tree.Drop(TopLevel(tree, 1), ChildOf(tree, tree.ClipboardBranch(), 0), "", change);
    EXPECT_EQ(tree.Text(kept), "copied");
    EXPECT_TRUE(tree.IsUserEntry(kept));
    EXPECT_EQ(tree.History().Texts().size(), 1u);

    EntryTree full = Loaded(Numbered(498));
    EXPECT_NE(full.Drop(full.Root(), kNoEntry, "dropped", change), kNoEntry) << "the drop path has no limit";
    EXPECT_EQ(full.Count(), 501u);
}

TEST(EntryTree, TheClipboardBranchFollowsTheHistory)
{
    EntryTree tree;
    tree.Append(tree.Root(), "user entry");
    const EntryId branch = tree.ClipboardBranch();
    FollowingView view(tree);
    auto record = [&](const std::string& text, const std::wstring& unicode = std::wstring()) {
        HistoryChange listChange;
        const EntryChange change = tree.RecordClipboard(text, unicode, kAsciiComparison, listChange);
        view.Follow(change);
        view.ExpectInStep();
        EXPECT_EQ(change.removed.size(), listChange.removed.size());
        EXPECT_EQ(change.inserted.size(), listChange.added ? 1u : 0u);
        std::vector<std::string> shown;
        for (EntryId id : tree.Children(branch))
            shown.push_back(tree.Text(id));
        EXPECT_EQ(shown, tree.History().Texts());
        return change;
    };
    for (int i = 1; i <= 16; ++i)
        record("text " + std::to_string(i));
    EXPECT_EQ(tree.Image(branch), EntryImage::Group);
    const std::vector<EntryId> gone = {ChildOf(tree, branch, 14), IdOf(tree, "text 11")};
    const EntryChange change = record("TEXT 11");
    EXPECT_EQ(change.removed, gone) << "the oldest, then the text the new one begins";
    EXPECT_EQ(change.changed, std::vector<EntryId>{branch});
    record("");  // no text: the oldest of a full history goes
    EXPECT_EQ(tree.History().Texts().size(), 14u);
    record("caf\xE9 ?", L"caf\u00e9 \u263a");
    EXPECT_EQ(tree.UnicodeText(ChildOf(tree, branch, 0)), L"caf\u00e9 \u263a");
    EXPECT_FALSE(tree.IsModified()) << "the history is never saved";
    // Only the history changes its entries: discarding one would leave the
    // branch a step behind, and the next record would remove the wrong one.
    EXPECT_TRUE(tree.Discard(ChildOf(tree, branch, 0)).Empty());
    record("another text");

    const EntryChange cleared = tree.ClearHistory();
    view.Follow(cleared);
    view.ExpectInStep();
    EXPECT_EQ(cleared.removed.size(), 15u);
    EXPECT_EQ(Shape(tree), "^ user entry");
    EXPECT_TRUE(tree.History().Texts().empty());
    EXPECT_EQ(tree.Image(branch), EntryImage::Entry);
    EXPECT_FALSE(tree.IsModified());
}

TEST(EntryTree, ATextBeginningOnlyTheOldestOfAFullHistoryTakesItsPlaceOnce)
{
    EntryTree tree;
    Copy(tree, "oldest");
    for (int i = 1; i < 15; ++i)
        Copy(tree, "text " + std::to_string(i));
    FollowingView view(tree);
    HistoryChange listChange;
    view.Follow(tree.RecordClipboard("OLD", std::wstring(), kAsciiComparison, listChange));
    view.ExpectInStep();
    EXPECT_EQ(listChange.removed, std::vector<int>{14}) << "the oldest goes once, as the oldest";
    const std::vector<std::string>& texts = tree.History().Texts();
    ASSERT_EQ(texts.size(), 15u);
    EXPECT_EQ(texts.front(), "OLD");
    EXPECT_EQ(texts.back(), "text 1");
    const std::vector<EntryId>& branch = tree.Children(tree.ClipboardBranch());
    ASSERT_EQ(branch.size(), 15u);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(tree.Text(branch[i]), texts[i]);
}

TEST(EntryTree, ARecordThatFailsLeavesTheHistoryAndTheBranchAsTheyWere)
{
    EntryTree tree;
    Copy(tree, "first");
    // A case fold that runs out of memory, as any step of a record can.
    const TextComparison failing = {[](unsigned char) -> unsigned char { throw std::bad_alloc(); },
                                    FoldAsciiCaseWide, Latin1ToUnicode};
    HistoryChange listChange;
    EXPECT_THROW(tree.RecordClipboard("fir", std::wstring(), failing, listChange), std::bad_alloc);
    EXPECT_EQ(Shape(tree), "^[first]");
    EXPECT_EQ(tree.Count(), 3u) << "no entry left behind";
    EXPECT_EQ(tree.History().Texts(), std::vector<std::string>{"first"});
}

TEST(EntryTree, IdsAreNeverGivenTwice)
{
    EntryTree tree;
    const EntryId removed = tree.Append(tree.Root(), "removed");
    const EntryId discarded = tree.Append(tree.Root(), "discarded");
    Copy(tree, "history");
    const EntryId history = IdOf(tree, "history");
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
    }
    EXPECT_EQ(tree.Count(), 3u);
}
