#include "app/QuipMarkApp.h"
#include "app/QuipMarkDlg.h"

namespace {

// One per logon session, as the tray and the clipboard are.
const char kInstanceMutexName[] = "Local\\Dorvalent.Quipmark.Instance";
// How long a second start waits for the first one's window: ten seconds.
const int kInstanceWindowTries = 100;
const DWORD kInstanceWindowPollMs = 100;

}  // namespace

// The configuration dialog of a running instance: a dialog captioned
// "Quipmark" that holds the hidden copy edit. Any other window of that caption (a
// folder window on a folder named so) belongs to another program and is
// left alone.
HWND CQuipMarkApp::FindRunningInstance()
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Quipmark")) != nullptr) {
        // The edit comes with the rest of the start, a moment after the
        // window (a second start waits for it); the tree only once shown.
        char editClass[32] = "";
        HWND edit = GetDlgItem(window, IDC_COPY_EDIT);
        if (edit != nullptr && GetClassNameA(edit, editClass, sizeof(editClass)) != 0 &&
            lstrcmpiA(editClass, "Edit") == 0)
            return window;
    }
    return nullptr;
}

bool CQuipMarkApp::FirstInstance()
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    m_instanceMutex.Reset(mutex);
    if (m_instanceMutex.IsValid() && !existed)
        return true;
    // No mutex to be had at all: the window alone decides, as it must.
    if (!m_instanceMutex.IsValid() && FindRunningInstance() == nullptr)
        return true;
    m_instanceMutex.Close();
    ShowRunningInstance();
    return false;
}

void CQuipMarkApp::ShowRunningInstance()
{
    // The running instance may still be starting: its window comes soon.
    HWND running = nullptr;
    for (int tries = 0; tries < kInstanceWindowTries && running == nullptr; ++tries) {
        running = FindRunningInstance();
        if (running == nullptr)
            Sleep(kInstanceWindowPollMs);
    }
    if (running == nullptr)
        return;
    // A message box or the About box of the running instance comes first.
    HWND popup = GetLastActivePopup(running);
    // The running instance keeps its hidden dialog minimised, so a restore
    // shows it again.
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(popup);
}

int CQuipMarkApp::InitInstance()
{
    if (!FirstInstance())
        return 0;
    // The common controls and OLE are loaded when the dialog is first shown.
    CQuipMarkDlg dialog;
    SetMainWnd(&dialog);
    dialog.DoModal();
    SetMainWnd(nullptr);
    return 0;
}
