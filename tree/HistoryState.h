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
// first, at most kHistoryCapacity of them.
class HistoryState {
public:
    HistoryState() = default;
    explicit HistoryState(std::vector<std::string> texts) : m_texts(std::move(texts)) {}

    // Records one clipboard change whose text is `text` (empty when the
    // clipboard holds no text): a full history gives up its oldest text
    // whatever the clipboard holds; a text then replaces the first history
    // text that begins with it, case ignored as `fold` says, and goes to
    // the top.
    HistoryChange Record(const std::string& text, CaseFold fold);
    void Clear() { m_texts.clear(); }
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    std::vector<std::string> m_texts;
};
