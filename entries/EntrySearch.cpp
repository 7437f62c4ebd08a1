#include "entries/EntrySearch.h"
#include <algorithm>

EntryId FindEntry(const EntryTree& tree, EntryId start, const std::string& text, bool forward,
                  const CDoubleByteCase* dbcs, const UnicodeSearch* unicode)
{
    if (text.empty() && (unicode == nullptr || unicode->text.empty()))
        return kNoEntry;
    const std::vector<EntryId> order = tree.InPreOrder();
    const auto at = std::find(order.begin(), order.end(), start);
    const size_t from = at != order.end() ? static_cast<size_t>(at - order.begin()) : 0;
    const std::string needle = LowerSearchText(text, dbcs);
    const std::wstring unicodeNeedle = unicode != nullptr ? unicode->fold(unicode->text) : std::wstring();
    const size_t count = order.size();
    std::string lowered;
    for (size_t step = 1; step < count; ++step) {
        const size_t index = forward ? (from + step) % count : (from + count - step) % count;
        const EntryId candidate = order[index];
        const std::wstring& entryUnicode = tree.UnicodeText(candidate);
        if (unicode != nullptr && (!unicode->fitsCodePage || !entryUnicode.empty())) {
            const std::wstring full = entryUnicode.empty() ? unicode->toUnicode(tree.Text(candidate)) : entryUnicode;
            if (!unicodeNeedle.empty() && unicode->fold(full).find(unicodeNeedle) != std::wstring::npos)
                return candidate;
            continue;
        }
        LowerSearchText(tree.Text(candidate), dbcs, lowered);
        if (ContainsSearchText(lowered, needle, dbcs))
            return candidate;
    }
    return kNoEntry;
}
