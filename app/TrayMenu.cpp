#include "app/QuipMarkDlg.h"
#include "framework/Handles.h"
#include "framework/CodePage.h"
#include "framework/ScopedFlag.h"
#include "settings/SettingsStore.h"
#include <shellapi.h>
#include <memory>

namespace {

const char kTrayTip[] = "Quipmark - Right-Click for Contents && Options";
const UINT kTrayIconId = 0;
// The tray record in its first form, understood by every shell: 88 bytes
// in the 32-bit build, more where handles take eight bytes.
const DWORD kTrayRecordSize = NOTIFYICONDATAA_V1_SIZE;
// The record with a notification: its second form, which has room for one.
const DWORD kTrayNoticeRecordSize = NOTIFYICONDATAA_V2_SIZE;
const char kFirstStartTitle[] = "Quipmark is running";
const char kFirstStartHint[] =
    "Quipmark waits here in the notification area. Right-click its icon for your entries, or press "
    "your hotkey once you have set one. Double-click the icon to add entries.";

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

void CQuipMarkDlg::ShowFirstStartHint(bool show)
{
    // A new user sees no window at all: where the program is and how to
    // reach the entries is told once, at the first start, when nothing was
    // stored yet. Once the user has found the window it has done its work:
    // left open, under Wine it takes the first keys typed into the dialog.
    if (!show && !m_hintShown)
        return;
    const CSettingsStore store;
    m_hintShown = show;
    NOTIFYICONDATAA data = {};
    data.cbSize = kTrayNoticeRecordSize;
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    // An empty text takes the notification away.
    lstrcpynA(data.szInfoTitle, show ? kFirstStartTitle : "", sizeof(data.szInfoTitle));
    lstrcpynA(data.szInfo, show ? kFirstStartHint : "", sizeof(data.szInfo));
    if (Shell_NotifyIconA(NIM_MODIFY, &data) && show)
        store.NoteHintShown();
}

LRESULT CQuipMarkDlg::OnTrayNotify(UINT source, LONG mouseMessage)
{
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        ShowConfiguration();
        return 0;
    }
    // A second request while a menu is open (the hotkey pressed again) is
    // left alone: building another menu would renumber the open one's
    // items, which must hand out exactly what they show. The popup narrowed
    // by typing stays as it is too.
    if (mouseMessage != WM_RBUTTONUP || m_menuOpen || m_popupFind.IsOpen())
        return 0;
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    // With "Paste after choosing", the hotkey's popup opens at the text
    // cursor of the window it will paste into.
    m_paste.Aim(source == 1, cursor);
    ShowTrayMenu(source, cursor);
    return 0;
}

void CQuipMarkDlg::ShowTrayMenu(UINT source, POINT at)
{
    const ScopedMenu menu = BuildTrayMenu(source);
    if (!menu)
        return;
    m_menuSource = source;
    m_typedInMenu = 0;
    // The window must be in the foreground, or the menu does not close when
    // the user clicks elsewhere; this holds while the dialog is hidden too.
    SetForegroundWindow(m_hWnd);
    {
        const ScopedFlag open(m_menuOpen);
        TrackPopupMenu(menu.Get(), 0, at.x, at.y, 0, m_hWnd, nullptr);
    }
    PostMessageA(m_hWnd, WM_NULL, 0, 0);
    if (m_typedInMenu == 0)
        return;
    // The menu closed on a typed character: the query starts with it, in a
    // window of our own at the menu's place, before any later key is read.
    m_popupAnchor = at;
    m_popupFind.Open(m_hWnd, at, std::make_unique<PopupFind>(m_entries, m_findIndex),
                     m_settings.menuWidth, m_typedInMenu);
}

LRESULT CQuipMarkDlg::OnMenuChar(wchar_t typed)
{
    // A printable character that no item of the open menu takes as its
    // access key; white space starts no query. Anything else beeps, as ever.
    if (typed <= L' ' || typed == 0x7F)
        return MAKELRESULT(0, MNC_IGNORE);
    m_typedInMenu = typed;
    return MAKELRESULT(0, MNC_CLOSE);
}

void CQuipMarkDlg::OnPopupFindChoice(EntryId entry)
{
    if (HandOutEntry(entry))
        m_paste.OnHandedOut();
}

void CQuipMarkDlg::OnPopupFindCleared(POINT anchor)
{
    // The menu opens once the popup has gone.
    m_popupAnchor = anchor;
    PostMessageA(m_hWnd, WM_POPUP_MENU_AGAIN, 0, 0);
}

void CQuipMarkDlg::OnPopupMenuAgain()
{
    if (!m_menuOpen && !m_popupFind.IsOpen())
        ShowTrayMenu(m_menuSource, m_popupAnchor);
}

void CQuipMarkDlg::RedirectMessage(MSG& msg)
{
    // Keys read while the popup narrowed by typing is open are the query's:
    // the dialog keeps the foreground and the focus, as for a menu.
    if (m_popupFind.IsOpen() && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
        msg.hwnd = m_popupFind.Handle();
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

namespace {

// The command of a numbered item; items beyond the numbered ones all carry
// the first id past the dialog's range, which does nothing.
UINT_PTR CommandOf(const MenuPlanItem& item)
{
    return item.number == 0 ? kLastMenuCommand + 1 : kFirstMenuCommand + item.number;
}

// Inserts `item` into `menu` at `position` (-1: last); `id` is its command,
// or its submenu with MF_POPUP. A history entry shows the characters that
// were copied.
bool InsertItem(HMENU menu, UINT position, UINT flags, UINT_PTR id, const MenuPlanItem& item)
{
    flags |= MF_BYPOSITION | MF_STRING;
    if (!item.unicodeCaption.empty())
        return InsertMenuW(menu, position, flags, id, item.unicodeCaption.c_str()) != FALSE;
    return InsertMenuA(menu, position, flags, id, item.caption.c_str()) != FALSE;
}

}  // namespace

void CQuipMarkDlg::AppendEntryItems(HMENU menu)
{
    // A command of an entry item is mapped back through the plan kept here,
    // so a tree that changes while the menu is open (a clipboard change)
    // never turns a choice into another entry's text.
    m_menu = MenuPlan(m_entries, m_settings.menuWidth);
    const std::vector<MenuPlanItem>& items = m_menu.Items();
    UINT position = 0;
    for (size_t i = 0; i < items.size();) {
        const MenuPlanItem& item = items[i++];
        if (!item.opensSubmenu) {
            if (InsertItem(menu, position, 0, CommandOf(item), item))
                ++position;
            continue;
        }
        ScopedMenu submenu(CreateMenu());
        for (; i < items.size() && items[i].inSubmenu; ++i)
            if (submenu)
                InsertItem(submenu.Get(), static_cast<UINT>(-1), 0, CommandOf(items[i]), items[i]);
        // A group whose submenu could not be made is left out; once
        // inserted, the submenu belongs to the menu.
        if (submenu && InsertItem(menu, position, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.Get()), item)) {
            submenu.Release();
            ++position;
        }
    }
}
