#include "history/HistoryState.h"

HistoryChange HistoryState::Record(std::string text, std::wstring unicode, const TextComparison& comparison)
{
    // Everything that can fail comes first: the search and room for one
    // more text. Only then does the history change.
    const size_t kept = m_texts.size() >= kHistoryCapacity ? kHistoryCapacity - 1 : m_texts.size();
    int found = -1;
    if (!text.empty()) {
        found = FindTextBeginningWith(m_texts, m_unicode, text, unicode, comparison);
        // The first match lay among the texts that go anyway: none of the
        // kept ones matches.
        if (found >= 0 && static_cast<size_t>(found) >= kept)
            found = -1;
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
    // Moving a string never allocates: the texts of megabytes are not copied.
    m_texts.insert(m_texts.begin(), std::move(text));
    m_unicode.insert(m_unicode.begin(), std::move(unicode));
    change.added = true;
    return change;
}
