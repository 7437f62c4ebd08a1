#pragma once
#include <cstddef>
#include <string>

// Characters as the user sees them that take several units, spelt in
// UTF-16 units so that the tests mean the same where wchar_t is 32 bits.
inline const std::wstring kSmile = L"\xD83D\xDE42";  // U+1F642
// Man, zero width joiner, woman, joiner, girl: one family.
inline const std::wstring kFamily = L"\xD83D\xDC68\x200D\xD83D\xDC69\x200D\xD83D\xDC67";
// The regional indicators J P and U S: two flags.
inline const std::wstring kTwoFlags = L"\xD83C\xDDEF\xD83C\xDDF5\xD83C\xDDFA\xD83C\xDDF8";

// A double-byte code page: a byte from 0x80 leads, and the byte after it
// (a letter, often) is part of the same character.
inline std::wstring DoubleByteToUnicode(const std::string& text)
{
    std::wstring unicode;
    unicode.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80 && i + 1 < text.size())
            unicode += static_cast<wchar_t>(0x3000 + (byte - 0x80) * 0x100 + static_cast<unsigned char>(text[++i]));
        else
            unicode += static_cast<wchar_t>(byte);
    }
    return unicode;
}
