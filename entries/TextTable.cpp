#include "entries/TextTable.h"
#include <algorithm>
#include <utility>

const std::string& TextTable::Text(int slot) const
{
    static const std::string kNone;
    return InUse(slot) ? m_texts[static_cast<size_t>(slot)] : kNone;
}

const std::wstring& TextTable::UnicodeText(int slot) const
{
    static const std::wstring kNone;
    return InUse(slot) ? m_unicode[static_cast<size_t>(slot)] : kNone;
}

bool TextTable::InUse(int slot) const
{
    return slot >= 0 && static_cast<size_t>(slot) < m_texts.size() && m_used[static_cast<size_t>(slot)];
}

int TextTable::Add(std::string text, std::wstring unicode)
{
    if (!m_freeSlots.empty()) {
        const int slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_texts[static_cast<size_t>(slot)] = std::move(text);
        m_unicode[static_cast<size_t>(slot)] = std::move(unicode);
        m_used[static_cast<size_t>(slot)] = true;
        return slot;
    }
    // All three have room before any changes, so running out of memory
    // leaves the table as it was. The room doubles, so loading many entries
    // moves each text a few times at most, not once for every later one.
    const size_t size = m_texts.size();
    if (size == m_texts.capacity() || size == m_unicode.capacity() || size == m_used.capacity()) {
        const size_t room = std::max<size_t>(16, 2 * size);
        m_texts.reserve(room);
        m_unicode.reserve(room);
        m_used.reserve(room);
    }
    m_texts.push_back(std::move(text));
    m_unicode.push_back(std::move(unicode));
    m_used.push_back(true);
    return static_cast<int>(m_texts.size() - 1);
}

bool TextTable::Replace(int slot, std::string text)
{
    if (!InUse(slot))
        return false;
    m_texts[static_cast<size_t>(slot)] = std::move(text);
    std::wstring().swap(m_unicode[static_cast<size_t>(slot)]);
    return true;
}

void TextTable::Release(int slot)
{
    if (!InUse(slot))
        return;
    std::string().swap(m_texts[static_cast<size_t>(slot)]);
    std::wstring().swap(m_unicode[static_cast<size_t>(slot)]);
    m_used[static_cast<size_t>(slot)] = false;
    if (std::find(m_menuSlots.begin(), m_menuSlots.end(), slot) != m_menuSlots.end())
        m_retiredSlots.push_back(slot);
    else
        m_freeSlots.push_back(slot);
}

void TextTable::BeginMenu()
{
    EndMenu();
}

size_t TextTable::AddMenuItem(int slot)
{
    if (m_menuSlots.size() >= kNumberedMenuItems)
        return 0;
    m_menuSlots.push_back(slot);
    return m_menuSlots.size();
}

int TextTable::MenuSlot(size_t number) const
{
    if (number == 0 || number > m_menuSlots.size())
        return -1;
    return m_menuSlots[number - 1];
}

void TextTable::EndMenu()
{
    m_menuSlots.clear();
    m_freeSlots.insert(m_freeSlots.end(), m_retiredSlots.begin(), m_retiredSlots.end());
    m_retiredSlots.clear();
}

void TextTable::PushUndo(std::string text, bool clearFirst)
{
    if (clearFirst)
        m_undo.clear();
    m_undo.push_back(std::move(text));
}
