#pragma once
#include "framework/Controls.h"

// Sent to the parent in WM_COMMAND, as the notification code, when a key is
// pressed in the field.
const WORD kHotkeyKeyPressed = 0x1001;

// The hotkey field: every key pressed in it is an unsaved change, so it
// tells its parent before the control handles the key.
class CNotifyHotKeyCtrl : public CHotKeyCtrl {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
