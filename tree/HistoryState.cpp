#include "tree/HistoryState.h"

HistoryChange HistoryState::Record(const std::string& text, CaseFold fold)
{
    return Record(text, std::wstring(), fold, FoldAsciiCaseWide);
}

HistoryChange HistoryState::Record(const std::string& text, const std::wstring& unicode, CaseFold fold,
                                   WideCaseFold wideFold)
{
    HistoryChange change;
    while (m_texts.size() >= kHistoryCapacity) {
        change.removed.push_back(static_cast<int>(m_texts.size() - 1));
        m_texts.pop_back();
        m_unicode.pop_back();
    }
    if (text.empty())
        return change;
    // Lies above every position removed so far, so the order stays highest first.
    const int found = FindTextBeginningWith(m_texts, m_unicode, text, unicode, fold, wideFold);
    if (found >= 0) {
        change.removed.push_back(found);
        m_texts.erase(m_texts.begin() + found);
        m_unicode.erase(m_unicode.begin() + found);
    }
    // Both grow before either changes, so running out of memory leaves the
    // two lists the same length.
    m_texts.reserve(m_texts.size() + 1);
    m_unicode.reserve(m_unicode.size() + 1);
    std::wstring unicodeCopy = unicode;
    m_texts.insert(m_texts.begin(), text);
    m_unicode.insert(m_unicode.begin(), std::move(unicodeCopy));
    change.added = true;
    return change;
}
