#pragma once
#include "entries/PopupIndex.h"
#include <windows.h>

// Reads what changed of the entries' texts into the popup's index a portion
// each tick of a window's timer, as the messages leave time: the index is
// ready long before the next popup, and no tick holds the program up.
class CPopupIndexing {
public:
    explicit CPopupIndexing(PopupIndex& index) : m_index(index) {}

    // After the entries changed: the ticks start unless they run.
    void Start(HWND window);
    bool OwnsTimer(UINT_PTR id) const { return id == kTimer; }
    // One tick: a portion; the ticks end once the index is whole.
    void OnTimer();

private:
    static const UINT_PTR kTimer = 0x5F20;
    static const UINT kTickMs = 10;

    PopupIndex& m_index;
    HWND m_window = nullptr;
};
