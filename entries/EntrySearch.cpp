#include "entries/EntrySearch.h"
#include <algorithm>

EntryId FindEntry(const EntryTree& tree, EntryId start, const std::wstring& text, bool forward,
                  const SearchFolding& folding)
{
    SearchNeedle needle(text, folding);
    if (needle.Empty())
        return kNoEntry;
    const std::vector<EntryId> order = tree.InPreOrder();
    const auto at = std::find(order.begin(), order.end(), start);
    const size_t from = at != order.end() ? static_cast<size_t>(at - order.begin()) : 0;
    const size_t count = order.size();
    for (size_t step = 1; step < count; ++step) {
        const size_t index = forward ? (from + step) % count : (from + count - step) % count;
        const EntryId candidate = order[index];
        if (needle.FoundIn(tree.Text(candidate), tree.UnicodeText(candidate)))
            return candidate;
    }
    return kNoEntry;
}
