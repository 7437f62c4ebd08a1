#pragma once
#include "entries/EntryTree.h"
#include <cstddef>
#include <string>
#include <vector>

// An entry's caption in the popup menu at menu width `width`: its label in
// the code page, and in Unicode for an entry with a Unicode text (empty for
// every other entry), each shortened to the width.
std::string MenuCaption(const EntryTree& tree, EntryId id, int width);
std::wstring UnicodeMenuCaption(const EntryTree& tree, EntryId id, int width);

// One item of the popup menu's entry part: an entry to hand out, or a group
// that opens a submenu of the items after it that are `inSubmenu`.
struct MenuPlanItem {
    EntryId entry = kNoEntry;
    std::string caption;
    // A history entry shows the characters that were copied; empty for
    // every other item.
    std::wstring unicodeCaption;
    // From 1 in menu order; 0 for a group and for every item past the
    // numbered ones.
    size_t number = 0;
    bool opensSubmenu = false;
    bool inSubmenu = false;
};

// The entry part of the popup menu: each top-level entry, each group as a
// submenu of its entries, captions shortened to the menu width. The plan of
// the menu shown last maps a choice back to its entry, so a tree that
// changes while the menu is open never turns a choice into another entry's
// text.
class MenuPlan {
public:
    // A command carries only 16 bits of its id: counted on, numbers would
    // reach other commands and wrap onto early items.
    static constexpr size_t kNumberedItems = 500;

    MenuPlan() = default;
    MenuPlan(const EntryTree& tree, int width);

    const std::vector<MenuPlanItem>& Items() const { return m_items; }
    // The entry of item `number`; kNoEntry when no item has that number.
    EntryId Entry(size_t number) const;

private:
    void AddItem(const EntryTree& tree, EntryId id, int width, bool inSubmenu);

    std::vector<MenuPlanItem> m_items;
    std::vector<EntryId> m_numbered;
};
