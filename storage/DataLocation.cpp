#include "storage/DataLocation.h"
#include "storage/EntryFile.h"
#include "storage/DataPath.h"
#include "framework/AppMessageBox.h"
#include "storage/DataFileIo.h"
#include "framework/ModulePath.h"
#include "settings/SettingsStore.h"
#include <commctrl.h>
#include <shlobj.h>

namespace {

// The folder a path names, as the picker and the messages show it: no
// backslash at the end but for a drive's root.
std::string ShownFolder(const std::string& dataPath)
{
    std::string folder = FolderOf(dataPath);
    if (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// Starts the picker in the folder it is given. The picker walks down to it
// one folder at a time, and at its first opening in a process it can stop
// short, at a folder whose subfolders it had not listed yet (Wine stops at
// the user's folder); a second walk over the folders listed by the first
// reaches it.
int CALLBACK OnPickerEvent(HWND picker, UINT message, LPARAM, LPARAM start)
{
    if (message == BFFM_INITIALIZED && start != 0) {
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, start);
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, start);
    }
    return 0;
}

std::wstring Widened(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// The path in the system's code page, which the data file's functions take;
// false when a character of it has no place there.
bool Narrowed(const std::wstring& wide, std::string& text)
{
    text.clear();
    if (wide.empty())
        return true;
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy)
        return false;
    text.resize(static_cast<size_t>(length));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, &lossy);
    return lossy == FALSE;
}

}  // namespace

CDataLocation::~CDataLocation()
{
    if (m_tip != nullptr && IsWindow(m_tip))
        DestroyWindow(m_tip);
}

std::string CDataLocation::Load(const std::string& modulePath)
{
    m_folder = CSettingsStore().DataFolder();
    return DataPathFor(m_folder, modulePath);
}

bool CDataLocation::Reachable() const
{
    if (m_folder.empty())
        return true;
    const DWORD attributes = GetFileAttributesA(m_folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CDataLocation::ReportUnreachable() const
{
    AppMessageBox("The folder of your entries cannot be reached:\n" + m_folder +
                      "\n\nQuipmark starts with the entries it has in memory and writes nothing "
                      "anywhere else. \"Save\" tries that folder again; once it is back, what is "
                      "there and what you add now become one.",
                  MB_OK | MB_ICONEXCLAMATION);
}

void CDataLocation::AttachButton(HWND button, const std::string& dataPath)
{
    m_button = button;
    if (m_tip == nullptr) {
        m_tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(button),
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        if (m_tip == nullptr)
            return;
        m_tipText = "Your entries are in " + ShownFolder(dataPath);
        TTTOOLINFOA tool = {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetParent(button);
        tool.uId = reinterpret_cast<UINT_PTR>(button);
        tool.lpszText = &m_tipText[0];
        SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ShowFolder(dataPath);
}

void CDataLocation::ShowFolder(const std::string& dataPath) const
{
    if (m_tip == nullptr || m_button == nullptr)
        return;
    m_tipText = "Your entries are in " + ShownFolder(dataPath);
    TTTOOLINFOA tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(m_button);
    tool.uId = reinterpret_cast<UINT_PTR>(m_button);
    tool.lpszText = &m_tipText[0];
    SendMessageA(m_tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CDataLocation::AskForFolder(HWND owner, const std::string& dataPath, std::string& folder) const
{
    const std::wstring start = Widened(ShownFolder(dataPath));
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.lpszTitle = L"Choose the folder for your entries (a synced folder keeps them on every machine):";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = OnPickerEvent;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr)
        return false;
    wchar_t path[MAX_PATH] = L"";
    const bool named = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!named || path[0] == L'\0') {
        AppMessageBox("That place is not a folder of files; your entries stay where they are.", MB_OK);
        return false;
    }
    if (!Narrowed(path, folder)) {
        AppMessageBox("The path of that folder holds characters that Quipmark cannot use for its data "
                      "file; your entries stay where they are.",
                      MB_OK);
        return false;
    }
    return true;
}

bool CDataLocation::ReadFolder(const std::string& folder, bool& holdsData, VersionedEntries& entries) const
{
    const std::string path = DataPathInFolder(folder);
    std::string bytes;
    const DWORD error = ReadWholeFile(path, bytes);
    holdsData = !IsMissingFile(error);
    entries = VersionedEntries();
    if (!holdsData)
        return true;
    if (error != 0) {
        AppMessageBox("Unable to read " + path + ".\n" + SystemReason(error) +
                          "\n\nYour entries stay where they are.",
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!DecodeVersioned(bytes, entries)) {
        AppMessageBox(path + " is damaged, so it cannot be joined with your entries; "
                             "they stay where they are.",
                      MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool CDataLocation::Remember(const std::string& folder, const std::string& dataPath)
{
    m_folder = folder;
    ShowFolder(dataPath);
    return CSettingsStore().SaveDataFolder(folder);
}
