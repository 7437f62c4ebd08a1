#include "TreeTestSupport.h"
#include "framework/Clipboard.h"
#include "framework/OleDataSource.h"
#include <cstring>

void SendButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

void TreeTest::ShowDialog()
{
    StartDialog();
    // The hide timer would hide the dialog again.
    KillTimer(Hwnd(), 2);
    dialog->ShowConfiguration();
    PumpMessages();
}

HTREEITEM TreeTest::AddItem(HTREEITEM parent, const std::string& text)
{
    const EntryId parentId = Tree().EntryOf(parent);
    const EntryId id = dialog->AppendEntry(parentId, text);
    Tree().ExpandEntry(parentId);
    return Tree().Reveal(id);
}

std::vector<std::string> TreeTest::ChildLabels(HTREEITEM parent)
{
    std::vector<std::string> labels;
    for (EntryId child : Entries().Children(Tree().EntryOf(parent)))
        labels.push_back(Tree().Label(Tree().Reveal(child)));
    return labels;
}

std::wstring TreeTest::UnicodeLabel(HTREEITEM item)
{
    wchar_t label[1024] = L"";
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = label;
    query.cchTextMax = 1024;
    Tree().Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return label;
}

std::vector<std::wstring> TreeTest::ChildUnicodeLabels(HTREEITEM parent)
{
    std::vector<std::wstring> labels;
    for (EntryId child : Entries().Children(Tree().EntryOf(parent)))
        labels.push_back(UnicodeLabel(Tree().Reveal(child)));
    return labels;
}

bool TreeTest::IsExpanded(HTREEITEM item)
{
    return (Tree().Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeTest::Rename(HTREEITEM item, const std::wstring& text, bool commit)
{
    Tree().Select(item);
    HWND edit = Tree().EditLabel(item);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, text.c_str());
    Tree().Send(TVM_ENDEDITLABELNOW, commit ? FALSE : TRUE);
    PumpMessages();
}

POINT TreeTest::LabelPoint(HTREEITEM item)
{
    Tree().Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof(item));  // the item goes in, its rectangle comes back
    Tree().Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(Tree().Handle(), &point);
    return point;
}

void TreeTest::PointBelowTheRows()
{
    RECT client;
    GetClientRect(Tree().Handle(), &client);
    POINT below = {client.right / 2, client.bottom - 5};
    ClientToScreen(Tree().Handle(), &below);
    SetCursorPos(below.x, below.y);
}

DWORD TreeTest::DropFromElsewhere(const std::string& text, const std::wstring& unicode)
{
    COleDataSource* source = new COleDataSource;
    if (!text.empty() || unicode.empty())
        source->CacheText(NewTextBlock(text));
    if (!unicode.empty())
        source->CacheUnicodeText(NewTextBlock(unicode));
    // No button is down, so the drag loop drops at once where the pointer is.
    const DWORD effect = source->DoDragDrop(DROPEFFECT_COPY);
    source->Release();
    PumpMessages();
    return effect;
}

void TreeTest::DragOwnItem(HTREEITEM item)
{
    NMTREEVIEWA info = {};
    info.hdr.hwndFrom = Tree().Handle();
    info.hdr.idFrom = IDC_TREE;
    info.hdr.code = TVN_BEGINDRAGA;
    info.action = TVC_UNKNOWN;
    info.itemNew.mask = TVIF_HANDLE;
    info.itemNew.hItem = item;
    SendMessageA(Hwnd(), WM_NOTIFY, IDC_TREE, reinterpret_cast<LPARAM>(&info));
    PumpMessages();
}

std::vector<MenuItemSnapshot> TreeTest::RightClick(HTREEITEM item)
{
    if (item != nullptr)
        PointAt(item);
    else
        PointBelowTheRows();
    NMHDR header = {Tree().Handle(), IDC_TREE, static_cast<UINT>(NM_RCLICK)};
    return DriveMenu([&] { SendMessageA(Hwnd(), WM_NOTIFY, IDC_TREE, reinterpret_cast<LPARAM>(&header)); });
}

std::vector<std::string> TreeTest::History()
{
    std::vector<std::string> texts;
    CListBox list;
    list.Subclass(GetDlgItem(Hwnd(), IDC_HISTORY_LIST));
    for (int i = 0, count = list.Count(); i < count; ++i)
        texts.push_back(list.GetString(i));
    list.Unsubclass();
    return texts;
}

HTREEITEM TreeTest::CopyIntoHistory(ClipboardWindow& writer, const std::string& text)
{
    const EntryId branch = Entries().ClipboardBranch();
    const bool recorded = writer.PutText(text) && PumpUntil([&] {
        return Entries().HasChildren(branch) && Entries().Text(Entries().Children(branch).front()) == text;
    });
    if (!recorded)
        return nullptr;
    Tree().ExpandEntry(branch);
    return Tree().ItemOf(Entries().Children(branch).front());
}

ClipboardWindow::ClipboardWindow()
{
    WNDCLASSA cls = {};
    cls.lpfnWndProc = Proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "QuipmarkTestClipboardWindow";
    RegisterClassA(&cls);  // fails harmlessly when registered already
    m_hwnd = CreateWindowA(cls.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ClipboardWindow::~ClipboardWindow()
{
    LeaveChain();
    DestroyWindow(m_hwnd);
}

LRESULT CALLBACK ClipboardWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ClipboardWindow* self = reinterpret_cast<ClipboardWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == WM_DRAWCLIPBOARD) {
        if (self->m_next != nullptr)
            SendMessageA(self->m_next, msg, wParam, lParam);
        ++self->m_draws;  // counted after forwarding: the rest of the chain has seen it
        return 0;
    }
    if (self != nullptr && msg == WM_CHANGECBCHAIN) {
        self->m_changes.emplace_back(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        if (reinterpret_cast<HWND>(wParam) == self->m_next)
            self->m_next = reinterpret_cast<HWND>(lParam);
        else if (self->m_next != nullptr)
            SendMessageA(self->m_next, msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ClipboardWindow::JoinChain()
{
    m_next = SetClipboardViewer(m_hwnd);
    m_inChain = true;
}

void ClipboardWindow::LeaveChain()
{
    if (m_inChain)
        ChangeClipboardChain(m_hwnd, m_next);
    m_inChain = false;
    m_next = nullptr;
}

bool ClipboardWindow::Open()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(m_hwnd))
            return true;
        Sleep(10);
    }
    return false;
}

bool ClipboardWindow::PutText(const std::string& text, const std::vector<std::pair<std::string, DWORD>>& marks)
{
    return Put(CF_TEXT, text.c_str(), text.size() + 1, marks);
}

bool ClipboardWindow::PutUnicodeText(const std::wstring& text, const std::vector<std::pair<std::string, DWORD>>& marks)
{
    return Put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t), marks);
}

namespace {

// Copied straight into the clipboard's memory: a huge text put while the
// test runs short of memory must not need a copy of its own first.
void SetClipboardBlock(UINT format, const void* data, size_t size)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    SetClipboardData(format, block);
}

}  // namespace

bool ClipboardWindow::Put(UINT format, const void* data, size_t size,
                          const std::vector<std::pair<std::string, DWORD>>& marks)
{
    if (!Open())
        return false;
    EmptyClipboard();
    SetClipboardBlock(format, data, size);
    for (const auto& mark : marks)
        SetClipboardBlock(RegisterClipboardFormatA(mark.first.c_str()), &mark.second, sizeof(DWORD));
    return CloseClipboard() != FALSE;
}

bool ClipboardWindow::PutBlocks(const std::vector<std::pair<UINT, std::string>>& blocks)
{
    if (!Open())
        return false;
    EmptyClipboard();
    for (const auto& block : blocks)
        SetClipboardBlock(block.first, block.second.data(), block.second.size());
    return CloseClipboard() != FALSE;
}

bool ClipboardWindow::PutBitmap()
{
    if (!Open())
        return false;
    EmptyClipboard();
    SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, nullptr));
    return CloseClipboard() != FALSE;
}

ClipboardHolder::ClipboardHolder(DWORD ms)
    : m_ms(ms), m_opened(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_thread(CreateThread(nullptr, 0, Run, this, 0, nullptr))
{
    WaitForSingleObject(m_opened, 5000);
}

ClipboardHolder::~ClipboardHolder()
{
    WaitForSingleObject(m_thread, 10000);
    CloseHandle(m_thread);
    CloseHandle(m_opened);
}

DWORD WINAPI ClipboardHolder::Run(LPVOID param)
{
    ClipboardHolder* self = static_cast<ClipboardHolder*>(param);
    self->m_holding = OpenClipboard(nullptr) != FALSE;
    SetEvent(self->m_opened);
    if (self->m_holding) {
        Sleep(self->m_ms);  // the other program's moment
        CloseClipboard();
    }
    return 0;
}
