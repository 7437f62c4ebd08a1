#pragma once
#include "history/HistoryRules.h"
#include <string>

// The search's case rule, one for every entry: texts are compared in
// Unicode, folded as the user's locale folds case in every script. An entry
// with a Unicode text is compared in it; any other in its 8-bit text as the
// code page turns it into Unicode, so that what was typed and how an entry
// is stored never change what matches.

// `text` folded so that case is ignored, one unit for one unit.
using UnicodeFold = std::wstring (*)(const std::wstring& text);

// The system's side of the rule, which the caller supplies.
struct SearchFolding {
    UnicodeFold fold;
    CodePageToUnicode toUnicode;
};

// A typed text, folded once, to be looked for in entries' full texts. It
// keeps its working room from one entry to the next: one needle serves one
// search, on one thread.
class SearchNeedle {
public:
    SearchNeedle(const std::wstring& typed, const SearchFolding& folding);

    // Nothing was typed: the needle is found nowhere.
    bool Empty() const { return m_folded.empty(); }
    const std::wstring& Folded() const { return m_folded; }

    // Whether the full text of an entry, its `unicode` text where it has
    // one (not empty) and else its 8-bit `text`, contains the needle.
    bool FoundIn(const std::string& text, const std::wstring& unicode);

private:
    // Folds an all-ASCII text into m_ascii as the locale's fold would; false,
    // with m_ascii undefined, for any other text.
    template <typename Char>
    bool FoldAscii(const Char* units, size_t count);

    SearchFolding m_folding;
    std::wstring m_folded;
    // Most texts are ASCII, and the locale folds ASCII within ASCII: such a
    // text is compared byte by byte, with the fold's own answers for ASCII
    // kept in m_asciiFold, and needs no conversion and no call of the fold.
    bool m_asciiFoldsToAscii = false;
    char m_asciiFold[128] = {};
    // The needle in bytes when it is all ASCII; an all-ASCII text cannot
    // hold any other needle.
    bool m_needleIsAscii = false;
    std::string m_asciiNeedle;
    std::string m_ascii;
};
