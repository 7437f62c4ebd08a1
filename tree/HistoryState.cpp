#include "tree/HistoryState.h"

HistoryChange HistoryState::Record(const std::string& text, CaseFold fold)
{
    HistoryChange change;
    while (m_texts.size() >= kHistoryCapacity) {
        change.removed.push_back(static_cast<int>(m_texts.size() - 1));
        m_texts.pop_back();
    }
    if (text.empty())
        return change;
    // Lies above every position removed so far, so the order stays highest first.
    const int found = FindTextBeginningWith(m_texts, text, fold);
    if (found >= 0) {
        change.removed.push_back(found);
        m_texts.erase(m_texts.begin() + found);
    }
    m_texts.insert(m_texts.begin(), text);
    change.added = true;
    return change;
}
