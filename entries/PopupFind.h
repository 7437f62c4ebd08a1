#pragma once
#include "entries/EntryTree.h"
#include "entries/FoldedTextSearch.h"
#include "entries/PopupIndex.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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
// It knows the entries the popup hands out as they were when it was made,
// until told that they changed; an entry gone since matches nothing.
class PopupFind {
public:
    // `folding` is the entry search's: the popup finds what the dialog's
    // search finds. Every text is read for each word.
    PopupFind(const EntryTree& tree, const SearchFolding& folding);
    // With what `index`, kept from one popup to the next, knows of the
    // texts: a text it knows cannot hold a word is not read.
    PopupFind(const EntryTree& tree, PopupIndex& index);
    PopupFind(const EntryTree& tree, UnicodeFold fold, CodePageToUnicode toUnicode)
        : PopupFind(tree, SearchFolding{fold, toUnicode})
    {
    }

    // The query as typed; its words are what white space separates.
    void SetQuery(std::wstring query);
    const std::wstring& Query() const { return m_query; }
    // The entries changed (an outside change of the data file, a copy): the
    // query's matches are found again among them as they are now.
    void EntriesChanged();
    // Whether `id` is an entry the popup hands out and its text, as it is
    // now, holds every word of the query.
    bool HoldsQuery(EntryId id) const;

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
    // Whether an 8-bit text, where the code page has characters of several
    // bytes, is ASCII alone and searched as bytes; told once.
    enum class Form : unsigned char { Unknown, Bytes, Encoded };

    Step Narrowed(const Step* previous, std::wstring query);
    bool Holds(std::uint32_t candidate, const FoldedTextSearch::Word& word, const PopupIndex::Probe* probe);
    // Looks up what the index knows of each candidate's text, where the
    // index has changed since.
    void FollowIndex();
    std::wstring Caption(EntryId id, int width) const;

    const EntryTree& m_tree;
    std::unique_ptr<FoldedTextSearch> m_ownSearch;
    PopupIndex* m_index = nullptr;
    const FoldedTextSearch& m_search;
    // The entries the popup hands out.
    std::vector<EntryId> m_candidates;
    // The tree's count of text changes when they were taken.
    std::uint64_t m_textChanges = 0;
    std::vector<Form> m_forms;
    // What the index knew of each of them (none without an index) at the
    // index's generation m_generation.
    std::vector<const PopupIndex::Signature*> m_signatures;
    std::uint64_t m_generation = 0;
    std::vector<Step> m_steps;
    std::wstring m_query;
    std::vector<EntryId> m_matches;
};
