// qmprobe: acts on a running Quipmark from outside, as another Windows
// program of the same desktop would, and reports what it sees. The
// end-to-end tests run it under Wine beside the real quipmark.exe.
//
//   qmprobe state                         "visible iconic" flags of the "Quipmark" dialog
//   qmprobe wait STATE MS                 waits until STATE: exists, gone, visible, hidden, shown,
//                                         tray (hidden after the start's minimised moment), menu, nomenu
//   qmprobe watch STATE MS                as wait, but first prints "watching": a state that lasts
//                                         a moment is then caught by starting the program after that
//   qmprobe post MSG WPARAM LPARAM        posts a message to the window (numbers, 0x.. allowed)
//   qmprobe terminate                     ends the process that owns the window
//   qmprobe menukeys VK...                posts key presses to the open popup menu
//   qmprobe keys VK...                    presses and releases virtual keys in turn (SendInput)
//   qmprobe type HEX                      types the text whose UTF-8 bytes HEX spells, character
//                                         by character as Unicode keys (SendInput)
//   qmprobe popup                         the popup narrowed by typing: "left top right bottom"
//                                         of it, then of its screen's work area, then each of
//                                         its lines as the hex of its UTF-8 bytes
//   qmprobe chord VK...                   holds the keys down together, then releases them
//   qmprobe msgbox MS [BUTTON]            waits for a message box of the program, prints its
//                                         caption and text, and answers it with BUTTON (e.g. 6 = Yes)
//   qmprobe text ID | enabled ID | checked ID   a control of the dialog
//   qmprobe ctlrect ID                    a control's "left top right bottom" on the screen
//   qmprobe send ID MSG WPARAM LPARAM     sends a message to a control, prints the result
//   qmprobe history                       the clipboard history list, newest first, one per line
//   qmprobe select HEX                    selects the top-level item of that label (as settext)
//   qmprobe relabel HEX                   types the label HEX into the open label edit and ends it
//   qmprobe settext ID HEX                replaces the text of a control of the dialog with
//                                         the text whose UTF-8 bytes HEX spells
//   qmprobe click ID                      clicks an enabled button of the dialog
//   qmprobe regget NAME | regset NAME VALUE | regdel     the program's settings key
//   qmprobe window CAPTION MS             waits for a visible window of that caption, then lists
//                                         its controls: "id|class|text" per line
//   qmprobe windowpost CAPTION MSG WPARAM LPARAM   posts a message to that window
//   qmprobe rect CAPTION                  "x y width height" of that window on the screen
//   qmprobe drag X Y TEXT                 drags TEXT (CF_TEXT) from a window of its own to the
//                                         screen point X, Y and drops it there
//   qmprobe dragunicode X Y HEX           as drag, offering the text of HEX (as settext) in
//                                         both forms
//   qmprobe foreign CAPTION               keeps a minimised window of another class with that
//                                         caption until ended
//   qmprobe foreignstate                  "iconic" or "normal" for that window
//   qmprobe tree [open]                   the tree's labels in pre-order as UTF-8, one a line,
//                                         indented two spaces a level below the root; with
//                                         "open", every group is opened first
//   qmprobe select HEX                    selects the first entry labelled with the text of HEX (as settext)
//   qmprobe rename HEX NEWHEX             renames that entry through the tree's label edit
//   qmprobe pickfolder MS FROMHEX TOHEX  waits for the system's folder picker to show the folder
//                                         FROMHEX (as settext) selected, picks the folder TOHEX
//                                         beside it, presses OK and waits for the picker to close;
//                                         prints the label of the folder it found selected
//   qmprobe trayicon                      succeeds when the program's tray icon exists
//   qmprobe front CLASS MS                waits until a window of that class is in front
//   qmprobe edittext CLASS                the text of the edit control in the window of that class,
//                                         as the hex of its UTF-8 bytes
//   qmprobe caret CLASS                   "x y" on the screen: the bottom left of the text cursor
//                                         of the window of that class
//   qmprobe menurect                      "left top right bottom" of the open popup menu
//   qmprobe emptyclipboard                empties the clipboard, as a Windows program would,
//                                         and succeeds once no text is on it
//   qmprobe idle                          keeps a hidden window with a tray icon alive until
//                                         ended, so the tray window never empties (hiding
//                                         it costs Wine two seconds without a window manager)
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <commctrl.h>
#include "framework/OleDataSource.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kSettingsKey[] = "Software\\Dorvalent\\QuipMark\\";

// The program's dialog: the dialog of that caption that holds the hidden
// copy edit (the tree comes only once it is shown), never a message box of
// the program or another program's window of that caption.
HWND MainWindow()
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Quipmark")) != nullptr)
        if (GetDlgItem(window, 1011) != nullptr)
            return window;
    return nullptr;
}

// Runs until the process is ended, keeping its windows alive.
int RunMessageLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

const char kForeignClass[] = "QmProbeForeign";

// A minimised top-level window of another class with the caption given, as
// a folder window on a folder of that name; it lives until ended.
int Foreign(const char* caption)
{
    WNDCLASSA cls = {};
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = kForeignClass;
    RegisterClassA(&cls);
    HWND window = CreateWindowA(kForeignClass, caption, WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                nullptr, cls.hInstance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    return RunMessageLoop();
}

// The icon `id` of `window`, described in the structure's first form, which
// every version of the shell takes.
NOTIFYICONDATAA TrayIcon(HWND window, UINT id)
{
    NOTIFYICONDATAA icon = {};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = id;
    return icon;
}

HWND OpenPopupWindow()
{
    HWND popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, L"QuipmarkPopup", nullptr)) != nullptr)
        if (IsWindowVisible(popup))
            return popup;
    return nullptr;
}

HWND OpenMenuWindow()
{
    HWND menu = nullptr;
    while ((menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) != nullptr)
        if (IsWindowVisible(menu))
            return menu;
    return nullptr;
}

unsigned long Number(const char* text)
{
    return std::strtoul(text, nullptr, 0);
}

// Posts the message, WPARAM and LPARAM that three numbers of the command line spell.
int PostNumbers(HWND window, char** numbers)
{
    return window != nullptr && PostMessageA(window, static_cast<UINT>(Number(numbers[0])), Number(numbers[1]),
                                             static_cast<LPARAM>(Number(numbers[2]))) ? 0 : 1;
}

bool StateHolds(const std::string& state)
{
    HWND main = MainWindow();
    if (state == "exists") return main != nullptr;
    if (state == "gone") return main == nullptr;
    if (state == "visible") return main != nullptr && IsWindowVisible(main);
    if (state == "hidden") return main != nullptr && !IsWindowVisible(main);
    if (state == "shown") return main != nullptr && IsWindowVisible(main) && !IsIconic(main);
    // Before its first showing the dialog is hidden but not minimised.
    if (state == "tray") return main != nullptr && !IsWindowVisible(main) && IsIconic(main);
    if (state == "menu") return OpenMenuWindow() != nullptr;
    if (state == "nomenu") return OpenMenuWindow() == nullptr;
    if (state == "popup") return OpenPopupWindow() != nullptr;
    if (state == "nopopup") return OpenPopupWindow() == nullptr;
    std::fprintf(stderr, "unknown state %s\n", state.c_str());
    std::exit(2);
}

// The dialog's tree of entries.
const int kTreeId = 1022;
const UINT kShowConfiguration = 32773;

// A control of the program's dialog, reached as a user reaches it: the
// dialog makes its controls when it is first shown, so where they are not
// there yet it is opened first. It shows itself once they are made and show
// what they should.
HWND DialogControl(HWND main, int id)
{
    if (main == nullptr)
        return nullptr;
    if (GetDlgItem(main, kTreeId) == nullptr) {
        PostMessageA(main, WM_COMMAND, kShowConfiguration, 0);
        const DWORD start = GetTickCount();
        while (!(IsWindowVisible(main) && !IsIconic(main)) && GetTickCount() - start < 10000)
            Sleep(20);
    }
    return GetDlgItem(main, id);
}

// Polls `found` until it returns something, or says "timeout".
template <class T, class Find>
T PollFor(Find found, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    T result = found();
    while (!result) {
        if (GetTickCount() - start > timeoutMs) {
            std::printf("timeout\n");
            return result;
        }
        Sleep(20);
        result = found();
    }
    return result;
}

int Wait(const std::string& state, DWORD timeoutMs)
{
    return PollFor<bool>([&] { return StateHolds(state); }, timeoutMs) ? 0 : 1;
}

void SendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param)
{
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, 0xFFFF) != nullptr &&
        hwnd != MainWindow()) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The popup's place, its screen's work area and its lines, which are its
// window text, one to a line.
int PrintPopup()
{
    HWND popup = OpenPopupWindow();
    RECT rect;
    if (popup == nullptr || !GetWindowRect(popup, &rect))
        return 1;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    std::printf("%ld %ld %ld %ld\n%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom, work.left,
                work.top, work.right, work.bottom);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(popup)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(popup, &text[0], static_cast<int>(text.size()))));
    text += L'\n';
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        const std::wstring line = text.substr(start, end - start);
        std::string bytes(line.size() * 3 + 1, '\0');
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &bytes[0],
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
        for (int i = 0; i < size; ++i)
            std::printf("%02x", static_cast<unsigned char>(bytes[static_cast<size_t>(i)]));
        std::printf("\n");
    }
    return 0;
}

int MessageBoxCommand(DWORD timeoutMs, int button)
{
    HWND box = PollFor<HWND>([] {
        HWND found = nullptr;
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&found));
        return found;
    }, timeoutMs);
    if (box == nullptr)
        return 1;
    char caption[256] = "", text[4096] = "";
    GetWindowTextA(box, caption, sizeof(caption));
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    std::printf("%s\n%s\n", caption, text);
    if (button != 0)
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    return 0;
}

HWND VisibleWindow(const char* caption)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, nullptr, caption)) != nullptr)
        if (IsWindowVisible(window))
            return window;
    return nullptr;
}

int ListWindow(const char* caption, DWORD timeoutMs)
{
    HWND window = PollFor<HWND>([&] { return VisibleWindow(caption); }, timeoutMs);
    if (window == nullptr)
        return 1;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = "", text[1024] = "";
        GetClassNameA(child, cls, sizeof(cls));
        GetWindowTextA(child, text, sizeof(text));
        std::printf("%d|%s|%s\n", static_cast<short>(GetDlgCtrlID(child)), cls, text);
    }
    return 0;
}

// Unicode text comes as the hex digits of its UTF-8 bytes: the command line
// reaches a program in the code page, which may lack the characters.
std::wstring FromUtf8Hex(const std::string& hex)
{
    std::string utf8;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        utf8 += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0], units);
    return text;
}

// Text set as a user's typing would set it: through the selection, so that
// the edit control reports the change to the dialog (a multi-line edit
// stays silent about WM_SETTEXT).
int SetControlText(HWND main, int id, const std::string& hex)
{
    const std::wstring text = FromUtf8Hex(hex);
    HWND control = DialogControl(main, id);
    DWORD_PTR ignored = 0;
    if (control == nullptr ||
        !SendMessageTimeoutW(control, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 5000, &ignored) ||
        !SendMessageTimeoutW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 5000, &ignored))
        return 1;
    return 0;
}

// Posted, so a message box that the command opens does not hold us; a
// disabled button cannot be clicked.
int ClickButton(HWND main, int id)
{
    HWND button = DialogControl(main, id);
    if (button == nullptr || !IsWindowEnabled(button))
        return 1;
    return PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) ? 0 : 1;
}

int Registry(int argc, char** argv)
{
    const std::string verb = argv[1];
    if (verb == "regdel") {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Dorvalent");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Dorvalent");
        return 0;
    }
    if (verb == "regset" && argc >= 4) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
            return 1;
        const DWORD value = static_cast<DWORD>(Number(argv[3]));
        const LONG result = RegSetValueExA(key, argv[2], 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
        RegCloseKey(key);
        return result == ERROR_SUCCESS ? 0 : 1;
    }
    if (verb == "regget" && argc >= 3) {
        DWORD value = 0, size = sizeof(value), type = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, argv[2], RRF_RT_ANY, &type, &value, &size))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(value));
        return 0;
    }
    return 2;
}

struct DragJob {
    POINT from;
    POINT to;
    std::string text;
    DWORD effect;
    // Offered beside the 8-bit text when not empty, as programs of today do.
    std::wstring unicode;
};
DragJob* g_drag = nullptr;  // the one drag of this run

void SendMouse(DWORD flags, POINT at)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &input, sizeof(input));
}

// The user's hand: onto the source window, press, move in steps to the
// target, let go.
DWORD WINAPI MoveThePointer(LPVOID)
{
    Sleep(500);
    SendMouse(0, g_drag->from);
    Sleep(100);
    SendMouse(MOUSEEVENTF_LEFTDOWN, g_drag->from);
    for (int step = 1; step <= 12; ++step) {
        Sleep(60);
        SendMouse(0, {g_drag->from.x + (g_drag->to.x - g_drag->from.x) * step / 12,
                      g_drag->from.y + (g_drag->to.y - g_drag->from.y) * step / 12});
    }
    Sleep(300);
    SendMouse(MOUSEEVENTF_LEFTUP, g_drag->to);
    return 0;
}

// A movable memory block holding a copy of `bytes` bytes at `data`, as the
// clipboard formats want their data.
HGLOBAL GlobalCopy(const void* data, size_t bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    std::memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    return block;
}

LRESULT CALLBACK DragSourceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN && g_drag != nullptr) {
        COleDataSource* source = new COleDataSource;
        source->CacheText(GlobalCopy(g_drag->text.c_str(), g_drag->text.size() + 1));
        if (!g_drag->unicode.empty()) {
            const size_t bytes = (g_drag->unicode.size() + 1) * sizeof(wchar_t);
            source->CacheUnicodeText(GlobalCopy(g_drag->unicode.c_str(), bytes));
        }
        g_drag->effect = source->DoDragDrop(DROPEFFECT_COPY);
        source->Release();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int Drag(int x, int y, const std::string& text, const std::wstring& unicode = std::wstring())
{
    OleInitialize(nullptr);
    DragJob job = {{50, 400}, {x, y}, text, DROPEFFECT_NONE, unicode};
    g_drag = &job;
    WNDCLASSA cls = {};
    cls.lpfnWndProc = DragSourceProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "QmprobeDragSource";
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, cls.lpszClassName, "qmprobe drag", WS_POPUP | WS_VISIBLE,
                                  0, 350, 100, 100, nullptr, nullptr, cls.hInstance, nullptr);
    HANDLE hand = CreateThread(nullptr, 0, MoveThePointer, nullptr, 0, nullptr);
    MSG msg;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 20000) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0)
            continue;
        bool quit = false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = true;
            DispatchMessageA(&msg);
        }
        if (quit)
            break;
    }
    WaitForSingleObject(hand, 10000);
    CloseHandle(hand);
    DestroyWindow(window);
    OleUninitialize();
    std::printf("%lu\n", static_cast<unsigned long>(job.effect));
    return job.effect == DROPEFFECT_COPY ? 0 : 1;
}

// A tree view of another process (the dialog's tree of entries, the folder
// picker's), read and driven from outside. Its items can only be read in
// its own process: the item and its text are passed through memory there.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : m_tree(tree)
    {
        DWORD processId = 0;
        if (m_tree == nullptr || GetWindowThreadProcessId(m_tree, &processId) == 0)
            return;
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process != nullptr)
            m_remote = static_cast<char*>(
                VirtualAllocEx(m_process, nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteTree()
    {
        if (m_remote != nullptr)
            VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
        if (m_process != nullptr)
            CloseHandle(m_process);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    bool IsValid() const { return m_remote != nullptr; }
    HWND Handle() const { return m_tree; }

    HTREEITEM Next(HTREEITEM item, WPARAM which) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessageW(m_tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
    }

    std::wstring Label(HTREEITEM item) const
    {
        const int kLongest = 1024;
        TVITEMW query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = reinterpret_cast<wchar_t*>(m_remote + sizeof(TVITEMW));
        query.cchTextMax = kLongest;
        std::wstring label(kLongest, L'\0');
        SIZE_T moved = 0;
        if (!WriteProcessMemory(m_process, m_remote, &query, sizeof(query), &moved) ||
            !SendMessageW(m_tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(m_remote)) ||
            !ReadProcessMemory(m_process, m_remote + sizeof(TVITEMW), &label[0], kLongest * sizeof(wchar_t), &moved))
            return std::wstring();
        label.resize(std::min(label.find(L'\0'), label.size()));
        return label;
    }

    // Calls `visit` with each item from `item` on in pre-order and its depth;
    // stops when it returns false.
    template <class Visit>
    bool Walk(HTREEITEM item, int depth, const Visit& visit) const
    {
        for (; item != nullptr; item = Next(item, TVGN_NEXT)) {
            if (!visit(item, depth) || !Walk(Next(item, TVGN_CHILD), depth + 1, visit))
                return false;
        }
        return true;
    }

    // The first item labelled `label`, the root's own label excluded.
    HTREEITEM Find(const std::wstring& label) const
    {
        HTREEITEM found = nullptr;
        Walk(Next(nullptr, TVGN_ROOT), 0, [&](HTREEITEM item, int depth) {
            if (depth > 0 && Label(item) == label)
                found = item;
            return found == nullptr;
        });
        return found;
    }

private:
    HWND m_tree;
    HANDLE m_process = nullptr;
    char* m_remote = nullptr;
};

HWND EntriesTree(HWND main)
{
    return DialogControl(main, kTreeId);
}

std::string ToUtf8(const std::wstring& text)
{
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                                        &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr)));
    return utf8;
}

int PrintTree(HWND main, bool openGroups)
{
    const RemoteTree tree(EntriesTree(main));
    if (!tree.IsValid())
        return 1;
    tree.Walk(tree.Next(nullptr, TVGN_ROOT), 0, [&](HTREEITEM item, int depth) {
        // A closed group's children are in the tree only once it opens.
        if (openGroups)
            SendMessageW(tree.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
        std::printf("%s%s\n", std::string(static_cast<size_t>(depth) * 2, ' ').c_str(), ToUtf8(tree.Label(item)).c_str());
        return true;
    });
    return 0;
}

// Selects the item labelled with the text of `labelHex`; with `newHex`,
// renames it through the tree's own label edit to that text.
int SelectOrRename(HWND main, const char* labelHex, const char* newHex)
{
    const RemoteTree tree(EntriesTree(main));
    HTREEITEM item = tree.IsValid() ? tree.Find(FromUtf8Hex(labelHex)) : nullptr;
    if (item == nullptr || !SendMessageW(tree.Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)))
        return 1;
    if (newHex == nullptr)
        return 0;
    HWND edit = reinterpret_cast<HWND>(SendMessageW(tree.Handle(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
    if (edit == nullptr)
        return 1;
    const std::wstring text = FromUtf8Hex(newHex);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(tree.Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    return 0;
}

// A named callback: on 32-bit Windows a lambda has the wrong calling convention.
BOOL CALLBACK TakeTree(HWND child, LPARAM result)
{
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof(cls));
    if (lstrcmpiA(cls, WC_TREEVIEWA) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = child;
    return FALSE;
}

HWND TreeIn(HWND window)
{
    HWND tree = nullptr;
    EnumChildWindows(window, TakeTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

// The system's folder picker: a visible dialog with a tree of folders that
// is not the program's own dialog.
BOOL CALLBACK TakePicker(HWND window, LPARAM result)
{
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window) || window == MainWindow() ||
        TreeIn(window) == nullptr)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// Waits for the folder picker to show the folder `fromHex` selected, then
// picks the folder `toHex` beside it, as a click on it would, and presses
// OK. Prints the label of the folder it found selected.
int PickFolder(DWORD timeoutMs, const char* fromHex, const char* toHex)
{
    const std::wstring from = FromUtf8Hex(fromHex);
    const std::wstring to = FromUtf8Hex(toHex);
    HWND picker = nullptr;
    std::wstring openedAt;
    // It shows before it has walked down to the folder it opens at.
    const bool opened = PollFor<bool>([&] {
        picker = nullptr;
        EnumWindows(TakePicker, reinterpret_cast<LPARAM>(&picker));
        const RemoteTree tree(picker != nullptr ? TreeIn(picker) : nullptr);
        const HTREEITEM selected = tree.IsValid() ? tree.Next(nullptr, TVGN_CARET) : nullptr;
        openedAt = selected != nullptr ? tree.Label(selected) : std::wstring();
        return openedAt == from;
    }, timeoutMs);
    std::printf("%s\n", ToUtf8(openedAt).c_str());
    if (!opened)
        return 1;
    const RemoteTree tree(TreeIn(picker));
    const HTREEITEM parent = tree.Next(tree.Next(nullptr, TVGN_CARET), TVGN_PARENT);
    SendMessageW(tree.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    HTREEITEM item = tree.Next(parent, TVGN_CHILD);
    while (item != nullptr && tree.Label(item) != to)
        item = tree.Next(item, TVGN_NEXT);
    if (item == nullptr || !SendMessageW(tree.Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)))
        return 1;
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    return PollFor<bool>([&] { return !IsWindow(picker); }, timeoutMs) ? 0 : 1;
}

// The verbs about another program's window (Wine's notepad); 2 for a verb
// of none of them.
int OtherWindow(const std::string& verb, int argc, char** argv)
{
    if (verb == "menurect") {
        RECT rect;
        HWND menu = OpenMenuWindow();
        if (menu == nullptr || !GetWindowRect(menu, &rect))
            return 1;
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        return 0;
    }
    if (argc < 3 || (verb != "front" && verb != "edittext" && verb != "caret"))
        return 2;
    if (verb == "front" && argc >= 4) {
        const std::string cls = argv[2];
        return PollFor<bool>([&] {
            char name[64] = "";
            return GetClassNameA(GetForegroundWindow(), name, sizeof(name)) > 0 && cls == name;
        }, static_cast<DWORD>(Number(argv[3]))) ? 0 : 1;
    }
    HWND window = FindWindowA(argv[2], nullptr);
    if (window == nullptr)
        return 1;
    if (verb == "edittext") {
        HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
        if (edit == nullptr)
            return 1;
        std::wstring text(static_cast<size_t>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
        std::string bytes(text.size() * 3 + 1, '\0');
        const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0],
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
        for (int i = 0; i < size; ++i)
            std::printf("%02x", static_cast<unsigned char>(bytes[static_cast<size_t>(i)]));
        std::printf("\n");
        return 0;
    }
    if (verb == "caret") {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || info.hwndCaret == nullptr)
            return 1;
        POINT caret = {info.rcCaret.left, info.rcCaret.bottom};
        ClientToScreen(info.hwndCaret, &caret);
        std::printf("%ld %ld\n", caret.x, caret.y);
        return 0;
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // Said first, so that the tests can tell a probe that ran from one
    // that Wine now and then ends before it starts, with nothing printed.
    std::fputs("qmprobe: started\n", stderr);
    std::fflush(stderr);
    if (argc < 2)
        return 2;
    const std::string verb = argv[1];
    HWND main = MainWindow();
    if (verb == "state") {
        if (main == nullptr) {
            std::printf("none\n");
            return 1;
        }
        std::printf("%s %s\n", IsWindowVisible(main) ? "visible" : "hidden", IsIconic(main) ? "iconic" : "normal");
        return 0;
    }
    if ((verb == "wait" || verb == "watch") && argc >= 4) {
        if (verb == "watch") {
            std::printf("watching\n");
            std::fflush(stdout);
        }
        return Wait(argv[2], static_cast<DWORD>(Number(argv[3])));
    }
    if (verb == "post" && argc >= 5)
        return PostNumbers(main, argv + 2);
    if (verb == "terminate") {
        // Ends the program that owns the main window, whatever it is doing.
        DWORD processId = 0;
        if (main == nullptr || GetWindowThreadProcessId(main, &processId) == 0)
            return 1;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
        if (process == nullptr)
            return 1;
        const bool ended = TerminateProcess(process, 1) && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
        CloseHandle(process);
        return ended ? 0 : 1;
    }
    if (verb == "menukeys") {
        // Keys for the open popup menu, posted to it in order, so none is
        // lost while the menu is still coming up.
        if (Wait("menu", 10000) != 0)
            return 1;
        HWND menuWindow = OpenMenuWindow();
        for (int i = 2; i < argc; ++i) {
            const WPARAM vk = static_cast<WPARAM>(Number(argv[i]));
            PostMessageA(menuWindow, WM_KEYDOWN, vk, 1);
            PostMessageA(menuWindow, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
        }
        return 0;
    }
    if (verb == "keys" || verb == "chord") {
        std::vector<WORD> keys;
        for (int i = 2; i < argc; ++i)
            keys.push_back(static_cast<WORD>(Number(argv[i])));
        if (verb == "keys") {
            for (WORD vk : keys) {
                SendKey(vk, false);
                SendKey(vk, true);
                Sleep(30);
            }
        } else {
            for (WORD vk : keys)
                SendKey(vk, false);
            for (auto it = keys.rbegin(); it != keys.rend(); ++it)
                SendKey(*it, true);
        }
        return 0;
    }
    if (verb == "type" && argc >= 3) {
        for (wchar_t unit : FromUtf8Hex(argv[2])) {
            INPUT input[2] = {};
            for (INPUT& key : input) {
                key.type = INPUT_KEYBOARD;
                key.ki.wScan = unit;
                key.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
            SendInput(2, input, sizeof(INPUT));
            Sleep(30);
        }
        return 0;
    }
    if (verb == "popup")
        return PrintPopup();
    if (const int other = OtherWindow(verb, argc, argv); other != 2)
        return other;
    if (verb == "msgbox" && argc >= 3)
        return MessageBoxCommand(static_cast<DWORD>(Number(argv[2])), argc >= 4 ? static_cast<int>(Number(argv[3])) : 0);
    if ((verb == "text" || verb == "enabled" || verb == "checked" || verb == "ctlrect" ||
         (verb == "send" && argc >= 6)) && argc >= 3) {
        HWND control = DialogControl(main, static_cast<int>(Number(argv[2])));
        RECT rect = {};
        if (control == nullptr || (verb == "ctlrect" && !GetWindowRect(control, &rect)))
            return 1;
        if (verb == "send") {
            std::printf("%ld\n", static_cast<long>(SendMessageA(control, static_cast<UINT>(Number(argv[3])),
                                                                Number(argv[4]), static_cast<LPARAM>(Number(argv[5])))));
        } else if (verb == "ctlrect") {
            std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        } else if (verb == "text") {
            // Asked of the control itself: another process's GetWindowText
            // does not see what was typed into an edit control.
            char text[4096] = "";
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                                SMTO_ABORTIFHUNG, 5000, &ignored);
            std::printf("%s\n", text);
        } else if (verb == "enabled") {
            std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
        } else {
            std::printf("%d\n", static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)));
        }
        return 0;
    }
    if (verb == "history") {
        HWND list = main ? GetDlgItem(main, 1045) : nullptr;
        if (list == nullptr)
            return 1;
        const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            // Wide characters: Wine overruns a fixed buffer with long ANSI strings.
            wchar_t text[4096] = L"";
            if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 4096)
                SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            char bytes[8192] = "";
            WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
            std::printf("%s\n", bytes);
        }
        return 0;
    }
    if (verb == "settext" && argc >= 4)
        return SetControlText(main, static_cast<int>(Number(argv[2])), argv[3]);
    if (verb == "click" && argc >= 3)
        return ClickButton(main, static_cast<int>(Number(argv[2])));
    if (verb == "window" && argc >= 4)
        return ListWindow(argv[2], static_cast<DWORD>(Number(argv[3])));
    if (verb == "windowpost" && argc >= 6)
        return PostNumbers(VisibleWindow(argv[2]), argv + 3);
    if (verb == "rect" && argc >= 3) {
        HWND window = VisibleWindow(argv[2]);
        RECT rect;
        if (window == nullptr || !GetWindowRect(window, &rect))
            return 1;
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    if (verb == "foreign" && argc >= 3)
        return Foreign(argv[2]);
    if (verb == "foreignstate") {
        HWND window = FindWindowA(kForeignClass, nullptr);
        if (window == nullptr)
            return 1;
        std::printf("%s\n", IsIconic(window) ? "iconic" : "normal");
        return 0;
    }
    if (verb == "tree")
        return PrintTree(main, argc >= 3 && std::string(argv[2]) == "open");
    if (verb == "select" && argc >= 3)
        return SelectOrRename(main, argv[2], nullptr);
    if (verb == "rename" && argc >= 4)
        return SelectOrRename(main, argv[2], argv[3]);
    if (verb == "pickfolder" && argc >= 5)
        return PickFolder(static_cast<DWORD>(Number(argv[2])), argv[3], argv[4]);
    if (verb == "trayicon") {
        // Only an icon that exists can be modified.
        NOTIFYICONDATAA icon = TrayIcon(main, 0);
        return main != nullptr && Shell_NotifyIconA(NIM_MODIFY, &icon) ? 0 : 1;
    }
    if (verb == "drag" && argc >= 5)
        return Drag(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])), argv[4]);
    if (verb == "dragunicode" && argc >= 5) {
        // The 8-bit text beside it is the code page's nearest form.
        const std::wstring unicode = FromUtf8Hex(argv[4]);
        std::string text(unicode.size() * 2 + 1, '\0');
        const int size = WideCharToMultiByte(CP_ACP, 0, unicode.c_str(), -1, &text[0], static_cast<int>(text.size()),
                                             nullptr, nullptr);
        text.resize(size > 0 ? static_cast<size_t>(size) - 1 : 0);
        return Drag(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])), text, unicode);
    }
    if (verb == "emptyclipboard") {
        // Another program may hold it open for a moment (Wine's bridge to X).
        for (int tries = 0; tries < 100; ++tries) {
            if (OpenClipboard(nullptr)) {
                const bool emptied = EmptyClipboard() != FALSE;
                CloseClipboard();
                if (emptied && !IsClipboardFormatAvailable(CF_TEXT) && !IsClipboardFormatAvailable(CF_UNICODETEXT))
                    return 0;
            }
            Sleep(50);
        }
        return 1;
    }
    if (verb == "idle") {
        HWND window = CreateWindowA("STATIC", "qmprobe idle", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        NOTIFYICONDATAA icon = TrayIcon(window, 7);
        icon.uFlags = NIF_ICON | NIF_TIP;
        icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
        lstrcpynA(icon.szTip, "qmprobe", 64);
        Shell_NotifyIconA(NIM_ADD, &icon);
        return RunMessageLoop();
    }
    if (verb.compare(0, 3, "reg") == 0)
        return Registry(argc, argv);
    std::fprintf(stderr, "qmprobe: unknown command %s\n", verb.c_str());
    return 2;
}
