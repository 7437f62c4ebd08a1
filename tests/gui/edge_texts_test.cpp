// Texts at the edges: huge, many, short, and holding every byte value. Each
// must be recorded, loaded, shown, shortened, searched, saved and handed out
// without losing a byte of its full text.
#include "TreeTestSupport.h"
#include "entries/RecordCodec.h"

namespace {

std::string EveryByteValue()
{
    std::string text;
    for (int value = 1; value < 256; ++value)
        text += static_cast<char>(value);
    return text;
}

std::string Huge(char fill, const std::string& tail)
{
    return std::string(10 * 1024 * 1024, fill) + tail;
}

class EdgeTexts : public DialogTest {
protected:
    void StartWith(const std::string& bytes)
    {
        WriteBytesToFile(dataPath, bytes);
        StartDialog();
        // Without settings the menu width starts at its smallest, 10.
        SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_SETPOS, 0, 20);
    }
    std::string FullText(HTREEITEM item) { return Entries().Text(Tree().EntryOf(item)); }
    // Chooses the menu's n-th top-level item (0 is the clipboard branch).
    void HandOutTopLevel(int n)
    {
        std::vector<WORD> keys(static_cast<size_t>(n) + 1, VK_DOWN);
        keys.push_back(VK_RETURN);
        DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, keys);
        PumpMessages();
    }
    // Searches forward from the root entry through the search panel; the
    // item found is selected.
    HTREEITEM Find(const std::string& text)
    {
        Tree().Select(Tree().Root());
        SetDlgItemTextA(Hwnd(), IDC_FIND_TEXT, text.c_str());
        Click(IDC_FIND_NEXT);
        return Tree().Selection();
    }
};

TEST_F(EdgeTexts, ATenMegabyteEntryLoadsSavesIsFoundAndHandedOutWhole)
{
    const std::string text = Huge('h', "the very end");
    const std::string bytes = Record(RecordKind::TopLevel, text) + Record(RecordKind::TopLevel, "small");
    StartWith(bytes);
    EXPECT_EQ(FullText(TopLevel(1)), text);
    EXPECT_EQ(Tree().Label(TopLevel(1)).size(), EntryTree::kLongestLabel);
    EXPECT_EQ(Find("THE VERY END"), TopLevel(1));

    const auto items = DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); });
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[1].caption, std::string(17, 'h') + "...");

    HandOutTopLevel(1);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == text; }));

    dialog->SetModified(true);
    ASSERT_TRUE(dialog->SaveEntries());
    EXPECT_EQ(ReadBytesOfFile(dataPath), bytes);
}

TEST_F(EdgeTexts, ATenMegabyteClipboardTextIsRecordedAndHandedOutAgain)
{
    StartDialog();
    // Ten megabytes of Unicode text, none of whose characters but the last
    // words the code page holds.
    const std::wstring text = std::wstring(5 * 1024 * 1024, L'\u0436') + L" clipboard end \u263a";
    ClipboardWindow writer;
    ASSERT_TRUE(writer.PutUnicodeText(text));
    const EntryId branch = Entries().ClipboardBranch();
    ASSERT_TRUE(PumpUntil([&] { return Entries().HasChildren(branch); }));
    HTREEITEM recorded = Tree().Reveal(Entries().Children(branch).front());
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(Entries().UnicodeText(Tree().EntryOf(recorded)), text);
    EXPECT_EQ(FullText(recorded), std::string(5 * 1024 * 1024, '?') + " clipboard end ?");
    EXPECT_EQ(Find("clipboard end"), recorded);

    SetClipboardText("something else");
    PumpMessages();
    // The history is a submenu now; its second item is the huge text.
    DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(PumpUntil([&] { return ClipboardUnicodeText() == text; })) << "the Unicode text comes back whole";
}

TEST_F(EdgeTexts, EveryByteValueSurvivesLoadingSearchingSavingAndHandingOut)
{
    const std::string text = EveryByteValue();
    const std::string bytes = Record(RecordKind::TopLevel, text);
    StartWith(bytes);
    EXPECT_EQ(FullText(TopLevel(1)), text);
    EXPECT_EQ(Find(text.substr(200, 20)), TopLevel(1));
    HandOutTopLevel(1);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == text; })) << ClipboardText().size();
    dialog->SetModified(true);
    ASSERT_TRUE(dialog->SaveEntries());
    EXPECT_EQ(ReadBytesOfFile(dataPath), bytes);
}

}  // namespace
