#include "app/PopupFindWindow.h"
#include <algorithm>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

POINT PointOf(LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return point;
}

// The work area of the screen that holds `point`.
RECT WorkAreaAt(POINT point)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// Where a menu of `size` opens at `anchor`: right of and below it, or left
// of and above it where the screen ends, never beyond the screen's edges.
POINT PlaceLikeAMenu(POINT anchor, SIZE size, const RECT& area)
{
    POINT at = anchor;
    if (at.x + size.cx > area.right)
        at.x = anchor.x - size.cx;
    if (at.y + size.cy > area.bottom)
        at.y = anchor.y - size.cy;
    at.x = std::max(area.left, std::min(at.x, area.right - size.cx));
    at.y = std::max(area.top, std::min(at.y, area.bottom - size.cy));
    return at;
}

}  // namespace

bool CPopupFindWindow::Open(HWND ownerWindow, POINT anchor, std::unique_ptr<PopupFind> find, int width,
                            wchar_t first)
{
    if (IsOpen() || !find)
        return false;
    m_find = std::move(find);
    m_look = std::make_unique<CMenuLook>();
    m_width = width;
    m_anchor = anchor;
    m_workArea = WorkAreaAt(anchor);
    m_query.clear();
    m_highSurrogate = 0;
    m_lines.clear();
    m_highlight = -1;
    const RECT start = {anchor.x, anchor.y, anchor.x + 1, anchor.y + 1};
    if (!CreatePopup(ownerWindow, start))
        return false;
    OnChar(first);
    // A character's first half alone: every entry until its second half.
    if (m_lines.empty())
        Requery();
    // Never active, as a menu: the owner keeps the foreground and the keys,
    // which its message loop hands to this window. Typed while the menu
    // closed, they wait in this thread's queue and come here in order.
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    // As a menu, it sees the clicks elsewhere that close it.
    SetCapture(m_hWnd);
    GetCursorPos(&m_lastMouse);
    UpdateWindow(m_hWnd);
    return true;
}

void CPopupFindWindow::Close()
{
    if (!IsOpen() || m_closing)
        return;
    m_closing = true;
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    Destroy();
    m_find.reset();
    m_closing = false;
}

RECT CPopupFindWindow::LineRect(size_t index) const
{
    RECT client = {0, 0, 0, 0};
    if (!m_look)
        return client;
    GetClientRect(m_hWnd, &client);
    const int border = m_look->Border();
    const int height = m_look->LineHeight();
    // The query's line stands apart from the entries, as a menu's
    // separator parts its items.
    int top = border;
    if (index > 0)
        top += height + m_look->SeparatorHeight() + static_cast<int>(index - 1) * height;
    const RECT line = {border, top, client.right - border, top + height};
    return line;
}

int CPopupFindWindow::LineAt(POINT point) const
{
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const RECT line = LineRect(i);
        if (PtInRect(&line, point))
            return static_cast<int>(i);
    }
    return -1;
}

bool CPopupFindWindow::IsEntry(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_lines.size() &&
        m_lines[static_cast<size_t>(index)].kind == PopupFindLine::Kind::Entry;
}

void CPopupFindWindow::Requery()
{
    m_find->SetQuery(m_query);
    // No more lines than the screen holds: the query's, the separator, the
    // entries, and the line that counts the rest.
    const int height = m_look->LineHeight();
    const int room = (m_workArea.bottom - m_workArea.top) - 2 * m_look->Border() - m_look->SeparatorHeight() - 2 * height;
    const size_t fit = room > height ? static_cast<size_t>(room / height) : 1;
    m_lines = m_find->Lines(m_width, fit);
    m_highlight = -1;
    for (size_t i = 0; i < m_lines.size() && m_highlight < 0; ++i)
        if (IsEntry(static_cast<int>(i)))
            m_highlight = static_cast<int>(i);
    Place();
    // The lines are the window's text too, for the tools that read the
    // screen to the user.
    std::wstring text;
    for (const PopupFindLine& line : m_lines)
        text += (text.empty() ? L"" : L"\n") + line.text;
    SetWindowTextW(m_hWnd, text.c_str());
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPopupFindWindow::Place()
{
    const ScopedGetDC dc(m_hWnd);
    // At least as wide as a short menu, so that the first letters do not
    // make a sliver of a window.
    int width = m_look->LineWidth(dc.Get(), std::wstring(12, L'x'), CMenuLook::LineStyle::Item);
    for (const PopupFindLine& line : m_lines) {
        const auto style = line.kind == PopupFindLine::Kind::Entry ? CMenuLook::LineStyle::Item : CMenuLook::LineStyle::Note;
        width = std::max(width, m_look->LineWidth(dc.Get(), line.text, style));
    }
    const int entryLines = m_lines.empty() ? 0 : static_cast<int>(m_lines.size()) - 1;
    SIZE size = {width + 2 * m_look->Border(),
                 2 * m_look->Border() + m_look->LineHeight() * (1 + entryLines) + m_look->SeparatorHeight()};
    size.cx = std::min(size.cx, static_cast<LONG>(m_workArea.right - m_workArea.left));
    size.cy = std::min(size.cy, static_cast<LONG>(m_workArea.bottom - m_workArea.top));
    const POINT at = PlaceLikeAMenu(m_anchor, size, m_workArea);
    SetWindowPos(m_hWnd, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CPopupFindWindow::OnPaint()
{
    const ScopedPaint paint(m_hWnd);
    RECT client = {0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    m_look->DrawFrame(paint.Get(), client);
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const RECT line = LineRect(i);
        CMenuLook::LineStyle style = CMenuLook::LineStyle::Note;
        if (IsEntry(static_cast<int>(i)))
            style = static_cast<int>(i) == m_highlight ? CMenuLook::LineStyle::Highlighted : CMenuLook::LineStyle::Item;
        m_look->DrawLine(paint.Get(), line, m_lines[i].text, style);
        if (i == 0) {
            const RECT separator = {line.left, line.bottom, line.right, line.bottom + m_look->SeparatorHeight()};
            m_look->DrawSeparator(paint.Get(), separator);
        }
    }
}

void CPopupFindWindow::OnChar(wchar_t typed)
{
    // Control characters (Enter, Escape, Backspace, Ctrl with a letter)
    // come as keys.
    if (typed < L' ' || typed == 0x7F)
        return;
    if (IsHighSurrogate(typed)) {
        m_highSurrogate = typed;
        return;
    }
    if (IsLowSurrogate(typed)) {
        if (m_highSurrogate == 0)
            return;
        m_query += m_highSurrogate;
    }
    m_highSurrogate = 0;
    m_query += typed;
    Requery();
}

void CPopupFindWindow::Backspace()
{
    if (m_highSurrogate != 0) {
        m_highSurrogate = 0;
        return;
    }
    size_t cut = m_query.empty() ? 0 : 1;
    if (m_query.size() >= 2 && IsLowSurrogate(m_query.back()) && IsHighSurrogate(m_query[m_query.size() - 2]))
        cut = 2;
    m_query.erase(m_query.size() - cut);
    // Without a query there is nothing to narrow: the full popup again.
    if (m_query.empty())
        Clear();
    else
        Requery();
}

void CPopupFindWindow::Clear()
{
    m_owner.OnPopupFindCleared(m_anchor);
    Close();
}

void CPopupFindWindow::Choose(int index)
{
    if (!IsEntry(index))
        return;
    const EntryId entry = m_lines[static_cast<size_t>(index)].entry;
    // Only an entry whose text, as it is now, holds the query.
    if (!m_find->HoldsQuery(entry)) {
        OnEntriesChanged();
        return;
    }
    Close();
    m_owner.OnPopupFindChoice(entry);
}

void CPopupFindWindow::MoveHighlight(int step)
{
    // Round from the last match to the first and back, as in a menu.
    const int count = static_cast<int>(m_lines.size());
    if (m_highlight < 0 || count == 0)
        return;
    for (int i = 1; i <= count; ++i) {
        const int next = ((m_highlight + step * i) % count + count) % count;
        if (IsEntry(next)) {
            m_highlight = next;
            break;
        }
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CPopupFindWindow::OnKeyDown(UINT key)
{
    switch (key) {
    case VK_ESCAPE: Clear(); break;
    case VK_BACK: Backspace(); break;
    case VK_UP: MoveHighlight(-1); break;
    case VK_DOWN: MoveHighlight(1); break;
    case VK_RETURN: Choose(m_highlight); break;
    default: break;
    }
}

void CPopupFindWindow::OnMouseMove(POINT point)
{
    // Only a move of the mouse itself: the window opening under a resting
    // pointer leaves the first match highlighted.
    POINT screen = point;
    ClientToScreen(m_hWnd, &screen);
    if (screen.x == m_lastMouse.x && screen.y == m_lastMouse.y)
        return;
    m_lastMouse = screen;
    const int line = LineAt(point);
    if (IsEntry(line) && line != m_highlight) {
        m_highlight = line;
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
}

void CPopupFindWindow::OnButtonDown(POINT point)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(m_hWnd, &client);
    if (!PtInRect(&client, point))
        Close();
}

void CPopupFindWindow::OnButtonUp(POINT point)
{
    Choose(LineAt(point));
}

void CPopupFindWindow::OnEntriesChanged()
{
    if (!IsOpen() || !m_find)
        return;
    m_find->EntriesChanged();
    Requery();
}

void CPopupFindWindow::OnOwnerDeactivated()
{
    // Closed once the switch is over, not in the middle of it.
    if (IsOpen() && !m_closing)
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

LRESULT CPopupFindWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CHAR: OnChar(static_cast<wchar_t>(wParam)); return 0;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(PointOf(lParam)); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: OnButtonDown(PointOf(lParam)); return 0;
    case WM_LBUTTONUP: OnButtonUp(PointOf(lParam)); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hWnd)
            OnOwnerDeactivated();
        return 0;
    case WM_CANCELMODE:
    case WM_CLOSE: Close(); return 0;
    default: return Default(msg, wParam, lParam);
    }
}
