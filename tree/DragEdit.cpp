#include "tree/DragEdit.h"
#include "framework/CodePage.h"
#include "tree/TextDropTarget.h"

LRESULT CDragEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_DROP:
        OnDropText(reinterpret_cast<const ClipboardTexts*>(wParam));
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

void CDragEdit::OnDropText(const ClipboardTexts* dropped)
{
    // An empty drop leaves the field as it is.
    if (dropped == nullptr || dropped->text.empty())
        return;
    // The field is a Unicode window: its character positions count Unicode
    // units, and the Unicode form keeps what the code page lacks.
    const std::wstring insert = !dropped->unicode.empty() ? dropped->unicode : FromSystemCodePage(dropped->text);
    const std::wstring text = GetUnicodeText();
    const POINT point = CursorPosInClient();
    const LRESULT hit = Send(EM_CHARFROMPOS, 0, MAKELPARAM(point.x, point.y));
    size_t index = LOWORD(hit);
    if (index > text.size())
        index = text.size();
    SetUnicodeText(text.substr(0, index) + insert + text.substr(index));
}
