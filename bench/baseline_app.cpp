// The start-up baseline: the least a tray program does before it is ready,
// one dialog and one tray icon, built with the same compiler and run under
// the same Wine as Quipmark.
#include <windows.h>
#include <shellapi.h>

namespace {

const UINT kTrayMessage = WM_USER + 10;

INT_PTR CALLBACK BaselineProc(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_CLOSE) {
        NOTIFYICONDATAA icon = {};
        icon.cbSize = 88;
        icon.hWnd = hwnd;
        Shell_NotifyIconA(NIM_DELETE, &icon);
        DestroyWindow(hwnd);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

// A dialog template in memory: caption "QmBaseline", no controls.
struct Template {
    DLGTEMPLATE header;
    WORD menu, windowClass;
    wchar_t caption[11];
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    static Template dialog = {{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, 265, 258},
                              0, 0, L"QmBaseline"};
    HWND hwnd = CreateDialogIndirectParamA(instance, &dialog.header, nullptr, BaselineProc, 0);
    if (hwnd == nullptr)
        return 1;
    NOTIFYICONDATAA icon = {};
    icon.cbSize = 88;
    icon.hWnd = hwnd;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    lstrcpynA(icon.szTip, "Baseline", 64);
    Shell_NotifyIconA(NIM_ADD, &icon);
    ShowWindow(hwnd, SW_MINIMIZE);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
