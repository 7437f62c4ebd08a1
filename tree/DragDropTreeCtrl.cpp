#include "tree/DragDropTreeCtrl.h"
#include "app/QuipMarkDlg.h"

bool CDragDropTreeCtrl::IsInClipboardBranch(HTREEITEM item) const
{
    if (item == nullptr || m_clipboardBranch == nullptr)
        return false;
    return item == m_clipboardBranch || Parent(item) == m_clipboardBranch;
}

bool CDragDropTreeCtrl::PreTranslateMessage(MSG*)
{
    return false;
}

bool CDragDropTreeCtrl::OnReflect(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

LRESULT CDragDropTreeCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Default(msg, wParam, lParam);
}
