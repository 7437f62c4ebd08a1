#include "framework/TreeCtrl.h"
#include <vector>

namespace {

// The insertion record of either character width, TVINSERTSTRUCTA or W.
template <typename InsertStruct, typename Char>
InsertStruct InsertionOf(HTREEITEM parent, HTREEITEM after, const std::basic_string<Char>& label, int image,
                         LPARAM data)
{
    InsertStruct insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<Char*>(label.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    insert.item.lParam = data;
    return insert;
}

}  // namespace

HTREEITEM CTreeCtrl::Insert(HTREEITEM parent, HTREEITEM after, const std::string& label, int image,
                            LPARAM data) const
{
    TVINSERTSTRUCTA insert = InsertionOf<TVINSERTSTRUCTA>(parent, after, label, image, data);
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM CTreeCtrl::Insert(HTREEITEM parent, HTREEITEM after, const std::wstring& label, int image,
                            LPARAM data) const
{
    TVINSERTSTRUCTW insert = InsertionOf<TVINSERTSTRUCTW>(parent, after, label, image, data);
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string CTreeCtrl::LabelUpTo(HTREEITEM item, int capacity) const
{
    std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = buffer.data();
    query.cchTextMax = capacity;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)))
        return std::string();
    return std::string(query.pszText);
}

std::string CTreeCtrl::Label(HTREEITEM item) const
{
    // The control keeps labels of any length; ask with a buffer that grows
    // until the label fits.
    for (int capacity = 1024;; capacity *= 4) {
        std::string label = LabelUpTo(item, capacity);
        if (static_cast<int>(label.size()) < capacity - 1 || capacity > (1 << 26))
            return label;
    }
}

int CTreeCtrl::Image(HTREEITEM item) const
{
    TVITEMA query = {};
    query.mask = TVIF_IMAGE;
    query.hItem = item;
    return Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)) ? query.iImage : -1;
}

LPARAM CTreeCtrl::Data(HTREEITEM item) const
{
    TVITEMA query = {};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    return Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query)) ? query.lParam : 0;
}

HTREEITEM CTreeCtrl::HitTest(POINT point, UINT* flags) const
{
    TVHITTESTINFO info = {};
    info.pt = point;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    if (flags != nullptr)
        *flags = info.flags;
    return item;
}

void CTreeCtrl::SelectDropTarget(HTREEITEM item) const
{
    HTREEITEM marked = reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
    Send(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
    // Wine's tree view keeps the mark when told to take it away while no
    // item is selected: the item itself gives it up then.
    if (item == nullptr && marked != nullptr &&
        (Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(marked), TVIS_DROPHILITED) & TVIS_DROPHILITED) != 0) {
        TVITEMA state = {};
        state.mask = TVIF_HANDLE | TVIF_STATE;
        state.hItem = marked;
        state.stateMask = TVIS_DROPHILITED;
        Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&state));
    }
}
