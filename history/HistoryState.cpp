#include "history/HistoryState.h"

HistoryChange HistoryState::Record(const std::string& text, const std::wstring& unicode,
                                   const TextComparison& comparison)
{
    // Everything that can fail comes first: the search, the copies and room
    // for one more text. Only then does the history change.
    const size_t kept = m_texts.size() >= kHistoryCapacity ? kHistoryCapacity - 1 : m_texts.size();
    int found = -1;
    std::string textCopy;
    std::wstring unicodeCopy;
    if (!text.empty()) {
        found = FindTextBeginningWith(m_texts, m_unicode, text, unicode, comparison);
        // The first match lay among the texts that go anyway: none of the
        // kept ones matches.
        if (found >= 0 && static_cast<size_t>(found) >= kept)
            found = -1;
        textCopy = text;
        unicodeCopy = unicode;
        m_texts.reserve(m_texts.size() + 1);
        m_unicode.reserve(m_unicode.size() + 1);
    }

    HistoryChange change;
    change.removed.reserve(m_texts.size() - kept + 1);
    while (m_texts.size() > kept) {
        change.removed.push_back(static_cast<int>(m_texts.size() - 1));
        m_texts.pop_back();
        m_unicode.pop_back();
    }
    if (text.empty())
        return change;
    // Lies above every position removed so far, so the order stays highest first.
    if (found >= 0) {
        change.removed.push_back(found);
        m_texts.erase(m_texts.begin() + found);
        m_unicode.erase(m_unicode.begin() + found);
    }
    m_texts.insert(m_texts.begin(), std::move(textCopy));
    m_unicode.insert(m_unicode.begin(), std::move(unicodeCopy));
    change.added = true;
    return change;
}
