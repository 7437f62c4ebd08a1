#include "TreeTestSupport.h"

namespace {

class ClipboardHistory : public TreeTest {
protected:
    // Puts a text on the clipboard and waits until the history has it on top.
    void Copy(const std::string& text)
    {
        ASSERT_TRUE(writer.PutText(text));
        ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History()[0] == text; }))
            << "not recorded: " << text;
    }
    // The item of the newest history entry, made where the branch was
    // never expanded; null while the history is empty.
    HTREEITEM Newest()
    {
        const std::vector<EntryId>& history = Entries().Children(Entries().ClipboardBranch());
        return history.empty() ? nullptr : Tree().Reveal(history.front());
    }
    void CopyNumbered(int first, int last)
    {
        for (int i = first; i <= last; ++i)
            Copy("text " + std::to_string(i));
    }

    ClipboardWindow writer;
};

// A picture is no text: it drops the oldest text of a full history and
// records nothing.
TEST_F(ClipboardHistory, APictureDropsTheOldestOfAFullHistory)
{
    StartDialog();
    CopyNumbered(1, 15);
    ASSERT_TRUE(writer.PutBitmap());
    ASSERT_TRUE(PumpUntil([&] { return History().size() == 14u; }));
    EXPECT_EQ(History().front(), "text 15");
    EXPECT_EQ(History().back(), "text 2") << "the oldest, text 1, went";
    EXPECT_EQ(ChildLabels(Branch()), History());
}

TEST_F(ClipboardHistory, TextsMarkedPrivateAreNeitherRecordedNorDropAnything)
{
    StartDialog();
    CopyNumbered(1, 15);
    // A viewer of the test ahead of the dialog counts each notification after
    // the dialog has handled it.
    ClipboardWindow viewer;
    viewer.JoinChain();
    const std::vector<std::string> before = History();
    const std::vector<std::pair<std::string, DWORD>> marks[] = {
        {{"ExcludeClipboardContentFromMonitorProcessing", 0}},
        {{"Clipboard Viewer Ignore", 0}},
        {{"CanIncludeInClipboardHistory", 0}},
    };
    for (const auto& mark : marks) {
        SCOPED_TRACE(mark[0].first);
        const int draws = viewer.Draws();
        ASSERT_TRUE(writer.PutText("secret password", mark));
        ASSERT_TRUE(PumpUntil([&] { return viewer.Draws() > draws; }));
        EXPECT_EQ(History(), before);
        EXPECT_EQ(ChildLabels(Branch()), before);
    }
    // Allowed into histories explicitly: recorded.
    ASSERT_TRUE(writer.PutText("shared text", {{"CanIncludeInClipboardHistory", 1}}));
    ASSERT_TRUE(PumpUntil([&] { return History().front() == "shared text"; }));
    EXPECT_EQ(History().size(), 15u);
}

TEST_F(ClipboardHistory, UnicodeTextsKeepEveryCharacterInTheRuleTheBranchTheMenuAndTheHandOut)
{
    StartDialog();
    SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_SETPOS, 0, 20);
    // Alike in the code page: both are "caf\xE9 ? ?? ??" there.
    const std::wstring tea = L"caf\u00e9 \u2615 \u65e5\u672c \U0001F642";
    const std::wstring smile = L"caf\u00e9 \u263a \u65e5\u672c \U0001F642";
    const std::string eightBit = "caf\xE9 ? ?? ??";
    ASSERT_TRUE(writer.PutUnicodeText(tea));
    ASSERT_TRUE(PumpUntil([&] { return History().size() == 1u; }));
    ASSERT_TRUE(writer.PutUnicodeText(smile));
    EXPECT_TRUE(PumpUntil([&] { return ChildUnicodeLabels(Branch()) == std::vector<std::wstring>{smile, tea}; }))
        << "both kept, labelled with what was copied";
    EXPECT_EQ(History(), (std::vector<std::string>{eightBit, eightBit}));

    const std::vector<MenuItemSnapshot> menu = DriveMenu(
        [&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    ASSERT_FALSE(menu.empty());
    ASSERT_EQ(menu[0].submenu.size(), 2u);
    EXPECT_EQ(menu[0].submenu[0].unicodeCaption, smile);
    EXPECT_EQ(menu[0].submenu[1].unicodeCaption, tea);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardUnicodeText() == tea; }));
    EXPECT_EQ(ClipboardText(), eightBit) << "the 8-bit text is handed out as before";
    EXPECT_TRUE(PumpUntil([&] { return ChildUnicodeLabels(Branch()) == std::vector<std::wstring>{tea, smile}; }));

    // The rule on Unicode texts: the first older text that begins with the
    // new one, case ignored, goes.
    const std::wstring shorter = L"CAF\u00c9 \u2615";
    ASSERT_TRUE(writer.PutUnicodeText(shorter));
    EXPECT_TRUE(PumpUntil([&] { return ChildUnicodeLabels(Branch()) == std::vector<std::wstring>{shorter, smile}; }));
}

TEST_F(ClipboardHistory, AProgramsOwnUnicodeTextIsTakenWhetherItsLocaleComesFirstOrLast)
{
    StartDialog();
    auto bytesOf = [](const void* data, size_t size) {
        return std::string(static_cast<const char*>(data), size);
    };
    const DWORD russian = 0x419;
    const std::string locale = bytesOf(&russian, sizeof(russian));
    // The system derives the 8-bit text in the locale's code page, which is
    // not the one the history reads it in.
    for (const bool localeFirst : {true, false}) {
        SCOPED_TRACE(localeFirst ? "locale first" : "locale last");
        const std::wstring text = localeFirst ? L"\u041f\u0440\u0438\u0432\u0435\u0442" : L"\u041f\u043e\u043a\u0430";
        const std::string unicode = bytesOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        std::vector<std::pair<UINT, std::string>> blocks = {{CF_UNICODETEXT, unicode}};
        blocks.insert(localeFirst ? blocks.begin() : blocks.end(), {CF_LOCALE, locale});
        ASSERT_TRUE(writer.PutBlocks(blocks));
        ASSERT_TRUE(PumpUntil([&] {
            const std::vector<std::wstring> labels = ChildUnicodeLabels(Branch());
            return !labels.empty() && labels[0] == text;
        }));
        EXPECT_EQ(Entries().UnicodeText(Tree().EntryOf(Newest())), text);
    }
    // 8-bit text with the locale first: the Unicode text is the system's
    // own, and the history keeps none.
    ASSERT_TRUE(writer.PutBlocks({{CF_LOCALE, locale}, {CF_TEXT, std::string("8-bit", 6)}}));
    ASSERT_TRUE(PumpUntil([&] { return !History().empty() && History()[0] == "8-bit"; }));
    EXPECT_EQ(Entries().UnicodeText(Tree().EntryOf(Newest())), L"");
}

TEST_F(ClipboardHistory, ForwardsNotificationsAndRepairsTheChain)
{
    // Chain after start: dialog -> first -> second.
    ClipboardWindow second;
    second.JoinChain();
    ClipboardWindow first;
    first.JoinChain();
    ASSERT_EQ(first.NextViewer(), second.Handle());
    StartDialog();
    const int firstDraws = first.Draws(), secondDraws = second.Draws();
    Copy("forwarded");
    EXPECT_TRUE(PumpUntil([&] { return first.Draws() > firstDraws && second.Draws() > secondDraws; }));

    // The second leaves: the dialog passes the news on to the first, which
    // repairs its link.
    second.LeaveChain();
    PumpMessages();
    ASSERT_FALSE(first.ChainChanges().empty());
    EXPECT_EQ(first.ChainChanges().back().first, second.Handle());
    EXPECT_EQ(first.NextViewer(), nullptr);

    // The first leaves: the dialog links past it and stops forwarding to it.
    first.LeaveChain();
    PumpMessages();
    const int draws = first.Draws();
    Copy("after leaving");
    EXPECT_EQ(first.Draws(), draws);
}

TEST_F(ClipboardHistory, JoinsAtStartAndLeavesAtTheEnd)
{
    ClipboardWindow viewer;
    viewer.JoinChain();
    writer.PutText("there at start");
    PumpMessages();
    StartDialog();
    EXPECT_EQ(History(), (std::vector<std::string>{"there at start"}));
    EXPECT_EQ(ChildLabels(Branch()), History());
    CloseDialog();
    const int draws = viewer.Draws();
    writer.PutText("after the end");
    ASSERT_TRUE(PumpUntil([&] { return viewer.Draws() > draws; }));
    EXPECT_EQ(GetClipboardViewer(), viewer.Handle());
}

// The tree's command, as its context menu gives it.
TEST_F(ClipboardHistory, ClearEmptiesTheHistoryAndLeavesTheClipboardAlone)
{
    StartDialog();
    CopyNumbered(1, 3);
    Tree().Send(WM_COMMAND, IDC_TREE_CLEAR_HISTORY, 0);
    EXPECT_TRUE(History().empty());
    EXPECT_TRUE(ChildLabels(Branch()).empty());
    EXPECT_EQ(ClipboardText(), "text 3") << "the clipboard itself is left alone";
    Copy("a new start");
    EXPECT_EQ(History(), (std::vector<std::string>{"a new start"}));
}

TEST_F(ClipboardHistory, OwnWritesAndReadsWaitForABusyClipboard)
{
    StartDialog();
    Copy("there before");
    {
        ClipboardHolder holder(300);
        ASSERT_TRUE(holder.Holding());
        dialog->CopyToClipboard("handed out while busy");
    }
    EXPECT_EQ(ClipboardText(), "handed out while busy");
    EXPECT_TRUE(PumpUntil([&] { return !History().empty() && History()[0] == "handed out while busy"; }));

    Copy("held text");
    dialog->ClearClipboardHistory();
    {
        ClipboardHolder holder(300);
        ASSERT_TRUE(holder.Holding());
        // A notification while another program still has the clipboard open.
        SendMessageA(Hwnd(), WM_DRAWCLIPBOARD, 0, 0);
    }
    EXPECT_EQ(History(), (std::vector<std::string>{"held text"}));
}

// A label shows the text on one line (code page 1252 has the pilcrow); the
// text itself keeps every character.
TEST_F(ClipboardHistory, LabelsShowLineBreaksAsOneMarkAndTheTextsStayWhole)
{
    StartDialog();
    Copy("one\r\ntwo\tx");
    ASSERT_NE(Newest(), nullptr);
    EXPECT_EQ(Label(Newest()), "one\xB6two x");
    EXPECT_EQ(FullText(Newest()), "one\r\ntwo\tx");
    ASSERT_TRUE(writer.PutUnicodeText(L"\u65e5\u672c\r\n\r\nx"));
    EXPECT_TRUE(PumpUntil([&] {
        const std::vector<std::wstring> labels = ChildUnicodeLabels(Branch());
        return !labels.empty() && labels[0] == L"\u65e5\u672c\u00B6x";
    }));

    const std::string longText(40000, 'x');
    Copy(longText);
    EXPECT_EQ(FullText(Newest()), longText);
}

}  // namespace
