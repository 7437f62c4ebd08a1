#pragma once
#include <cstddef>
#include <string_view>

// Where a label may be cut: only between characters as the user sees them,
// never through a double-byte character, a letter and its accents, or an
// emoji made of several.

// Whether `byte` starts a two-byte character of the code page the 8-bit
// texts are in.
using LeadByteTest = bool (*)(unsigned char byte);

// The end of the 8-bit character that starts at `start`: a lead byte and
// the byte after it, else one byte. Without `isLeadByte` every byte is a
// character of its own.
size_t CharacterEnd(std::string_view text, size_t start, LeadByteTest isLeadByte);

// The end of the character as the user sees it that starts at `start`: a
// letter with its combining marks and variation selectors, an emoji with
// its skin tone, its tags and whatever a zero width joiner joins to it, a
// flag of two regional indicators, a Hangul syllable of jamo, CR LF. Reads
// at most `most` units past `start`: for a longer character the end given
// lies past start + most but not necessarily at the character's end.
size_t CharacterEnd(std::wstring_view text, size_t start, size_t most);
