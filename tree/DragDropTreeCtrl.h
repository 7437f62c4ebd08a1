#pragma once
#include "framework/TreeCtrl.h"
#include <string>

class CQuipMarkDlg;

// The entry tree: the stock tree view plus dragging entries out as text,
// accepting dropped text, auto-scroll during its own drags, protection of the
// root entry and the clipboard history, a few keys and a context menu.
class CDragDropTreeCtrl : public CTreeCtrl {
public:
    CDragDropTreeCtrl() = default;

    void SetOwner(CQuipMarkDlg* owner) { m_owner = owner; }
    void SetClipboardBranch(HTREEITEM branch) { m_clipboardBranch = branch; }

    // True for the clipboard branch and for the history entries under it.
    bool IsInClipboardBranch(HTREEITEM item) const;

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
    CQuipMarkDlg* m_owner = nullptr;
    HTREEITEM m_clipboardBranch = nullptr;
    BOOL m_dragging = FALSE;
    HTREEITEM m_dragItem = nullptr;
    HTREEITEM m_scrollItem = nullptr;
    UINT_PTR m_dragTimer = 0;
    int m_ticks = 0;
    std::string m_pasteText;
};
