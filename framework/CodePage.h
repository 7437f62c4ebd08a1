#pragma once
#include <string>

// `text` in the system's code page, the one of the 8-bit window texts; empty
// when the code page cannot hold all of it. Nothing is approximated: a
// character the code page lacks is never replaced by a look-alike.
std::string ToSystemCodePage(const std::wstring& text);
