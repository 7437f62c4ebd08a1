#include "AllocationFailure.h"
#include "GuiTestSupport.h"
#include "entries/RecordCodec.h"

namespace {

class EditCommands : public DialogTest {
protected:
    void StartWith(const std::string& bytes)
    {
        WriteBytesToFile(dataPath, bytes);
        StartDialog();
    }
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
    HTREEITEM ChildOf(HTREEITEM parent, int index)
    {
        HTREEITEM item = Tree().Child(parent);
        while (item != nullptr && index-- > 0)
            item = Tree().NextSibling(item);
        return item;
    }
    std::string FullText(HTREEITEM item) { return dialog->GetItemText(static_cast<int>(Tree().Data(item))); }
    // Renames through the tree's own label editing; `commit` false cancels.
    void Rename(HTREEITEM item, const std::string& text, bool commit = true)
    {
        Tree().Select(item);
        HWND edit = Tree().EditLabel(item);
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, text.c_str());
        Tree().Send(TVM_ENDEDITLABELNOW, commit ? FALSE : TRUE);
        PumpMessages();
    }
    // Copies `count` texts as another program would, so that they reach
    // the branch through the history the dialog keeps.
    void FillHistory(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string text = "history " + std::to_string(i);
            SetClipboardText(text);
            ASSERT_TRUE(PumpUntil([&] {
                HTREEITEM newest = Tree().Child(dialog->ClipboardBranch());
                return newest != nullptr && FullText(newest) == text;
            })) << "not recorded: " << text;
        }
    }
    // A real double click, through the input queue, in the middle of an
    // item's label.
    void DoubleClick(HTREEITEM item)
    {
        dialog->ShowConfiguration();
        // The window manager may still move the dialog after showing it: aim
        // until the pointer really rests on the wanted part of the item.
        POINT point = {0, 0};
        const bool aimed = PumpUntil([&] {
            RECT rect;
            if (!TreeView_GetItemRect(Tree().Handle(), item, &rect, TRUE))
                return false;
            point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            POINT screen = point;
            ClientToScreen(Tree().Handle(), &screen);
            SetCursorPos(screen.x, screen.y);
            PumpUntil([] { return false; }, 60);
            UINT flags = 0;
            return Tree().HitTest(Tree().CursorPosInClient(), &flags) == item && (flags & TVHT_ONITEMLABEL) != 0;
        }, 5000);
        ASSERT_TRUE(aimed);
        INPUT clicks[4] = {};
        const DWORD buttons[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
        for (int i = 0; i < 4; ++i) {
            clicks[i].type = INPUT_MOUSE;
            clicks[i].mi.dwFlags = buttons[i];
        }
        SendInput(4, clicks, sizeof(INPUT));
    }
    bool Expanded(HTREEITEM item)
    {
        return (Tree().Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
};

TEST_F(EditCommands, ButtonsFollowTheSelectionTheNewTextAndTheUndoStore)
{
    StartWith(K("top") + E("child"));
    FillHistory(1);
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
    HTREEITEM branch = dialog->ClipboardBranch();
    const Case cases[] = {{Tree().Root(), false, "root"},
                          {branch, false, "clipboard branch"},
                          {Tree().Child(branch), false, "history entry"},
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

TEST_F(EditCommands, AddPlacesTheEntryByTheSelection)
{
    StartWith(K("older") + K("group") + E("g1"));
    FillHistory(1);
    dialog->ShowConfiguration();

    Add("first");  // nothing selected
    EXPECT_EQ(Tree().Label(TopLevel(1)), "first");
    EXPECT_EQ(Tree().Selection(), TopLevel(1));
    EXPECT_EQ(Tree().Image(TopLevel(1)), 2);
    EXPECT_TRUE(Enabled(IDC_SAVE));
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "");
    EXPECT_FALSE(Enabled(IDC_ADD));
    EXPECT_EQ(GetFocus(), GetDlgItem(Hwnd(), IDC_NEW_ENTRY));

    Tree().Select(Tree().Root());
    Add("second");
    EXPECT_EQ(Tree().Label(TopLevel(1)), "second");

    Tree().Select(TopLevel(3));  // "older", a plain entry
    Add("makes a group");
    EXPECT_EQ(Tree().Label(Tree().Child(TopLevel(3))), "makes a group");
    EXPECT_EQ(Tree().Image(TopLevel(3)), 1);
    EXPECT_TRUE(Tree().Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(TopLevel(3)), TVIS_EXPANDED) &
                TVIS_EXPANDED);

    Tree().Select(Tree().Child(TopLevel(4)));  // "g1"
    Add("g2");
    EXPECT_EQ(Tree().Label(ChildOf(TopLevel(4), 1)), "g2");

    // The history holds only what was copied: with it or one of its
    // entries selected, the new entry is a top-level one.
    Tree().Select(Tree().Child(dialog->ClipboardBranch()));
    Add("history entry selected");
    EXPECT_EQ(Tree().Label(TopLevel(1)), "history entry selected");
    Tree().Select(dialog->ClipboardBranch());
    Add("branch selected");
    EXPECT_EQ(Tree().Label(TopLevel(1)), "branch selected");
    EXPECT_EQ(Tree().Selection(), TopLevel(1));
    EXPECT_EQ(Tree().Label(Tree().Child(dialog->ClipboardBranch())), "history 0");
    EXPECT_EQ(Tree().NextSibling(Tree().Child(dialog->ClipboardBranch())), nullptr);
    EXPECT_EQ(ItemText(IDC_ITEM_COUNT), "12");
}

TEST_F(EditCommands, AddRefusesAtFiveHundredItemsAndKeepsTheText)
{
    std::string bytes;
    for (int i = 0; i < 497; ++i)
        bytes += K("e" + std::to_string(i));
    StartWith(bytes);
    dialog->ShowConfiguration();
    Add("the 500th item");
    EXPECT_EQ(Tree().Count(), 500u);

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

TEST_F(EditCommands, HistoryEntriesCountTowardsTheLimit)
{
    std::string bytes;
    for (int i = 0; i < 483; ++i)
        bytes += K("e" + std::to_string(i));
    StartWith(bytes);
    FillHistory(15);
    MessageBoxAnswerer boxes(IDOK);
    Add("refused");
    EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(EditCommands, ALargerTreeRefusesUntilItIsBelowTheLimit)
{
    std::string bytes;
    for (int i = 0; i < 520; ++i)
        bytes += K("e" + std::to_string(i));
    StartWith(bytes);
    MessageBoxAnswerer boxes(IDOK);
    Add("refused");
    EXPECT_EQ(boxes.Count(), 1);
    for (int i = 0; i < 23; ++i) {
        Tree().Select(TopLevel(1));
        Click(IDC_REMOVE);
    }
    Add("accepted");
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(Tree().Count(), 500u);
}

TEST_F(EditCommands, RemovingAGroupAsksAndNoKeepsEverything)
{
    StartWith(K("plain") + K("group") + E("a") + E("b") + E("c"));
    const size_t slots = dialog->TextTableSize();
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
    EXPECT_EQ(dialog->TextTableSize(), slots) << "removal empties slots, it does not drop them";

    Tree().Select(TopLevel(1));
    Click(IDC_REMOVE);  // no children: no question
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(TopLevel(1), nullptr);
}

TEST_F(EditCommands, UndoBringsBackTheLastRemovalAtTheEnd)
{
    StartWith(K("group") + E("one") + E("two") + K("plain") + K("last"));
    MessageBoxAnswerer boxes(IDYES);
    Tree().Select(TopLevel(2));
    Click(IDC_REMOVE);
    Tree().Select(TopLevel(1));
    Click(IDC_REMOVE);
    Click(IDC_UNDO);
    EXPECT_EQ(TreeOutline(),
              "Quipmark Menu List\n  Last 15 Clipboard Entries\n  last\n  group\n    one\n    two\n")
        << "only the second removal comes back";
    EXPECT_FALSE(Enabled(IDC_UNDO));
    EXPECT_EQ(Tree().Image(TopLevel(2)), 1);

    // A child entry comes back as a plain top-level entry.
    Tree().Select(Tree().Child(TopLevel(2)));
    Click(IDC_REMOVE);
    Click(IDC_UNDO);
    EXPECT_EQ(Tree().Label(TopLevel(3)), "one");
    EXPECT_EQ(Tree().Image(TopLevel(3)), 2);
}

TEST_F(EditCommands, UndoAfterASaveLeavesSaveDisabled)
{
    StartWith(K("a") + K("b"));
    Tree().Select(TopLevel(1));
    Click(IDC_REMOVE);
    Click(IDC_SAVE);
    EXPECT_FALSE(Enabled(IDC_SAVE));
    Click(IDC_UNDO);
    EXPECT_EQ(Tree().Label(TopLevel(2)), "a");
    EXPECT_FALSE(Enabled(IDC_SAVE));
}

TEST_F(EditCommands, RenameReplacesLabelAndTextInTheSameSlot)
{
    StartWith(K("old"));
    const LPARAM slot = Tree().Data(TopLevel(1));
    MessageBoxAnswerer boxes(IDNO);
    Rename(TopLevel(1), "new");
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(Tree().Label(TopLevel(1)), "new");
    EXPECT_EQ(FullText(TopLevel(1)), "new");
    EXPECT_EQ(Tree().Data(TopLevel(1)), slot);
    EXPECT_TRUE(Enabled(IDC_SAVE));
}

TEST_F(EditCommands, RenamingAnEntryWhoseLabelIsShortAsksFirst)
{
    StartDialog();
    HTREEITEM item = dialog->InsertEntry(Tree().Root(), TVI_LAST, "short label", "the whole longer text", 2);
    MessageBoxAnswerer boxes(IDNO);
    Rename(item, "renamed");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Texts()[0],
              "The entry you are editing is longer than can be shown in the tree\n"
              "Pressing OK will use the new value and you will lose the unseen data\n"
              "Do you wish to proceed?");
    EXPECT_EQ(Tree().Label(item), "short label");
    EXPECT_EQ(FullText(item), "the whole longer text");
    EXPECT_FALSE(Enabled(IDC_SAVE));

    boxes.SetButton(IDYES);
    Rename(item, "renamed");
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_EQ(Tree().Label(item), "renamed");
    EXPECT_EQ(FullText(item), "renamed");
}

TEST_F(EditCommands, ARenameThatFailedPartWayLeavesLaterRenamesWorking)
{
    StartWith(K(std::string(10 * 1024 * 1024, 'h')) + K("small"));
    {
        // Comparing the huge text with its label needs a copy of it.
        const LargeAllocationsFail shortOfMemory(8 * 1024 * 1024);
        Rename(TopLevel(1), "not taken");
    }
    EXPECT_EQ(FullText(TopLevel(1)).size(), 10u * 1024 * 1024);
    Rename(TopLevel(2), "renamed");
    EXPECT_EQ(Tree().Label(TopLevel(2)), "renamed");
    EXPECT_EQ(FullText(TopLevel(2)), "renamed");
}

TEST_F(EditCommands, CancelledOrEmptyRenamesChangeNothing)
{
    StartWith(K("keep"));
    Rename(TopLevel(1), "discarded", false);
    EXPECT_EQ(Tree().Label(TopLevel(1)), "keep");
    EXPECT_FALSE(Enabled(IDC_SAVE));

    Rename(TopLevel(1), "");
    EXPECT_EQ(Tree().Label(TopLevel(1)), "keep");
    EXPECT_EQ(FullText(TopLevel(1)), "keep");
    EXPECT_FALSE(Enabled(IDC_SAVE));
}

TEST_F(EditCommands, DoubleClickDeliversEntriesButOnlyTogglesGroups)
{
    StartWith(K("group") + E("child text") + K("plain"));
    EmptyTheClipboard();
    const bool wasExpanded = Expanded(TopLevel(1));
    DoubleClick(TopLevel(1));
    EXPECT_TRUE(PumpUntil([&] { return Expanded(TopLevel(1)) != wasExpanded; }));
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "") << "a group hands nothing out";
    EXPECT_EQ(ClipboardText(), "<none>");

    if (!Expanded(TopLevel(1)))
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
