#include "app/QuipMarkDlg.h"

void CQuipMarkDlg::ToggleSearchPanel()
{
}

void CQuipMarkDlg::OnFindTextChanged()
{
}

void CQuipMarkDlg::OnFind(bool)
{
}
