#include "app/QuipMarkDlg.h"
#include "framework/Clipboard.h"

// The hidden copy edit is the window on whose behalf the program uses the
// clipboard. The text itself goes straight to and from the clipboard: an
// edit control takes most of a second to lay out a megabyte of text, and the
// program must never make the desktop wait.

void CQuipMarkDlg::OnMenuCmd(UINT id)
{
    const int slot = m_texts.MenuSlot(id - kFirstMenuCommand);
    if (slot < 0)
        return;  // no item of the menu shown last carried this id
    const std::string text = GetItemText(slot);
    const std::wstring unicode = m_texts.UnicodeText(slot);
    m_texts.EndMenu();
    CopyToClipboard(text, unicode);
}

void CQuipMarkDlg::CopyToClipboard(const std::string& text, const std::wstring& unicode)
{
    if (!WriteClipboardText(m_copyEdit.Handle(), text, unicode))
        MessageBeep(MB_ICONEXCLAMATION);
}

std::string CQuipMarkDlg::PasteFromClipboard()
{
    return ::ReadClipboardText(m_copyEdit.Handle());
}
