#include "app/QuipMarkDlg.h"

bool CQuipMarkDlg::AddEntry(const std::string&)
{
    return false;
}

void CQuipMarkDlg::RemoveSelectedEntry()
{
}

void CQuipMarkDlg::UndoRemove()
{
}

void CQuipMarkDlg::DeliverEntry(HTREEITEM)
{
}

std::string CQuipMarkDlg::ReadClipboardText()
{
    return std::string();
}

void CQuipMarkDlg::OnAddCommand()
{
}

void CQuipMarkDlg::OnRenameCommand()
{
}

void CQuipMarkDlg::OnEndLabelEdit(NMTVDISPINFOA*)
{
}

void CQuipMarkDlg::OnTreeDoubleClick()
{
}
