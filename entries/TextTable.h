#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The full texts of the entries, each in a numbered slot that its tree item
// names, with what keeps a slot's text findable for as long as something
// may still ask for it: the popup menu shown last, whose commands map back
// to slots, and the undo store of the last removal.
class TextTable {
public:
    // The text of `slot`; empty for a slot that holds none.
    const std::string& Text(int slot) const;
    // The Unicode text of `slot`, which only clipboard history entries have;
    // empty for every other slot.
    const std::wstring& UnicodeText(int slot) const;
    // Stores `text`, and the Unicode text it was copied as if any, in an
    // emptied slot, or a new one, and returns its number. Emptied slots are
    // taken again, so the table does not grow with months of clipboard
    // changes.
    int Add(std::string text, std::wstring unicode = std::wstring());
    // Replaces the text of a slot in use, dropping any Unicode text, which
    // no longer says the same; false for a slot that is not in use.
    bool Replace(int slot, std::string text);
    // Empties a slot. One that the open menu names stays empty until the
    // menu is done with, so a late choice hands out nothing rather than the
    // text of a newer entry.
    void Release(int slot);
    // How many slots there are, in use or emptied.
    size_t Size() const { return m_texts.size(); }

    // The entry items of a new popup menu are numbered from 1 in the order
    // they are added, up to kNumberedMenuItems; the previous menu is
    // forgotten.
    void BeginMenu();
    // The number of a new menu item for `slot`, or 0 once the menu has
    // kNumberedMenuItems: a command carries only 16 bits of its id, so
    // counted on, numbers would reach other commands and wrap onto early
    // items.
    size_t AddMenuItem(int slot);
    static constexpr size_t kNumberedMenuItems = 500;
    // The slot that item `number` of the menu shown last names; -1 when no
    // item has that number.
    int MenuSlot(size_t number) const;
    // The menu is done with: slots emptied while it was open are free again.
    void EndMenu();

    // The texts of the last removal, the removed entry's first.
    void PushUndo(std::string text, bool clearFirst);
    const std::vector<std::string>& UndoTexts() const { return m_undo; }
    void ClearUndo() { m_undo.clear(); }

private:
    bool InUse(int slot) const;

    std::vector<std::string> m_texts;
    std::vector<std::wstring> m_unicode;
    std::vector<bool> m_used;
    std::vector<int> m_freeSlots;
    // Emptied slots that the open menu names.
    std::vector<int> m_retiredSlots;
    // The slots of the menu's entry items, in number order.
    std::vector<int> m_menuSlots;
    std::vector<std::string> m_undo;
};
