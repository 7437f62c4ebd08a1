#include "tree/DragDropTreeCtrl.h"
#include "entries/SearchText.h"
#include "entries/SystemDoubleByteCase.h"

namespace {

// The wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

HTREEITEM LastSibling(const CTreeCtrl& tree, HTREEITEM item)
{
    for (HTREEITEM next = item; next != nullptr; next = tree.NextSibling(next))
        item = next;
    return item;
}

}  // namespace

HTREEITEM CDragDropTreeCtrl::FindEntry(const std::string& text, bool forward)
{
    CWaitCursor wait;
    if (text.empty() || m_owner == nullptr)
        return nullptr;
    HTREEITEM start = Selection();
    if (start == nullptr)
        start = Root();
    if (start == nullptr)
        return nullptr;

    // Stepping off either end of the tree wraps around to the other.
    auto step = [this, forward](HTREEITEM item) {
        HTREEITEM next = forward ? NextItem(item) : PrevItem(item);
        if (next == nullptr)
            next = forward ? Root() : LastItem(nullptr);
        return next;
    };

    const CSystemDoubleByteCase dbcs;
    const std::string needle = LowerSearchText(text, &dbcs);
    for (HTREEITEM candidate = step(start); candidate != nullptr && candidate != start;
         candidate = step(candidate)) {
        const std::string full = m_owner->EntryText(candidate);
        if (ContainsSearchText(LowerSearchText(full, &dbcs), needle, &dbcs) &&
            AcceptFoundItem(candidate))
            return candidate;
    }
    return nullptr;
}

HTREEITEM CDragDropTreeCtrl::NextItem(HTREEITEM item) const
{
    if (HTREEITEM child = Child(item))
        return child;
    for (; item != nullptr; item = Parent(item))
        if (HTREEITEM sibling = NextSibling(item))
            return sibling;
    return nullptr;
}

HTREEITEM CDragDropTreeCtrl::PrevItem(HTREEITEM item) const
{
    if (HTREEITEM sibling = PrevSibling(item))
        return LastItem(sibling);
    return Parent(item);
}

HTREEITEM CDragDropTreeCtrl::LastItem(HTREEITEM item) const
{
    if (item == nullptr)
        item = LastSibling(*this, Root());
    while (item != nullptr) {
        HTREEITEM child = Child(item);
        if (child == nullptr)
            break;
        item = LastSibling(*this, child);
    }
    return item;
}

bool CDragDropTreeCtrl::AcceptFoundItem(HTREEITEM)
{
    return true;
}
