#include "app/QuipMarkDlg.h"
#include "entries/EntryLabel.h"
#include "framework/AppMessageBox.h"
#include "framework/ScopedFlag.h"

namespace {

const char kLimitMessage[] =
    "You have reached the maximum of %i entries.\nYou will have to delete some entries first.";
const char kRemoveGroupQuestion[] = "This item has sub-entries.\nDo you want to delete it?";
const char kLongLabelQuestion[] =
    "The entry you are editing is longer than can be shown in the tree\n"
    "Pressing OK will use the new value and you will lose the unseen data\n"
    "Do you wish to proceed?";

std::string LimitMessage()
{
    std::string text = kLimitMessage;
    text.replace(text.find("%i"), 2, std::to_string(kMaxTreeItems));
    return text;
}

}  // namespace

void CQuipMarkDlg::OnAddCommand()
{
    if (AddEntry(m_newEntry.GetText())) {
        m_newEntry.SetText("");
        m_newEntry.SetFocus();
        RefreshButtons();
    } else {
        m_newEntry.SetFocus();
        m_newEntry.SetSel(0, -1);
    }
}

bool CQuipMarkDlg::AddEntry(const std::string& text)
{
    if (m_tree.Count() >= static_cast<UINT>(kMaxTreeItems)) {
        AppMessageBox(LimitMessage(), MB_OK);
        return false;
    }
    // An empty entry could not be saved and loaded back faithfully.
    if (text.empty()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    HTREEITEM root = m_tree.Root();
    HTREEITEM parent = m_tree.Selection();
    // The history holds only what was copied and is never saved: with it or
    // one of its entries selected, the new entry is a top-level one, as
    // with nothing selected.
    if (parent == nullptr || m_tree.IsInClipboardBranch(parent))
        parent = root;
    if (ClassifyItem(parent) == 3)
        parent = m_tree.Parent(parent);
    // The newest top-level entry comes first after the clipboard branch.
    HTREEITEM after = parent == root ? m_clipboardBranch : TVI_LAST;
    HTREEITEM item = InsertEntry(parent, after, text, text, 2);
    if (item == nullptr)
        return false;
    RefreshImagesAround(item);
    RefreshCount();
    m_tree.Expand(parent, TVE_EXPAND);
    m_tree.Select(item);
    RefreshButtons();
    RedrawWindow(m_tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    SetModified(true);
    return true;
}

void CQuipMarkDlg::RemoveSelectedEntry()
{
    HTREEITEM item = m_tree.Selection();
    if (item == nullptr || ClassifyItem(item) == 1 || m_tree.IsInClipboardBranch(item))
        return;
    if (m_tree.HasChildren(item) &&
        AppMessageBox(kRemoveGroupQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    PushUndoText(EntryText(item), true);
    for (HTREEITEM child = m_tree.Child(item); child != nullptr; child = m_tree.NextSibling(child))
        PushUndoText(EntryText(child), false);
    HTREEITEM parent = m_tree.Parent(item);
    DeleteEntryItem(item);
    SetModified(true);
    // A group whose last entry went shows the entry image again.
    m_tree.SetImage(parent, ImageOf(parent));
    RefreshCount();
    // The tree selects a neighbour, which refreshes the buttons; when no
    // neighbour is left to select, Undo must still become available.
    RefreshButtons();
}

void CQuipMarkDlg::UndoRemove()
{
    HTREEITEM root = m_tree.Root();
    HTREEITEM restored = nullptr;
    for (const std::string& text : m_texts.UndoTexts()) {
        if (restored == nullptr)
            restored = InsertEntry(root, TVI_LAST, text, text, 2);
        else
            InsertEntry(restored, TVI_LAST, text, text, 2);
    }
    m_texts.ClearUndo();
    RefreshButtons();
    RefreshImagesAround(restored);
    RefreshCount();
}

void CQuipMarkDlg::OnRenameCommand()
{
    HTREEITEM item = m_tree.Selection();
    if (item == nullptr)
        return;
    m_tree.SetFocus();
    m_tree.EditLabel(item);
}

void CQuipMarkDlg::OnEndLabelEdit(NMTVDISPINFOA* info)
{
    // The tree may report the end of one edit twice, the second time while
    // the question below is open.
    if (m_endingLabelEdit)
        return;
    HTREEITEM item = info->item.hItem != nullptr ? info->item.hItem : m_tree.Selection();
    if (item == nullptr || ClassifyItem(item) == 1 || m_tree.IsInClipboardBranch(item)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (info->item.pszText == nullptr)
        return;  // cancelled
    const std::string text = info->item.pszText;
    if (text.empty()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    const int slot = static_cast<int>(m_tree.Data(item));
    bool proceed = false;
    {
        // Cleared on every way out, so that one failure here does not make
        // every later rename be ignored.
        const ScopedFlag ending(m_endingLabelEdit);
        proceed = GetItemText(slot) == m_tree.Label(item) ||
            AppMessageBox(kLongLabelQuestion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
    }
    if (!proceed)
        return;
    m_tree.SetLabel(item, EntryLabel(text, m_lineBreakMark, kLongestLabel));
    m_texts.Replace(slot, text);
    SetModified(true);
}

void CQuipMarkDlg::OnEntriesDropped(HTREEITEM inserted)
{
    SetModified(true);
    RefreshImagesAround(inserted);
    RefreshCount();
}

void CQuipMarkDlg::OnTreeDoubleClick()
{
    UINT flags = 0;
    HTREEITEM item = m_tree.HitTest(m_tree.CursorPosInClient(), &flags);
    if (item != nullptr && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) != 0 &&
        !m_tree.HasChildren(item))
        DeliverEntry(item);
}

void CQuipMarkDlg::DeliverEntry(HTREEITEM item)
{
    const std::string text = EntryText(item);
    m_newEntry.SetText(text);
    CopyToClipboard(text, EntryUnicodeText(item));
    RefreshButtons();
}

std::string CQuipMarkDlg::ReadClipboardText()
{
    return PasteFromClipboard();
}
