#include "GuiTestSupport.h"

namespace {

// A dialog with a known tree:
//   Quipmark Menu List
//     Last 15 Clipboard Entries
//     First entry
//     Apple group (collapsed)
//       green apple, red apple
//     Last group (collapsed)
//       cherry
class SearchTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        WriteBytesToFile(dataPath, K("First entry") + K("Apple group") + E("green apple") + E("red apple") +
                                       K("Last group") + E("cherry"));
        StartDialog();
        root = Tree().Root();
        first = TopLevel(1);
        appleGroup = TopLevel(2);
        lastGroup = TopLevel(3);
    }
    // The item of an entry of a group; the group shows its entries.
    HTREEITEM ChildItem(HTREEITEM group, size_t index)
    {
        return Tree().Reveal(Entries().Children(Tree().EntryOf(group))[index]);
    }
    void Type(const std::string& text)
    {
        SetDlgItemTextA(Hwnd(), IDC_FIND_TEXT, text.c_str());
    }
    bool IsExpanded(HTREEITEM item)
    {
        return (Tree().Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    RECT TreeRect() const
    {
        RECT rect;
        GetWindowRect(GetDlgItem(Hwnd(), IDC_TREE), &rect);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    bool PanelVisible(int id) const { return IsWindowVisible(GetDlgItem(Hwnd(), id)) != FALSE; }

    HTREEITEM root = nullptr, first = nullptr, appleGroup = nullptr, lastGroup = nullptr;
};

TEST_F(SearchTest, FindButtonsFollowTheFindText)
{
    EXPECT_FALSE(Enabled(IDC_FIND_NEXT));
    EXPECT_FALSE(Enabled(IDC_FIND_PREV));
    Type("a");
    EXPECT_TRUE(Enabled(IDC_FIND_NEXT));
    EXPECT_TRUE(Enabled(IDC_FIND_PREV));
    Type("");
    EXPECT_FALSE(Enabled(IDC_FIND_NEXT));
    EXPECT_FALSE(Enabled(IDC_FIND_PREV));
}

TEST_F(SearchTest, PanelShortensTheTreeAndTakesTheFocus)
{
    dialog->ShowConfiguration();
    const RECT closed = TreeRect();
    EXPECT_EQ(ItemText(IDC_SEARCH_TOGGLE), "<< Sear&ch");

    Click(IDC_SEARCH_TOGGLE);
    RECT open = TreeRect();
    EXPECT_EQ(ItemText(IDC_SEARCH_TOGGLE), "Sear&ch >>");
    EXPECT_EQ(open.right, closed.right);
    EXPECT_LT(open.bottom, closed.bottom);
    EXPECT_EQ(open.left, closed.left);
    EXPECT_EQ(open.top, closed.top);
    for (int id : {IDC_FIND_TEXT, IDC_FIND_LABEL, IDC_FIND_NEXT, IDC_FIND_PREV})
        EXPECT_TRUE(PanelVisible(id)) << id;
    EXPECT_EQ(GetFocus(), GetDlgItem(Hwnd(), IDC_FIND_TEXT));
    EXPECT_EQ(GetWindow(Hwnd(), GW_CHILD), GetDlgItem(Hwnd(), IDC_TREE)) << "tree on top";

    Type("apple");
    Click(IDC_SEARCH_TOGGLE);
    const RECT closedAgain = TreeRect();
    EXPECT_EQ(ItemText(IDC_SEARCH_TOGGLE), "<< Sear&ch");
    EXPECT_TRUE(EqualRect(&closedAgain, &closed));
    for (int id : {IDC_FIND_TEXT, IDC_FIND_LABEL, IDC_FIND_NEXT, IDC_FIND_PREV})
        EXPECT_FALSE(PanelVisible(id)) << id;

    Click(IDC_SEARCH_TOGGLE);
    EXPECT_EQ(ItemText(IDC_FIND_TEXT), "apple") << "the find text stays while hidden";
    const RECT openAgain = TreeRect();
    EXPECT_TRUE(EqualRect(&openAgain, &open));
}

TEST_F(SearchTest, FindsIntoCollapsedGroupsAndExpandsThem)
{
    ASSERT_FALSE(IsExpanded(lastGroup));
    ASSERT_EQ(Tree().Child(lastGroup), nullptr) << "a group's entries are items once it is expanded";
    Type("CHERRY");
    Tree().Select(first);
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), ChildItem(lastGroup, 0));
    EXPECT_TRUE(IsExpanded(lastGroup));
    EXPECT_FALSE(IsExpanded(appleGroup));
}

TEST_F(SearchTest, RepeatedFindNextVisitsEveryMatchAndStartsAgain)
{
    Type("apple");
    Tree().Select(root);
    std::vector<HTREEITEM> visited;
    for (int i = 0; i < 4; ++i) {
        Click(IDC_FIND_NEXT);
        visited.push_back(Tree().Selection());
    }
    EXPECT_EQ(visited,
              (std::vector<HTREEITEM>{appleGroup, ChildItem(appleGroup, 0), ChildItem(appleGroup, 1), appleGroup}));

    Click(IDC_FIND_PREV);
    EXPECT_EQ(Tree().Selection(), ChildItem(appleGroup, 1));

    Type("cherry");
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), ChildItem(lastGroup, 0));
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), ChildItem(lastGroup, 0)) << "the only match: the second click beeps";
}

}  // namespace
