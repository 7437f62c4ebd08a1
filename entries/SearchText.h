#pragma once
#include <string>

// The case rule of the entry search: the letters A to Z fold to a to z and
// every other single byte stays as it is, so accented letters must match in
// case. Two-byte characters of a double-byte code page fold by that code
// page's own mapping, which the caller supplies.

// How the system's code page treats double-byte characters.
class CDoubleByteCase {
public:
    virtual ~CDoubleByteCase() = default;
    // True when `byte` starts a two-byte character.
    virtual bool IsLeadByte(unsigned char byte) const = 0;
    // Lower-cases the two-byte character `lead`, `trail` in place.
    virtual void ToLower(char& lead, char& trail) const = 0;
};

char LowerSingleByte(char byte);

// `text` lower-cased by the rule above; without `dbcs` every byte is a
// character of its own.
std::string LowerSearchText(const std::string& text, const CDoubleByteCase* dbcs);
// The same into `lowered`, whose room is used again.
void LowerSearchText(const std::string& text, const CDoubleByteCase* dbcs, std::string& lowered);

// True when `needle` occurs in `text` starting at a character boundary. Both
// are lower-cased already; an empty needle is never found.
bool ContainsSearchText(const std::string& text, const std::string& needle,
                        const CDoubleByteCase* dbcs);
