#include "TreeTestSupport.h"

namespace {

class TreeKeysAndMenu : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        ShowDialog();
        history = CopyIntoHistory(writer, "history text");
        ASSERT_NE(history, nullptr);
        plain = AddItem(Root(), "plain");
        group = AddItem(Root(), "group");
        child = AddItem(group, "child");
        later = AddItem(Root(), "later group");
        AddItem(later, "later child");
        Tree().Expand(group, TVE_EXPAND);
        Tree().Expand(later, TVE_EXPAND);
    }
    void Key(HTREEITEM item, WPARAM key)
    {
        Tree().Select(item);
        Tree().Send(WM_KEYDOWN, key, 1);
        PumpMessages();
    }
    // Enter as the dialog's message loop sees it first.
    bool Enter(HTREEITEM item)
    {
        if (item != nullptr)
            Tree().Select(item);
        HWND target = Tree().EditControl() != nullptr ? Tree().EditControl() : Tree().Handle();
        MSG msg = {target, WM_KEYDOWN, VK_RETURN, 1, GetTickCount(), {0, 0}};
        const bool handled = CWnd::WalkPreTranslate(&msg, Hwnd());
        PumpMessages();
        return handled;
    }

    ClipboardWindow writer;
    HTREEITEM history = nullptr, plain = nullptr, group = nullptr, child = nullptr, later = nullptr;
};

TEST_F(TreeKeysAndMenu, F2EditsOnlyUserEntries)
{
    for (HTREEITEM item : {Root(), Branch(), history}) {
        Key(item, VK_F2);
        EXPECT_EQ(Tree().EditControl(), nullptr) << Label(item);
        EXPECT_EQ(Tree().EditLabel(item), nullptr) << "no other way in either: " << Label(item);
    }
    for (HTREEITEM item : {plain, group, child}) {
        Key(item, VK_F2);
        EXPECT_NE(Tree().EditControl(), nullptr) << Label(item);
        Tree().Send(TVM_ENDEDITLABELNOW, TRUE);
        PumpMessages();
    }
}

TEST_F(TreeKeysAndMenu, DeleteRemovesOnlyUserEntries)
{
    const std::string outline = TreeOutline();
    for (HTREEITEM item : {Root(), Branch(), history})
        Key(item, VK_DELETE);
    EXPECT_EQ(TreeOutline(), outline);
    Key(plain, VK_DELETE);
    EXPECT_EQ(TreeOutline().find("plain"), std::string::npos);
}

TEST_F(TreeKeysAndMenu, KeypadDivideFoldsFromTheSelection)
{
    Key(child, VK_DIVIDE);
    EXPECT_FALSE(IsExpanded(group));
    EXPECT_FALSE(IsExpanded(later)) << "every top-level entry after the group too";
    EXPECT_TRUE(IsExpanded(Branch())) << "those before it stay open";
    EXPECT_TRUE(IsExpanded(Root()));

    Tree().Expand(group, TVE_EXPAND);
    Key(group, VK_DIVIDE);
    EXPECT_FALSE(IsExpanded(group));
    EXPECT_TRUE(IsExpanded(Root()));

    Key(plain, VK_DIVIDE);
    EXPECT_FALSE(IsExpanded(Root())) << "a plain entry folds the whole tree";

    Tree().Expand(Root(), TVE_EXPAND);
    Tree().Expand(later, TVE_EXPAND);
    Key(Root(), VK_DIVIDE);
    EXPECT_FALSE(IsExpanded(Branch()));
    EXPECT_FALSE(IsExpanded(later));
    EXPECT_FALSE(IsExpanded(Root()));
}

TEST_F(TreeKeysAndMenu, EnterTogglesGroupsAndDeliversEntries)
{
    EXPECT_FALSE(Enter(group));
    EXPECT_FALSE(IsExpanded(group));
    Enter(group);
    EXPECT_TRUE(IsExpanded(group));

    EXPECT_FALSE(Enter(child));
    EXPECT_EQ(ClipboardText(), "child");
    EXPECT_EQ(ItemText(IDC_NEW_ENTRY), "child");
    // The delivery went into the history; the older text is second now.
    Enter(Tree().NextSibling(Tree().Child(Branch())));
    EXPECT_EQ(ClipboardText(), "history text");
}

TEST_F(TreeKeysAndMenu, EnterInALabelEditOnlyEndsTheEdit)
{
    Tree().Select(plain);
    HWND edit = Tree().EditLabel(plain);
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "renamed");
    const std::string clipboard = ClipboardText();
    EXPECT_TRUE(Enter(nullptr)) << "handled at the label edit";
    EXPECT_TRUE(PumpUntil([&] { return Tree().EditControl() == nullptr; }));
    EXPECT_EQ(Label(plain), "renamed");
    EXPECT_EQ(ClipboardText(), clipboard) << "nothing delivered";
}

TEST_F(TreeKeysAndMenu, ContextMenuItemsAndStates)
{
    history = CopyIntoHistory(writer, "to paste");
    ASSERT_NE(history, nullptr);

    std::vector<MenuItemSnapshot> menu = RightClick(plain);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].id, static_cast<UINT>(IDC_TREE_PASTE));
    EXPECT_EQ(menu[0].caption, "&Paste");
    EXPECT_FALSE(menu[0].grayed);
    EXPECT_EQ(Tree().Selection(), plain) << "the right-click selects the row";

    for (HTREEITEM item : {Branch(), history}) {
        menu = RightClick(item);
        ASSERT_EQ(menu.size(), 2u);
        EXPECT_TRUE(menu[0].grayed);
        EXPECT_EQ(menu[1].id, static_cast<UINT>(IDC_TREE_CLEAR_HISTORY));
        EXPECT_EQ(menu[1].caption, "&Clear Clipboard History");
        EXPECT_FALSE(menu[1].grayed);
    }

    menu = RightClick(nullptr);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_FALSE(menu[0].grayed);
    EXPECT_EQ(Tree().Selection(), nullptr) << "empty space removes the selection";

    writer.PutBitmap();
    PumpMessages();
    menu = RightClick(plain);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_TRUE(menu[0].grayed) << "no text on the clipboard";
}

TEST_F(TreeKeysAndMenu, PasteAddsTheTextReadWhenTheMenuOpened)
{
    ASSERT_NE(CopyIntoHistory(writer, "pasted entry"), nullptr);
    ASSERT_FALSE(RightClick(plain).empty());
    writer.PutText("changed since");
    PumpMessages();
    PointAt(plain);
    Tree().Send(WM_COMMAND, IDC_TREE_PASTE, 0);
    EXPECT_NE(TreeOutline().find("pasted entry\n", TreeOutline().find("plain")), std::string::npos);
    EXPECT_TRUE(dialog->IsModified());

    const std::string outline = TreeOutline();
    PointBelowTheRows();
    Tree().Send(WM_COMMAND, IDC_TREE_PASTE, 0);
    EXPECT_EQ(TreeOutline(), outline) << "no row under the pointer, no paste";
}

}  // namespace
