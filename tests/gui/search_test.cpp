#include "GuiTestSupport.h"

namespace {

// A dialog with a known tree:
//   Quipmark Menu List
//     Last 15 Clipboard Entries
//       history one, history two
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
        // A clipboard text of the machine must not become a history entry.
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        StartDialog();
        root = Tree().Root();
        branch = dialog->ClipboardBranch();
        historyOne = Add(branch, "history one");
        historyTwo = Add(branch, "history two");
        first = Add(root, "First entry");
        appleGroup = Add(root, "Apple group");
        greenApple = Add(appleGroup, "green apple");
        redApple = Add(appleGroup, "red apple");
        lastGroup = Add(root, "Last group");
        cherry = Add(lastGroup, "cherry");
        Tree().Expand(root, TVE_EXPAND);
        Tree().Expand(appleGroup, TVE_COLLAPSE);
        Tree().Expand(lastGroup, TVE_COLLAPSE);
    }

    HTREEITEM Add(HTREEITEM parent, const std::string& text)
    {
        return dialog->InsertEntry(parent, TVI_LAST, text, text, 2);
    }
    HTREEITEM Find(HTREEITEM start, const std::string& text, bool forward)
    {
        Tree().Select(start);
        return Tree().FindEntry(text, forward);
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

    HTREEITEM root = nullptr, branch = nullptr, historyOne = nullptr, historyTwo = nullptr;
    HTREEITEM first = nullptr, appleGroup = nullptr, greenApple = nullptr, redApple = nullptr;
    HTREEITEM lastGroup = nullptr, cherry = nullptr;
};

TEST_F(SearchTest, WalksEveryItemInPreOrderBothWays)
{
    const std::vector<HTREEITEM> order = {root, branch, historyOne, historyTwo, first,
                                          appleGroup, greenApple, redApple, lastGroup, cherry};
    std::vector<HTREEITEM> forward;
    for (HTREEITEM item = root; item != nullptr; item = Tree().NextItem(item))
        forward.push_back(item);
    EXPECT_EQ(forward, order);

    EXPECT_EQ(Tree().LastItem(nullptr), cherry);
    EXPECT_EQ(Tree().LastItem(appleGroup), redApple);
    EXPECT_EQ(Tree().LastItem(first), first);
    std::vector<HTREEITEM> backward;
    for (HTREEITEM item = Tree().LastItem(nullptr); item != nullptr; item = Tree().PrevItem(item))
        backward.insert(backward.begin(), item);
    EXPECT_EQ(backward, order);
}

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

TEST_F(SearchTest, StartItemIsNeverCompared)
{
    EXPECT_EQ(Find(first, "first entry", true), nullptr);
    EXPECT_EQ(Find(first, "first entry", false), nullptr);

    Type("first");
    Tree().Select(first);
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), first) << "a search without another match changes nothing";
}

TEST_F(SearchTest, WithNothingSelectedTheRootEntryIsTheStart)
{
    ASSERT_TRUE(Tree().Select(nullptr));
    ASSERT_EQ(Tree().Selection(), nullptr);
    EXPECT_EQ(Tree().FindEntry("e", true), branch);
    ASSERT_TRUE(Tree().Select(nullptr));
    EXPECT_EQ(Tree().FindEntry("quipmark menu", true), nullptr);
    EXPECT_EQ(Tree().FindEntry("", true), nullptr);
}

TEST_F(SearchTest, RootAndClipboardTextsAreSearchable)
{
    EXPECT_EQ(Find(first, "QUIPMARK MENU LIST", true), root) << "its text, not its label";
    EXPECT_EQ(Find(first, "15 clipboard", false), branch);
    EXPECT_EQ(Find(root, "history", true), historyOne);
}

TEST_F(SearchTest, FindsIntoCollapsedGroupsAndExpandsThem)
{
    ASSERT_FALSE(IsExpanded(lastGroup));
    Type("CHERRY");
    Tree().Select(first);
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), cherry);
    EXPECT_TRUE(IsExpanded(lastGroup));
    EXPECT_FALSE(IsExpanded(appleGroup));
}

TEST_F(SearchTest, WrapsForwardToTheRootAndBackwardToTheLastItem)
{
    EXPECT_EQ(Find(cherry, "first", true), first);
    EXPECT_EQ(Find(cherry, "history", true), historyOne);
    EXPECT_EQ(Find(root, "cherry", false), cherry);
    EXPECT_EQ(Find(historyOne, "history", false), historyTwo) << "backward past the root";
}

TEST_F(SearchTest, BackwardFromTheFirstEntryVisitsTheHistoryLastFirst)
{
    EXPECT_EQ(Find(first, "history", false), historyTwo);
    EXPECT_EQ(Find(historyTwo, "history", false), historyOne);
    EXPECT_EQ(Find(first, "n", false), historyOne) << "history two has no n";
    EXPECT_EQ(Find(historyOne, "n", false), branch);
    EXPECT_EQ(Find(branch, "n", false), root);
    EXPECT_EQ(Find(root, "n", false), greenApple) << "the last match before the end";
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
    EXPECT_EQ(visited, (std::vector<HTREEITEM>{appleGroup, greenApple, redApple, appleGroup}));

    Click(IDC_FIND_PREV);
    EXPECT_EQ(Tree().Selection(), redApple);

    Type("cherry");
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), cherry);
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), cherry) << "the only match: the second click beeps";
}

TEST_F(SearchTest, MatchesFullTextsBeyondAShortLabel)
{
    const std::string text = std::string(280, 'x') + " tail-marker";
    HTREEITEM copy = dialog->InsertEntry(root, TVI_LAST, text.substr(0, 254), text, 2);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(Tree().Label(copy).find("tail"), std::string::npos);
    EXPECT_EQ(Find(first, "TAIL-Marker", true), copy);
    EXPECT_EQ(Find(copy, "First", true), first);
}

TEST_F(SearchTest, CapitalsFoldButAccentedCapitalsDoNot)
{
    HTREEITEM cafe = Add(root, "Meeting at the caf\xE9");
    EXPECT_EQ(Find(first, "MEETING AT", true), cafe);
    EXPECT_EQ(Find(first, "CAF\xE9", true), cafe);
    EXPECT_EQ(Find(first, "CAF\xC9", true), nullptr);
}

}  // namespace
