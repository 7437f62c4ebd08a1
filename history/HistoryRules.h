#pragma once
#include <string>
#include <vector>

// The clipboard history as a list of texts, newest first.

const size_t kHistoryCapacity = 15;

// Folds one byte of 8-bit text to the form in which case is ignored.
using CaseFold = unsigned char (*)(unsigned char);
unsigned char FoldAsciiCase(unsigned char c);
// Folds one UTF-16 unit of Unicode text likewise.
using WideCaseFold = wchar_t (*)(wchar_t);
wchar_t FoldAsciiCaseWide(wchar_t c);

// Index of the first text, from index 0, that begins with `prefix` when
// case is ignored; -1 when none does or the prefix is empty.
int FindTextBeginningWith(const std::vector<std::string>& history, const std::string& prefix,
                          CaseFold fold);

// Turns 8-bit text into Unicode as the code page does.
using CodePageToUnicode = std::wstring (*)(const std::string&);

// How texts are compared: case folds for either form, and the code page's
// way from the 8-bit form to Unicode.
struct TextComparison {
    CaseFold fold;
    WideCaseFold wideFold;
    CodePageToUnicode toUnicode;
};

// The same for texts that may carry a Unicode form beside the 8-bit one
// (`unicode[i]` beside `history[i]`, empty for none). Where both the text
// and the prefix have one, the Unicode forms are compared, so that texts
// the code page shows alike stay apart; where only one has, its Unicode
// form is compared with the other's 8-bit text as the code page turns it
// into Unicode, so that the code page's placeholders ("?") match nothing
// but themselves; where neither has, the 8-bit forms are.
int FindTextBeginningWith(const std::vector<std::string>& history, const std::vector<std::wstring>& unicode,
                          const std::string& prefix, const std::wstring& unicodePrefix,
                          const TextComparison& comparison);
