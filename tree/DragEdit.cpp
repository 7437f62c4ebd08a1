#include "tree/DragEdit.h"
#include "tree/TextDropTarget.h"

LRESULT CDragEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_DROP:
        OnDropText(reinterpret_cast<const char*>(wParam));
        return 1;
    case UM_DRAGOVER:
        return DROPEFFECT_COPY;
    case UM_DRAGENTER:
        SetFocus();
        return 0;
    case UM_DRAGLEAVE:
        return 0;
    default:
        return Default(msg, wParam, lParam);
    }
}

void CDragEdit::OnDropText(const char* dropped)
{
    // An empty drop leaves the field as it is.
    if (dropped == nullptr || *dropped == '\0')
        return;
    const std::string text = GetText();
    const POINT point = CursorPosInClient();
    const LRESULT hit = Send(EM_CHARFROMPOS, 0, MAKELPARAM(point.x, point.y));
    size_t index = LOWORD(hit);
    if (index > text.size())
        index = text.size();
    SetText(text.substr(0, index) + dropped + text.substr(index));
}
