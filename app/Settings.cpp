#include "app/HotkeyCode.h"
#include "app/QuipMarkDlg.h"
#include "framework/AppMessageBox.h"
#include "settings/RegistryKey.h"
#include "settings/ScopedKey.h"
#include <string>
#include <vector>

namespace {

const char kSettingsPath[] = "Software\\Dorvalent\\QuipMark\\";
const char kHotkeyValue[] = "Hotkey";
const char kMaxLengthValue[] = "MaxLength";
const char kSaveOnExitValue[] = "SaveOnExit";
const char kAlwaysOnTopValue[] = "AlwaysOnTop";
const char kHotkeyInUse[] = "Specified Hotkey already in use, it will not be set";
const DWORD kMaxMenuWidth = 100;
const int kHotkeyId = 0;
// Imported lists are named by sub-keys of up to this many characters.
const DWORD kListNameCapacity = 100;

// A missing, unreadable or non-number value reads as 0.
DWORD ReadSetting(const CRegistryKey& registry, const char* name)
{
    DWORD value = 0;
    registry.ReadNumber(kSettingsPath, name, value);
    return value;
}

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

// The texts of a list's values "0", "1", ... up to the first one that is
// missing or not text; what comes after such a gap is not read.
std::vector<std::string> ReadListTexts(const CRegistryKey& registry, const std::string& path)
{
    std::vector<std::string> texts;
    std::string text;
    for (unsigned i = 0; registry.ReadString(path, std::to_string(i).c_str(), text); ++i)
        texts.push_back(text);
    return texts;
}

}  // namespace

void CQuipMarkDlg::LoadSettings()
{
    const CRegistryKey registry(HKEY_CURRENT_USER);

    DWORD width = ReadSetting(registry, kMaxLengthValue);
    if (width > kMaxMenuWidth)
        width = kMaxMenuWidth;
    m_menuWidthSpin.SetPos(LOWORD(width));

    m_saveOnExit.SetCheck(ReadSetting(registry, kSaveOnExitValue) != 0 ? BST_CHECKED : BST_UNCHECKED);

    // Only exactly 1 means on. Showing the stored state is no change of the
    // user's, so the modified flag stays as it is.
    const bool topmost = ReadSetting(registry, kAlwaysOnTopValue) == 1;
    CheckDlgButton(m_hWnd, IDC_ALWAYS_ON_TOP, topmost ? BST_CHECKED : BST_UNCHECKED);
    if (topmost)
        ApplyTopmost(m_hWnd, true);

    // Bits above the combination carry nothing; a combination without a key
    // could never be pressed.
    const DWORD hotkey = HotkeyCombination(ReadSetting(registry, kHotkeyValue));
    if (HotkeyKeyCode(hotkey) != 0) {
        if (RegisterCombination(m_hWnd, hotkey)) {
            m_hotkey.SetHotKey(hotkey);
            m_registeredHotkey = hotkey;
        } else {
            ReportHotkeyInUse();
            m_registeredHotkey = 0;
        }
    }

    RefreshImagesAndCount();
    m_tree.Expand(m_tree.Root(), TVE_EXPAND);
}

bool CQuipMarkDlg::SaveSettings()
{
    const CRegistryKey registry(HKEY_CURRENT_USER);

    // The hotkey goes first: its message box comes before anything is
    // written.
    const DWORD hotkey = HotkeyCombination(m_hotkey.GetHotKey());
    if (hotkey != m_registeredHotkey && HotkeyKeyCode(hotkey) != 0 && HotkeyFlags(hotkey) != 0) {
        // The new combination replaces the old one, which must stop working;
        // if the new one is taken, the old one is taken back.
        if (m_registeredHotkey != 0)
            UnregisterHotKey(m_hWnd, kHotkeyId);
        if (RegisterCombination(m_hWnd, hotkey)) {
            registry.WriteNumber(kSettingsPath, kHotkeyValue, hotkey);
            m_registeredHotkey = hotkey;
        } else {
            if (m_registeredHotkey != 0 && !RegisterCombination(m_hWnd, m_registeredHotkey))
                m_registeredHotkey = 0;
            ReportHotkeyInUse();
            m_hotkey.SetHotKey(0);
        }
    }

    // The position alone: the high word only says whether the width field
    // held a number, and stored it would read back as another width.
    registry.WriteNumber(kSettingsPath, kMaxLengthValue, LOWORD(m_menuWidthSpin.GetPos()));
    registry.WriteNumber(kSettingsPath, kSaveOnExitValue, m_saveOnExit.GetCheck() == BST_CHECKED ? 1 : 0);
    registry.WriteNumber(kSettingsPath, kAlwaysOnTopValue,
                         IsDlgButtonChecked(m_hWnd, IDC_ALWAYS_ON_TOP) == BST_CHECKED ? 1 : 0);

    // A file error was reported; the changes to the entries are not saved.
    if (!SaveEntries())
        return false;
    SetModified(false);
    return true;
}

bool CQuipMarkDlg::ImportRegistryLists()
{
    ScopedKey settings;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, KEY_ALL_ACCESS, settings.Receive()) != ERROR_SUCCESS)
        return false;
    const CRegistryKey registry(HKEY_CURRENT_USER);
    HTREEITEM root = m_tree.Root();
    bool imported = false;
    for (;;) {
        // Always index 0: each list is deleted before the next pass. A name
        // too long for the buffer ends the import here.
        char name[kListNameCapacity] = "";
        DWORD length = kListNameCapacity;
        if (RegEnumKeyExA(settings.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string path = std::string(kSettingsPath) + name;

        HTREEITEM list = InsertEntry(root, TVI_LAST, name, name, 1);
        std::vector<HTREEITEM> made;
        bool complete = list != nullptr;
        if (complete) {
            for (const std::string& text : ReadListTexts(registry, path)) {
                HTREEITEM entry = InsertEntry(list, TVI_LAST, text, text, 2);
                if (entry == nullptr) {
                    complete = false;
                    break;
                }
                made.push_back(entry);
            }
        }
        // A list that could not be taken in whole, or not removed, stays in
        // the registry only, for a later start; taking it in now would
        // bring it in twice then, and the enumeration would find it again.
        if (!complete || !registry.Delete(path, nullptr)) {
            for (HTREEITEM entry : made)
                DeleteEntryItem(entry);
            if (list != nullptr)
                DeleteEntryItem(list);
            break;
        }
        imported = true;
    }
    // The lists now live in the tree alone: until a save has put them in the
    // data file they are unsaved changes, so a failed save leaves Save
    // enabled and the exit path asks.
    if (imported) {
        RefreshImagesAndCount();
        SetModified(true);
    }
    return imported;
}

void CQuipMarkDlg::OnAlwaysOnTop()
{
    ApplyTopmost(m_hWnd, IsDlgButtonChecked(m_hWnd, IDC_ALWAYS_ON_TOP) == BST_CHECKED);
    SetModified(true);
}

void CQuipMarkDlg::OnSaveOnExit()
{
    SetModified(true);
}
