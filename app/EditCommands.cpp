#include "app/QuipMarkDlg.h"
#include "framework/AppMessageBox.h"
#include "framework/CodePage.h"
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
    text.replace(text.find("%i"), 2, std::to_string(EntryTree::kMaxEntries));
    return text;
}

}  // namespace

void CQuipMarkDlg::OnAddCommand()
{
    const std::wstring typed = m_newEntry.GetUnicodeText();
    if (AddEntry(ToSystemCodePageLossy(typed), typed)) {
        m_newEntry.SetText("");
        m_newEntry.SetFocus();
        RefreshButtons();
    } else {
        m_newEntry.SetFocus();
        m_newEntry.SetSel(0, -1);
    }
}

bool CQuipMarkDlg::AddEntry(const std::string& text, const std::wstring& unicode)
{
    EntryChange change;
    EntryId added = kNoEntry;
    switch (m_entries.Add(text, m_tree.SelectedEntry(), change, added, unicode)) {
    case AddOutcome::Full:
        AppMessageBox(LimitMessage(), MB_OK);
        return false;
    case AddOutcome::EmptyText:
        MessageBeep(MB_ICONEXCLAMATION);
        return false;
    case AddOutcome::Added:
        break;
    }
    Follow(change);
    m_tree.ExpandEntry(m_entries.Parent(added));
    m_tree.SelectEntry(added);
    RefreshButtons();
    RedrawWindow(m_tree.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return true;
}

void CQuipMarkDlg::RemoveSelectedEntry()
{
    const EntryId id = m_tree.SelectedEntry();
    if (!m_entries.IsUserEntry(id))
        return;
    if (m_entries.HasChildren(id) &&
        AppMessageBox(kRemoveGroupQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    Follow(m_entries.Remove(id));
}

void CQuipMarkDlg::UndoRemove()
{
    Follow(m_entries.Undo());
}

void CQuipMarkDlg::OnRenameCommand()
{
    HTREEITEM item = m_tree.Selection();
    if (item == nullptr)
        return;
    m_tree.SetFocus();
    m_tree.EditLabel(item);
}

void CQuipMarkDlg::OnEndLabelEdit(EntryId id, const std::wstring* text)
{
    // The tree may report the end of one edit twice, the second time while
    // the question below is open.
    if (m_endingLabelEdit)
        return;
    if (!m_entries.IsUserEntry(id)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    if (text == nullptr)
        return;  // cancelled
    if (text->empty()) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    std::string bytes = ToSystemCodePageLossy(*text);
    std::wstring unicode = *text;
    const LabelEdit edit = m_entries.JudgeLabelEdit(id, bytes, unicode, {FromSystemCodePage, ToSystemCodePageLossy});
    if (edit == LabelEdit::Unchanged)
        return;
    if (edit == LabelEdit::LosesUnseenText) {
        // Cleared on every way out, so that one failure here does not make
        // every later rename be ignored.
        const ScopedFlag ending(m_endingLabelEdit);
        if (AppMessageBox(kLongLabelQuestion, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
    }
    EntryChange change;
    if (m_entries.Rename(id, std::move(bytes), change, std::move(unicode)))
        Follow(change);
}

void CQuipMarkDlg::OnTreeDoubleClick()
{
    UINT flags = 0;
    HTREEITEM item = m_tree.HitTest(m_tree.CursorPosInClient(), &flags);
    const EntryId id = m_tree.EntryOf(item);
    if (item != nullptr && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)) != 0 &&
        !m_entries.HasChildren(id))
        DeliverEntry(id);
}

void CQuipMarkDlg::DeliverEntry(EntryId id)
{
    const std::string text = m_entries.Text(id);
    const std::wstring& unicode = m_entries.UnicodeText(id);
    if (unicode.empty())
        m_newEntry.SetText(text);
    else
        m_newEntry.SetUnicodeText(unicode);
    CopyToClipboard(text, unicode);
    RefreshButtons();
}

ClipboardTexts CQuipMarkDlg::ReadClipboardText()
{
    return ::ReadClipboardTexts(m_copyEdit.Handle());
}
