#include "app/QuipMarkDlg.h"

void CQuipMarkDlg::LoadSettings()
{
    RefreshImagesAndCount();
    m_tree.Expand(m_tree.Root(), TVE_EXPAND);
}

bool CQuipMarkDlg::SaveSettings()
{
    return SaveEntries();
}

bool CQuipMarkDlg::ImportRegistryLists()
{
    return false;
}

void CQuipMarkDlg::OnAlwaysOnTop()
{
    SetModified(true);
}

void CQuipMarkDlg::OnSaveOnExit()
{
    SetModified(true);
}
