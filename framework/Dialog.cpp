#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {

// Messages whose answer a dialog procedure returns itself instead of
// writing it through DWLP_MSGRESULT.
bool AnswersDirectly(UINT msg)
{
    switch (msg) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: case WM_COMPAREITEM: case WM_VKEYTOITEM:
    case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

bool IsCtlColor(UINT msg)
{
    return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC;
}

}  // namespace

CDialog::CDialog(UINT templateId, HWND parent)
    : m_templateId(templateId), m_parent(parent)
{
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        DestroyWindow(m_hWnd);
    }
}

CDialog* CDialog::FromDialogHandle(HWND hwnd)
{
    if (GetWindowLongPtrA(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&CDialog::DialogProc))
        return nullptr;
    return reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
}

HWND CDialog::Owner() const
{
    if (m_parent != nullptr)
        return m_parent;
    CWinApp* app = CWinApp::Get();
    CWnd* main = app != nullptr ? app->MainWnd() : nullptr;
    return main != nullptr && main != this ? main->Handle() : nullptr;
}

bool CDialog::Create()
{
    m_ending = false;
    m_result = -1;
    CWinApp* app = CWinApp::Get();
    HINSTANCE instance = app != nullptr ? app->Instance() : GetModuleHandleA(nullptr);
    if (!m_template.Load(instance, m_templateId))
        return false;
    // Every control made now, or the frame alone and the controls made at
    // creation added as it is initialised.
    m_controlsMade = m_template.MakesAll([this](int id) { return MadeAtCreation(id); });
    // A Unicode window, and so are its controls: text typed, pasted or set
    // keeps every character, whatever the system's code page holds.
    m_earlyControlsFailed = false;
    HWND hwnd = CreateDialogIndirectParamW(instance, m_controlsMade ? m_template.Whole() : m_template.Frame(),
                                           Owner(), DialogProc, reinterpret_cast<LPARAM>(this));
    // Made without the controls it needs from the start, it is no dialog.
    if (hwnd != nullptr && m_earlyControlsFailed) {
        DestroyWindow(hwnd);
        return false;
    }
    return hwnd != nullptr;
}

bool CDialog::MakeControls()
{
    if (m_controlsMade)
        return true;
    if (m_hWnd == nullptr)
        return false;
    // Once only: a control that could not be made stays missing, rather
    // than the others made twice.
    m_controlsMade = true;
    const bool made = m_template.MakeControls(m_hWnd, [this](int id) {
        return !MadeAtCreation(id) && !(m_startControlsMade && MadeAtStart(id));
    });
    DoDataExchange();
    OnControlsMade();
    return made;
}

bool CDialog::MakeStartControls()
{
    if (m_startControlsMade || m_controlsMade)
        return true;
    if (m_hWnd == nullptr)
        return false;
    m_startControlsMade = true;
    const bool made = m_template.MakeControls(m_hWnd, [this](int id) { return MadeAtStart(id); });
    DoDataExchange();
    return made;
}

INT_PTR CDialog::DoModal()
{
    HWND owner = Owner();
    if (!Create())
        return -1;
    // As with the system's modal dialogs, a template without WS_VISIBLE is
    // shown once initialised, unless the dialog ended or showed itself.
    if (!m_ending && !IsWindowVisible(m_hWnd))
        ShowWindow(m_hWnd, SW_SHOW);
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, FALSE);

    MSG msg;
    while (!m_ending && IsWindow(m_hWnd)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (PreTranslate(&msg) || IsDialogMessageW(m_hWnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    if (disableOwner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    if (IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
    return m_result;
}

bool CDialog::PreTranslate(MSG* msg)
{
    // Keys the controls handle before dispatch (Enter in the tree hands out
    // an entry) run here, in the loop itself: no exception may leave it, or
    // the program would end without its exit path. A key whose handling
    // failed counts as handled, with the warning sound.
    try {
        RedirectMessage(*msg);
        return WalkPreTranslate(msg, m_hWnd);
    } catch (...) {
        MessageBeep(MB_ICONEXCLAMATION);
        return true;
    }
}

void CDialog::EndDialog(INT_PTR result)
{
    m_result = result;
    m_ending = true;
    PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
}

bool CDialog::OnInitDialog()
{
    return true;
}

bool CDialog::OnCommand(WORD, WORD, HWND)
{
    return false;
}

bool CDialog::OnNotify(NMHDR*, LRESULT&)
{
    return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool CDialog::Reflect(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (child == nullptr || GetParent(child) != m_hWnd)
        return false;
    CWnd* wnd = FromHandle(child);
    return wnd != nullptr && wnd->OnReflect(msg, wParam, lParam, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hwnd;
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr)
        return FALSE;
    INT_PTR answer = FALSE;
    try {
        answer = dialog->Dispatch(msg, wParam, lParam);
    } catch (...) {
        // No exception leaves for the dialog manager. The handler may have
        // run the default processing itself (a system command does), so the
        // message counts as handled; only the messages whose answer is a
        // value of its own get the dialog manager's default.
        answer = FALSE;
        if (!AnswersDirectly(msg)) {
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
            answer = TRUE;
        }
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
    }
    return answer;
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool handled = false;
    switch (msg) {
    case WM_INITDIALOG:
        if (!m_controlsMade && !m_template.MakeControls(m_hWnd, [this](int id) { return MadeAtCreation(id); })) {
            m_earlyControlsFailed = true;
            return FALSE;
        }
        DoDataExchange();
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
        HWND control = reinterpret_cast<HWND>(lParam);
        handled = Reflect(control, msg, wParam, lParam, result);
        if (!handled)
            handled = OnCommand(LOWORD(wParam), HIWORD(wParam), control);
        if (!handled && LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED) {
            OnOK();
            handled = true;
        } else if (!handled && LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
            OnCancel();
            handled = true;
        }
        break;
    }
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        handled = Reflect(header->hwndFrom, msg, wParam, lParam, result);
        if (!handled)
            handled = OnNotify(header, result);
        break;
    }
    default:
        if (IsCtlColor(msg))
            handled = Reflect(reinterpret_cast<HWND>(lParam), msg, wParam, lParam, result);
        break;
    }
    if (!handled)
        handled = OnMessage(msg, wParam, lParam, result);
    if (!handled)
        return FALSE;
    if (AnswersDirectly(msg))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
