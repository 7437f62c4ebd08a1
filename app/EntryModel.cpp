#include "app/QuipMarkDlg.h"
#include "entries/EntryLabel.h"

std::string CQuipMarkDlg::GetItemText(int index) const
{
    return m_texts.Text(index);
}

std::string CQuipMarkDlg::EntryText(HTREEITEM item) const
{
    return GetItemText(static_cast<int>(m_tree.Data(item)));
}

std::wstring CQuipMarkDlg::EntryUnicodeText(HTREEITEM item) const
{
    return m_texts.UnicodeText(static_cast<int>(m_tree.Data(item)));
}

int CQuipMarkDlg::SetItemText(const std::string& text)
{
    return m_texts.Add(text);
}

HTREEITEM CQuipMarkDlg::InsertEntry(HTREEITEM parent, HTREEITEM after, const std::string& label,
                                    const std::string& text, int image)
{
    const int slot = SetItemText(text);
    HTREEITEM item = m_tree.Insert(parent, after, EntryLabel(label, m_lineBreakMark, kLongestLabel), image, slot);
    if (item == nullptr)
        m_texts.Release(slot);
    return item;
}

int CQuipMarkDlg::ClassifyItem(HTREEITEM item) const
{
    return m_tree.Classify(item);
}

void CQuipMarkDlg::DeleteEntryItem(HTREEITEM item)
{
    for (HTREEITEM child = m_tree.Child(item); child != nullptr; child = m_tree.NextSibling(child))
        m_texts.Release(static_cast<int>(m_tree.Data(child)));
    m_texts.Release(static_cast<int>(m_tree.Data(item)));
    m_tree.Delete(item);
}

void CQuipMarkDlg::PushUndoText(const std::string& text, bool clearFirst)
{
    m_texts.PushUndo(text, clearFirst);
}

void CQuipMarkDlg::RefreshButtons()
{
    HTREEITEM selection = m_tree.Selection();
    const bool userEntry = selection != nullptr && ClassifyItem(selection) != 1 &&
                           !m_tree.IsInClipboardBranch(selection);
    EnableItem(IDC_REMOVE, userEntry);
    EnableItem(IDC_RENAME, userEntry);
    EnableItem(IDC_UNDO, !m_texts.UndoTexts().empty());
    EnableItem(IDC_ADD, m_newEntry.Length() > 0);
}

int CQuipMarkDlg::ImageOf(HTREEITEM item) const
{
    switch (ClassifyItem(item)) {
    case 1: return 0;
    case 2: return m_tree.HasChildren(item) ? 1 : 2;
    default: return 2;
    }
}

void CQuipMarkDlg::RefreshImagesAndCount()
{
    HTREEITEM root = m_tree.Root();
    for (HTREEITEM top = m_tree.Child(root); top != nullptr; top = m_tree.NextSibling(top)) {
        HTREEITEM child = m_tree.Child(top);
        m_tree.SetImage(top, child != nullptr ? 1 : 2);
        for (; child != nullptr; child = m_tree.NextSibling(child))
            m_tree.SetImage(child, 2);
    }
    m_tree.SetImage(root, 0);
    RefreshCount();
}

void CQuipMarkDlg::RefreshImagesAround(HTREEITEM item)
{
    if (item == nullptr)
        return;
    m_tree.SetImage(item, ImageOf(item));
    for (HTREEITEM child = m_tree.Child(item); child != nullptr; child = m_tree.NextSibling(child))
        m_tree.SetImage(child, ImageOf(child));
    if (HTREEITEM parent = m_tree.Parent(item))
        m_tree.SetImage(parent, ImageOf(parent));
}

void CQuipMarkDlg::RefreshCount()
{
    // The counter shows the exact count, also above the up-down control's
    // default range.
    const UINT count = m_tree.Count();
    m_itemCountSpin.Send(UDM_SETRANGE32, 0, 0x7FFFFFFF);
    m_itemCountSpin.Send(UDM_SETPOS32, 0, static_cast<LPARAM>(count));
    SetDlgItemTextA(m_hWnd, IDC_ITEM_COUNT, std::to_string(count).c_str());
}
