#pragma once
#include "entries/SearchText.h"

// The double-byte rule of the system's code page (none on single-byte code
// pages), folded by the system's lower-case mapping.
class CSystemDoubleByteCase : public CDoubleByteCase {
public:
    bool IsLeadByte(unsigned char byte) const override;
    void ToLower(char& lead, char& trail) const override;
};
