#pragma once
#include "entries/EntryTree.h"
#include "entries/SearchText.h"
#include <string>

// The text searched for with every character, for entries that hold
// characters the code page lacks, and for a text that holds some itself.
// Such texts are compared in Unicode, case folded by `fold` in any script.
struct UnicodeSearch {
    std::wstring text;
    // The code page holds all of `text`: entries without a Unicode text are
    // searched in their 8-bit text, as ever.
    bool fitsCodePage;
    std::wstring (*fold)(const std::wstring&);
    // An 8-bit text as Unicode, as the code page turns it.
    std::wstring (*toUnicode)(const std::string&);
};

// The entry search: from the entry after `start` (before it, when not
// `forward`) in pre-order, wrapping around at either end, the first entry
// whose full text contains `text` by the search's case rule; `start` itself
// is never compared. kNoEntry when no entry matches or `text` is empty. A
// `start` of kNoEntry starts at the root entry. Without `unicode`, every
// entry is searched in its 8-bit text.
EntryId FindEntry(const EntryTree& tree, EntryId start, const std::string& text, bool forward,
                  const CDoubleByteCase* dbcs, const UnicodeSearch* unicode = nullptr);
