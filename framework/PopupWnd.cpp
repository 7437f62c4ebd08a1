#include "framework/PopupWnd.h"

namespace {

const wchar_t kPopupClass[] = L"QuipmarkPopup";

// The class of every such window; its own procedure only lets the object's
// subclass see the messages. Registering an existing class again fails
// harmlessly.
bool RegisterPopupClass(HINSTANCE instance)
{
    WNDCLASSEXW cls = {};
    cls.cbSize = sizeof(cls);
    cls.style = CS_DROPSHADOW | CS_SAVEBITS;
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    cls.lpszClassName = kPopupClass;
    if (RegisterClassExW(&cls) != 0)
        return true;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    return GetClassInfoExW(instance, kPopupClass, &existing) != FALSE;
}

}  // namespace

CPopupWnd::~CPopupWnd()
{
    Destroy();
}

bool CPopupWnd::CreatePopup(HWND owner, const RECT& rect)
{
    if (IsOpen())
        return false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!RegisterPopupClass(instance))
        return false;
    // A Unicode window: typed characters arrive whole, whatever the code page.
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, L"", WS_POPUP, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        return false;
    if (!Subclass(hwnd)) {
        DestroyWindow(hwnd);
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

void CPopupWnd::Destroy()
{
    if (IsOpen())
        DestroyWindow(m_hWnd);
}
