#pragma once
#include "entries/EntryTree.h"
#include "framework/TreeCtrl.h"
#include "tree/EntryTreeOwner.h"
#include <string>
#include <unordered_map>

// The entry tree on the screen: a view of the entries (entries/EntryTree.h)
// in the stock tree view. Its items carry entry ids and ask the entries for
// their labels and images when drawn; a group's entries become items when
// the group is first expanded, so the control holds what the user has seen
// rather than every entry. It turns the user's gestures (drags and drops,
// keys, the context menu) into requests to its owner, which changes the
// entries and passes the change back through Follow. Nothing here is the
// truth about the entries.
class CEntryTreeView : public CTreeCtrl {
public:
    CEntryTreeView() = default;

    // The entries shown and the owner asked; the control may come later.
    void Attach(const EntryTree* entries, IEntryTreeOwner* owner);
    // Shows the entries anew: the root entry, expanded, with its top-level
    // entries; every group collapsed.
    void ShowAll();
    // Brings the items in step with a change of the entries.
    void Follow(const EntryChange& change);

    EntryId EntryOf(HTREEITEM item) const;
    // The item of `id`; null while the control does not hold it.
    HTREEITEM ItemOf(EntryId id) const;
    // The item of `id`, made with the items on its path first where the
    // control does not hold it yet; null for an unknown entry.
    HTREEITEM Reveal(EntryId id);
    // The selected entry, as the control last reported it; kNoEntry for none.
    EntryId SelectedEntry() const;
    // Selects `id` and scrolls it into view, revealing it first.
    void SelectEntry(EntryId id);
    void ExpandEntry(EntryId id);

    EntryId DragEntry() const { return m_dragEntry; }
    bool IsDragging() const { return m_dragging; }
    // Drops the dragged entry, or `text` from elsewhere, on the item under
    // `point` (client coordinates); true when an entry was made.
    bool DropText(const ClipboardTexts& dropped, POINT point);

    bool PreTranslateMessage(MSG* msg) override;
    bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Throws std::bad_alloc, leaving no item, when memory is short.
    HTREEITEM InsertItem(EntryId id, HTREEITEM parent, HTREEITEM after);
    // Makes the items of the entry's children, once; all or, short of
    // memory, none.
    void Fill(EntryId id);
    // Takes back the items of the entry's children, to be made when it is
    // next expanded.
    void Unfill(EntryId id);
    bool IsFilled(EntryId id) const;
    // The item after which `id` goes among its parent's items.
    HTREEITEM ItemBefore(EntryId id) const;
    // Makes the control ask again for the label and image of `id`, and tells
    // it whether the entry has children.
    void RefreshItem(EntryId id);
    void OnGetDispInfo(NMHDR* header);
    void OnItemExpanding(NMTREEVIEWW* info);
    LRESULT OnBeginDrag(HTREEITEM item);
    void OnDragTimer();
    LRESULT OnDragOver(const POINT* point);
    void OnContextMenu();
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw);
    void OnPasteCommand();
    void OnKeyDown(WORD key);
    void OnItemDeleted(HTREEITEM item, LPARAM data);
    HGLOBAL TextBlockOf(EntryId id) const;
    // The Unicode text of a history entry as a zero-terminated block; null
    // for any other entry.
    HGLOBAL UnicodeBlockOf(EntryId id) const;
    // The entry being dropped: the dragged one while it exists.
    EntryId DroppedEntry() const;

    // This tree's own drag, from its start to its end on every way out:
    // the dragging flag, the dragged entry and the auto-scroll timer.
    class OwnDrag {
    public:
        OwnDrag(CEntryTreeView& tree, EntryId dragged);
        ~OwnDrag();
        OwnDrag(const OwnDrag&) = delete;
        OwnDrag& operator=(const OwnDrag&) = delete;

    private:
        CEntryTreeView& m_tree;
    };

    const EntryTree* m_entries = nullptr;
    IEntryTreeOwner* m_owner = nullptr;
    // The items the control holds, and whether each one's children are
    // among them.
    struct Shown {
        HTREEITEM item;
        bool filled;
    };
    std::unordered_map<EntryId, Shown> m_shown;
    EntryId m_selected = kNoEntry;
    bool m_dragging = false;
    EntryId m_dragEntry = kNoEntry;
    HTREEITEM m_scrollItem = nullptr;
    UINT_PTR m_dragTimer = 0;
    // Drag-timer ticks since construction; never reset.
    unsigned m_ticks = 0;
    ClipboardTexts m_pasteText;
    // Labels are handed to the control from here; it copies them at once.
    std::wstring m_labelBuffer;
};
