#include "framework/NotifyHotKeyCtrl.h"

LRESULT CNotifyHotKeyCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_KEYDOWN) {
        if (HWND parent = GetParent(m_hWnd))
            SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hWnd), kHotkeyKeyPressed),
                         reinterpret_cast<LPARAM>(m_hWnd));
    }
    return Default(msg, wParam, lParam);
}
