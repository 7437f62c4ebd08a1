#pragma once
#include "tree/HistoryRules.h"
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
    // clipboard holds no text): a full history gives up its oldest text
    // whatever the clipboard holds; a text then replaces the first history
    // text that begins with it, case ignored as `fold` says, and goes to
    // the top.
    HistoryChange Record(const std::string& text, CaseFold fold);
    // The same for a change that also offered `unicode` (empty for none);
    // where both a history text and the new one have a Unicode form, those
    // are compared, case ignored as `wideFold` says.
    HistoryChange Record(const std::string& text, const std::wstring& unicode, CaseFold fold,
                         WideCaseFold wideFold);
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
