// The user's entries keep every character whatever the system's code page
// holds: each way text comes in (the field, renaming, a drop from elsewhere,
// a history entry dragged in, the tree's Paste, the registry, the data file)
// and goes out (the tray menu, handing out from the tree, the search).
#include "RegistryTestSupport.h"
#include "TreeTestSupport.h"
#include "framework/CodePage.h"
#include <cstdlib>

namespace {

// An emoji, Japanese, Cyrillic and Greek: no single code page holds them all.
const std::wstring kText = L"Thanks! \U0001F642 \u2014 \u65E5\u672C \u041F\u0440\u0438\u0432\u0435\u0442 "
                           L"\u03A3\u03BF\u03C6\u03AF\u03B1";
const std::wstring kCyrillic = L"\u041F\u0440\u0438\u0432\u0435\u0442";

class UnicodeEntries : public TreeTest {
protected:
    EntryId AddThroughTheField(const std::wstring& text)
    {
        SetWindowTextW(GetDlgItem(Hwnd(), IDC_NEW_ENTRY), text.c_str());
        Tree().Select(Root());
        Click(IDC_ADD);
        return Tree().SelectedEntry();
    }
    // The entry's text with every character, as Unicode.
    std::wstring Whole(EntryId id)
    {
        const std::wstring& unicode = Entries().UnicodeText(id);
        return unicode.empty() ? FromSystemCodePage(Entries().Text(id)) : unicode;
    }
};

TEST_F(UnicodeEntries, EveryWayInKeepsEveryCharacterAndEveryWayOutGivesItBack)
{
    ShowDialog();
    const EntryId added = AddThroughTheField(kText);
    ASSERT_TRUE(Entries().IsUserEntry(added));
    EXPECT_EQ(Whole(added), kText);
    EXPECT_EQ(UnicodeLabel(Tree().Reveal(added)), kText);

    // Out: the tray menu, and Enter in the tree, which also fills the field.
    DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, {VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(PumpUntil([&] { return ClipboardUnicodeText() == kText; }));
    EmptyTheClipboard();
    dialog->DeliverEntry(added);
    EXPECT_TRUE(PumpUntil([&] { return ClipboardUnicodeText() == kText; }));
    ASSERT_NE(ClipboardText(), "<none>") << "the 8-bit text goes beside it";
    wchar_t field[256] = L"";
    GetWindowTextW(GetDlgItem(Hwnd(), IDC_NEW_ENTRY), field, 256);
    EXPECT_EQ(std::wstring(field), kText);

    // The search, in capitals of two scripts; the history, searched first,
    // holds the text too now.
    dialog->ClearClipboardHistory();
    Click(IDC_SEARCH_TOGGLE);
    Tree().Select(Root());
    SetWindowTextW(GetDlgItem(Hwnd(), IDC_FIND_TEXT), L"\u041F\u0420\u0418\u0412\u0415\u0422 \u03A3\u039F\u03A6\u038A\u0391");
    Click(IDC_FIND_NEXT);
    EXPECT_EQ(Tree().SelectedEntry(), added);

    // In: renaming through the label.
    const std::wstring renamed = L"\u03A3\u03BF\u03C6\u03AF\u03B1 \U0001F642";
    Rename(Tree().Reveal(added), renamed);
    EXPECT_EQ(Whole(added), renamed);

    // In: a drop from another program offering Unicode text, on the root.
    PointAt(Root());
    DropFromElsewhere(ToSystemCodePageLossy(kText), kText);
    const EntryId dropped = Tree().SelectedEntry();
    EXPECT_NE(dropped, added);
    EXPECT_EQ(Whole(dropped), kText);

    // In: a history entry dragged into the tree.
    ClipboardWindow other;
    ASSERT_TRUE(other.PutUnicodeText(kCyrillic + L" \U0001F642"));
    ASSERT_TRUE(PumpUntil([&] { return Entries().HasChildren(Entries().ClipboardBranch()); }));
    Tree().ExpandEntry(Entries().ClipboardBranch());
    PointAt(Root());
    DragOwnItem(Tree().Reveal(Entries().Children(Entries().ClipboardBranch()).front()));
    const EntryId fromHistory = Tree().SelectedEntry();
    EXPECT_TRUE(Entries().IsUserEntry(fromHistory));
    EXPECT_EQ(Whole(fromHistory), kCyrillic + L" \U0001F642");

    // In: the tree's Paste, of the text the clipboard held as its menu opened.
    ASSERT_TRUE(other.PutUnicodeText(kText));
    ASSERT_TRUE(PumpUntil([&] { return Entries().History().UnicodeTexts().front() == kText; }));
    ASSERT_FALSE(RightClick(Root()).empty());
    PointAt(Root());
    Tree().Send(WM_COMMAND, IDC_TREE_PASTE, 0);
    EXPECT_EQ(Whole(Tree().SelectedEntry()), kText);

    // The data file keeps them all, and a restart brings them back.
    ASSERT_TRUE(dialog->SaveEntries());
    CloseDialog();
    ShowDialog();
    std::vector<std::wstring> texts;
    for (EntryId id : Entries().Children(Entries().Root()))
        texts.push_back(Whole(id));
    // Drops on the root entry come first after the clipboard branch.
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Last 15 Clipboard Entries", kText, kCyrillic + L" \U0001F642", kText,
                                                renamed}));
}

TEST_F(UnicodeEntries, TextsTheCodePageHoldsAreSavedAsEver)
{
    // The run under another code page says which it meant to have.
    if (const char* expected = std::getenv("QUIPMARK_EXPECT_CODE_PAGE")) {
        ASSERT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    // Under a Cyrillic code page the Cyrillic entry is today's record; under
    // any other it needs the Unicode record after it.
    ShowDialog();
    const EntryId id = AddThroughTheField(kCyrillic);
    ASSERT_TRUE(dialog->SaveEntries());
    const std::string inCodePage = ToSystemCodePage(kCyrillic);
    if (!inCodePage.empty()) {
        EXPECT_TRUE(Entries().UnicodeText(id).empty());
        EXPECT_EQ(WithoutIdentities(ReadBytesOfFile(dataPath)), K(inCodePage));
    } else {
        EXPECT_EQ(Entries().UnicodeText(id), kCyrillic);
        const std::string saved = ReadBytesOfFile(dataPath);
        EXPECT_EQ(saved.substr(0, K(Entries().Text(id)).size()), K(Entries().Text(id)));
        EXPECT_EQ(saved[K(Entries().Text(id)).size()], 'U');
    }
    CloseDialog();
    ShowDialog();
    EXPECT_EQ(Whole(Tree().EntryOf(TopLevel(1))), kCyrillic);
}

TEST_F(UnicodeEntries, AListTakenInFromTheRegistryKeepsEveryCharacter)
{
    const std::string list = std::string(kSettingsPath) + "Replies";
    SetText(list, "0", "made before its Unicode text replaces it");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, list.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, L"0", 0, REG_SZ, reinterpret_cast<const BYTE*>(kText.c_str()),
                   static_cast<DWORD>((kText.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    MessageBoxAnswerer boxes(IDOK);
    ShowDialog();
    const std::vector<EntryId>& taken = Entries().Children(Tree().EntryOf(TopLevel(1)));
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(Whole(taken.front()), kText);
}

}  // namespace
