#include "entries/PopupFind.h"
#include "entries/MenuPlan.h"
#include <algorithm>

namespace {

// Between a group's name and its entry's label.
const wchar_t kGroupSeparator[] = L" \u203A ";
const wchar_t kNothingMatches[] = L"No entry matches";

// So many queries are kept for Backspace; typing on past them only costs a
// search from all entries once Backspace has gone back further.
const size_t kKeptSteps = 64;

// The white space of Unicode, the ideographic space that Asian input
// methods type included.
bool IsWhiteSpace(wchar_t unit)
{
    switch (unit) {
    case L' ': case L'\t': case L'\n': case L'\v': case L'\f': case L'\r':
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return unit >= 0x2000 && unit <= 0x200A;
    }
}

std::vector<std::wstring> Words(const std::wstring& query)
{
    std::vector<std::wstring> words;
    for (size_t i = 0; i < query.size();) {
        while (i < query.size() && IsWhiteSpace(query[i]))
            ++i;
        const size_t start = i;
        while (i < query.size() && !IsWhiteSpace(query[i]))
            ++i;
        if (i > start)
            words.push_back(query.substr(start, i - start));
    }
    return words;
}

// Whether some of `words` holds `word`: every text that holds that one holds
// this one too.
bool Implied(const std::wstring& word, const std::vector<FoldedTextSearch::Word>& words)
{
    return std::any_of(words.begin(), words.end(), [&](const FoldedTextSearch::Word& other) {
        return other.folded.find(word) != std::wstring::npos;
    });
}

std::wstring MoreMatches(size_t count)
{
    // Digits are ASCII: widened one by one, without the wide formatting of
    // the C library, which would bring its whole printf into the program.
    const std::string digits = std::to_string(count);
    return std::wstring(digits.begin(), digits.end()) + (count == 1 ? L" more entry matches" : L" more entries match");
}

}  // namespace

PopupFind::PopupFind(const EntryTree& tree, const SearchFolding& folding)
    : m_tree(tree),
      m_ownSearch(std::make_unique<FoldedTextSearch>(folding, tree.LeadBytes())),
      m_search(*m_ownSearch)
{
    EntriesChanged();
}

PopupFind::PopupFind(const EntryTree& tree, PopupIndex& index)
    : m_tree(tree), m_index(&index), m_search(index.Search())
{
    EntriesChanged();
}

void PopupFind::FollowIndex()
{
    if (m_index == nullptr)
        return;
    m_index->Follow();
    if (m_signatures.size() == m_candidates.size() && m_generation == m_index->Generation())
        return;
    m_generation = m_index->Generation();
    m_signatures.resize(m_candidates.size());
    for (size_t i = 0; i < m_candidates.size(); ++i)
        m_signatures[i] = m_index->Find(m_candidates[i]);
}

void PopupFind::EntriesChanged()
{
    // The entries the menu hands out, in its order: a group opens a submenu
    // and is no match itself, and the history's heading is none either, even
    // while the history is empty.
    m_candidates.clear();
    m_textChanges = m_tree.TextChanges();
    for (EntryId top : m_tree.Children(m_tree.Root())) {
        const std::vector<EntryId>& children = m_tree.Children(top);
        if (children.empty() && top != m_tree.ClipboardBranch())
            m_candidates.push_back(top);
        m_candidates.insert(m_candidates.end(), children.begin(), children.end());
    }
    // What was found among the old texts says nothing of the new ones.
    m_forms.assign(m_search.BytesAreCharacters() ? 0 : m_candidates.size(), Form::Unknown);
    m_signatures.clear();
    m_steps.clear();
    SetQuery(m_query);
}

bool PopupFind::HoldsQuery(EntryId id) const
{
    if (!m_tree.Contains(id) || std::find(m_candidates.begin(), m_candidates.end(), id) == m_candidates.end())
        return false;
    for (const std::wstring& word : Words(m_query))
        if (!m_search.InEntry(m_tree.Text(id), m_tree.UnicodeText(id), m_search.Prepare(word)))
            return false;
    return true;
}

void PopupFind::SetQuery(std::wstring query)
{
    FollowIndex();
    while (!m_steps.empty() && query.compare(0, m_steps.back().query.size(), m_steps.back().query) != 0)
        m_steps.pop_back();
    if (m_steps.empty() || m_steps.back().query != query) {
        Step step = Narrowed(m_steps.empty() ? nullptr : &m_steps.back(), query);
        if (m_steps.size() == kKeptSteps)
            m_steps.erase(m_steps.begin());
        m_steps.push_back(std::move(step));
    }
    m_query = std::move(query);
    // An entry that went while the popup was open (the oldest of the
    // history, pushed out by a copy) is no match any more. An entry's going
    // counts as a change of its text: without one, all are there.
    m_matches.clear();
    const bool allThere = m_tree.TextChanges() == m_textChanges;
    for (std::uint32_t index : m_steps.back().matches)
        if (allThere || m_tree.Contains(m_candidates[index]))
            m_matches.push_back(m_candidates[index]);
}

PopupFind::Step PopupFind::Narrowed(const Step* previous, std::wstring query)
{
    // Every entry that holds the longer query's words held the shorter
    // one's: only the words the shorter query did not imply are looked for,
    // and only among its matches.
    std::vector<FoldedTextSearch::Word> known;
    if (previous != nullptr)
        for (const std::wstring& word : Words(previous->query)) {
            known.emplace_back();
            known.back().folded = m_search.Fold(word);
        }
    // The longest words first: they are the likeliest to rule an entry out,
    // and a word within a longer one need not be looked for at all.
    std::vector<std::wstring> typed = Words(query);
    std::stable_sort(typed.begin(), typed.end(),
                     [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    std::vector<FoldedTextSearch::Word> words;
    std::vector<PopupIndex::Probe> probes;
    for (const std::wstring& word : typed) {
        FoldedTextSearch::Word prepared = m_search.Prepare(word);
        if (!Implied(prepared.folded, known) && !Implied(prepared.folded, words)) {
            if (m_index != nullptr)
                probes.push_back(PopupIndex::ProbeOf(prepared.folded));
            words.push_back(std::move(prepared));
        }
    }
    Step step;
    step.query = std::move(query);
    auto holdsAll = [&](std::uint32_t index) {
        for (size_t k = 0; k < words.size(); ++k)
            if (!Holds(index, words[k], probes.empty() ? nullptr : &probes[k]))
                return false;
        return true;
    };
    if (previous != nullptr) {
        for (std::uint32_t index : previous->matches)
            if (holdsAll(index))
                step.matches.push_back(index);
        return step;
    }
    for (std::uint32_t index = 0; index < m_candidates.size(); ++index)
        if (holdsAll(index))
            step.matches.push_back(index);
    return step;
}

bool PopupFind::Holds(std::uint32_t candidate, const FoldedTextSearch::Word& word, const PopupIndex::Probe* probe)
{
    // What the index knows rules most texts out without reading them.
    const PopupIndex::Signature* signature = m_signatures.empty() ? nullptr : m_signatures[candidate];
    if (signature != nullptr && probe != nullptr && !PopupIndex::MayHold(*signature, *probe))
        return false;
    const EntryTree::Texts texts = m_tree.TextsOf(m_candidates[candidate]);
    if (!texts.unicode.empty())
        return m_search.InUnicode(texts.unicode, word);
    const std::string& text = texts.text;
    if (m_search.BytesAreCharacters())
        return m_search.InBytes(text, word);
    Form& form = m_forms[candidate];
    if (form == Form::Unknown && signature != nullptr)
        form = signature->asBytes ? Form::Bytes : Form::Encoded;
    if (form == Form::Unknown)
        form = m_search.CanSearchBytes(text) ? Form::Bytes : Form::Encoded;
    return form == Form::Bytes ? m_search.InBytes(text, word) : m_search.InEncoded(text, word);
}

std::wstring PopupFind::Caption(EntryId id, int width) const
{
    std::wstring caption = UnicodeMenuCaption(m_tree, id, width);
    return caption.empty() ? m_search.ToUnicodeText(MenuCaption(m_tree, id, width)) : caption;
}

std::vector<PopupFindLine> PopupFind::Lines(int width, size_t maxEntryLines) const
{
    std::vector<PopupFindLine> lines;
    lines.push_back({PopupFindLine::Kind::Query, kNoEntry, m_query});
    if (m_matches.empty()) {
        lines.push_back({PopupFindLine::Kind::NothingMatches, kNoEntry, kNothingMatches});
        return lines;
    }
    const size_t shown = std::min(m_matches.size(), maxEntryLines);
    for (size_t i = 0; i < shown; ++i) {
        const EntryId id = m_matches[i];
        const EntryId group = m_tree.Parent(id);
        std::wstring text = Caption(id, width);
        if (group != kNoEntry && group != m_tree.Root())
            text = Caption(group, width) + kGroupSeparator + text;
        lines.push_back({PopupFindLine::Kind::Entry, id, std::move(text)});
    }
    if (m_matches.size() > shown)
        lines.push_back({PopupFindLine::Kind::MoreMatches, kNoEntry, MoreMatches(m_matches.size() - shown)});
    return lines;
}
