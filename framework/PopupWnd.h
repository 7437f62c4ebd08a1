#pragma once
#include "framework/Wnd.h"

// A top-level popup window of ours that a C++ object handles from its
// creation to its end: no caption, no frame of the system's, never on the
// taskbar, above other windows, owned by `owner` (which it never outlives).
// The window may be made and destroyed again many times in the object's life.
class CPopupWnd : public CWnd {
public:
    CPopupWnd() = default;
    ~CPopupWnd() override;

    bool CreatePopup(HWND owner, const RECT& rect);
    void Destroy();
    bool IsOpen() const { return IsBound(); }
};
