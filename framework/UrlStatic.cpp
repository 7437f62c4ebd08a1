#include "framework/UrlStatic.h"
#include "framework/OpenErrorText.h"
#include "framework/UrlCommand.h"
#include "framework/AppMessageBox.h"
#include <shellapi.h>
#include <algorithm>
#include <vector>

namespace {

const UINT_PTR kToolId = 1;
// The help program's pointing hand.
const WORD kHelpHandCursor = 106;
// Longest default value of a class key taken, in bytes.
const DWORD kClassValueLimit = 260;

bool IsSuccess(int result)
{
    return result > 32;
}

static_assert(kFallbackCommandTooLong <= 32, "an over-long command must count as a failed open");

}  // namespace

CUrlStatic::CUrlStatic()
    : m_linkColour(RGB(0, 0, 238)),
      m_visitedColour(RGB(85, 26, 139)),
      m_hoverColour(GetSysColor(COLOR_HIGHLIGHT))
{
}

CUrlStatic::~CUrlStatic()
{
    m_toolTip.Destroy();
    // The control may outlive this object; it must not keep a deleted font.
    if (IsBound() && m_linkFont.Get() != nullptr &&
        reinterpret_cast<HFONT>(Send(WM_GETFONT)) == m_linkFont.Get())
        Send(WM_SETFONT, 0, FALSE);
    if (m_linkCursor != nullptr)
        DestroyCursor(m_linkCursor);
}

void CUrlStatic::PreSubclassWindow()
{
    SetWindowLongA(m_hWnd, GWL_STYLE, GetWindowLongA(m_hWnd, GWL_STYLE) | SS_NOTIFY);
    if (m_url.empty())
        m_url = GetText();
    if (GetText().empty())
        SetText(m_url);
    ApplyLinkFont();
    FitToText();
    LoadLinkCursor();

    RECT client;
    GetClientRect(m_hWnd, &client);
    if (m_toolTip.Create(m_hWnd))
        m_toolTip.AddTool(kToolId, m_url, client);
    CStatic::PreSubclassWindow();
}

void CUrlStatic::ApplyLinkFont()
{
    HFONT current = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    if (current == nullptr)
        current = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    LOGFONTA description = {};
    if (GetObjectA(current, sizeof(description), &description) == 0)
        return;
    description.lfUnderline = m_underline ? TRUE : FALSE;
    HFONT font = CreateFontIndirectA(&description);
    if (font == nullptr)
        return;
    Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    m_linkFont.Reset(font);
}

void CUrlStatic::LoadLinkCursor()
{
    if (m_linkCursor != nullptr)
        return;
    char windows[MAX_PATH + 1] = "";
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        const std::string path = std::string(windows, length) + "\\winhlp32.exe";
        // Only its resources are wanted; none of its code runs.
        if (HMODULE help = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
            if (HCURSOR hand = LoadCursorA(help, MAKEINTRESOURCEA(kHelpHandCursor)))
                m_linkCursor = CopyIcon(hand);
            FreeLibrary(help);
        }
    }
    // Systems without the help program's hand still have one of their own.
    if (m_linkCursor == nullptr)
        if (HCURSOR hand = LoadCursorA(nullptr, IDC_HAND))
            m_linkCursor = CopyIcon(hand);
}

void CUrlStatic::SetUrl(const std::string& url)
{
    m_url = url;
    if (!IsBound())
        return;
    FitToText();
    m_toolTip.UpdateTipText(kToolId, m_url);
}

void CUrlStatic::SetVisited(bool visited)
{
    m_visited = visited;
    if (IsBound())
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CUrlStatic::FitToText()
{
    if (!IsBound() || !m_fitToText)
        return;
    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    if (HWND parent = GetParent(m_hWnd))
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);

    SIZE extent = {0, 0};
    const ScopedGetDC dc(m_hWnd);
    if (dc.Get() != nullptr) {
        const ScopedSelect font(dc.Get(), m_linkFont.Get());
        const std::string text = GetText();
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    }

    const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
    if (style & SS_CENTERIMAGE) {
        const LONG shrink = (rect.bottom - rect.top - extent.cy) / 2;
        rect.top += shrink;
        rect.bottom -= shrink;
    } else {
        rect.bottom = rect.top + extent.cy;
    }
    // SS_CENTER and SS_RIGHT are values of the alignment field, not flags.
    const LONG alignment = style & SS_TYPEMASK;
    if (alignment == SS_CENTER) {
        const LONG shrink = (rect.right - rect.left - extent.cx) / 2;
        rect.left += shrink;
        rect.right -= shrink;
    } else if (alignment == SS_RIGHT) {
        rect.left = rect.right - extent.cx;
    } else {
        rect.right = rect.left + extent.cx;
    }
    SetWindowPos(m_hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);

    // The tooltip covers the whole link, whatever its size now.
    RECT client;
    GetClientRect(m_hWnd, &client);
    m_toolTip.SetToolRect(kToolId, client);
}

bool CUrlStatic::PreTranslateMessage(MSG* msg)
{
    m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

bool CUrlStatic::OnReflect(UINT msg, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
        OnClicked();
        result = 0;
        return true;
    }
    if (msg == WM_CTLCOLORSTATIC) {
        result = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam)));
        return true;
    }
    return false;
}

LRESULT CUrlStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR:
        if (OnSetCursor())
            return TRUE;
        break;
    case WM_MOUSEMOVE: {
        const LRESULT result = Default(msg, wParam, lParam);
        OnMouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return result;
    }
    default:
        break;
    }
    return CStatic::WindowProc(msg, wParam, lParam);
}

void CUrlStatic::OnClicked()
{
    const int result = OpenUrl(m_url, SW_SHOW);
    m_visited = IsSuccess(result);
    if (m_visited) {
        SetVisited(true);
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    ReportOpenError(result);
}

HBRUSH CUrlStatic::OnCtlColor(HDC dc) const
{
    SetTextColor(dc, m_hover ? m_hoverColour : m_visited ? m_visitedColour : m_linkColour);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool CUrlStatic::OnSetCursor()
{
    if (m_linkCursor == nullptr)
        return false;
    SetCursor(m_linkCursor);
    return true;
}

void CUrlStatic::OnMouseMove(POINT point)
{
    if (m_hover) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        if (PtInRect(&client, point))
            return;
        m_hover = false;
        ReleaseCapture();
        RedrawNow();
        return;
    }
    m_hover = true;
    RedrawNow();
    // Only with the capture does the control hear of the mouse leaving it.
    SetCapture(m_hWnd);
}

void CUrlStatic::RedrawNow() const
{
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

int CUrlStatic::OpenUrl(const std::string& url, int showCommand)
{
    const int shellResult = static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, showCommand)));
    if (IsSuccess(shellResult))
        return shellResult;

    std::string className;
    if (ReadClassDefault(HKEY_CLASSES_ROOT, ".htm", className) != ERROR_SUCCESS)
        return shellResult;
    std::string commandTemplate;
    if (ReadClassDefault(HKEY_CLASSES_ROOT, className + "\\shell\\open\\command", commandTemplate) !=
        ERROR_SUCCESS)
        return shellResult;
    std::string command;
    if (!BuildFallbackCommand(className, commandTemplate, url, command))
        return kFallbackCommandTooLong;
    return static_cast<int>(WinExec(command.c_str(), static_cast<UINT>(showCommand)));
}

void CUrlStatic::ReportOpenError(int code)
{
    AppMessageBox(OpenErrorMessage(code), MB_OK | MB_ICONEXCLAMATION);
}

LONG CUrlStatic::ReadClassDefault(HKEY root, const std::string& path, std::string& text)
{
    ScopedKey key;
    LONG status = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive());
    if (status != ERROR_SUCCESS)
        return status;
    std::vector<char> value(kClassValueLimit + 1, '\0');
    DWORD type = 0;
    DWORD size = kClassValueLimit;
    status = RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                              &size);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    // The stored value may or may not end with its terminator.
    text.assign(value.data(), size);
    text.erase(std::min(text.find('\0'), text.size()));
    return ERROR_SUCCESS;
}
