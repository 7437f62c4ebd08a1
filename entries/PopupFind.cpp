#include "entries/PopupFind.h"

PopupFind::PopupFind(const EntryTree& tree, Fold fold, ToUnicode toUnicode)
    : m_tree(tree), m_fold(fold), m_toUnicode(toUnicode)
{
}

void PopupFind::SetQuery(std::wstring query)
{
    m_query = std::move(query);
}

std::vector<PopupFindLine> PopupFind::Lines(int, size_t) const
{
    PopupFindLine query;
    query.kind = PopupFindLine::Kind::Query;
    query.text = m_query;
    return {query};
}
