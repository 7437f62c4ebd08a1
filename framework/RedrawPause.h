#pragma once

#include <windows.h>

// Keeps a window from redrawing while it lives, then has it lay out and
// repaint once, on every way out. An item inserted into a tree control that
// redraws makes the control repaint, one by one, every item below it.
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : m_window(window) { SendMessageA(m_window, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause()
    {
        SendMessageA(m_window, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(m_window, nullptr, TRUE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND m_window;
};
