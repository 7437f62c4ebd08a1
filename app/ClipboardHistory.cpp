#include "app/QuipMarkDlg.h"
#include "framework/Clipboard.h"
#include "framework/CodePage.h"
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
    ClipboardTexts texts = ::ReadClipboardTexts(m_copyEdit.Handle());
    // The list box's form of the text is made before anything changes, so
    // that running short of memory for it changes nothing.
    FromSystemCodePageInto(texts.text, m_historyListText);
    const TextComparison comparison = {FoldSystemCase, FoldSystemCaseWide, FromSystemCodePage};
    HistoryChange listChange;
    // The texts are handed on, not copied: they can be megabytes long.
    const EntryChange change =
        m_entries.RecordClipboard(std::move(texts.text), std::move(texts.unicode), comparison, listChange);
    FollowHistory(listChange);
    Follow(change);
}

void CQuipMarkDlg::FollowHistory(const HistoryChange& change)
{
    // The list box follows the same few steps instead of being refilled:
    // texts can be megabytes long, every copy into a control costs, and a
    // change must cost the same however many entries the user keeps.
    for (int position : change.removed)
        m_history.DeleteString(position);
    if (change.added)
        m_history.InsertString(0, m_historyListText);
}

void CQuipMarkDlg::ClearClipboardHistory()
{
    std::wstring().swap(m_historyListText);
    m_history.ResetContent();
    Follow(m_entries.ClearHistory());
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
