#include "app/QuipMarkDlg.h"
#include "framework/AppMessageBox.h"
#include "settings/HotkeyCode.h"
#include "settings/SettingsStore.h"
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

namespace {

const char kHotkeyInUse[] = "Specified Hotkey already in use, it will not be set";
const int kHotkeyId = 0;

bool RegisterCombination(HWND window, DWORD combination)
{
    return RegisterHotKey(window, kHotkeyId, RegistrationModifiers(HotkeyFlags(combination)),
                          HotkeyKeyCode(combination)) != FALSE;
}

void ApplyTopmost(HWND window, bool topmost)
{
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ReportHotkeyInUse()
{
    AppMessageBox(kHotkeyInUse, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void CQuipMarkDlg::LoadSettings()
{
    const StoredSettings stored = CSettingsStore().Load();
    m_settings = DialogSettings::FromStored(stored);
    if (m_settings.alwaysOnTop)
        ApplyTopmost(m_hWnd, true);
    m_paste.Enable(m_hWnd, m_settings.pasteAfterChoice);

    // A combination without a key could never be pressed.
    if (HotkeyKeyCode(stored.hotkey) != 0) {
        if (RegisterCombination(m_hWnd, stored.hotkey)) {
            m_registeredHotkey = stored.hotkey;
        } else {
            ReportHotkeyInUse();
            m_registeredHotkey = 0;
        }
    }
    ShowSettings();
}

void CQuipMarkDlg::ShowSettings()
{
    if (!ControlsMade())
        return;
    // Showing the settings is no change of the user's, so the modified flag
    // stays as it is.
    m_menuWidthSpin.SetPos(m_settings.menuWidth);
    m_saveOnExit.SetCheck(m_settings.saveOnExit ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_ALWAYS_ON_TOP, m_settings.alwaysOnTop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_hWnd, IDC_PASTE_AFTER_CHOICE, m_settings.pasteAfterChoice ? BST_CHECKED : BST_UNCHECKED);
    m_hotkey.SetHotKey(m_registeredHotkey);
}

bool CQuipMarkDlg::SaveSettings()
{
    // The hotkey goes first: its message box comes before anything is
    // written.
    // The combination typed in the control; none before it is made.
    const DWORD hotkey = ControlsMade() ? HotkeyCombination(m_hotkey.GetHotKey()) : m_registeredHotkey;
    bool hotkeyChanged = false;
    if (hotkey != m_registeredHotkey && HotkeyKeyCode(hotkey) != 0 && HotkeyFlags(hotkey) != 0) {
        // The new combination replaces the old one, which must stop working;
        // if the new one is taken, the old one is taken back.
        if (m_registeredHotkey != 0)
            UnregisterHotKey(m_hWnd, kHotkeyId);
        if (RegisterCombination(m_hWnd, hotkey)) {
            m_registeredHotkey = hotkey;
            hotkeyChanged = true;
        } else {
            if (m_registeredHotkey != 0 && !RegisterCombination(m_hWnd, m_registeredHotkey))
                m_registeredHotkey = 0;
            ReportHotkeyInUse();
            m_hotkey.SetHotKey(0);
        }
    }

    CSettingsStore().Save(m_settings.ToStored(m_registeredHotkey), hotkeyChanged);

    // A file error was reported; the changes to the entries are not saved.
    if (!SaveEntries())
        return false;
    SetModified(false);
    return true;
}

bool CQuipMarkDlg::ImportRegistryLists()
{
    const CSettingsStore store;
    EntryChange change;
    bool imported = false;
    std::string name;
    // Every list stays in the registry until a save has put it in the data
    // file (DeleteImportedLists).
    for (DWORD index = 0; store.ListName(index, name); ++index) {
        const EntryId list = m_entries.Append(m_entries.Root(), name);
        bool complete = true;
        try {
            for (const CSettingsStore::ListEntry& entry : store.ReadList(name))
                m_entries.Append(list, entry.text, nullptr, entry.unicode);
        } catch (const std::bad_alloc&) {
            complete = false;
        }
        // A list that could not be taken in whole, or could not be removed
        // once saved, stays in the registry only, for a later start; taking
        // it in now would bring it in twice then.
        if (!complete || !store.MayDeleteList(name)) {
            m_entries.Discard(list);
            break;
        }
        change.inserted.push_back(list);
        m_importedLists.push_back(name);
        imported = true;
    }
    // Until a save has put the lists in the data file they are unsaved
    // changes, kept in the registry too: a failed save leaves Save enabled
    // and the exit path asks, and a later start takes them in again.
    if (imported) {
        change.changed.push_back(m_entries.Root());
        Follow(change);
        SetModified(true);
    }
    return imported;
}

void CQuipMarkDlg::DeleteImportedLists()
{
    if (m_importedLists.empty())
        return;
    const CSettingsStore store;
    // A list whose key cannot be deleted is taken in again at the next
    // start; dropping it from the tree now would lose it with the next save.
    for (const std::string& name : m_importedLists)
        store.DeleteList(name);
    m_importedLists.clear();
}

void CQuipMarkDlg::OnMenuWidthLeft()
{
    // The spin reads the field; a number out of its range it refuses and
    // keeps the width it had, which the menu goes on using. The field shows
    // the width the menu uses: such a number becomes the nearest width of
    // the range, and a field without one shows the width kept.
    const DWORD read = m_menuWidthSpin.GetPos();
    int width = LOWORD(read);
    char text[16] = "";
    GetDlgItemTextA(m_hWnd, IDC_MENU_WIDTH, text, sizeof(text));
    if (HIWORD(read) != 0 && text[0] >= '0' && text[0] <= '9') {
        const long typed = std::strtol(text, nullptr, 10);
        width = typed < kNarrowestMenu ? kNarrowestMenu : typed > kWidestMenu ? kWidestMenu : static_cast<int>(typed);
    }
    m_menuWidthSpin.SetPos(width);
}

void CQuipMarkDlg::OnMenuWidthChanged()
{
    // Set by the spin while it is made, the field says nothing yet.
    if (!ControlsMade())
        return;
    // The position alone: the high word only says whether the field held a
    // number; without one, the width kept stays.
    m_settings.menuWidth = LOWORD(m_menuWidthSpin.GetPos());
    if (GetFocus() == Item(IDC_MENU_WIDTH))
        SetModified(true);  // typed, not set by the spin
}

void CQuipMarkDlg::OnAlwaysOnTop()
{
    m_settings.alwaysOnTop = IsDlgButtonChecked(m_hWnd, IDC_ALWAYS_ON_TOP) == BST_CHECKED;
    ApplyTopmost(m_hWnd, m_settings.alwaysOnTop);
    SetModified(true);
}

void CQuipMarkDlg::OnSaveOnExit()
{
    m_settings.saveOnExit = m_saveOnExit.GetCheck() == BST_CHECKED;
    SetModified(true);
}

void CQuipMarkDlg::OnPasteAfterChoice()
{
    m_settings.pasteAfterChoice = IsDlgButtonChecked(m_hWnd, IDC_PASTE_AFTER_CHOICE) == BST_CHECKED;
    m_paste.Enable(m_hWnd, m_settings.pasteAfterChoice);
    SetModified(true);
}
