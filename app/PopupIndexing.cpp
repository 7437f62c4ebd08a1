#include "app/PopupIndexing.h"

void CPopupIndexing::Start(HWND window)
{
    if (m_window == nullptr && SetTimer(window, kTimer, kTickMs, nullptr) != 0)
        m_window = window;
}

void CPopupIndexing::OnTimer()
{
    if (m_window == nullptr || !m_index.Index(PopupIndex::kPortion))
        return;
    KillTimer(m_window, kTimer);
    m_window = nullptr;
}
