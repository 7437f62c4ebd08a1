#include "app/QuipMarkDlg.h"
#include "entries/EntryLabel.h"
#include "framework/Clipboard.h"
#include "framework/Handles.h"

namespace {

// Case is ignored as the system's code page defines it.
unsigned char FoldSystemCase(unsigned char c)
{
    return static_cast<unsigned char>(reinterpret_cast<UINT_PTR>(
        CharLowerA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(c)))));
}

// Likewise for Unicode text, as the system maps case.
wchar_t FoldSystemCaseWide(wchar_t c)
{
    return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        CharLowerW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

bool OffersFormat(const char* name)
{
    const UINT format = RegisterClipboardFormatA(name);
    return format != 0 && IsClipboardFormatAvailable(format);
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
    const ClipboardSession clipboard(owner);
    if (!clipboard.IsOpen())
        return true;
    HANDLE data = GetClipboardData(canInclude);
    if (data == nullptr)
        return true;
    const GlobalLockOf<const DWORD> value(data);
    return value.Get() == nullptr || value.Size() < sizeof(DWORD) || *value.Get() == 0;
}

}  // namespace

void CQuipMarkDlg::RecordClipboard()
{
    if (IsMarkedPrivate(m_hWnd))
        return;
    // Both forms at one opening, so the Unicode text is the one the 8-bit
    // text came from.
    const ClipboardTexts texts = ::ReadClipboardTexts(m_copyEdit.Handle());
    ApplyHistoryChange(m_historyState.Record(texts.text, texts.unicode, FoldSystemCase, FoldSystemCaseWide));
}

void CQuipMarkDlg::ApplyHistoryChange(const HistoryChange& change)
{
    // The list box and the branch follow the same few steps instead of
    // being refilled: texts can be megabytes long, every copy into a
    // control costs, and a change must cost the same however many entries
    // the user keeps.
    for (int position : change.removed) {
        m_history.DeleteString(position);
        if (HTREEITEM item = HistoryItem(position))
            DeleteEntryItem(item);
    }
    if (change.added) {
        const std::string& text = m_historyState.Texts().front();
        m_history.InsertString(0, text);
        InsertHistoryEntry(TVI_FIRST, text, m_historyState.UnicodeTexts().front());
    }
    RefreshImagesAround(m_clipboardBranch);
    RefreshCount();
}

HTREEITEM CQuipMarkDlg::InsertHistoryEntry(HTREEITEM after, const std::string& text, const std::wstring& unicode)
{
    if (m_clipboardBranch == nullptr)
        return nullptr;
    if (unicode.empty())
        return InsertEntry(m_clipboardBranch, after, text, text, 2);
    // Labelled with what was copied, not with the code page's question marks.
    const int slot = m_texts.Add(text, unicode);
    HTREEITEM item = m_tree.Insert(m_clipboardBranch, after, EntryLabel(unicode, kUnicodeLineBreakMark, kLongestLabel), 2, slot);
    if (item == nullptr)
        m_texts.Release(slot);
    return item;
}

HTREEITEM CQuipMarkDlg::HistoryItem(int position) const
{
    if (m_clipboardBranch == nullptr)
        return nullptr;
    HTREEITEM item = m_tree.Child(m_clipboardBranch);
    for (int i = 0; i < position && item != nullptr; ++i)
        item = m_tree.NextSibling(item);
    return item;
}

void CQuipMarkDlg::RebuildClipboardBranch()
{
    if (m_clipboardBranch == nullptr)
        return;
    while (HTREEITEM child = m_tree.Child(m_clipboardBranch))
        DeleteEntryItem(child);
    const std::vector<std::string>& texts = m_historyState.Texts();
    for (size_t i = 0; i < texts.size(); ++i)
        InsertHistoryEntry(TVI_LAST, texts[i], m_historyState.UnicodeTexts()[i]);
    RefreshImagesAround(m_clipboardBranch);
    RefreshCount();
}

void CQuipMarkDlg::ClearClipboardHistory()
{
    m_historyState.Clear();
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
