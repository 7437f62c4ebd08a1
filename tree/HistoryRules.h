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

// The same for texts that may carry a Unicode form beside the 8-bit one
// (`unicode[i]` beside `history[i]`, empty for none): where both the text
// and the prefix have one, the Unicode forms are compared, so that texts
// the code page shows alike stay apart; elsewhere the 8-bit forms are.
int FindTextBeginningWith(const std::vector<std::string>& history, const std::vector<std::wstring>& unicode,
                          const std::string& prefix, const std::wstring& unicodePrefix, CaseFold fold,
                          WideCaseFold wideFold);
