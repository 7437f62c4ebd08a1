#include "framework/Wnd.h"
#include "framework/Dialog.h"
#include "framework/Subclassing.h"
#include <vector>

CWnd::~CWnd()
{
    Unsubclass();
}

bool CWnd::SubclassDlgItem(int id, HWND dialog)
{
    return Subclass(GetDlgItem(dialog, id));
}

bool CWnd::Subclass(HWND hwnd)
{
    if (hwnd == nullptr || m_link != nullptr)
        return false;
    m_hWnd = hwnd;
    PreSubclassWindow();
    m_link = Subclassing::Attach(hwnd, SubclassProc, this);
    return m_link != nullptr;
}

void CWnd::Unsubclass()
{
    Subclassing::Detach(m_hWnd, m_link);
    m_link = nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (hwnd == nullptr || !IsWindow(hwnd))
        return nullptr;
    if (void* bound = Subclassing::TopContext(hwnd))
        return static_cast<CWnd*>(bound);
    return CDialog::FromDialogHandle(hwnd);
}

bool CWnd::WalkPreTranslate(MSG* msg, HWND top)
{
    for (HWND hwnd = msg->hwnd; hwnd != nullptr; hwnd = GetParent(hwnd)) {
        if (CWnd* wnd = FromHandle(hwnd))
            if (wnd->PreTranslateMessage(msg))
                return true;
        if (hwnd == top)
            break;
    }
    return false;
}

bool CWnd::PreTranslateMessage(MSG*)
{
    return false;
}

bool CWnd::OnReflect(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

std::string CWnd::GetText() const
{
    const int length = GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextA(m_hWnd, buffer.data(), length + 1);
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

POINT CWnd::CursorPosInClient() const
{
    POINT point = {0, 0};
    GetCursorPos(&point);
    ScreenToClient(m_hWnd, &point);
    return point;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Default(msg, wParam, lParam);
}

LRESULT CWnd::Default(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_defaultRan != nullptr)
        *m_defaultRan = true;
    return CallPrevious(msg, wParam, lParam);
}

LRESULT CWnd::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Let go of the window while handling one of its messages: the message
    // has no procedure of ours to go on to.
    if (m_link == nullptr)
        return m_hWnd != nullptr ? DefWindowProcW(m_hWnd, msg, wParam, lParam) : 0;
    return Subclassing::CallPrevious(m_link, m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::SubclassProc(void* context, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = static_cast<CWnd*>(context);
    if (msg == WM_NCDESTROY) {
        const Subclassing::Link* link = wnd->m_link;
        wnd->m_link = nullptr;
        const LRESULT result = Subclassing::CallPrevious(link, hwnd, msg, wParam, lParam);
        wnd->m_hWnd = nullptr;
        return result;
    }
    // An exception never leaves for the system's code. The message still
    // gets default processing, unless the handler had asked for it already.
    bool defaultRan = false;
    bool* const outer = wnd->m_defaultRan;
    wnd->m_defaultRan = &defaultRan;
    LRESULT result = 0;
    bool failed = false;
    try {
        result = wnd->WindowProc(msg, wParam, lParam);
    } catch (...) {
        failed = true;
    }
    wnd->m_defaultRan = outer;
    if (failed && !defaultRan)
        result = wnd->CallPrevious(msg, wParam, lParam);
    return result;
}

std::wstring CWnd::GetUnicodeText() const
{
    const int length = GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}
