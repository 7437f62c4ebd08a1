#include "app/QuipMarkDlg.h"
#include "framework/Clipboard.h"

// The hidden copy edit is the window on whose behalf the program uses the
// clipboard. The text itself goes straight to and from the clipboard: an
// edit control takes most of a second to lay out a megabyte of text, and the
// program must never make the desktop wait.

bool CQuipMarkDlg::OnMenuCmd(UINT id)
{
    const EntryId entry = m_menu.Entry(id - kFirstMenuCommand);
    if (entry == kNoEntry)
        return false;  // no item of the menu shown last carried this id
    if (!HandOutEntry(entry))
        return false;
    m_paste.OnHandedOut();
    return true;
}

bool CQuipMarkDlg::HandOutEntry(EntryId entry)
{
    // Empty when the entry went while the popup was open (a clipboard
    // change replaced it): nothing is handed out, and the user hears so.
    return CopyToClipboard(m_entries.Text(entry), m_entries.UnicodeText(entry));
}

bool CQuipMarkDlg::CopyToClipboard(const std::string& text, const std::wstring& unicode)
{
    if (WriteClipboardText(m_copyEdit.Handle(), text, unicode))
        return true;
    MessageBeep(MB_ICONEXCLAMATION);
    return false;
}
