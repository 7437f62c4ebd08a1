#include "app/QuipMarkDlg.h"
#include "about/AboutBox.h"
#include "entries/EntryLabel.h"
#include "framework/CodePage.h"
#include "framework/AppMessageBox.h"
#include "framework/ScopedFlag.h"
#include "framework/WinApp.h"
#include "settings/SettingsStore.h"

namespace {

const UINT_PTR kHideTimer = 2;
const UINT kHideDelayMs = 750;
// WM_TIMER comes only when no other message waits: the index is read while
// the user does nothing, a portion a tick.

HINSTANCE AppInstance()
{
    CWinApp* app = CWinApp::Get();
    return app != nullptr ? app->Instance() : GetModuleHandleA(nullptr);
}

// One of the program's icons at the size of the given system metrics, which
// grow with the display scale; Windows takes the image of that size from the
// icon, or scales the nearest one. Not shared (LR_SHARED): shared icons are
// cached by name alone, so the small and the large icon would be one size.
HICON LoadIconAtSystemSize(UINT id, int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageA(AppInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

}  // namespace

CQuipMarkDlg::CQuipMarkDlg(HWND parent)
    : CDialog(IDD_QUIPMARK, parent),
      m_entries(CodePageLineBreakMark(ToSystemCodePage), FitsSystemCodePage, IsSystemLeadByte),
      m_findIndex(m_entries, {LowerCaseUnicode, FromSystemCodePage}),
      m_indexing(m_findIndex),
      m_sync(m_entries),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated"))
{
    m_icon.Reset(LoadIconAtSystemSize(IDR_MAINFRAME, SM_CXICON, SM_CYICON));
    m_smallIcon.Reset(LoadIconAtSystemSize(IDR_MAINFRAME, SM_CXSMICON, SM_CYSMICON));
    char path[512] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, 511);
    m_sync.UsePath(m_location.Load(std::string(path, length < 511 ? length : 0)));
    m_tree.Attach(&m_entries, this);
}

CQuipMarkDlg::~CQuipMarkDlg() = default;

void CQuipMarkDlg::DoDataExchange()
{
    m_hotkey.SubclassDlgItem(IDC_HOTKEY, m_hWnd);
    m_history.SubclassDlgItem(IDC_HISTORY_LIST, m_hWnd);
    m_saveOnExit.SubclassDlgItem(IDC_SAVE_ON_EXIT, m_hWnd);
    m_findEdit.SubclassDlgItem(IDC_FIND_TEXT, m_hWnd);
    m_itemCountSpin.SubclassDlgItem(IDC_ITEM_COUNT_SPIN, m_hWnd);
    m_tree.SubclassDlgItem(IDC_TREE, m_hWnd);
    m_menuWidthEdit.SubclassDlgItem(IDC_MENU_WIDTH, m_hWnd);
    m_menuWidthSpin.SubclassDlgItem(IDC_MENU_WIDTH_SPIN, m_hWnd);
    m_copyEdit.SubclassDlgItem(IDC_COPY_EDIT, m_hWnd);
    m_newEntry.SubclassDlgItem(IDC_NEW_ENTRY, m_hWnd);
}

bool CQuipMarkDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.Get()));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    SetTrayIcon(true);

    // The window is not on the screen yet: its frame is drawn as it comes.
    EnableMenuItem(GetSystemMenu(m_hWnd, FALSE), 4, MF_BYPOSITION | MF_GRAYED);
    SetTimer(m_hWnd, kHideTimer, kHideDelayMs, nullptr);
    // The rest of the start follows at once, as the first message of the
    // dialog's loop, before any input or timer: the program is up sooner,
    // and nothing the user can do finds it unfinished.
    PostMessageW(m_hWnd, WM_FINISH_START, 0, 0);
    // Left visible and minimised; the hide timer hides it once the dialog
    // runs, so that only the tray icon remains.
    ShowWindow(m_hWnd, SW_MINIMIZE);
    return true;
}

bool CQuipMarkDlg::MadeAtCreation(int) const
{
    // The window alone, as the least a tray program makes before it is up:
    // under the program's manifest the first control, even an edit, loads
    // the common controls' library, the greater part of a start.
    return false;
}

bool CQuipMarkDlg::MadeAtStart(int id) const
{
    // The clipboard is opened for the hidden edit, and the history kept in
    // the hidden list, from the rest of the start on. The other controls are
    // most of the time the dialog takes to make, and a program that lives in
    // the tray may never show them: they are made when it is first shown.
    return id == IDC_COPY_EDIT || id == IDC_HISTORY_LIST;
}

void CQuipMarkDlg::OnControlsMade()
{
    // The new-entry field takes texts of any length, pasted or dropped.
    m_newEntry.SetLimitText(0);
    m_tree.ShowAll();
    RefreshCount();
    m_menuWidthSpin.SetRange(kNarrowestMenu, kWidestMenu);
    // A key alone or with one modifier becomes Ctrl+Alt with that key.
    m_hotkey.SetRules(HKCOMB_NONE | HKCOMB_S | HKCOMB_C | HKCOMB_A, HOTKEYF_CONTROL | HOTKEYF_ALT);
    ShowSettings();
    RefreshButtons();
    EnableItem(IDC_FIND_PREV, false);
    EnableItem(IDC_FIND_NEXT, false);
}

void CQuipMarkDlg::FinishStart()
{
    if (m_started)
        return;
    m_started = true;
    if (!MakeStartControls()) {
        // Without them no text can be handed out or recorded: the program
        // ends, as when its window could not be made.
        EndDialog(-1);
        return;
    }
    // Joined now, the chain's first notice records what the clipboard holds
    // (a large text takes a while) once the dialog is up.
    m_nextViewer = SetClipboardViewer(m_hWnd);
    // Asked before this start stores anything (the machine's identity).
    const bool firstStart = CSettingsStore().IsEmpty();
    // A chosen folder that is away (a share offline, a drive not mounted)
    // is said once; the entries stay in memory, and nothing is written
    // anywhere else.
    UseMachineIdentity();
    const bool reachable = m_location.Reachable();
    if (reachable) {
        LoadEntries();
        TakeInConflictCopies();
    } else {
        m_location.ReportUnreachable();
    }
    if (firstStart)
        ShowFirstStartHint();
    LoadSettings();
    if (ImportRegistryLists() && reachable)
        SaveEntries();
    m_sync.Watch(m_hWnd, WM_DATA_FILE_CHANGED);
    m_indexing.Start(m_hWnd);
}

void CQuipMarkDlg::PrepareView()
{
    if (m_viewPrepared)
        return;
    m_viewPrepared = true;
    // Short of memory, the controls that could be made are shown.
    MakeControls();
    m_ole.Start();
    CreateImageList();
    m_treeDropTarget.Register(m_tree.Handle());
    m_editDropTarget.Register(m_newEntry.Handle());
    m_location.AttachButton(GetDlgItem(m_hWnd, IDC_DATA_FOLDER), DataPath());
}

void CQuipMarkDlg::CreateImageList()
{
    // Small icons, which grow with the display scale; the tree's rows grow
    // with them.
    if (!m_images.Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                         ILC_COLOR32 | ILC_MASK, 0, 1))
        return;
    m_images.Add(m_smallIcon.Get());
    for (UINT id : {IDI_GROUP, IDI_ENTRY}) {
        const ScopedIcon icon(LoadIconAtSystemSize(id, SM_CXSMICON, SM_CYSMICON));
        m_images.Add(icon.Get());  // the list keeps a copy
    }
    m_tree.SetImageList(m_images.Handle());
}

void CQuipMarkDlg::ShowConfiguration()
{
    // A window hidden while minimised is restored first: shown normal
    // straight away, it can stay unmapped under an X window manager (Wine).
    PrepareView();
    if (IsIconic(m_hWnd))
        ShowWindow(m_hWnd, SW_RESTORE);
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hWnd);
    ShowFirstStartHint(false);
}

void CQuipMarkDlg::PlaceEmptyFieldsCaret()
{
    // The window manager places the dialog once it is shown again, and
    // under Wine the empty new-entry field's caret then stands off its start,
    // in the middle of nothing; placed again, it stands where typing begins.
    if (GetFocus() == m_newEntry.Handle() && m_newEntry.Length() == 0)
        m_newEntry.SetSel(0, 0);
}

void CQuipMarkDlg::HideConfiguration()
{
    // Hidden always means minimised too: a second start restores the window
    // and so shows it again.
    ShowWindow(m_hWnd, SW_MINIMIZE);
    ShowWindow(m_hWnd, SW_HIDE);
}

void CQuipMarkDlg::OnOK()
{
    // A second Exit while the first one's question or save error is shown
    // (the tray menu and the dialog stay usable meanwhile) must neither ask
    // again nor save twice; it brings the open box forward instead.
    if (m_inExitPath) {
        SetForegroundWindow(GetLastActivePopup(m_hWnd));
        return;
    }
    const ScopedFlag exiting(m_inExitPath);
    if (IsModified()) {
        const bool save = m_settings.saveOnExit ||
            AppMessageBox("Do you want to save changes?", MB_YESNO | MB_ICONQUESTION) == IDYES;
        // A save that failed was reported; the changes are still unsaved,
        // so the program stays. The end of the session may have saved them
        // while the question was open.
        if (save && IsModified() && !SaveSettings())
            return;
    }
    EndDialog(IDOK);
}

LRESULT CQuipMarkDlg::OnQueryEndSession()
{
    // Unsaved changes are saved while the session can still wait. If that
    // fails, the session is asked not to end, with a reason the user sees
    // beside the program in the system's list, rather than ending with the
    // changes lost.
    if (IsModified() && !SaveSettings()) {
        ShutdownBlockReasonCreate(m_hWnd, L"Your entries could not be saved. Save them before you log off.");
        return FALSE;
    }
    ShutdownBlockReasonDestroy(m_hWnd);
    return TRUE;
}

void CQuipMarkDlg::OnEndSession()
{
    // The system ends the process as soon as this returns, whether or not a
    // question of the exit path is open or would be answered in time: the
    // changes are saved without one. A failed save is still reported while
    // the system waits.
    if (IsModified())
        SaveSettings();
    EndDialog(IDOK);
}

void CQuipMarkDlg::OnPaint()
{
    const ScopedPaint paint(m_hWnd);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Get()));
    RECT client;
    GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(paint.Get(), x, y, m_icon.Get());
}

void CQuipMarkDlg::OnSysCommand(WPARAM command, LPARAM lParam)
{
    DefWindowProcW(m_hWnd, WM_SYSCOMMAND, command, lParam);
    switch (command & 0xFFF0) {
    case SC_MINIMIZE:
        ShowWindow(m_hWnd, SW_HIDE);
        break;
    case SC_CLOSE:
        OnOK();
        break;
    default:
        break;
    }
}

void CQuipMarkDlg::OnTimer(UINT_PTR id)
{
    if (m_sync.OwnsTimer(id)) {
        OnDataFileChanged(id == CDataFileSync::kCheckTimer);
        return;
    }
    if (m_paste.OwnsTimer(id)) {
        m_paste.OnTimer(id);
        return;
    }
    if (m_indexing.OwnsTimer(id)) {
        m_indexing.OnTimer();
        return;
    }
    if (id != kHideTimer)
        return;
    KillTimer(m_hWnd, kHideTimer);
    // Shown in its first moment, by a second start or from the tray, the
    // dialog is no longer minimised and stays as the user asked.
    if (IsIconic(m_hWnd))
        HideConfiguration();
}

void CQuipMarkDlg::OnDestroy()
{
    m_sync.StopWatching();
    m_treeDropTarget.Revoke();
    m_editDropTarget.Revoke();
    if (m_started)
        ChangeClipboardChain(m_hWnd, m_nextViewer);
    SetTrayIcon(false);
    UnregisterHotKey(m_hWnd, 0);
    m_paste.Enable(m_hWnd, false);
}

void CQuipMarkDlg::OnAbout()
{
    CAboutBox about;
    about.DoModal();
}

bool CQuipMarkDlg::OnCommand(WORD id, WORD code, HWND)
{
    if (id >= kFirstMenuCommand && id <= kLastMenuCommand) {
        OnMenuCmd(id);
        return true;
    }
    switch (id) {
    case IDC_NEW_ENTRY:
        if (code == EN_CHANGE)
            RefreshButtons();
        return code == EN_CHANGE;
    case IDC_FIND_TEXT:
        if (code == EN_CHANGE)
            OnFindTextChanged();
        return code == EN_CHANGE;
    case IDC_MENU_WIDTH:
        if (code == EN_KILLFOCUS)
            OnMenuWidthLeft();
        else if (code == EN_CHANGE)
            OnMenuWidthChanged();
        return code == EN_KILLFOCUS || code == EN_CHANGE;
    case IDC_HOTKEY:
        if (code == kHotkeyKeyPressed)
            SetModified(true);
        return code == kHotkeyKeyPressed;
    default:
        break;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    // Enter that no focused control takes for itself goes to the dialog's
    // default button. Of the template's two default buttons the dialog
    // manager keeps the last, the hidden "Default": Enter finds in the find
    // field and does nothing elsewhere at dialog level, and Enter in the
    // tree only delivers the selected entry, leaving the dialog where it is.
    case IDC_DEFAULT: OnDefaultButton(); return true;
    case IDC_HIDE: HideConfiguration(); return true;
    case IDC_ADD: OnAddCommand(); return true;
    case IDC_ABOUT: OnAbout(); return true;
    case IDC_EXIT: OnOK(); return true;
    case IDC_SAVE: SaveSettings(); return true;
    case IDC_RENAME: OnRenameCommand(); return true;
    case IDC_REMOVE: RemoveSelectedEntry(); return true;
    case IDC_UNDO: UndoRemove(); return true;
    case IDC_SEARCH_TOGGLE: ToggleSearchPanel(); return true;
    case IDC_FIND_NEXT: OnFind(true); return true;
    case IDC_FIND_PREV: OnFind(false); return true;
    case IDC_ALWAYS_ON_TOP: OnAlwaysOnTop(); return true;
    case IDC_SAVE_ON_EXIT: OnSaveOnExit(); return true;
    case IDC_PASTE_AFTER_CHOICE: OnPasteAfterChoice(); return true;
    case IDC_DATA_FOLDER: OnDataFolder(); return true;
    case ID_SHOW_CONFIGURATION: ShowConfiguration(); return true;
    case ID_EXIT: OnOK(); return true;
    default: return false;
    }
}

bool CQuipMarkDlg::OnNotify(NMHDR* header, LRESULT& result)
{
    result = 0;
    if (header->idFrom == IDC_MENU_WIDTH_SPIN && header->code == UDN_DELTAPOS) {
        SetModified(true);
        return true;
    }
    if (header->idFrom != IDC_TREE)
        return false;
    switch (header->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        RefreshButtons();
        return true;
    case NM_DBLCLK:
        OnTreeDoubleClick();
        return true;
    case TVN_ENDLABELEDITW: {
        // The label follows the entry, never the control's edit.
        const TVITEMW& item = reinterpret_cast<NMTVDISPINFOW*>(header)->item;
        const EntryId id = item.hItem != nullptr ? m_tree.EntryOf(item.hItem) : m_tree.SelectedEntry();
        if (item.pszText == nullptr) {
            OnEndLabelEdit(id, nullptr);
        } else {
            const std::wstring text = item.pszText;
            OnEndLabelEdit(id, &text);
        }
        result = FALSE;
        return true;
    }
    default:
        return false;
    }
}

bool CQuipMarkDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == m_taskbarCreated && msg != 0) {
        // The taskbar was restarted and forgot every icon.
        SetTrayIcon(true);
        return true;
    }
    switch (msg) {
    case WM_PAINT:
        if (!IsIconic(m_hWnd))
            return false;
        OnPaint();
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_icon.Get());
        return true;
    case WM_SYSCOMMAND:
        OnSysCommand(wParam, lParam);
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    case WM_QUERYENDSESSION:
        result = OnQueryEndSession();
        return true;
    case WM_ENDSESSION:
        if (wParam != FALSE)
            OnEndSession();
        return true;
    case WM_DRAWCLIPBOARD:
        OnDrawClipboard();
        return true;
    case WM_CHANGECBCHAIN:
        OnChangeCbChain(reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam));
        return true;
    case WM_DATA_FILE_CHANGED:
        OnDataFileChanged(false);
        return true;
    case WM_FINISH_START:
        FinishStart();
        return true;
    case WM_TRAY_NOTIFY:
        // The shell's notices are sent, and so may come before the rest of
        // the start.
        FinishStart();
        result = OnTrayNotify(static_cast<UINT>(wParam), static_cast<LONG>(lParam));
        return true;
    case WM_HOTKEY:
        result = OnHotKey(static_cast<UINT>(wParam), static_cast<LONG>(lParam));
        return true;
    case WM_MENUCHAR:
        // The system menu's characters are the system's.
        if (!m_menuOpen)
            return false;
        result = OnMenuChar(static_cast<wchar_t>(LOWORD(wParam)));
        return true;
    case WM_MOVE:
        PlaceEmptyFieldsCaret();
        return false;
    case WM_WINDOWPOSCHANGED:
        // Restored by the system too: from the taskbar in its first moments.
        if (IsWindowVisible(m_hWnd) && !IsIconic(m_hWnd))
            PrepareView();
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            m_popupFind.OnOwnerDeactivated();
        return false;
    case WM_ACTIVATEAPP:
        if (wParam == FALSE)
            m_popupFind.OnOwnerDeactivated();
        return false;
    case WM_POPUP_MENU_AGAIN:
        OnPopupMenuAgain();
        return true;
    default:
        return false;
    }
}
