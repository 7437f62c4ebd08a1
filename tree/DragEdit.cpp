#include "tree/DragEdit.h"

LRESULT CDragEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Default(msg, wParam, lParam);
}
