#include "app/QuipMarkDlg.h"
#include "entries/EntrySearch.h"
#include "framework/CodePage.h"

namespace {

// The tree's size in dialog units, as in the dialog template, and the room
// the search row takes from its bottom, so that it ends just above "Enter
// Text to &Find:". In dialog units the sizes follow the dialog's font and so
// the display scale.
const int kTreeWidth = 191;
const int kTreeHeight = 150;
const int kSearchRowHeight = 23;

const int kPanelControls[] = {IDC_FIND_TEXT, IDC_FIND_LABEL, IDC_FIND_STATUS, IDC_FIND_PREV, IDC_FIND_NEXT};

const char kNothingFound[] = "No entry holds that text.";

}  // namespace

void CQuipMarkDlg::ToggleSearchPanel()
{
    const bool open = m_searchPanel == 0;
    SetDlgItemTextA(m_hWnd, IDC_SEARCH_TOGGLE, open ? "Sear&ch >>" : "<< Sear&ch");
    // Mapped as the dialog maps its template, so the closed size is exactly
    // the size the tree was created with.
    RECT size = {0, 0, kTreeWidth, open ? kTreeHeight - kSearchRowHeight : kTreeHeight};
    MapDialogRect(m_hWnd, &size);
    SetWindowPos(m_tree.Handle(), HWND_TOP, 0, 0, size.right, size.bottom, SWP_NOMOVE);
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
    SetDlgItemTextA(m_hWnd, IDC_FIND_STATUS, "");
}

void CQuipMarkDlg::OnFind(bool forward)
{
    const SearchFolding folding = {LowerCaseUnicode, FromSystemCodePage};
    const EntryId found = FindEntry(m_entries, m_tree.SelectedEntry(), m_findEdit.GetUnicodeText(), forward, folding);
    // Said beside the field: a message box would take the focus from it.
    SetDlgItemTextA(m_hWnd, IDC_FIND_STATUS, found == kNoEntry ? kNothingFound : "");
    if (found == kNoEntry) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    m_tree.SelectEntry(found);
}

void CQuipMarkDlg::OnDefaultButton()
{
    // Enter in the find field finds the next match; anywhere else it does
    // nothing at dialog level.
    if (m_searchPanel != 0 && GetFocus() == m_findEdit.Handle() && m_findEdit.Length() > 0)
        OnFind(true);
}
