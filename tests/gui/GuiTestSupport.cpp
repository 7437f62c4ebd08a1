#include "GuiTestSupport.h"
#include "storage/RecordCodec.h"
#include <cstring>
#include <fstream>
#include <shellapi.h>
#include <sstream>

namespace {
MessageBoxAnswerer* g_answerer = nullptr;  // the one answerer alive, if any

std::string Record(RecordKind kind, const std::string& text)
{
    std::string bytes;
    AppendRecord(bytes, kind, text);
    return bytes;
}
}  // namespace

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

MessageBoxAnswerer::MessageBoxAnswerer(int button)
    : m_button(button), m_timer(SetTimer(nullptr, 0, 30, OnTimer))
{
    g_answerer = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    KillTimer(nullptr, m_timer);
    g_answerer = nullptr;
}

BOOL CALLBACK MessageBoxAnswerer::AnswerBox(HWND hwnd, LPARAM)
{
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) != "#32770" || !IsWindowVisible(hwnd) || GetDlgItem(hwnd, 0xFFFF) == nullptr)
        return TRUE;
    char caption[256] = "", text[8192] = "";
    GetWindowTextA(hwnd, caption, sizeof(caption));
    GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof(text));
    g_answerer->m_captions.push_back(caption);
    g_answerer->m_texts.push_back(text);
    PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(g_answerer->m_button), 0);
    return FALSE;
}

void CALLBACK MessageBoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_answerer != nullptr)
        EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

std::string K(const std::string& text)
{
    return Record(RecordKind::TopLevel, text);
}

std::string E(const std::string& text)
{
    return Record(RecordKind::Child, text);
}

std::string WriteBytesToFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadBytesOfFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteSettingsKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dorvalent");
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dorvalent");
}

void DialogTest::SetUp()
{
    DeleteSettingsKey();
    // Every test starts with an empty clipboard history.
    EmptyTheClipboard();
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder = std::string(temp) + "qmtest-" + std::to_string(GetCurrentProcessId()) + "-" + info->name();
    CreateDirectoryA(folder.c_str(), nullptr);
    dataPath = folder + "\\quipmark.dat";
}

void DialogTest::TearDown()
{
    CloseDialog();
    DeleteSettingsKey();
    SHFILEOPSTRUCTA remove = {};
    std::string from = folder + std::string(1, '\0');
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    SetFileAttributesA(dataPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    SHFileOperationA(&remove);
}

void DialogTest::StartWith(const std::string& bytes)
{
    WriteBytesToFile(dataPath, bytes);
    StartDialog();
}

void DialogTest::StartDialog(std::unique_ptr<CQuipMarkDlg> made)
{
    dialog = made ? std::move(made) : std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(dataPath);
    CWinApp::Get()->SetMainWnd(dialog.get());
    ASSERT_TRUE(dialog->Create());
    // The controls as if the dialog were shown at once.
    ASSERT_TRUE(dialog->MakeControls());
    PumpMessages();
}

void DialogTest::StartInTray()
{
    dialog = std::make_unique<CQuipMarkDlg>();
    dialog->UseDataPath(dataPath);
    CWinApp::Get()->SetMainWnd(dialog.get());
    ASSERT_TRUE(dialog->Create());
    PumpMessages();
}

void DialogTest::CloseDialog()
{
    if (dialog) {
        // Destroyed while the object is whole, so that its teardown runs as
        // at the end of the program (the clipboard chain, the tray icon).
        if (dialog->Handle() != nullptr)
            DestroyWindow(dialog->Handle());
        dialog.reset();
        PumpMessages();
    }
    CWinApp::Get()->SetMainWnd(nullptr);
}

void DialogTest::Click(int id)
{
    SendMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Hwnd(), id)));
}

void DialogTest::SetCheckBox(int id, bool checked)
{
    CheckDlgButton(Hwnd(), id, checked ? BST_CHECKED : BST_UNCHECKED);
    Click(id);
}

std::string DialogTest::ItemText(int id) const
{
    char text[1024] = "";
    GetDlgItemTextA(Hwnd(), id, text, sizeof(text));
    return text;
}

std::string DialogTest::TreeOutline()
{
    std::string outline;
    const EntryTree& entries = Entries();
    std::function<void(EntryId, int)> walk = [&](EntryId id, int depth) {
        outline += std::string(static_cast<size_t>(depth) * 2, ' ') + entries.Label(id) + "\n";
        for (EntryId child : entries.Children(id))
            walk(child, depth + 1);
    };
    walk(entries.Root(), 0);
    return outline;
}

HTREEITEM DialogTest::TopLevel(int index)
{
    HTREEITEM item = Tree().Child(Tree().Root());
    while (item != nullptr && index-- > 0)
        item = Tree().NextSibling(item);
    return item;
}

namespace {

struct MenuDriver {
    std::vector<WORD> keys;
    std::function<void()> whileOpen;
    std::vector<MenuItemSnapshot> items;
    bool done = false;
};
MenuDriver* g_menuDriver = nullptr;

std::vector<MenuItemSnapshot> Snapshot(HMENU menu)
{
    std::vector<MenuItemSnapshot> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char caption[1024] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = caption;
        info.cch = sizeof(caption) - 1;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        MenuItemSnapshot item;
        item.caption = caption;
        wchar_t unicodeCaption[1024] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), unicodeCaption, 1024, MF_BYPOSITION);
        item.unicodeCaption = unicodeCaption;
        item.id = info.hSubMenu != nullptr ? 0 : info.wID;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.isDefault = (info.fState & MFS_DEFAULT) != 0;
        item.grayed = (info.fState & MFS_GRAYED) != 0;
        if (info.hSubMenu != nullptr)
            item.submenu = Snapshot(info.hSubMenu);
        items.push_back(item);
    }
    return items;
}

void CALLBACK OnMenuTimer(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (g_menuDriver == nullptr || g_menuDriver->done)
        return;
    HWND menuWindow = nullptr;
    while ((menuWindow = FindWindowExA(nullptr, menuWindow, "#32768", nullptr)) != nullptr)
        if (IsWindowVisible(menuWindow))
            break;
    if (menuWindow == nullptr)
        return;
    g_menuDriver->done = true;
    KillTimer(nullptr, timer);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, 0x01E1 /* MN_GETHMENU */, 0, 0));
    g_menuDriver->items = Snapshot(menu);
    if (g_menuDriver->whileOpen)
        g_menuDriver->whileOpen();
    if (g_menuDriver->keys.empty()) {
        EndMenu();
        return;
    }
    for (WORD key : g_menuDriver->keys) {
        PostMessageA(menuWindow, WM_KEYDOWN, key, 0);
        PostMessageA(menuWindow, WM_KEYUP, key, 0xC0000000);
    }
}

}  // namespace

std::vector<MenuItemSnapshot> DriveMenu(const std::function<void()>& open, const std::vector<WORD>& keys,
                                        const std::function<void()>& whileOpen)
{
    MenuDriver driver;
    driver.keys = keys;
    driver.whileOpen = whileOpen;
    g_menuDriver = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnMenuTimer);
    open();
    KillTimer(nullptr, timer);
    g_menuDriver = nullptr;
    PumpMessages();
    return driver.items;
}

const CPopupFindWindow* TypeInMenu(CQuipMarkDlg& dialog, POINT at, const std::wstring& typed)
{
    // Shift does nothing in a menu; it stands for the keys of DriveMenu,
    // which would otherwise close the menu before the character is read.
    DriveMenu([&] { dialog.ShowTrayMenu(0, at); }, {VK_SHIFT},
              [&] { PostMessageW(dialog.Handle(), WM_CHAR, typed.at(0), 1); });
    const CPopupFindWindow& popup = dialog.PopupFindWindow();
    if (!popup.IsOpen())
        return nullptr;
    for (size_t i = 1; i < typed.size(); ++i)
        SendMessageW(popup.Handle(), WM_CHAR, typed[i], 1);
    PumpMessages();
    return &popup;
}

namespace {
bool OpenClipboardBriefly()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(20);
    }
    return false;
}

// The clipboard's text in `format`, or "<none>" ("<busy>") in `Char`s.
template <typename Char>
std::basic_string<Char> ClipboardTextOf(UINT format)
{
    const Char none[] = {'<', 'n', 'o', 'n', 'e', '>', 0}, busy[] = {'<', 'b', 'u', 's', 'y', '>', 0};
    if (!OpenClipboardBriefly())
        return busy;
    std::basic_string<Char> text = none;
    if (HANDLE data = GetClipboardData(format)) {
        if (const Char* chars = static_cast<const Char*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
}  // namespace

std::string ClipboardText()
{
    return ClipboardTextOf<char>(CF_TEXT);
}

std::wstring ClipboardUnicodeText()
{
    return ClipboardTextOf<wchar_t>(CF_UNICODETEXT);
}

void SetClipboardText(const std::string& text)
{
    if (!OpenClipboardBriefly())
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block != nullptr) {
        memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        if (SetClipboardData(CF_TEXT, block) == nullptr)
            GlobalFree(block);
    }
    CloseClipboard();
}

void EmptyTheClipboard()
{
    if (!OpenClipboardBriefly())
        return;
    EmptyClipboard();
    CloseClipboard();
}
