#include "entries/MenuLabel.h"
#include "app/QuipMarkDlg.h"
#include "entries/EntryLabel.h"
#include "framework/Handles.h"
#include "framework/ScopedFlag.h"
#include <shellapi.h>

namespace {

const char kTrayTip[] = "Quipmark - Right-Click for Contents && Options";
const UINT kTrayIconId = 0;
// The tray record in its first, 88-byte form, understood by every shell.
const DWORD kTrayRecordSize = 88;

}  // namespace

void CQuipMarkDlg::SetTrayIcon(bool add)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = kTrayRecordSize;
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_NOTIFY;
    // The notification area shows small icons.
    data.hIcon = m_smallIcon.Get();
    lstrcpynA(data.szTip, kTrayTip, 64);
    Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE, &data);
}

LRESULT CQuipMarkDlg::OnTrayNotify(UINT source, LONG mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        ShowConfiguration();
        return 0;
    }
    // A second request while a menu is open (the hotkey pressed again) is
    // left alone: building another menu would renumber the open one's
    // items, which must hand out exactly what they show.
    if (mouseMessage != WM_RBUTTONUP || m_menuOpen)
        return 0;
    const ScopedMenu menu = BuildTrayMenu(source);
    if (!menu)
        return 0;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere; this holds while the dialog is hidden too.
    SetForegroundWindow(m_hWnd);
    const ScopedFlag open(m_menuOpen);
    TrackPopupMenu(menu.Get(), 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
    return 0;
}

ScopedMenu CQuipMarkDlg::BuildTrayMenu(UINT source)
{
    ScopedMenu menu(CreatePopupMenu());
    if (!menu)
        return menu;
    AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
    if (source == 0) {
        AppendMenuA(menu.Get(), MF_STRING, ID_SHOW_CONFIGURATION, "&Configure...");
        AppendMenuA(menu.Get(), MF_STRING, ID_EXIT, "&Exit");
    } else {
        AppendMenuA(menu.Get(), MF_STRING, ID_SHOW_CONFIGURATION, "&Quipmark");
    }
    SetMenuDefaultItem(menu.Get(), ID_SHOW_CONFIGURATION, FALSE);
    AppendEntryItems(menu.Get());
    return menu;
}

void CQuipMarkDlg::AppendEntryItems(HMENU menu)
{
    // The command of an entry item is mapped back through the slots noted
    // here, so a tree that changes while the menu is open (a clipboard
    // change) never turns a choice into another entry's text.
    m_texts.BeginMenu();
    const int width = LOWORD(m_menuWidthSpin.GetPos());
    auto caption = [&](HTREEITEM item) {
        return ShortenLabel(m_tree.LabelUpTo(item, width + 2), width);
    };
    // Items beyond the numbered ones all carry the first id past the
    // dialog's range, which does nothing.
    auto nextId = [&](HTREEITEM item) {
        const size_t number = m_texts.AddMenuItem(static_cast<int>(m_tree.Data(item)));
        return static_cast<UINT_PTR>(number == 0 ? kLastMenuCommand + 1 : kFirstMenuCommand + number);
    };
    // A history entry shows the characters that were copied; every other
    // item shows its 8-bit label.
    auto insertItem = [&](HMENU into, UINT at, UINT_PTR id, HTREEITEM item) {
        const std::wstring& unicode = m_texts.UnicodeText(static_cast<int>(m_tree.Data(item)));
        // Enough of the label to tell whether it is longer than the width:
        // a character takes at most two units.
        if (!unicode.empty())
            return InsertMenuW(into, at, MF_BYPOSITION | MF_STRING, id,
                               ShortenLabel(EntryLabel(unicode, kUnicodeLineBreakMark, 2 * static_cast<size_t>(width) + 2),
                                            width).c_str()) != FALSE;
        return InsertMenuA(into, at, MF_BYPOSITION | MF_STRING, id, caption(item).c_str()) != FALSE;
    };

    UINT position = 0;
    for (HTREEITEM top = m_tree.Child(m_tree.Root()); top != nullptr; top = m_tree.NextSibling(top)) {
        HTREEITEM child = m_tree.Child(top);
        if (child == nullptr) {
            const UINT_PTR id = nextId(top);
            insertItem(menu, position++, id, top);
            continue;
        }
        ScopedMenu submenu(CreateMenu());
        if (!submenu)
            continue;  // the group is left out, and so are its ids
        for (; child != nullptr; child = m_tree.NextSibling(child)) {
            const UINT_PTR id = nextId(child);
            insertItem(submenu.Get(), static_cast<UINT>(-1), id, child);
        }
        // Once inserted, the submenu belongs to the menu.
        if (InsertMenuA(menu, position, MF_BYPOSITION | MF_POPUP,
                        reinterpret_cast<UINT_PTR>(submenu.Get()), caption(top).c_str())) {
            submenu.Release();
            ++position;
        }
    }
}
