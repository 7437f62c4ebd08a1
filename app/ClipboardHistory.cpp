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
    const std::string text = PasteFromClipboard();
    const std::vector<std::string> before = m_historyTexts;
    RecordHistoryText(m_historyTexts, text, FoldSystemCase);

    // The list box follows the same few steps instead of being refilled: the
    // texts dropped go, the new one comes in at the top. Texts can be
    // megabytes long, and every copy into the list box costs.
    const bool added = !text.empty();
    size_t kept = added ? 1 : 0;
    std::vector<int> dropped;
    for (size_t i = 0; i < before.size(); ++i) {
        if (kept < m_historyTexts.size() && before[i] == m_historyTexts[kept])
            ++kept;
        else
            dropped.push_back(static_cast<int>(i));
    }
    for (auto it = dropped.rbegin(); it != dropped.rend(); ++it)
        m_history.DeleteString(*it);
    if (added)
        m_history.InsertString(0, text);
    RebuildClipboardBranch();
}

void CQuipMarkDlg::RebuildClipboardBranch()
{
    if (m_clipboardBranch == nullptr)
        return;
    while (HTREEITEM child = m_tree.Child(m_clipboardBranch))
        DeleteEntryItem(child);
    for (const std::string& text : m_historyTexts)
        InsertEntry(m_clipboardBranch, TVI_LAST, text, text, 2);
    RefreshImagesAndCount();
}

void CQuipMarkDlg::ClearClipboardHistory()
{
    m_historyTexts.clear();
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
