#include "app/QuipMarkDlg.h"

namespace {

// The tree's size in pixels with the search panel closed and open, whatever
// the dialog's font.
const int kTreeWidth = 288;
const int kTreeHeightFull = 243;
const int kTreeHeightWithPanel = 206;

const int kPanelControls[] = {IDC_FIND_TEXT, IDC_FIND_LABEL, IDC_FIND_PREV, IDC_FIND_NEXT};

}  // namespace

void CQuipMarkDlg::ToggleSearchPanel()
{
    const bool open = m_searchPanel == 0;
    SetDlgItemTextA(m_hWnd, IDC_SEARCH_TOGGLE, open ? "Sear&ch >>" : "<< Sear&ch");
    SetWindowPos(m_tree.Handle(), HWND_TOP, 0, 0, kTreeWidth,
                 open ? kTreeHeightWithPanel : kTreeHeightFull, SWP_NOMOVE);
    for (int id : kPanelControls)
        ShowWindow(Item(id), open ? SW_SHOW : SW_HIDE);
    m_searchPanel = open ? 1 : 0;
    if (open)
        Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_findEdit.Handle()), TRUE);
}

void CQuipMarkDlg::OnFindTextChanged()
{
    const bool haveText = m_findEdit.Length() > 0;
    EnableItem(IDC_FIND_NEXT, haveText);
    EnableItem(IDC_FIND_PREV, haveText);
}

void CQuipMarkDlg::OnFind(bool forward)
{
    HTREEITEM found = m_tree.FindEntry(m_findEdit.GetText(), forward);
    if (found == nullptr) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    m_tree.Select(found);
    m_tree.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(found));
}
