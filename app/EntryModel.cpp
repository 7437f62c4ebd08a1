#include "app/QuipMarkDlg.h"
#include <algorithm>

std::string CQuipMarkDlg::GetItemText(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_texts.size())
        return std::string();
    return m_texts[static_cast<size_t>(index)];
}

int CQuipMarkDlg::SetItemText(const std::string& text)
{
    // Emptied slots are taken again, so the table does not grow with months
    // of clipboard changes; no item names an emptied slot any more.
    if (!m_freeSlots.empty()) {
        const int slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_texts[static_cast<size_t>(slot)] = text;
        return slot;
    }
    m_texts.push_back(text);
    return static_cast<int>(m_texts.size() - 1);
}

void CQuipMarkDlg::ReleaseSlot(LPARAM slot)
{
    if (slot < 0 || static_cast<size_t>(slot) >= m_texts.size())
        return;
    std::string().swap(m_texts[static_cast<size_t>(slot)]);
    // A slot that the menu shown last still names stays empty until that
    // menu is done with, so a late choice hands out nothing rather than the
    // text of a newer entry.
    if (std::find(m_menuSlots.begin(), m_menuSlots.end(), static_cast<int>(slot)) != m_menuSlots.end())
        m_retiredSlots.push_back(static_cast<int>(slot));
    else
        m_freeSlots.push_back(static_cast<int>(slot));
}

void CQuipMarkDlg::ForgetMenuSlots()
{
    m_menuSlots.clear();
    m_freeSlots.insert(m_freeSlots.end(), m_retiredSlots.begin(), m_retiredSlots.end());
    m_retiredSlots.clear();
}

HTREEITEM CQuipMarkDlg::InsertEntry(HTREEITEM parent, HTREEITEM after, const std::string& label,
                                    const std::string& text, int image)
{
    const int slot = SetItemText(text);
    HTREEITEM item = m_tree.Insert(parent, after, label.substr(0, kLongestLabel), image, slot);
    if (item == nullptr)
        ReleaseSlot(slot);
    return item;
}

int CQuipMarkDlg::ClassifyItem(HTREEITEM item) const
{
    if (item == nullptr)
        return 0;
    HTREEITEM parent = m_tree.Parent(item);
    if (parent == nullptr)
        return 1;
    return parent == m_tree.Root() ? 2 : 3;
}

void CQuipMarkDlg::DeleteEntryItem(HTREEITEM item)
{
    for (HTREEITEM child = m_tree.Child(item); child != nullptr; child = m_tree.NextSibling(child))
        ReleaseSlot(m_tree.Data(child));
    ReleaseSlot(m_tree.Data(item));
    m_tree.Delete(item);
}

void CQuipMarkDlg::PushUndoText(const std::string& text, bool clearFirst)
{
    if (clearFirst)
        m_undo.clear();
    m_undo.push_back(text);
}

void CQuipMarkDlg::RefreshButtons()
{
    HTREEITEM selection = m_tree.Selection();
    const bool userEntry = selection != nullptr && ClassifyItem(selection) != 1 &&
                           !m_tree.IsInClipboardBranch(selection);
    EnableItem(IDC_REMOVE, userEntry);
    EnableItem(IDC_RENAME, userEntry);
    EnableItem(IDC_UNDO, !m_undo.empty());
    EnableItem(IDC_ADD, m_newEntry.Length() > 0);
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

    // The counter shows the exact count, also above the up-down control's
    // default range.
    const UINT count = m_tree.Count();
    m_itemCountSpin.Send(UDM_SETRANGE32, 0, 0x7FFFFFFF);
    m_itemCountSpin.Send(UDM_SETPOS32, 0, static_cast<LPARAM>(count));
    SetDlgItemTextA(m_hWnd, IDC_ITEM_COUNT, std::to_string(count).c_str());
}
