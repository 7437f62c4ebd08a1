#pragma once
#include "entries/SearchText.h"

// The double-byte rule of the system's code page (none on single-byte code
// pages), folded by the system's lower-case mapping.
class CSystemDoubleByteCase : public CDoubleByteCase {
public:
    // Whether the system's code page has two-byte characters at all; where
    // it has none, the search needs no rule and asks nothing of every byte.
    static bool IsNeeded();

    bool IsLeadByte(unsigned char byte) const override;
    void ToLower(char& lead, char& trail) const override;
};
