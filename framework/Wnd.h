#pragma once
#include <windows.h>
#include <string>

namespace Subclassing {
struct Link;
}

// A C++ object bound to an existing window by subclassing it. The binding is
// undone when the object lets go of the window or the window is destroyed.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND Handle() const { return m_hWnd; }
    bool IsBound() const { return m_hWnd != nullptr && IsWindow(m_hWnd); }

    // Binds this object to the dialog's control `id`.
    bool SubclassDlgItem(int id, HWND dialog);
    bool Subclass(HWND hwnd);
    void Unsubclass();

    // The object bound to a window of this program, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Offers a message to the windows from its target up to `top` before it is
    // dispatched; true when one of them handled it.
    static bool WalkPreTranslate(MSG* msg, HWND top);

    // Sees each message bound for this window or a child of it before the
    // message loop dispatches it; true means handled.
    virtual bool PreTranslateMessage(MSG* msg);

    // A notification this window sent to its parent, handed back to it.
    // True when handled; `result` is then the answer for the parent.
    virtual bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    std::string GetText() const;
    void SetText(const std::string& text) const { SetWindowTextA(m_hWnd, text.c_str()); }
    // The window's text with every character, which the 8-bit text cannot
    // hold where the code page lacks it.
    std::wstring GetUnicodeText() const;
    void SetUnicodeText(const std::wstring& text) const { SetWindowTextW(m_hWnd, text.c_str()); }
    void Enable(bool enable) const { EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsEnabled() const { return IsWindowEnabled(m_hWnd) != FALSE; }
    void Show(int command) const { ShowWindow(m_hWnd, command); }
    void SetFocus() const { ::SetFocus(m_hWnd); }
    POINT CursorPosInClient() const;

protected:
    // The bound window's procedure, given the messages as Unicode; what it
    // leaves alone goes to Default.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);
    // Runs just before the window is subclassed.
    virtual void PreSubclassWindow() {}

    HWND m_hWnd = nullptr;

private:
    static LRESULT SubclassProc(void* context, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The window's procedure from before this object's subclass.
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);
    Subclassing::Link* m_link = nullptr;
    // Set by Default while the message being handled is the innermost one,
    // so that a handler that throws after it is not given default
    // processing a second time.
    bool* m_defaultRan = nullptr;
};
