#include "entries/MenuPlan.h"
#include "entries/MenuLabel.h"
#include <algorithm>

namespace {

// Enough of an 8-bit label to tell whether it is longer than `width`: a
// line break mark that does not fit whole is left off a label, so a label
// asked for only one byte past the width could end at the width although
// the entry goes on.
size_t LabelToShorten(const EntryTree& tree, int width)
{
    return static_cast<size_t>(width) + std::max<size_t>(1, tree.LineBreakMark().size());
}

}  // namespace

std::string MenuCaption(const EntryTree& tree, EntryId id, int width)
{
    return ShortenLabel(tree.Label(id, LabelToShorten(tree, width)), width);
}

std::wstring UnicodeMenuCaption(const EntryTree& tree, EntryId id, int width)
{
    // Enough of the Unicode label likewise: a character takes at most two units.
    return ShortenLabel(tree.UnicodeLabel(id, 2 * static_cast<size_t>(width) + 2), width);
}

MenuPlan::MenuPlan(const EntryTree& tree, int width)
{
    for (EntryId top : tree.Children(tree.Root())) {
        const std::vector<EntryId>& children = tree.Children(top);
        if (children.empty()) {
            AddItem(tree, top, width, false);
            continue;
        }
        MenuPlanItem group;
        group.entry = top;
        group.caption = MenuCaption(tree, top, width);
        group.opensSubmenu = true;
        m_items.push_back(std::move(group));
        for (EntryId child : children)
            AddItem(tree, child, width, true);
    }
}

void MenuPlan::AddItem(const EntryTree& tree, EntryId id, int width, bool inSubmenu)
{
    MenuPlanItem item;
    item.entry = id;
    item.inSubmenu = inSubmenu;
    item.caption = MenuCaption(tree, id, width);
    item.unicodeCaption = UnicodeMenuCaption(tree, id, width);
    if (m_numbered.size() < kNumberedItems) {
        m_numbered.push_back(id);
        item.number = m_numbered.size();
    }
    m_items.push_back(std::move(item));
}

EntryId MenuPlan::Entry(size_t number) const
{
    if (number == 0 || number > m_numbered.size())
        return kNoEntry;
    return m_numbered[number - 1];
}
