#pragma once
#include "framework/Wnd.h"
#include <commctrl.h>

// The stock tree view, bound by id.
class CTreeCtrl : public CWnd {
public:
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    HTREEITEM Child(HTREEITEM item) const { return Next(item, TVGN_CHILD); }
    HTREEITEM NextSibling(HTREEITEM item) const { return Next(item, TVGN_NEXT); }
    HTREEITEM Parent(HTREEITEM item) const { return Next(item, TVGN_PARENT); }
    HTREEITEM Selection() const { return Next(nullptr, TVGN_CARET); }
    HTREEITEM FirstVisible() const { return Next(nullptr, TVGN_FIRSTVISIBLE); }
    HTREEITEM NextVisible(HTREEITEM item) const { return Next(item, TVGN_NEXTVISIBLE); }
    bool HasChildren(HTREEITEM item) const { return Child(item) != nullptr; }
    UINT Count() const { return static_cast<UINT>(Send(TVM_GETCOUNT)); }
    UINT VisibleCount() const { return static_cast<UINT>(Send(TVM_GETVISIBLECOUNT)); }

    HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const std::string& label, int image,
                     LPARAM data = 0) const;
    // The same with a Unicode label, which keeps characters the code page
    // cannot hold.
    HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const std::wstring& label, int image,
                     LPARAM data = 0) const;
    bool Delete(HTREEITEM item) const { return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)) != 0; }

    std::string Label(HTREEITEM item) const;
    int Image(HTREEITEM item) const;
    LPARAM Data(HTREEITEM item) const;

    void Expand(HTREEITEM item, UINT action) const { Send(TVM_EXPAND, action, reinterpret_cast<LPARAM>(item)); }
    bool Select(HTREEITEM item) const { return Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0; }
    // Marks `item` as the target of a drop; null takes the mark away.
    void SelectDropTarget(HTREEITEM item) const;
    HWND EditLabel(HTREEITEM item) const { return reinterpret_cast<HWND>(Send(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item))); }
    HWND EditControl() const { return reinterpret_cast<HWND>(Send(TVM_GETEDITCONTROL)); }
    HTREEITEM HitTest(POINT point, UINT* flags) const;
    void SetImageList(HIMAGELIST list) const { Send(TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list)); }

private:
    // The label as read through a buffer of `capacity` characters.
    std::string LabelUpTo(HTREEITEM item, int capacity) const;
    HTREEITEM Next(HTREEITEM item, UINT relation) const
    {
        return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
    }
};
