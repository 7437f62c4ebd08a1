#include "tree/DragDropTreeCtrl.h"
#include "app/QuipMarkDlg.h"

HTREEITEM CDragDropTreeCtrl::FindEntry(const std::string&, bool)
{
    return nullptr;
}

HTREEITEM CDragDropTreeCtrl::NextItem(HTREEITEM) const
{
    return nullptr;
}

HTREEITEM CDragDropTreeCtrl::PrevItem(HTREEITEM) const
{
    return nullptr;
}

HTREEITEM CDragDropTreeCtrl::LastItem(HTREEITEM) const
{
    return nullptr;
}

bool CDragDropTreeCtrl::AcceptFoundItem(HTREEITEM)
{
    return true;
}
