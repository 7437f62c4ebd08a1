#include "AllocationFailure.h"
#include "TreeTestSupport.h"

namespace {

class EditCommands : public TreeTest {
protected:
    // Replaces the field's text as typing does, with a change notification.
    void TypeNewEntry(const std::string& text)
    {
        HWND edit = GetDlgItem(Hwnd(), IDC_NEW_ENTRY);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Add(const std::string& text)
    {
        TypeNewEntry(text);
        Click(IDC_ADD);
    }
    // A real double click, through the input queue, in the middle of an
    // item's label.
    void DoubleClick(HTREEITEM item)
    {
        dialog->ShowConfiguration();
        // The window manager may still move the dialog after showing it: aim
        // until the pointer really rests on the wanted part of the item.
        const bool aimed = PumpUntil([&] {
            PointAt(item);
            PumpUntil([] { return false; }, 60);
            UINT flags = 0;
            return Tree().HitTest(Tree().CursorPosInClient(), &flags) == item && (flags & TVHT_ONITEMLABEL) != 0;
        }, 5000);
        ASSERT_TRUE(aimed);
        for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP})
            SendButton(button);
    }
};

TEST_F(EditCommands, ButtonsFollowTheSelectionTheNewTextAndTheUndoStore)
{
    StartWith(K("top") + E("child"));
    SetClipboardText("copied");
    ASSERT_TRUE(PumpUntil([&] { return Entries().HasChildren(Entries().ClipboardBranch()); }));
    for (int id : {IDC_ADD, IDC_REMOVE, IDC_RENAME, IDC_UNDO, IDC_SAVE})
        EXPECT_FALSE(Enabled(id)) << id;

    TypeNewEntry("x");
    EXPECT_TRUE(Enabled(IDC_ADD));
    TypeNewEntry("");
    EXPECT_FALSE(Enabled(IDC_ADD));

    struct Case {
        HTREEITEM item;
        bool editable;
        const char* what;
    };
    Tree().ExpandEntry(Entries().ClipboardBranch());
    Tree().ExpandEntry(Tree().EntryOf(TopLevel(1)));
    const Case cases[] = {{Root(), false, "root"},
                          {Branch(), false, "clipboard branch"},
                          {Tree().Child(Branch()), false, "history entry"},
                          {TopLevel(1), true, "top-level entry"},
                          {Tree().Child(TopLevel(1)), true, "child entry"}};
    for (const Case& c : cases) {
        Tree().Select(c.item);
        EXPECT_EQ(Enabled(IDC_REMOVE), c.editable) << c.what;
        EXPECT_EQ(Enabled(IDC_RENAME), c.editable) << c.what;
    }
    Tree().Select(Tree().Child(TopLevel(1)));
    Click(IDC_REMOVE);
    EXPECT_TRUE(Enabled(IDC_UNDO));
    Click(IDC_UNDO);
    EXPECT_FALSE(Enabled(IDC_UNDO));
}

TEST_F(EditCommands, AddShowsTheNewEntrySelectedAndEmptiesTheField)
{
    StartWith(K("older") + K("group") + E("g1"));
    dialog->ShowConfiguration();

    Add("first");  // nothing selected
    EXPECT_EQ(Tree().Label(TopLevel(1)), "first");
    EXPECT_EQ(Tree().Selection(), TopLevel(1));
    EXPECT_EQ(Tree().Image(TopLevel(1)), 2);
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_EQ(GetFocus(), GetDlgItem(Hwnd(), IDC_NEW_ENTRY));

    // Into a group that was never expanded: it opens, showing its entries.
    Tree().Select(TopLevel(3));
    Add("g2");
    EXPECT_TRUE(IsExpanded(TopLevel(3)));
    HTREEITEM added = Tree().NextSibling(Tree().Child(TopLevel(3)));
    EXPECT_EQ(Tree().Label(added), "g2");
    EXPECT_EQ(Tree().Selection(), added);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "7");
}

TEST_F(EditCommands, AddRefusesAtFiveHundredItemsAndKeepsTheText)
{
    std::string bytes;
    for (int i = 0; i < 498; ++i)
        bytes += K("e" + std::to_string(i));
    StartWith(bytes);
    dialog->ShowConfiguration();
    MessageBoxAnswerer boxes(IDOK);
    Add("one too many");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Texts()[0],
              "You have reached the maximum of 500 entries.\nYou will have to delete some entries first.");
    EXPECT_EQ(Tree().Count(), 500u);
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "one too many");
    EXPECT_EQ(GetFocus(), GetDlgItem(Hwnd(), IDC_NEW_ENTRY));
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(Hwnd(), IDC_NEW_ENTRY, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 12u);
}

TEST_F(EditCommands, RemovingAGroupAsksAndNoKeepsEverything)
{
    StartWith(K("plain") + K("group") + E("a") + E("b") + E("c"));
    MessageBoxAnswerer boxes(IDNO);
    Tree().Select(TopLevel(2));
    Click(IDC_REMOVE);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Texts()[0], "This item has sub-entries.\nDo you want to delete it?");
    EXPECT_EQ(Tree().Label(TopLevel(2)), "group");
    EXPECT_FALSE(Enabled(IDC_SAVE));

    boxes.SetButton(IDYES);
    Click(IDC_REMOVE);
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(TopLevel(2), nullptr);
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_TRUE(Enabled(IDC_UNDO));

    Tree().Select(TopLevel(1));
    Click(IDC_REMOVE);  // no children: no question
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(TopLevel(1), nullptr);
}

TEST_F(EditCommands, RenamingAnEntryWhoseLabelIsCutAsksFirstAndCancellingChangesNothing)
{
    const std::string text(300, 'w');
    StartWith(K(text));
    HTREEITEM item = TopLevel(1);
    const std::string label = Tree().Label(item);
    MessageBoxAnswerer boxes(IDNO);
    Rename(item, UnicodeLabel(item));
    EXPECT_EQ(boxes.Count(), 0) << "a field left as it was asks nothing";
    Rename(item, L"discarded", false);
    EXPECT_EQ(boxes.Count(), 0) << "a cancelled edit asks nothing";
    EXPECT_EQ(Tree().Label(item), label);

    Rename(item, L"renamed");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Texts()[0],
              "The entry you are editing is longer than can be shown in the tree\n"
              "Pressing OK will use the new value and you will lose the unseen data\n"
              "Do you wish to proceed?");
    EXPECT_EQ(Tree().Label(item), label);
    EXPECT_EQ(FullText(item), text) << "after a cancel and a No";
    EXPECT_FALSE(Enabled(IDC_SAVE));

    boxes.SetButton(IDYES);
    Rename(item, L"renamed");
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(Tree().Label(item), "renamed");
    EXPECT_EQ(FullText(item), "renamed");
    EXPECT_TRUE(Enabled(IDC_SAVE));
}

TEST_F(EditCommands, ARenameThatFailedPartWayLeavesLaterRenamesWorking)
{
    StartWith(K(std::string(300, 'h')) + K("small"));
    {
        // Telling whether the label shows the whole text needs the label.
        const LargeAllocationsFail shortOfMemory(256);
        Rename(TopLevel(1), L"not taken");
    }
    EXPECT_EQ(FullText(TopLevel(1)), std::string(300, 'h'));
    Rename(TopLevel(2), L"renamed");
    EXPECT_EQ(Tree().Label(TopLevel(2)), "renamed");
    EXPECT_EQ(FullText(TopLevel(2)), "renamed");
}

TEST_F(EditCommands, DoubleClickDeliversEntriesButOnlyTogglesGroups)
{
    StartWith(K("group") + E("child text") + K("plain"));
    EmptyTheClipboard();
    const bool wasExpanded = IsExpanded(TopLevel(1));
    DoubleClick(TopLevel(1));
    EXPECT_TRUE(PumpUntil([&] { return IsExpanded(TopLevel(1)) != wasExpanded; }));
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "") << "a group hands nothing out";
    EXPECT_EQ(ClipboardText(), "<none>");

    if (!IsExpanded(TopLevel(1)))
        Tree().Expand(TopLevel(1), TVE_EXPAND);
    DoubleClick(Tree().Child(TopLevel(1)));
    EXPECT_TRUE(PumpUntil([&] { return ItemText(IDC_NEW_ENTRY) == "child text"; }));
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "child text"; }));
    EXPECT_TRUE(Enabled(IDC_ADD));
}

TEST_F(EditCommands, TheMenuWidthArrowsAreAChange)
{
    StartDialog();
    HWND spin = GetDlgItem(Hwnd(), IDC_MENU_WIDTH_SPIN);
    const int before = LOWORD(SendMessageA(spin, UDM_GETPOS, 0, 0));
    RECT rect;
    GetClientRect(spin, &rect);
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.right / 2, 2));
    SendMessageA(spin, WM_LBUTTONUP, 0, MAKELPARAM(rect.right / 2, 2));
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_EQ(ItemText(IDC_MENU_WIDTH), std::to_string(before + 1));
}

TEST_F(EditCommands, ALongEntryAddedLeavesTheTreesLeftEdgeInView)
{
    StartWith(K("older"));
    dialog->ShowConfiguration();
    for (const std::string& text : {std::string(300, 'w'), "Dear customer\r\n\r\n" + std::string(200, 'x')}) {
        Add(text);
        RECT root = {};
        ASSERT_TRUE(TreeView_GetItemRect(Tree().Handle(), Tree().Root(), &root, TRUE));
        EXPECT_GT(root.left, 0) << "the root entry's icon is out of view";
        EXPECT_EQ(GetScrollPos(Tree().Handle(), SB_HORZ), 0);
    }
}

TEST_F(EditCommands, TheCaretOfTheEmptyNewEntryFieldStandsAtItsStart)
{
    StartDialog();
    dialog->ShowConfiguration();
    RECT format = {};
    SendDlgItemMessageA(Hwnd(), IDC_NEW_ENTRY, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    POINT caret = {};
    // Until the window manager has placed the shown dialog.
    EXPECT_TRUE(PumpUntil([&] {
        GetCaretPos(&caret);
        return GetFocus() == GetDlgItem(Hwnd(), IDC_NEW_ENTRY) && caret.x <= format.left + 2 &&
               caret.y <= format.top + 2;
    }, 3000)) << "the caret stands at " << caret.x << "," << caret.y;
}

TEST_F(EditCommands, TheNewEntryFieldTakesLongTexts)
{
    StartDialog();
    const std::string text(100000, 'z');
    TypeNewEntry(text);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(Hwnd(), IDC_NEW_ENTRY)), 100000);
    Click(IDC_ADD);
    EXPECT_EQ(FullText(TopLevel(1)), text);
}

}  // namespace
