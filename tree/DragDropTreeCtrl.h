#pragma once
#include "framework/TreeCtrl.h"
#include "tree/EntryTreeOwner.h"
#include <string>

// The entry tree: the stock tree view plus dragging entries out as text,
// accepting dropped text, auto-scroll during its own drags, protection of the
// root entry and the clipboard history, a few keys and a context menu.
class CDragDropTreeCtrl : public CTreeCtrl {
public:
    CDragDropTreeCtrl() = default;

    void SetOwner(IEntryTreeOwner* owner) { m_owner = owner; }
    void SetClipboardBranch(HTREEITEM branch) { m_clipboardBranch = branch; }

    // 0 for no item, 1 for the root entry, 2 for a top-level entry (the
    // clipboard branch is one), 3 for an entry of a group.
    int Classify(HTREEITEM item) const;

    // True for the clipboard branch and for the history entries under it.
    bool IsInClipboardBranch(HTREEITEM item) const;
    // Whether an item dragged from this tree (null: text from elsewhere) may
    // be dropped on `target`.
    bool CanDropOn(HTREEITEM dragItem, HTREEITEM target) const;
    // Inserts the dropped text, or a copy of this tree's own dragged entry,
    // at the item under `point` (client coordinates); true when it did.
    bool DropText(const std::string& text, POINT point);
    // Copies `source` with its children under `parent` after `after`; the
    // copy's children come in reverse order. Returns the copy.
    HTREEITEM CopyBranch(HTREEITEM source, HTREEITEM parent, HTREEITEM after);
    HTREEITEM DragItem() const { return m_dragItem; }
    bool IsDragging() const { return m_dragging != FALSE; }

    // Search over full texts (pre-order, wrapping), from the selected item.
    HTREEITEM FindEntry(const std::string& text, bool forward);
    HTREEITEM NextItem(HTREEITEM item) const;
    HTREEITEM PrevItem(HTREEITEM item) const;
    HTREEITEM LastItem(HTREEITEM item) const;
    virtual bool AcceptFoundItem(HTREEITEM item);

    bool PreTranslateMessage(MSG* msg) override;
    bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnBeginDrag(HTREEITEM item);
    void OnDragTimer();
    LRESULT OnDragOver(const POINT* point);
    void OnContextMenu();
    void OnPasteCommand();
    void OnKeyDown(WORD key);
    bool IsProtected(HTREEITEM item) const;
    void OnItemDeleted(HTREEITEM item);
    HGLOBAL TextBlockOf(HTREEITEM item) const;
    // The Unicode text of a clipboard history item as a zero-terminated
    // block; null for any other item.
    HGLOBAL UnicodeBlockOf(HTREEITEM item) const;

    // This tree's own drag, from its start to its end on every way out:
    // the dragging flag, the dragged item and the auto-scroll timer.
    class OwnDrag {
    public:
        OwnDrag(CDragDropTreeCtrl& tree, HTREEITEM item);
        ~OwnDrag();
        OwnDrag(const OwnDrag&) = delete;
        OwnDrag& operator=(const OwnDrag&) = delete;

    private:
        CDragDropTreeCtrl& m_tree;
    };

    IEntryTreeOwner* m_owner = nullptr;
    HTREEITEM m_clipboardBranch = nullptr;
    BOOL m_dragging = FALSE;
    HTREEITEM m_dragItem = nullptr;
    HTREEITEM m_scrollItem = nullptr;
    UINT_PTR m_dragTimer = 0;
    // Drag-timer ticks since construction; never reset.
    unsigned m_ticks = 0;
    std::string m_pasteText;
};
