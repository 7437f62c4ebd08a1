#include "TreeTestSupport.h"
#include "framework/CodePage.h"
#include "tree/TextDropTarget.h"
#include <functional>

namespace {

ClipboardWindow* g_changer = nullptr;
std::function<void()> g_aim;

// Runs inside the drag loop while the left button is held: the clipboard
// changes, then the pointer is put on the target again (the window manager
// may have moved the dialog since) and the button is released, and the drop
// follows.
void CALLBACK ChangeClipboardThenRelease(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_changer->PutText("kept");
    g_aim();
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
    // The labels of the items the control holds under `parent`, in the
    // control's order.
    std::vector<std::string> ItemLabels(HTREEITEM parent)
    {
        std::vector<std::string> labels;
        for (HTREEITEM item = Tree().Child(parent); item != nullptr; item = Tree().NextSibling(item))
            labels.push_back(Label(item));
        return labels;
    }

    HTREEITEM plain = nullptr, group = nullptr, one = nullptr, two = nullptr, three = nullptr;
};

TEST_F(TreeDrop, TextFromElsewhereBecomesTheSelectedEntryAndTheTreeShowsIt)
{
    PointAt(Root());
    EXPECT_EQ(DropFromElsewhere("on the root"), static_cast<DWORD>(DROPEFFECT_COPY));
    HTREEITEM onRoot = Tree().Selection();
    ASSERT_NE(onRoot, nullptr);
    EXPECT_EQ(Label(onRoot), "on the root");
    EXPECT_EQ(Tree().Parent(onRoot), Root());

    // The entry dropped on was never expanded: the new entry's item is made
    // to be selected, and the item shows that the entry became a group.
    PointAt(plain);
    DropFromElsewhere("on a top-level entry");
    EXPECT_EQ(ItemLabels(plain), (std::vector<std::string>{"on a top-level entry"}));
    EXPECT_EQ(Tree().Selection(), Tree().Child(plain));
    EXPECT_EQ(Tree().Image(plain), static_cast<int>(EntryImage::Group));

    // Into an expanded group: the new item goes among the others in the
    // entries' order.
    PointAt(one);
    DropFromElsewhere("on a child");
    EXPECT_EQ(ItemLabels(group), (std::vector<std::string>{"one", "on a child", "two", "three"}));
    EXPECT_EQ(Label(Tree().Selection()), "on a child");
    EXPECT_EQ(Tree().DragEntry(), kNoEntry);
    EXPECT_EQ(Tree().Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0), 0) << "the drop highlight is gone";
}

TEST_F(TreeDrop, TextOfferedOnlyInUnicodeKeepsEveryCharacter)
{
    const std::wstring unicode = L"\u041F\u0440\u0438\u0432\u0435\u0442 caf\u00e9 \U0001F642";
    PointAt(plain);
    EXPECT_EQ(DropFromElsewhere("", unicode), static_cast<DWORD>(DROPEFFECT_COPY));
    const EntryId dropped = Tree().EntryOf(Tree().Selection());
    ASSERT_EQ(Entries().Parent(dropped), Tree().EntryOf(plain));
    EXPECT_EQ(Entries().UnicodeText(dropped), unicode);
    EXPECT_EQ(Entries().Text(dropped), ToSystemCodePageLossy(unicode)) << "the code page's best form";
}

TEST_F(TreeDrop, TheClipboardHistoryRefusesDrops)
{
    ClipboardWindow writer;
    HTREEITEM historyEntry = CopyIntoHistory(writer, "in the history");
    ASSERT_NE(historyEntry, nullptr);
    EXPECT_EQ(DragOverAnswer(Branch()), DROPEFFECT_NONE);
    EXPECT_EQ(DragOverAnswer(historyEntry), DROPEFFECT_NONE);
    EXPECT_EQ(DragOverAnswer(plain), DROPEFFECT_COPY);
    PointAt(Branch());
    EXPECT_EQ(DropFromElsewhere("refused"), static_cast<DWORD>(DROPEFFECT_NONE));
    PointAt(historyEntry);
    EXPECT_EQ(DropFromElsewhere("refused"), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(ItemLabels(Branch()), (std::vector<std::string>{"in the history"}));
}

TEST_F(TreeDrop, ADropBesideTheRowsInsertsNothing)
{
    const std::string outline = TreeOutline();
    PointBelowTheRows();
    const ClipboardTexts nowhere = {"nowhere", L""};
    EXPECT_EQ(Tree().Send(UM_DROP, reinterpret_cast<WPARAM>(&nowhere), DROPEFFECT_COPY), FALSE);
    EXPECT_EQ(TreeOutline(), outline);
}

TEST_F(TreeDrop, ADraggedGroupIsCopiedWithItsEntriesAndTheCopySelected)
{
    PointAt(plain);
    DragOwnItem(group);
    EXPECT_FALSE(Tree().IsDragging());
    EXPECT_EQ(Tree().DragEntry(), kNoEntry);
    HTREEITEM copy = Tree().Selection();
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, group);
    EXPECT_EQ(Label(copy), "group");
    Tree().ExpandEntry(Tree().EntryOf(copy));
    // The copy takes the group's entries last first.
    EXPECT_EQ(ItemLabels(copy), (std::vector<std::string>{"three", "two", "one"}));
    EXPECT_EQ(ItemLabels(group), (std::vector<std::string>{"one", "two", "three"})) << "the original stays";
}

TEST_F(TreeDrop, AHistoryEntryDeletedDuringItsDragIsDroppedAsText)
{
    ClipboardWindow writer;
    HTREEITEM historyEntry = CopyIntoHistory(writer, "kept from the history");
    ASSERT_NE(historyEntry, nullptr);

    // A clipboard change arrives while the drag runs and removes the dragged
    // entry from the history: the older text begins with the newer one.
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
    g_aim = [this] { PointAt(Root()); };
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, ChangeClipboardThenRelease);
    DragOwnItem(historyEntry);
    KillTimer(nullptr, timer);
    SendButton(MOUSEEVENTF_LEFTUP);
    PumpMessages();
    ASSERT_EQ(ItemLabels(Branch()), (std::vector<std::string>{"kept"}))
        << "the change did not come during the drag";
    HTREEITEM dropped = Tree().Selection();
    ASSERT_NE(dropped, nullptr);
    EXPECT_EQ(Tree().Parent(dropped), Root());
    EXPECT_EQ(Label(dropped), "kept from the history");
    EXPECT_EQ(FullText(dropped), "kept from the history");
    EXPECT_FALSE(Entries().HasChildren(Tree().EntryOf(dropped)));
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
    struct Case {
        const char *text, *line, *dropped;  // the pointer on the 6th character of `line`
    };
    const Case cases[] = {
        {"hello world", "hello world", "helloXY world"},
        {"first\r\nsecond\r\nthird line", "third line", "first\r\nsecond\r\nthirdXY line"},
    };
    for (const Case& c : cases) {
        SetDlgItemTextA(Hwnd(), IDC_NEW_ENTRY, c.text);
        PointAtCharacter(static_cast<int>(std::string(c.text).find(c.line)) + 5);
        EXPECT_EQ(DropFromElsewhere("XY"), static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(ItemText(IDC_NEW_ENTRY), c.dropped);
    }
}

TEST_F(DragEditDrop, TakesTheFullTextOfADraggedEntryAndIgnoresEmptyDrops)
{
    ShowDialog();
    // The label shows the line break as a mark; the text keeps it.
    HTREEITEM entry = AddItem(Root(), "the full\r\ntext");
    ASSERT_NE(Label(entry), "the full\r\ntext");
    SetDlgItemTextA(Hwnd(), IDC_NEW_ENTRY, "ab");
    PointAtCharacter(1);
    DragOwnItem(entry);
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "athe full\r\ntextb");
    EXPECT_EQ(GetFocus(), Edit()) << "entering the field focuses it";

    // Aimed again before each drop: the window manager may move the dialog
    // while it places it.
    PointAtCharacter(1);
    DropFromElsewhere("");
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "athe full\r\ntextb");
    PointAtCharacter(1);
    DropFromElsewhere("", L"\U0001F642");
    wchar_t field[64] = {};
    GetWindowTextW(Edit(), field, 64);
    EXPECT_STREQ(field, L"a\U0001F642the full\r\ntextb") << "offered only in Unicode";
    EXPECT_EQ(SendMessageA(Edit(), UM_DRAGOVER, MK_CONTROL, 0), DROPEFFECT_COPY);
}

}  // namespace
