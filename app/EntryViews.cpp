#include "app/QuipMarkDlg.h"

void CQuipMarkDlg::Follow(const EntryChange& change)
{
    m_tree.Follow(change);
    if (!change.Empty()) {
        m_popupFind.OnEntriesChanged();
        m_indexing.Start(m_hWnd);
    }
    RefreshCount();
    RefreshButtons();
}

void CQuipMarkDlg::SetModified(bool modified)
{
    m_entries.SetModified(modified);
    EnableItem(IDC_SAVE, modified);
}

void CQuipMarkDlg::RefreshButtons()
{
    const bool userEntry = m_entries.IsUserEntry(m_tree.SelectedEntry());
    EnableItem(IDC_REMOVE, userEntry);
    EnableItem(IDC_RENAME, userEntry);
    EnableItem(IDC_UNDO, !m_entries.UndoTexts().empty());
    EnableItem(IDC_ADD, m_newEntry.Length() > 0);
    EnableItem(IDC_SAVE, m_entries.IsModified());
}

void CQuipMarkDlg::RefreshCount()
{
    // Controls not made yet show the count once they are; looking for them
    // costs the start a call to the window server.
    if (m_itemCountSpin.Handle() == nullptr)
        return;
    // The counter shows the exact count, also above the up-down control's
    // default range.
    const size_t count = m_entries.Count();
    m_itemCountSpin.Send(UDM_SETRANGE32, 0, 0x7FFFFFFF);
    m_itemCountSpin.Send(UDM_SETPOS32, 0, static_cast<LPARAM>(count));
    SetDlgItemTextA(m_hWnd, IDC_ITEM_COUNT, std::to_string(count).c_str());
}

bool CQuipMarkDlg::DropOnEntry(EntryId target, EntryId dragged, const ClipboardTexts& texts)
{
    EntryChange change;
    const EntryId dropped = m_entries.Drop(target, dragged, texts.text, change, texts.unicode);
    if (dropped == kNoEntry)
        return false;
    Follow(change);
    m_tree.SelectEntry(dropped);
    return true;
}

EntryId CQuipMarkDlg::AppendEntry(EntryId parent, const std::string& text)
{
    EntryChange change;
    const EntryId id = m_entries.Append(parent, text, &change);
    Follow(change);
    return id;
}
