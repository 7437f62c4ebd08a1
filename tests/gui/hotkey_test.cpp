#include "GuiTestSupport.h"
#include "RegistryTestSupport.h"
#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {

const DWORD kCtrlAltF5 = 0x0674;
const DWORD kCtrlShiftF5 = 0x0374;
const DWORD kCtrlAltF6 = 0x0675;
const DWORD kShiftAltF7 = 0x0576;

// Types one key into a window as the keyboard would, with the given
// modifier keys (VK_SHIFT, VK_CONTROL) pressed before and released after it.
void TypeKey(HWND window, WORD key, std::initializer_list<WORD> modifiers = {})
{
    auto send = [&](WORD vk, bool down) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16;
        SendMessageA(window, down ? WM_KEYDOWN : WM_KEYUP, vk, down ? 1 | scan : 1 | scan | (3u << 30));
    };
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE state[256];
    memcpy(state, saved, sizeof(state));
    for (WORD modifier : modifiers) {
        state[modifier] |= 0x80;
        SetKeyboardState(state);
        send(modifier, true);
    }
    send(key, true);
    send(key, false);
    for (WORD modifier : modifiers) {
        state[modifier] &= 0x7F;
        SetKeyboardState(state);
        send(modifier, false);
    }
    SetKeyboardState(saved);
}

class Hotkey : public DialogTest {
protected:
    HWND Control() const { return GetDlgItem(Hwnd(), IDC_HOTKEY); }
    DWORD Shown() const { return static_cast<DWORD>(SendMessageA(Control(), HKM_GETHOTKEY, 0, 0)); }
    void Show(DWORD combination) const { SendMessageA(Control(), HKM_SETHOTKEY, combination, 0); }
};

TEST_F(Hotkey, TypedKeysGetCtrlAltUnlessTwoModifiersAreHeldAndEveryKeyDownIsAChange)
{
    StartDialog();
    ASSERT_FALSE(Enabled(IDC_SAVE));
    TypeKey(Control(), VK_F5);
    EXPECT_EQ(Shown(), kCtrlAltF5);
    EXPECT_TRUE(Enabled(IDC_SAVE));
    TypeKey(Control(), VK_F5, {VK_SHIFT});
    EXPECT_EQ(Shown(), kCtrlAltF5) << "one modifier is replaced";
    TypeKey(Control(), VK_F5, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(Shown(), kCtrlShiftF5) << "two stay as typed";

    Click(IDC_SAVE);
    ASSERT_FALSE(Enabled(IDC_SAVE));
    // A key typed with Alt held comes as a system key, which is not counted.
    SendMessageA(Control(), WM_SYSKEYDOWN, VK_F5, 1 | (1 << 29));
    EXPECT_FALSE(Enabled(IDC_SAVE));
    TypeKey(Control(), VK_F5, {VK_CONTROL, VK_SHIFT});  // the same combination again
    EXPECT_EQ(Shown(), kCtrlShiftF5);
    EXPECT_TRUE(Enabled(IDC_SAVE));
}

TEST_F(Hotkey, AStoredHotkeyIsRegisteredAndShown)
{
    SetNumber(kSettingsPath, "Hotkey", 0xABCD0000 | kCtrlAltF5);  // junk above the combination
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_EQ(Shown(), kCtrlAltF5);
    EXPECT_EQ(dialog->RegisteredHotkey(), kCtrlAltF5);
    EXPECT_FALSE(HotkeyIsFree(kCtrlAltF5));
    // Saving without touching it leaves it alone.
    Click(IDC_SAVE);
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), 0xABCD0000 | kCtrlAltF5);
    EXPECT_FALSE(HotkeyIsFree(kCtrlAltF5));

    // Teardown lets it go.
    CloseDialog();
    EXPECT_TRUE(HotkeyIsFree(kCtrlAltF5));
}

TEST_F(Hotkey, AStoredHotkeyWithoutAKeyRegistersNothing)
{
    SetNumber(kSettingsPath, "Hotkey", 0x0600);
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_EQ(dialog->RegisteredHotkey(), 0u);
    EXPECT_EQ(Shown(), 0u);
}

TEST_F(Hotkey, AStoredHotkeyInUseIsReportedAndLeftEmpty)
{
    HotkeyHolder other;
    ASSERT_TRUE(other.Grab(kCtrlAltF5));
    SetNumber(kSettingsPath, "Hotkey", kCtrlAltF5);
    MessageBoxAnswerer answerer(IDOK);
    StartDialog();
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], "Specified Hotkey already in use, it will not be set");
    EXPECT_EQ(answerer.Captions()[0], CWinApp::Get()->Name());
    EXPECT_EQ(dialog->RegisteredHotkey(), 0u);
    EXPECT_EQ(Shown(), 0u);
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), kCtrlAltF5) << "the stored value stays";
}

TEST_F(Hotkey, SavingRegistersAndStoresANewHotkeyOnce)
{
    StartDialog();
    TypeKey(Control(), VK_F5);
    Click(IDC_SAVE);
    EXPECT_EQ(dialog->RegisteredHotkey(), kCtrlAltF5);
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), kCtrlAltF5);
    EXPECT_FALSE(HotkeyIsFree(kCtrlAltF5));

    // A second save finds nothing to do: were it to register or store the
    // hotkey again, both would show.
    UnregisterHotKey(Hwnd(), 0);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsPath, "Hotkey");
    Click(IDC_SAVE);
    EXPECT_TRUE(HotkeyIsFree(kCtrlAltF5));
    EXPECT_FALSE(ValueExists(kSettingsPath, "Hotkey"));
}

TEST_F(Hotkey, ANewHotkeyReplacesTheOldOne)
{
    SetNumber(kSettingsPath, "Hotkey", kCtrlAltF5);
    StartDialog();
    ASSERT_EQ(dialog->RegisteredHotkey(), kCtrlAltF5);
    TypeKey(Control(), VK_F6);
    MessageBoxAnswerer answerer(IDOK);
    Click(IDC_SAVE);
    EXPECT_EQ(answerer.Count(), 0);
    EXPECT_EQ(dialog->RegisteredHotkey(), kCtrlAltF6);
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), kCtrlAltF6);
    EXPECT_TRUE(HotkeyIsFree(kCtrlAltF5)) << "the old one no longer belongs to the program";
    EXPECT_FALSE(HotkeyIsFree(kCtrlAltF6));
}

TEST_F(Hotkey, AHotkeyInUseAtSaveKeepsTheOldOne)
{
    SetNumber(kSettingsPath, "Hotkey", kCtrlAltF5);
    StartDialog();
    HotkeyHolder other;
    ASSERT_TRUE(other.Grab(kShiftAltF7));
    Show(kShiftAltF7);
    SetCheckBox(IDC_SAVE_ON_EXIT, true);
    dialog->SetModified(true);

    MessageBoxAnswerer answerer(IDOK);
    Click(IDC_SAVE);
    ASSERT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.Texts()[0], "Specified Hotkey already in use, it will not be set");
    EXPECT_EQ(Shown(), 0u) << "the control is cleared";
    EXPECT_EQ(dialog->RegisteredHotkey(), kCtrlAltF5);
    EXPECT_FALSE(HotkeyIsFree(kCtrlAltF5)) << "the old one still works";
    EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), kCtrlAltF5);
    // The rest of the save went on.
    EXPECT_EQ(NumberOr(kSettingsPath, "SaveOnExit", 0), 1u);
    EXPECT_FALSE(Enabled(IDC_SAVE));

    // Once the other program lets go, the same combination can be had.
    other.ReleaseAll();
    Show(kShiftAltF7);
    Click(IDC_SAVE);
    EXPECT_EQ(answerer.Count(), 1);
    EXPECT_EQ(dialog->RegisteredHotkey(), kShiftAltF7);
    EXPECT_TRUE(HotkeyIsFree(kCtrlAltF5));
}

TEST_F(Hotkey, AnEmptyControlOrNoModifierKeepsTheRegisteredHotkey)
{
    SetNumber(kSettingsPath, "Hotkey", kCtrlAltF5);
    StartDialog();
    for (DWORD shown : {0x0000ul, 0x0076ul, 0x0600ul}) {
        SCOPED_TRACE(shown);
        Show(shown);
        Click(IDC_SAVE);
        EXPECT_EQ(dialog->RegisteredHotkey(), kCtrlAltF5);
        EXPECT_FALSE(HotkeyIsFree(kCtrlAltF5));
        EXPECT_EQ(NumberOr(kSettingsPath, "Hotkey", 0), kCtrlAltF5);
        EXPECT_EQ(Shown(), shown) << "the control keeps what was typed";
    }
}

TEST_F(Hotkey, PressingTheRegisteredHotkeyOpensTheMenuOfTheEntriesWithQuipmarkOnly)
{
    SetNumber(kSettingsPath, "Hotkey", kShiftAltF7);
    StartDialog();
    dialog->AppendEntry(Entries().Root(), "entry");
    ASSERT_EQ(dialog->RegisteredHotkey(), kShiftAltF7);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
    INPUT keys[6] = {};
    const WORD sequence[3] = {VK_SHIFT, VK_MENU, VK_F7};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = sequence[i];
        keys[5 - i].type = INPUT_KEYBOARD;
        keys[5 - i].ki.wVk = sequence[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    // The last item, the program command, shows the dialog.
    const auto items = DriveMenu(
        [&] {
            ASSERT_EQ(SendInput(6, keys, sizeof(INPUT)), 6u);
            PumpUntil([&] { return IsWindowVisible(Hwnd()) && !IsIconic(Hwnd()); });
        },
        {VK_UP, VK_RETURN});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].caption, "entry");
    EXPECT_EQ(items[3].id, static_cast<UINT>(ID_SHOW_CONFIGURATION));
    EXPECT_EQ(items[3].caption, "&Quipmark");
    const auto isCommand = [](const MenuItemSnapshot& item) { return item.id > kLastMenuCommand; };
    EXPECT_EQ(std::count_if(items.begin(), items.end(), isCommand), 1) << "no program command but that one";
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Hwnd()) && !IsIconic(Hwnd()); }));
}

TEST_F(Hotkey, APressWhileTheMenuIsOpenLeavesThatMenuWorking)
{
    StartDialog();
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Hwnd()); }));
    // The second press arrives while the first menu runs its loop.
    const auto items = DriveMenu(
        [&] {
            PostMessageA(Hwnd(), WM_HOTKEY, 0, 0);
            SendMessageA(Hwnd(), WM_HOTKEY, 0, 0);
        },
        {VK_UP, VK_RETURN});
    ASSERT_FALSE(items.empty());
    // "&Quipmark" was chosen, and no menu is left behind.
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(Hwnd()) && !IsIconic(Hwnd()); }, 3000));
    HWND menu = FindWindowA("#32768", nullptr);
    EXPECT_TRUE(menu == nullptr || !IsWindowVisible(menu));
}

}  // namespace
