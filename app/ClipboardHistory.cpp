#include "app/QuipMarkDlg.h"
#include "entries/EntryLabel.h"
#include "framework/Clipboard.h"
#include "framework/Handles.h"
#include <climits>

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

// The 8-bit text as Unicode, as the system's code page turns it.
std::wstring SystemCodePageToUnicode(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return std::wstring();
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring unicode(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &unicode[0], units);
    return unicode;
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

// Passes a clipboard change on to the next viewer of the chain on every way
// out, an exception included; the viewer is read at the end, as a viewer
// that leaves meanwhile changes it.
class ChainForwarder {
public:
    explicit ChainForwarder(const HWND& next) : m_next(next) {}
    ~ChainForwarder()
    {
        if (m_next != nullptr)
            SendMessageA(m_next, WM_DRAWCLIPBOARD, 0, 0);
    }
    ChainForwarder(const ChainForwarder&) = delete;
    ChainForwarder& operator=(const ChainForwarder&) = delete;

private:
    const HWND& m_next;
};

}  // namespace

void CQuipMarkDlg::RecordClipboard()
{
    if (IsMarkedPrivate(m_hWnd))
        return;
    // Both forms at one opening, so the Unicode text is the one the 8-bit
    // text came from.
    const ClipboardTexts texts = ::ReadClipboardTexts(m_copyEdit.Handle());
    // The branch's copy of a new text is made before the history changes:
    // it is the step most likely to run short of memory, and once the
    // history has changed, the list box and the branch must follow it.
    const int slot = texts.text.empty() ? -1 : m_texts.Add(texts.text, texts.unicode);
    HistoryChange change;
    try {
        const TextComparison comparison = {FoldSystemCase, FoldSystemCaseWide, SystemCodePageToUnicode};
        change = m_historyState.Record(texts.text, texts.unicode, comparison);
    } catch (...) {
        m_texts.Release(slot);
        throw;
    }
    ApplyHistoryChange(change, slot);
}

void CQuipMarkDlg::ApplyHistoryChange(const HistoryChange& change, int slot)
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
        m_history.InsertString(0, m_texts.Text(slot));
        InsertHistoryItem(TVI_FIRST, slot);
    } else {
        m_texts.Release(slot);
    }
    RefreshImagesAround(m_clipboardBranch);
    RefreshCount();
}

HTREEITEM CQuipMarkDlg::InsertHistoryItem(HTREEITEM after, int slot)
{
    HTREEITEM item = nullptr;
    if (m_clipboardBranch != nullptr) {
        // Labelled with what was copied, not with the code page's question marks.
        const std::wstring& unicode = m_texts.UnicodeText(slot);
        if (unicode.empty())
            item = m_tree.Insert(m_clipboardBranch, after,
                                 EntryLabel(m_texts.Text(slot), m_lineBreakMark, kLongestLabel), 2, slot);
        else
            item = m_tree.Insert(m_clipboardBranch, after,
                                 EntryLabel(unicode, kUnicodeLineBreakMark, kLongestLabel), 2, slot);
    }
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
        InsertHistoryItem(TVI_LAST, m_texts.Add(texts[i], m_historyState.UnicodeTexts()[i]));
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
    // The next viewer hears of the change even when recording it failed.
    const ChainForwarder forwarder(m_nextViewer);
    RecordClipboard();
}

void CQuipMarkDlg::OnChangeCbChain(HWND removed, HWND following)
{
    if (removed == m_nextViewer)
        m_nextViewer = following;
    else if (m_nextViewer != nullptr)
        SendMessageA(m_nextViewer, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(removed),
                     reinterpret_cast<LPARAM>(following));
}
