#include "app/QuipMarkDlg.h"
#include "tree/HistoryRules.h"

namespace {

const int kClipboardAttempts = 20;
const DWORD kClipboardRetryMs = 25;

// Case is ignored as the system's code page defines it.
unsigned char FoldSystemCase(unsigned char c)
{
    return static_cast<unsigned char>(reinterpret_cast<UINT_PTR>(
        CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(c)))));
}

bool OffersFormat(const char* name)
{
    const UINT format = RegisterClipboardFormatA(name);
    return format != 0 && IsClipboardFormatAvailable(format);
}

bool OpenClipboardSoon(HWND owner)
{
    for (int attempt = 1; attempt <= kClipboardAttempts; ++attempt) {
        if (OpenClipboard(owner))
            return true;
        Sleep(kClipboardRetryMs);
    }
    return false;
}

// Whether the program that put the data on the clipboard marked it as not
// for any history: password managers do so for their copies.
bool IsMarkedPrivate(HWND owner)
{
    if (OffersFormat("ExcludeClipboardContentFromMonitorProcessing") || OffersFormat("Clipboard Viewer Ignore"))
        return true;
    const UINT canInclude = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    if (canInclude == 0 || !IsClipboardFormatAvailable(canInclude))
        return false;
    // What cannot be read is taken as private.
    if (!OpenClipboardSoon(owner))
        return true;
    bool marked = true;
    if (HANDLE data = GetClipboardData(canInclude)) {
        if (GlobalSize(data) >= sizeof(DWORD)) {
            if (const DWORD* value = static_cast<const DWORD*>(GlobalLock(data))) {
                marked = *value == 0;
                GlobalUnlock(data);
            }
        }
    }
    CloseClipboard();
    return marked;
}

}  // namespace

void CQuipMarkDlg::RecordClipboard()
{
    if (IsMarkedPrivate(m_hWnd))
        return;
    std::vector<std::string> history;
    for (int i = 0, count = m_history.Count(); i < count; ++i)
        history.push_back(m_history.GetString(i));
    RecordHistoryText(history, PasteFromClipboard(), FoldSystemCase);
    m_history.ResetContent();
    for (size_t i = 0; i < history.size(); ++i)
        m_history.InsertString(static_cast<int>(i), history[i]);
    RebuildClipboardBranch();
}

void CQuipMarkDlg::RebuildClipboardBranch()
{
    if (m_clipboardBranch == nullptr)
        return;
    while (HTREEITEM child = m_tree.Child(m_clipboardBranch))
        DeleteEntryItem(child);
    for (int i = 0, count = m_history.Count(); i < count; ++i) {
        const std::string text = m_history.GetString(i);
        InsertEntry(m_clipboardBranch, TVI_LAST, text, text, 2);
    }
    RefreshImagesAndCount();
}

void CQuipMarkDlg::ClearClipboardHistory()
{
    m_history.ResetContent();
    RebuildClipboardBranch();
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
