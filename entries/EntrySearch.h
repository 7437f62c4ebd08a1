#pragma once
#include "entries/EntryTree.h"
#include "entries/SearchFolding.h"
#include <string>

// The entry search: from the entry after `start` (before it, when not
// `forward`) in pre-order, wrapping around at either end, the first entry
// whose full text contains `text` by the search's case rule (SearchNeedle);
// `start` itself is never compared. kNoEntry when no entry matches or `text`
// is empty. A `start` of kNoEntry starts at the root entry.
EntryId FindEntry(const EntryTree& tree, EntryId start, const std::wstring& text, bool forward,
                  const SearchFolding& folding);
