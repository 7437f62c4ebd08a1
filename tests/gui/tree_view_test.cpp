// The tree control is a view of the entries: after every change, the items
// it holds show the entries' labels, images and order, a group's entries are
// items only once the group was expanded, the counter shows the count and
// the history list the clipboard history.
#include "AllocationFailure.h"
#include "TreeTestSupport.h"
#include <new>

namespace {

class TreeView : public TreeTest {
protected:
    // What the control holds, checked against the entries: each item's
    // label and image, and for an item whose entries are items, those in
    // the entries' order; an item that holds none must still show that it
    // has some.
    void ExpectItemsShowEntries(HTREEITEM item, const char* change)
    {
        for (; item != nullptr; item = Tree().NextSibling(item)) {
            const EntryId id = Tree().EntryOf(item);
            ASSERT_TRUE(Entries().Contains(id)) << change;
            const std::vector<EntryId>& children = Entries().Children(id);
            EXPECT_EQ(Label(item), Entries().Label(id)) << change;
            EXPECT_EQ(Tree().Image(item), static_cast<int>(Entries().Image(id))) << change;
            std::vector<EntryId> shown;
            for (HTREEITEM child = Tree().Child(item); child != nullptr; child = Tree().NextSibling(child))
                shown.push_back(Tree().EntryOf(child));
            if (!shown.empty()) {
                EXPECT_EQ(shown, children) << change;
            }
            TVITEMW query = {};
            query.mask = TVIF_CHILDREN;
            query.hItem = item;
            Tree().Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
            EXPECT_EQ(query.cChildren != 0, Entries().HasChildren(id)) << change;
            ExpectItemsShowEntries(Tree().Child(item), change);
        }
    }
    void ExpectViewFollows(const char* change)
    {
        ExpectItemsShowEntries(Root(), change);
        EXPECT_EQ(ItemText(IDC_ITEM_COUNT), std::to_string(Entries().Count())) << change;
        EXPECT_EQ(History(), Entries().History().Texts()) << "the history list: " << change;
    }
    HTREEITEM Find(const std::string& text)
    {
        Tree().Select(Root());
        SetDlgItemTextA(Hwnd(), IDC_FIND_TEXT, text.c_str());
        Click(IDC_FIND_NEXT);
        return Tree().Selection();
    }
};

TEST_F(TreeView, HoldsWhatTheUserSeesAndShowsTheEntries)
{
    std::string bytes;
    for (int group = 0; group < 30; ++group) {
        bytes += K("group " + std::to_string(group));
        for (int entry = 0; entry < 50; ++entry)
            bytes += E("entry " + std::to_string(group) + "." + std::to_string(entry));
    }
    bytes += K(std::string(10 * 1024 * 1024, 'q') + "tail");
    WriteBytesToFile(dataPath, bytes);
    ShowDialog();
    // The root, the clipboard branch and the 31 top-level entries; the
    // groups are collapsed and their entries not yet made.
    EXPECT_EQ(Tree().Count(), 33u);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "1533");
    EXPECT_TRUE(IsExpanded(Root()));
    ExpectViewFollows("loading");

    // Finding an entry of a collapsed group makes its group's items first.
    HTREEITEM found = Find("ENTRY 17.40");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(FullText(found), "entry 17.40");
    EXPECT_EQ(Tree().Count(), 83u);
    ExpectViewFollows("finding");
    // Expanding makes a group's items, once.
    Tree().Expand(TopLevel(3), TVE_EXPAND);
    Tree().Expand(TopLevel(3), TVE_COLLAPSE);
    Tree().Expand(TopLevel(3), TVE_EXPAND);
    EXPECT_EQ(Tree().Count(), 133u);
    ExpectViewFollows("expanding");
}

TEST_F(TreeView, FollowsEachKindOfChange)
{
    WriteBytesToFile(dataPath, K("plain") + K("group") + E("one") + E("two") + K("single") + E("only child"));
    ShowDialog();
    ClipboardWindow other;
    for (int i = 0; i < 17; ++i) {
        const std::string text = "copied " + std::to_string(i);
        ASSERT_TRUE(other.PutText(text));
        ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History().front() == text; }));
    }
    ExpectViewFollows("clipboard changes");

    Find("plain");
    ASSERT_TRUE(dialog->AddEntry("added to a plain entry"));
    ExpectViewFollows("adding a child");
    Tree().Select(nullptr);
    ASSERT_TRUE(dialog->AddEntry("added at the top"));
    ExpectViewFollows("adding a top-level entry");

    Find("only child");
    dialog->RemoveSelectedEntry();
    ExpectViewFollows("removing a group's last child");
    {
        MessageBoxAnswerer yes(IDYES);
        Find("group");
        dialog->RemoveSelectedEntry();
    }
    ExpectViewFollows("removing a group");
    dialog->UndoRemove();
    ExpectViewFollows("undoing the removal");

    Rename(Find("single"), L"renamed");
    ExpectViewFollows("renaming");

    POINT point = LabelPoint(Find("renamed"));
    ScreenToClient(Tree().Handle(), &point);
    ASSERT_TRUE(Tree().DropText({"dropped", L""}, point));
    ExpectViewFollows("a drop");
    HTREEITEM group = Find("group");
    PointAt(Root());
    DragOwnItem(group);
    ExpectViewFollows("a group's copy");

    dialog->ClearClipboardHistory();
    ExpectViewFollows("clearing the history");
}

// Running out of memory part-way through following a change leaves no
// group showing some of its entries and missing others: it shows none until
// it is expanded again, and then all.
TEST_F(TreeView, FollowingAChangeShortOfMemoryStillShowsTheEntries)
{
    WriteBytesToFile(dataPath, K("group") + E("one") + E("two") + K("plain"));
    ShowDialog();
    const EntryId group = Tree().EntryOf(TopLevel(1));
    ASSERT_EQ(Entries().Text(group), "group");
    // The entries change as an outside change changes them; only the view
    // runs short of memory.
    EntryTree& entries = const_cast<EntryTree&>(Entries());
    for (int granted = 0; granted < 8; ++granted) {
        SCOPED_TRACE("allocations granted: " + std::to_string(granted));
        Tree().ExpandEntry(Entries().Root());
        Tree().ExpandEntry(group);
        EntrySnapshot next = TakeSnapshot(Entries());
        SnapshotEntry entry;
        for (int i = 0; i < 3; ++i) {
            entry.text = "new " + std::to_string(granted) + "." + std::to_string(i);
            next[0].children.insert(next[0].children.begin() + i, entry);
        }
        for (int i = 0; i < 3; ++i)
            next.insert(next.begin() + 2 * i, entry);
        const EntryChange change = entries.ReplaceUserEntries(next);
        try {
            const LargeAllocationsFail shortOfMemory(1, granted);
            dialog->Follow(change);
        } catch (const std::bad_alloc&) {
        }
        ExpectViewFollows("following short of memory");
        Tree().ExpandEntry(Entries().Root());
        Tree().ExpandEntry(group);
        ExpectViewFollows("expanded again");
        EXPECT_EQ(Tree().Count(), 1 + Entries().Children(Entries().Root()).size() + Entries().Children(group).size());
    }
}

}  // namespace
