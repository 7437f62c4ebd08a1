#pragma once
#include <windows.h>
#include <vector>

// Types the paste chord, Ctrl+V, into whatever window has the keyboard
// focus, as the keyboard would.
class CPasteKeys {
public:
    // The modifier keys that are down at this moment (VK_CONTROL, VK_SHIFT,
    // VK_MENU, VK_LWIN, VK_RWIN).
    static std::vector<WORD> HeldModifiers();
    // Lets go of `held` keys that the user still holds: Ctrl goes down
    // first and up last, so that letting go of Alt or the Windows key alone
    // opens no menu. Sent before the target has the focus, it reaches only
    // this program.
    static bool Lift(const std::vector<WORD>& held);
    // Ctrl down, V down, V up, Ctrl up in one go, which no other input can
    // come between; false when the system took in fewer (another program's
    // input block, or a window that refuses it).
    static bool SendCtrlV();
};
