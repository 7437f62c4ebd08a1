#include "app/QuipMarkDlg.h"

void CQuipMarkDlg::OnMenuCmd(UINT id)
{
    const size_t n = id - kFirstMenuCommand;
    if (n == 0 || n > m_menuSlots.size())
        return;  // no item of the menu shown last carried this id
    const std::string text = GetItemText(m_menuSlots[n - 1]);
    ForgetMenuSlots();
    CopyToClipboard(text);
}

void CQuipMarkDlg::CopyToClipboard(const std::string& text)
{
    m_copyEdit.SetText(text);
    m_copyEdit.SetSel(0, -1);
    m_copyEdit.Copy();
}
