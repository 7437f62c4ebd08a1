#include "framework/CommonControls.h"
#include <windows.h>
#include <commctrl.h>

void LoadCommonControls()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}
