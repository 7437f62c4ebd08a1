#include "app/QuipMarkDlg.h"

LRESULT CQuipMarkDlg::OnHotKey(UINT, LONG)
{
    // The same menu as a right click on the tray icon, with "&Quipmark" as
    // its only program command. Sent, so this returns once the menu closed.
    Send(WM_TRAY_NOTIFY, 1, WM_RBUTTONUP);
    return 0;
}
