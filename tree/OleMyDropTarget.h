#pragma once
#include <windows.h>

// Turns the platform's drag events over a window into the private drop
// messages that the window handles itself.
class COleMyDropTarget {
public:
    bool Register(HWND) { return false; }
    void Revoke() {}
};
