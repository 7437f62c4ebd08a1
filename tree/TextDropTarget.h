#pragma once
#include "framework/Clipboard.h"
#include "framework/OleDropTarget.h"

// The drop protocol between the drop target and its window. All four are
// sent; pointers they carry are valid only during the call.
//   UM_DROP      wParam: the dropped text (const ClipboardTexts*: the 8-bit text
//                and, where the data offers it, the Unicode text), lParam: the
//                drop effect
//   UM_DRAGOVER  wParam: MK_ key state, lParam: POINT* in client coordinates;
//                answer: DROPEFFECT_NONE or DROPEFFECT_COPY
//   UM_DRAGLEAVE wParam, lParam: 0
//   UM_DRAGENTER wParam: MK_ key state, lParam: 0
const UINT UM_DROP = WM_USER + 1;
const UINT UM_DRAGOVER = WM_USER + 2;
const UINT UM_DRAGLEAVE = WM_USER + 3;
const UINT UM_DRAGENTER = WM_USER + 4;

// Turns the platform's drag events over a window into the private drop
// messages that the window handles itself.
class CTextDropTarget : public COleDropTarget {
protected:
    DWORD OnDragEnter(HWND hwnd, IDataObject* data, DWORD keyState, POINT point) override;
    DWORD OnDragOver(HWND hwnd, IDataObject* data, DWORD keyState, POINT point) override;
    BOOL OnDrop(HWND hwnd, IDataObject* data, DWORD effect, POINT point) override;
    void OnDragLeave(HWND hwnd) override;
};
