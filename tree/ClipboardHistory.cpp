#include "app/QuipMarkDlg.h"

void CQuipMarkDlg::RecordClipboard()
{
}

void CQuipMarkDlg::RebuildClipboardBranch()
{
}

void CQuipMarkDlg::ClearClipboardHistory()
{
}

void CQuipMarkDlg::OnDrawClipboard()
{
    RecordClipboard();
    if (m_nextViewer != nullptr)
        SendMessageA(m_nextViewer, WM_DRAWCLIPBOARD, 0, 0);
}

void CQuipMarkDlg::OnChangeCbChain(HWND removed, HWND following)
{
    if (removed == m_nextViewer)
        m_nextViewer = following;
    else if (m_nextViewer != nullptr)
        SendMessageA(m_nextViewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(removed),
                     reinterpret_cast<LPARAM>(following));
}
