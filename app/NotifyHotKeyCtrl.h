#pragma once
#include "framework/Controls.h"

// The hotkey field: every key pressed in it is an unsaved change, so it
// enables the main dialog's Save button before the control handles the key.
class CNotifyHotKeyCtrl : public CHotKeyCtrl {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
