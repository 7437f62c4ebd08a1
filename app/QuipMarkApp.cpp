#include "app/QuipMarkApp.h"
#include "app/QuipMarkDlg.h"
#include <commctrl.h>
#include <ole2.h>

namespace {

// OLE for the drop targets; a failure leaves only drag-and-drop without effect.
class ScopedOle {
public:
    ScopedOle() : m_ok(SUCCEEDED(OleInitialize(nullptr))) {}
    ~ScopedOle() { if (m_ok) OleUninitialize(); }
    ScopedOle(const ScopedOle&) = delete;
    ScopedOle& operator=(const ScopedOle&) = delete;

private:
    bool m_ok;
};

}  // namespace

bool CQuipMarkApp::FirstInstance()
{
    HWND running = FindWindowA(nullptr, "Quipmark");
    if (running == nullptr)
        return true;
    // A message box or the About box of the running instance comes first.
    HWND popup = GetLastActivePopup(running);
    // The running instance keeps its hidden dialog minimised, so a restore
    // shows it again.
    if (IsIconic(running))
        ShowWindow(running, SW_RESTORE);
    SetForegroundWindow(popup);
    return false;
}

int CQuipMarkApp::InitInstance()
{
    if (!FirstInstance())
        return 0;
    ScopedOle ole;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    CQuipMarkDlg dialog;
    SetMainWnd(&dialog);
    dialog.DoModal();
    SetMainWnd(nullptr);
    return 0;
}
