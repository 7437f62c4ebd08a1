#include "app/QuipMarkDlg.h"

namespace {

// Another program may hold the clipboard open for a moment; the copy edit
// then quietly copies or pastes nothing, so both are tried again briefly.
const int kClipboardAttempts = 20;
const DWORD kClipboardRetryMs = 25;

}  // namespace

void CQuipMarkDlg::OnMenuCmd(UINT id)
{
    const size_t n = id - kFirstMenuCommand;
    if (n == 0 || n > m_menuSlots.size())
        return;  // no item of the menu shown last carried this id
    const std::string text = GetItemText(m_menuSlots[n - 1]);
    ForgetMenuSlots();
    CopyToClipboard(text);
}

void CQuipMarkDlg::CopyToClipboard(const std::string& text)
{
    for (int attempt = 1;; ++attempt) {
        m_copyEdit.SetText(text);
        m_copyEdit.SetSel(0, -1);
        const DWORD before = GetClipboardSequenceNumber();
        m_copyEdit.Copy();
        // An empty selection copies nothing, busy clipboard or not.
        if (text.empty() || attempt >= kClipboardAttempts)
            return;
        if (GetClipboardSequenceNumber() != before && GetClipboardOwner() == m_copyEdit.Handle())
            return;
        Sleep(kClipboardRetryMs);
    }
}

std::string CQuipMarkDlg::PasteFromClipboard()
{
    for (int attempt = 1;; ++attempt) {
        m_copyEdit.SetText(std::string());
        m_copyEdit.Paste();
        std::string text = m_copyEdit.GetText();
        if (!text.empty() || attempt >= kClipboardAttempts)
            return text;
        const bool hasText = IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT) ||
                             IsClipboardFormatAvailable(CF_OEMTEXT);
        if (!hasText)
            return text;
        // Text that did not arrive: when the clipboard opens now, the text
        // is really empty; when it does not, someone holds it.
        if (OpenClipboard(m_copyEdit.Handle())) {
            CloseClipboard();
            return text;
        }
        Sleep(kClipboardRetryMs);
    }
}
