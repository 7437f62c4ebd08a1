#include "RegistryTestSupport.h"
#include "TreeTestSupport.h"
#include "storage/RecordCodec.h"
#include <shellapi.h>

namespace {

const std::wstring kWork = L"\u0420\u0430\u0431\u043E\u0442\u0430";

class TrayMenu : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        // Labels are measured against a stored menu width of 20 characters.
        SetNumber(kSettingsPath, "MaxLength", 20);
    }
    std::vector<MenuItemSnapshot> ShowMenu(UINT source, const std::vector<WORD>& keys = {})
    {
        return DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, source, WM_RBUTTONUP); }, keys);
    }
};

// What the entries' items are and which entry each number names is the menu
// plan's own tests' business; here the real menu: groups as submenus, each
// numbered item with its command, the program's commands after the entries,
// only the program itself in the hotkey's menu, and captions shortened to the
// width of the moment.
TEST_F(TrayMenu, ShowsTheEntriesWithTheirCommandsThenTheProgramCommands)
{
    std::string bytes = K("A") + E("a1") + E("a2") + K("B") + E("b1") + K("C");
    AppendUnicodeRecord(bytes, 3, kWork);
    StartWith(bytes);
    auto items = ShowMenu(0);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].caption, "Last 15 Clipboard...") << "the stored width";
    EXPECT_EQ(items[0].id, 1325u);
    EXPECT_EQ(items[1].caption, "A");
    EXPECT_EQ(items[1].id, 0u);
    ASSERT_EQ(items[1].submenu.size(), 2u);
    EXPECT_EQ(items[1].submenu[0].id, 1326u);
    EXPECT_EQ(items[1].submenu[1].caption, "a2");
    EXPECT_EQ(items[1].submenu[1].id, 1327u);
    EXPECT_EQ(items[2].unicodeCaption, kWork) << "a group shows every character of its name";
    ASSERT_EQ(items[2].submenu.size(), 1u);
    EXPECT_EQ(items[2].submenu[0].id, 1328u);
    EXPECT_EQ(items[3].caption, "C");
    EXPECT_EQ(items[3].id, 1329u);
    EXPECT_TRUE(items[4].separator);
    EXPECT_EQ(items[5].caption, "&Configure...");
    EXPECT_EQ(items[5].id, static_cast<UINT>(ID_SHOW_CONFIGURATION));
    EXPECT_TRUE(items[5].isDefault);
    EXPECT_EQ(items[6].caption, "&Exit");
    EXPECT_EQ(items[6].id, static_cast<UINT>(ID_EXIT));

    SendDlgItemMessageA(Hwnd(), IDC_MENU_WIDTH_SPIN, UDM_SETPOS, 0, 10);
    items = ShowMenu(1);
    ASSERT_EQ(items.size(), 6u) << "the hotkey's menu offers only the program itself";
    EXPECT_EQ(items[0].caption, "Last 15...") << "the width of the moment";
    EXPECT_EQ(items[5].caption, "&Quipmark");
    EXPECT_EQ(items[5].id, static_cast<UINT>(ID_SHOW_CONFIGURATION));
    EXPECT_TRUE(items[5].isDefault);
}

TEST_F(TrayMenu, ChoosingAnEntryHandsOutItsFullTextAndKeepsTheDialogHidden)
{
    const std::string full = std::string(300, 'x') + "\r\nsecond line";
    StartWith(K("plain") + K("group") + E("first") + E(full));
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
    // Down to the group, into it, to its second entry.
    ShowMenu(0, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(PumpUntil([&] { return ClipboardText() == full; })) << ClipboardText();
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
}

TEST_F(TrayMenu, AChoiceWhoseHistoryEntryWasReplacedMeanwhileReportsThatNothingWasHandedOut)
{
    StartDialog();
    SetClipboardText("copied");
    const EntryId branch = Entries().ClipboardBranch();
    ASSERT_TRUE(PumpUntil([&] { return Entries().HasChildren(branch); }));
    ShowMenu(0);
    // Copied again while the menu was shown: the entry its item named went.
    const EntryId shown = Entries().Children(branch).front();
    SetClipboardText("copied");
    ASSERT_TRUE(PumpUntil([&] { return !Entries().Contains(shown); }));
    ASSERT_TRUE(Entries().HasChildren(branch));
    EXPECT_FALSE(dialog->OnMenuCmd(1325)) << "nothing is handed out for an entry that went";
    EXPECT_EQ(ClipboardText(), "copied");

    ShowMenu(0);
    EXPECT_TRUE(dialog->OnMenuCmd(1325));
}

TEST_F(TrayMenu, EntriesBeyondFiveHundredAreShownButDoNothing)
{
    std::string bytes = K("group");
    for (int i = 0; i < 520; ++i)
        bytes += E("child " + std::to_string(i));
    StartWith(bytes);
    const auto items = ShowMenu(0);
    ASSERT_GE(items.size(), 2u);
    ASSERT_EQ(items[1].submenu.size(), 520u);
    EXPECT_EQ(items[1].submenu[498].id, 1824u);
    EXPECT_EQ(items[1].submenu[499].id, 1825u);
    EXPECT_EQ(items[1].submenu[519].id, 1825u);
    SetClipboardText("unchanged");
    dialog->Send(WM_COMMAND, 1825, 0);
    PumpMessages();
    EXPECT_EQ(ClipboardText(), "unchanged");
}

TEST_F(TrayMenu, AHotkeyPressedWhileTheMenuIsOpenLeavesItsItemsAsShown)
{
    StartWith(K("first") + K("second"));
    DriveMenu([&] { dialog->Send(WM_TRAY_NOTIFY, 0, WM_RBUTTONUP); }, {VK_DOWN, VK_DOWN, VK_RETURN}, [&] {
        // While the menu is open, an entry comes first after the branch and
        // the hotkey is pressed; then the menu's second item is chosen.
        Tree().Select(nullptr);
        EXPECT_TRUE(dialog->AddEntry("intruder"));
        PostMessageA(Hwnd(), WM_HOTKEY, 0, 0);
    });
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == "first"; })) << ClipboardText();
}

TEST_F(TrayMenu, DoubleClickShowsTheDialogAndOtherMouseMessagesDoNothing)
{
    StartDialog();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MOUSEMOVE})
        dialog->Send(WM_TRAY_NOTIFY, 0, message);
    EXPECT_FALSE(IsWindowVisible(Hwnd()));
    dialog->Send(WM_TRAY_NOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(Hwnd()));
    EXPECT_FALSE(IsIconic(Hwnd()));
}

TEST_F(TrayMenu, TheTaskbarRestartingBringsTheIconBack)
{
    StartDialog();
    // The icon is added again: a second add of the same icon fails only if
    // it is still there, so delete it first as a restarted taskbar would.
    dialog->SetTrayIcon(false);
    dialog->Send(RegisterWindowMessageA("TaskbarCreated"));
    NOTIFYICONDATAA data = {};
    data.cbSize = 88;
    data.hWnd = Hwnd();
    data.uID = 0;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data)) << "the icon was not added again";
    dialog->SetTrayIcon(true);
}

}  // namespace
