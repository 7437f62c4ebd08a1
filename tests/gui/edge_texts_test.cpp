// Texts at the edges, huge and holding every byte value, through the
// window's own ways in and out: the file read and written in pieces, the find
// field and the clipboard. How entries load, show, shorten, search and save
// is left to the entries' own tests.
#include "TreeTestSupport.h"

namespace {

class EdgeTexts : public DialogTest {
protected:
    // Chooses the menu's n-th top-level item (0 is the clipboard branch).
    void HandOutTopLevel(int n)
    {
        std::vector<WORD> keys(static_cast<size_t>(n) + 1, VK_DOWN);
        keys.push_back(VK_RETURN);
        DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, keys);
    }
};

TEST_F(EdgeTexts, ATenMegabyteEntryAndOneOfEveryByteValueAreFoundHandedOutAndSavedWhole)
{
    const std::string huge = std::string(10 * 1024 * 1024, 'h') + "the very end";
    std::string everyByte;
    for (int value = 1; value < 256; ++value)
        everyByte += static_cast<char>(value);
    const std::string bytes = K(huge) + K(everyByte);
    StartWith(bytes);

    Tree().Select(Tree().Root());
    SetDlgItemTextA(Hwnd(), IDC_FIND_TEXT, everyByte.substr(200, 20).c_str());
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().Selection(), TopLevel(2));

    HandOutTopLevel(1);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == huge; })) << ClipboardText().size();
    HandOutTopLevel(2);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == everyByte; })) << ClipboardText().size();

    dialog->SetModified(true);
    ASSERT_TRUE(dialog->SaveEntries());
    EXPECT_TRUE(ReadBytesOfFile(dataPath) == bytes) << "the saved file differs";
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
    EXPECT_EQ(Entries().Text(Tree().EntryOf(recorded)), std::string(5 * 1024 * 1024, '?') + " clipboard end ?");

    SetClipboardText("something else");
    PumpMessages();
    // The history is a submenu now; its second item is the huge text.
    DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(PumpUntil([&] { return ClipboardUnicodeText() == text; })) << "the Unicode text comes back whole";
}

}  // namespace
