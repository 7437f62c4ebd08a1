#pragma once
#include "history/HistoryRules.h"
#include <string>
#include <vector>

// What one clipboard change did to the history, as the steps that bring a
// list shown in the same order (the hidden list box, the tree's branch) in
// step without refilling it: remove the items at `removed`, in that order
// (positions before the change, highest first), then, when `added`, insert
// the new text at the top.
struct HistoryChange {
    std::vector<int> removed;
    bool added = false;
};

// The clipboard history: the texts of the last clipboard changes, newest
// first, at most kHistoryCapacity of them. Each 8-bit text may have the
// Unicode text that was copied beside it, which keeps every character the
// code page cannot hold.
class HistoryState {
public:
    HistoryState() = default;
    explicit HistoryState(std::vector<std::string> texts)
        : m_texts(std::move(texts)), m_unicode(m_texts.size()) {}

    // Records one clipboard change whose text is `text` (empty when the
    // clipboard holds no text) and, when it offered one, `unicode` (empty
    // for none): a full history gives up its oldest text whatever the
    // clipboard holds; a text then replaces the first history text that
    // begins with it, compared as `comparison` says, and goes to the top.
    // Should anything fail on the way (memory, a comparison), the history
    // stays as it was: a list kept beside it must never be left a step
    // behind. The texts are taken, not copied: they can be megabytes long.
    HistoryChange Record(std::string text, std::wstring unicode, const TextComparison& comparison);
    void Clear()
    {
        m_texts.clear();
        m_unicode.clear();
    }
    const std::vector<std::string>& Texts() const { return m_texts; }
    // The Unicode forms, beside Texts(); empty where there is none.
    const std::vector<std::wstring>& UnicodeTexts() const { return m_unicode; }

private:
    std::vector<std::string> m_texts;
    std::vector<std::wstring> m_unicode;
};
