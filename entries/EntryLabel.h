#pragma once
#include "entries/TextBoundary.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The label the tree and the menus show for an entry's text, on one line:
// each run of line breaks (CR, LF, CRLF, in any mix; in Unicode also the
// line and paragraph separators) becomes `lineBreakMark`, a tab or any other
// control character a space. Everything else is kept, an ampersand with its
// meaning as a menu's access key included. At most `limit` units are shown:
// the limit counts the label, not the text, and the label ends between
// whole characters: a mark that does not fit whole is left off, and so is a
// character as the user sees it (TextBoundary.h), a double-byte character
// of the code page `isLeadByte` tells included. The Unicode label shows at
// most `characters` such characters besides, counted in the label as
// ShortenLabel (MenuLabel.h) counts them: a mark is one, and a combining
// mark right after a line break or a control character is one with the
// mark or the space before it. The text itself is not touched: only what
// is shown of it changes.
std::string EntryLabel(std::string_view text, std::string_view lineBreakMark, size_t limit,
                       LeadByteTest isLeadByte = nullptr);
std::wstring EntryLabel(std::wstring_view text, std::wstring_view lineBreakMark, size_t limit,
                        size_t characters = SIZE_MAX);

// The mark of line breaks in Unicode labels.
inline constexpr wchar_t kUnicodeLineBreakMark[] = L"\u00B6";

// The mark of line breaks in labels of the code page `toCodePage` converts
// to: its own form of the pilcrow where it has one, else `fallback`, which
// every code page can show. `toCodePage` returns the code page's bytes for a
// Unicode text, or nothing when the code page cannot hold all of it.
template <typename Conversion>
std::string CodePageLineBreakMark(Conversion toCodePage, const std::string& fallback = " / ")
{
    const std::string mark = toCodePage(std::wstring(kUnicodeLineBreakMark));
    return mark.empty() ? fallback : mark;
}
