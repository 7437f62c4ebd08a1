#include "entries/SystemDoubleByteCase.h"
#include <windows.h>

bool CSystemDoubleByteCase::IsLeadByte(unsigned char byte) const
{
    return IsDBCSLeadByte(byte) != FALSE;
}

void CSystemDoubleByteCase::ToLower(char& lead, char& trail) const
{
    const char source[2] = {lead, trail};
    char lowered[2] = {lead, trail};
    // A mapping that would change the character's length is not taken.
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_LOWERCASE, source, 2, lowered, 2) == 2) {
        lead = lowered[0];
        trail = lowered[1];
    }
}

bool CSystemDoubleByteCase::IsNeeded()
{
    CPINFO info = {};
    return GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1;
}
