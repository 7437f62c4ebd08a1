#include "app/NotifyHotKeyCtrl.h"
#include "framework/WinApp.h"
#include "res/resource.h"

LRESULT CNotifyHotKeyCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN) {
        CWinApp* app = CWinApp::Get();
        if (app != nullptr && app->MainWnd() != nullptr)
            EnableWindow(GetDlgItem(app->MainWnd()->Handle(), IDC_SAVE), TRUE);
    }
    return Default(msg, wParam, lParam);
}
