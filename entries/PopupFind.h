#pragma once
#include "entries/EntryTree.h"
#include "entries/FoldedTextSearch.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// One line of the popup narrowed by typing.
struct PopupFindLine {
    enum class Kind { Query, Entry, NothingMatches, MoreMatches };
    Kind kind = Kind::Entry;
    // The entry the line hands out; Kind::Entry only.
    EntryId entry = kNoEntry;
    // What the line shows: the query as typed; the entry's label after its
    // group's name, each shortened to the menu width as the menu's labels
    // are; "No entry matches"; how many more match.
    std::wstring text;
};

// Finding an entry by typing in the popup: the query's words, the entries
// whose full text holds every one of them, and the lines that show them.
// It knows the entries the popup hands out as they were when it was made;
// an entry gone since matches nothing.
class PopupFind {
public:
    // The folding of the entry search: `fold` turns a text into small
    // letters as the user's locale maps case in every script, `toUnicode`
    // turns an 8-bit text into Unicode as the code page does.
    using Fold = FoldedTextSearch::Fold;
    using ToUnicode = FoldedTextSearch::ToUnicode;

    PopupFind(const EntryTree& tree, Fold fold, ToUnicode toUnicode);

    // The query as typed; its words are what white space separates.
    void SetQuery(std::wstring query);
    const std::wstring& Query() const { return m_query; }

    // Every entry the popup hands out (each group's, the top level's and
    // the clipboard history's, in the order of the tree) whose full text
    // holds every word of the query, in any order, as the entry search folds
    // case. A query without words matches every entry.
    const std::vector<EntryId>& Matches() const { return m_matches; }

    // What the popup shows: the query line, then at most `maxEntryLines`
    // matches and a line that counts the rest, or a line that says nothing
    // matches. `width` is the menu width.
    std::vector<PopupFindLine> Lines(int width, size_t maxEntryLines) const;

private:
    // The matches of a query, by their places among the candidates. Each
    // query kept is the start of the next one, so that typing on only
    // narrows the last matches and Backspace finds its matches kept.
    struct Step {
        std::wstring query;
        std::vector<std::uint32_t> matches;
    };
    // An 8-bit text of a double-byte code page that is not ASCII alone is
    // searched in its Unicode form, made once.
    enum class Form : unsigned char { Unknown, Bytes, Unicode };

    Step Narrowed(const Step* previous, std::wstring query);
    bool Holds(std::uint32_t candidate, const FoldedTextSearch::Word& word);
    std::wstring Caption(EntryId id, int width) const;

    const EntryTree& m_tree;
    FoldedTextSearch m_search;
    // The entries the popup hands out.
    std::vector<EntryId> m_candidates;
    std::vector<Form> m_forms;
    std::unordered_map<std::uint32_t, std::wstring> m_unicodeForms;
    std::vector<Step> m_steps;
    std::wstring m_query;
    std::vector<EntryId> m_matches;
};
