#include "TreeTestSupport.h"
#include "framework/CodePage.h"

namespace {

// A dialog with a known tree:
//   Quipmark Menu List
//     Last 15 Clipboard Entries
//     First entry
//     Apple group (collapsed)
//       green apple, red apple
//     Last group (collapsed)
//       cherry
class SearchTest : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        StartWith(K("First entry") + K("Apple group") + E("green apple") + E("red apple") + K("Last group") +
                  E("cherry"));
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
    RECT TreeRect() const
    {
        RECT rect;
        GetWindowRect(GetDlgItem(Hwnd(), IDC_TREE), &rect);
        MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    bool PanelVisible(int id) const { return IsWindowVisible(GetDlgItem(Hwnd(), id)) != FALSE; }

    HTREEITEM first = nullptr, appleGroup = nullptr, lastGroup = nullptr;
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

// Where the search goes is the entry search's own tests' business; here the
// buttons: each starts from the selection, in its direction, and selects the
// match, opening its group; with no other match the selection stays.
TEST_F(SearchTest, FindButtonsSelectTheMatchFromTheSelectionOpeningItsGroup)
{
    ASSERT_EQ(Tree().Child(lastGroup), nullptr) << "a group's entries are items once it is expanded";
    Type("CHERRY");
    Tree().Select(first);
    Click(IDC_FIND_NEXT);
    EXPECT_TRUE(IsExpanded(lastGroup));
    EXPECT_FALSE(IsExpanded(appleGroup));
    EXPECT_EQ(Tree().Selection(), ChildItem(lastGroup, 0));
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), ChildItem(lastGroup, 0)) << "the only match: the second click beeps";

    Type("apple");
    std::vector<HTREEITEM> visited;
    for (int button : {IDC_FIND_PREV, IDC_FIND_PREV, IDC_FIND_NEXT}) {
        Click(button);
        visited.push_back(Tree().Selection());
    }
    EXPECT_EQ(visited, (std::vector<HTREEITEM>{ChildItem(appleGroup, 1), ChildItem(appleGroup, 0),
                                               ChildItem(appleGroup, 1)}));
}

// Enter in the find field goes through the dialog manager to the dialog's
// default button, as a key typed there does.
TEST_F(SearchTest, EnterFindsTheNextMatchAndNothingFoundIsSaidInThePanelWithTheMatchShownSelected)
{
    dialog->ShowConfiguration();
    Click(IDC_SEARCH_TOGGLE);
    HWND find = GetDlgItem(Hwnd(), IDC_FIND_TEXT);
    ASSERT_EQ(GetFocus(), find);
    MSG enter = {find, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    const auto pressEnter = [&] { IsDialogMessageA(Hwnd(), &enter); };
    Tree().Select(first);
    Type("quince");
    pressEnter();
    EXPECT_TRUE(PanelVisible(IDC_FIND_STATUS));
    EXPECT_EQ(ItemText(IDC_FIND_STATUS), "No entry holds that text.");
    EXPECT_EQ(Tree().Selection(), first);

    Type("apple");
    EXPECT_EQ(ItemText(IDC_FIND_STATUS), "") << "a new find text clears the sign";
    pressEnter();
    EXPECT_EQ(Tree().Selection(), appleGroup);
    pressEnter();
    EXPECT_EQ(Tree().Selection(), ChildItem(appleGroup, 0));
    EXPECT_EQ(GetFocus(), find);

    // The match is drawn in the colours of a selection, not the grey of
    // one in a tree without the focus.
    RECT label = {};
    ASSERT_TRUE(TreeView_GetItemRect(Tree().Handle(), Tree().Selection(), &label, TRUE));
    RedrawWindow(Tree().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(Tree().Handle());
    const COLORREF shown = GetPixel(dc, label.left + 1, (label.top + label.bottom) / 2);
    ReleaseDC(Tree().Handle(), dc);
    EXPECT_EQ(shown, GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(SearchTest, SmallLettersFindAnEntryOfTheCodePageWithCapitalsBeyondAToZ)
{
    // A word of the code page, Western or Cyrillic, kept as 8-bit text alone.
    std::wstring word = L"\u00C9cole";
    if (ToSystemCodePage(word).empty())
        word = L"\u041F\u0440\u0438\u0432\u0435\u0442";
    HTREEITEM item = AddItem(Root(), ToSystemCodePage(word));
    ASSERT_TRUE(Entries().UnicodeText(Tree().EntryOf(item)).empty());
    SetDlgItemTextW(Hwnd(), IDC_FIND_TEXT, LowerCaseUnicode(word).c_str());
    Tree().Select(first);
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), item);
}

}  // namespace
