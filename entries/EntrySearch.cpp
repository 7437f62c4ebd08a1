#include "entries/EntrySearch.h"
#include <algorithm>

EntryId FindEntry(const EntryTree& tree, EntryId start, const std::string& text, bool forward,
                  const CDoubleByteCase* dbcs)
{
    if (text.empty())
        return kNoEntry;
    const std::vector<EntryId> order = tree.InPreOrder();
    const auto at = std::find(order.begin(), order.end(), start);
    const size_t from = at != order.end() ? static_cast<size_t>(at - order.begin()) : 0;
    const std::string needle = LowerSearchText(text, dbcs);
    const size_t count = order.size();
    std::string lowered;
    for (size_t step = 1; step < count; ++step) {
        const size_t index = forward ? (from + step) % count : (from + count - step) % count;
        const EntryId candidate = order[index];
        LowerSearchText(tree.Text(candidate), dbcs, lowered);
        if (ContainsSearchText(lowered, needle, dbcs))
            return candidate;
    }
    return kNoEntry;
}
