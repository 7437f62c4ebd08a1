#pragma once
#include "framework/Clipboard.h"
#include "framework/Controls.h"

// The new-entry field: a stock multi-line edit that also takes dropped text
// at the character under the pointer.
class CDragEdit : public CEdit {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnDropText(const ClipboardTexts* dropped);
};
