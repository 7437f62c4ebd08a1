#include "TreeTestSupport.h"
#include "tree/OleMyDropTarget.h"

namespace {

ClipboardWindow* g_changer = nullptr;

void SendButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Runs inside the drag loop while the left button is held: the clipboard
// changes, then the button is released and the drop follows.
void CALLBACK ChangeClipboardThenRelease(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_changer->PutText("a newer text");
    SendButton(MOUSEEVENTF_LEFTUP);
}

class TreeDrop : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        ShowDialog();
        plain = AddItem(Root(), "plain");
        group = AddItem(Root(), "group");
        one = AddItem(group, "one");
        two = AddItem(group, "two");
        three = AddItem(group, "three");
        dialog->SetModified(false);
    }
    LRESULT DragOverAnswer(HTREEITEM item)
    {
        POINT point = LabelPoint(item);
        ScreenToClient(Tree().Handle(), &point);
        return Tree().Send(UM_DRAGOVER, 0, reinterpret_cast<LPARAM>(&point));
    }

    HTREEITEM plain = nullptr, group = nullptr, one = nullptr, two = nullptr, three = nullptr;
};

TEST_F(TreeDrop, TextFromElsewhereLandsWhereThePlacementTableSays)
{
    PointAt(Root());
    EXPECT_EQ(DropFromElsewhere("on the root"), static_cast<DWORD>(DROPEFFECT_COPY));
    HTREEITEM onRoot = TopLevel(1);
    EXPECT_EQ(Label(onRoot), "on the root") << "first after the clipboard branch";
    EXPECT_EQ(FullText(onRoot), "on the root");
    EXPECT_EQ(Tree().Selection(), onRoot);
    EXPECT_TRUE(dialog->IsModified());

    PointAt(plain);
    DropFromElsewhere("on a top-level entry");
    EXPECT_EQ(ChildLabels(plain), (std::vector<std::string>{"on a top-level entry"}));
    EXPECT_EQ(Tree().Image(plain), 1) << "the entry became a group";

    PointAt(one);
    DropFromElsewhere("on a child");
    EXPECT_EQ(ChildLabels(group), (std::vector<std::string>{"one", "on a child", "two", "three"}));
    EXPECT_EQ(Tree().DragItem(), nullptr);
    EXPECT_EQ(Tree().Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0), 0) << "the drop highlight is gone";
}

TEST_F(TreeDrop, TheClipboardHistoryRefusesDrops)
{
    ClipboardWindow writer;
    writer.PutText("in the history");
    ASSERT_TRUE(PumpUntil([&] { return Tree().Child(Branch()) != nullptr; }));
    Tree().Expand(Branch(), TVE_EXPAND);
    const std::string outline = TreeOutline();

    EXPECT_EQ(DragOverAnswer(Branch()), DROPEFFECT_NONE);
    EXPECT_EQ(DragOverAnswer(Tree().Child(Branch())), DROPEFFECT_NONE);
    EXPECT_EQ(DragOverAnswer(plain), DROPEFFECT_COPY);
    PointAt(Branch());
    EXPECT_EQ(DropFromElsewhere("refused"), static_cast<DWORD>(DROPEFFECT_NONE));
    PointAt(Tree().Child(Branch()));
    EXPECT_EQ(DropFromElsewhere("refused"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(TreeOutline(), outline);
    EXPECT_FALSE(dialog->IsModified());
}

TEST_F(TreeDrop, AnEmptyTextInsertsNothing)
{
    const std::string outline = TreeOutline();
    PointAt(plain);
    DropFromElsewhere("");
    POINT point = LabelPoint(plain);
    SetCursorPos(point.x, point.y);
    EXPECT_EQ(Tree().Send(UM_DROP, reinterpret_cast<WPARAM>(""), DROPEFFECT_COPY), FALSE);
    EXPECT_EQ(TreeOutline(), outline);
    EXPECT_FALSE(dialog->IsModified());
}

TEST_F(TreeDrop, ADropBesideTheRowsInsertsNothing)
{
    const std::string outline = TreeOutline();
    RECT client;
    GetClientRect(Tree().Handle(), &client);
    POINT below = {client.right / 2, client.bottom - 5};
    ClientToScreen(Tree().Handle(), &below);
    SetCursorPos(below.x, below.y);
    EXPECT_EQ(Tree().Send(UM_DROP, reinterpret_cast<WPARAM>("nowhere"), DROPEFFECT_COPY), FALSE);
    EXPECT_EQ(TreeOutline(), outline);
}

TEST_F(TreeDrop, DropRuleForTheTreesOwnDrags)
{
    EXPECT_FALSE(Tree().CanDropOn(group, group));
    EXPECT_FALSE(Tree().CanDropOn(group, two)) << "inside the dragged subtree";
    EXPECT_FALSE(Tree().CanDropOn(Root(), plain));
    EXPECT_FALSE(Tree().CanDropOn(plain, Branch()));
    EXPECT_TRUE(Tree().CanDropOn(two, group));
    EXPECT_TRUE(Tree().CanDropOn(group, plain));
    EXPECT_TRUE(Tree().CanDropOn(nullptr, Root()));
}

TEST_F(TreeDrop, ACopiedGroupListsItsChildrenInReverseWithFullTexts)
{
    const std::string longText(300, 'L');
    HTREEITEM lengthy = dialog->InsertEntry(group, TVI_LAST, longText, longText, 2);
    dialog->RefreshImagesAndCount();

    PointAt(plain);
    DragOwnItem(group);
    // A group always lands on the top level, right after the entry it was
    // dropped on.
    HTREEITEM copy = Tree().NextSibling(plain);
    ASSERT_NE(copy, group);
    EXPECT_EQ(Label(copy), "group");
    EXPECT_EQ(FullText(copy), "group");
    const std::vector<std::string> labels = ChildLabels(copy);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_EQ(labels[0].size(), 254u);
    EXPECT_EQ((std::vector<std::string>(labels.begin() + 1, labels.end())),
              (std::vector<std::string>{"three", "two", "one"}));
    EXPECT_EQ(FullText(Tree().Child(copy)), longText);
    EXPECT_EQ(ChildLabels(group).size(), 4u);
    EXPECT_EQ(FullText(lengthy), longText);
    EXPECT_NE(Tree().Data(Tree().Child(copy)), Tree().Data(lengthy)) << "a slot of its own";
    EXPECT_TRUE(dialog->IsModified());
    EXPECT_EQ(Tree().Selection(), copy);
}

TEST_F(TreeDrop, CopiesLandByTheTableToo)
{
    HTREEITEM other = AddItem(Root(), "other group");
    AddItem(other, "its child");
    PointAt(two);
    DragOwnItem(other);
    EXPECT_EQ(Label(Tree().NextSibling(group)), "other group") << "a group dropped in a group goes after it";
    EXPECT_EQ(ChildLabels(Tree().NextSibling(group)), (std::vector<std::string>{"its child"}));

    PointAt(plain);
    DragOwnItem(three);
    EXPECT_EQ(ChildLabels(plain), (std::vector<std::string>{"three"}));

    PointAt(Root());
    DragOwnItem(one);
    EXPECT_EQ(Label(TopLevel(1)), "one");
    EXPECT_EQ(ChildLabels(group), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(TreeDrop, AHistoryEntryDeletedDuringItsDragIsDroppedAsText)
{
    ClipboardWindow writer;
    writer.PutText("kept from the history");
    ASSERT_TRUE(PumpUntil([&] { return Tree().Child(Branch()) != nullptr; }));
    Tree().Expand(Branch(), TVE_EXPAND);
    HTREEITEM historyEntry = Tree().Child(Branch());

    // A clipboard change arrives while the drag runs and rebuilds the
    // history, deleting the dragged entry.
    // The button goes down on the dialog beside the tree and stays down, so
    // the drag lasts until the timer lets it go.
    RECT tree;
    GetWindowRect(Tree().Handle(), &tree);
    SetCursorPos(tree.left + 20, tree.top - 4);
    SendButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([] { return GetKeyState(VK_LBUTTON) < 0; }));
    // The root's row stays where it is while the history changes below it.
    PointAt(Root());
    g_changer = &writer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, ChangeClipboardThenRelease);
    DragOwnItem(historyEntry);
    KillTimer(nullptr, timer);
    SendButton(MOUSEEVENTF_LEFTUP);
    PumpMessages();
    ASSERT_EQ(Label(Tree().Child(Branch())), "a newer text") << "the change did not come during the drag";
    HTREEITEM dropped = TopLevel(1);
    EXPECT_EQ(Label(dropped), "kept from the history");
    EXPECT_EQ(FullText(dropped), "kept from the history");
    EXPECT_FALSE(Tree().HasChildren(dropped));
}

TEST_F(TreeDrop, AHistoryEntryDraggedIntoTheTreeBecomesAnOrdinaryEntry)
{
    ClipboardWindow writer;
    writer.PutText("worth keeping");
    ASSERT_TRUE(PumpUntil([&] { return Tree().Child(Branch()) != nullptr; }));
    Tree().Expand(Branch(), TVE_EXPAND);
    PointAt(plain);
    DragOwnItem(Tree().Child(Branch()));
    HTREEITEM kept = Tree().Child(plain);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(Label(kept), "worth keeping");
    EXPECT_FALSE(Tree().IsInClipboardBranch(kept));
}

class DragEditDrop : public TreeTest {
protected:
    HWND Edit() { return GetDlgItem(Hwnd(), IDC_NEW_ENTRY); }
    void PointAtCharacter(int index)
    {
        const LRESULT at = SendMessageA(Edit(), EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
        POINT point = {static_cast<short>(LOWORD(at)) + 1, static_cast<short>(HIWORD(at)) + 3};
        ClientToScreen(Edit(), &point);
        SetCursorPos(point.x, point.y);
    }
};

TEST_F(DragEditDrop, InsertsAtTheCharacterUnderThePointer)
{
    ShowDialog();
    SetDlgItemTextA(Hwnd(), IDC_NEW_ENTRY, "hello world");
    PointAtCharacter(5);
    EXPECT_EQ(DropFromElsewhere("XY"), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "helloXY world");
}

TEST_F(DragEditDrop, InsertsOnTheThirdLineNotAtTheEnd)
{
    ShowDialog();
    SetDlgItemTextA(Hwnd(), IDC_NEW_ENTRY, "first\r\nsecond\r\nthird line");
    const int third = static_cast<int>(SendMessageA(Edit(), EM_LINEINDEX, 2, 0));
    PointAtCharacter(third + 5);
    DropFromElsewhere("XY");
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "first\r\nsecond\r\nthirdXY line");
}

TEST_F(DragEditDrop, TakesTheFullTextOfADraggedEntryAndIgnoresEmptyDrops)
{
    ShowDialog();
    HTREEITEM entry = dialog->InsertEntry(Root(), TVI_LAST, "short label", "the full text", 2);
    Tree().Expand(Root(), TVE_EXPAND);
    SetDlgItemTextA(Hwnd(), IDC_NEW_ENTRY, "ab");
    PointAtCharacter(1);
    DragOwnItem(entry);
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "athe full textb");
    EXPECT_EQ(GetFocus(), Edit()) << "entering the field focuses it";

    DropFromElsewhere("");
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "athe full textb");
    EXPECT_EQ(SendMessageA(Edit(), UM_DRAGOVER, MK_CONTROL, 0), DROPEFFECT_COPY);
}

}  // namespace
