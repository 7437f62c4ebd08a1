#pragma once
#include <string>

// Characters as the user sees them that take several units, spelt in
// UTF-16 units so that the tests mean the same where wchar_t is 32 bits.
inline const std::wstring kSmile = L"\xD83D\xDE42";  // U+1F642
// Man, zero width joiner, woman, joiner, girl: one family.
inline const std::wstring kFamily = L"\xD83D\xDC68\x200D\xD83D\xDC69\x200D\xD83D\xDC67";
// The regional indicators J P and U S: two flags.
inline const std::wstring kTwoFlags = L"\xD83C\xDDEF\xD83C\xDDF5\xD83C\xDDFA\xD83C\xDDF8";
